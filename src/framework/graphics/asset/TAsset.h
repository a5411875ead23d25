#pragma once

#include <memory>

// The identity of an asset class: the address of the class's own GetClassId
// result, unique to the class.
using TClassId = const void*;

// Anything loadable and shared by name: textures, animations, meshes,
// sounds, compiled scripts. Assets are held by shared pointers; the asset
// manager only remembers them weakly. Before the display is reset every live
// asset gives up what it holds on the graphics device (ReleaseResources) and
// afterwards makes it again (RestoreResources).
class TAsset : public std::enable_shared_from_this<TAsset> {
public:
    TAsset() = default;
    TAsset(const TAsset&) = delete;
    TAsset& operator=(const TAsset&) = delete;
    virtual ~TAsset() = default;

    virtual const char* GetClassName() const { return "TAsset"; }
    // True for the class's own id and the id of every base class.
    virtual bool IsKindOf(TClassId id) const { return id == GetClassId(); }
    virtual void ReleaseResources() {}
    virtual void RestoreResources() {}

    static TClassId GetClassId();
};
