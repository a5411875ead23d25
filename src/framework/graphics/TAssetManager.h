#pragma once

#include "framework/core/text/TString.h"

#include <map>
#include <memory>

class TAsset;

// The asset manager: assets shared by name, each held weakly so that it goes
// when its last user lets go. The platform object owns the one manager.
// Loading, restoring after a device loss and the asset map come with the
// graphics work; this keeps the name table.
class TAssetManager {
public:
    TAssetManager();
    TAssetManager(const TAssetManager&) = delete;
    TAssetManager& operator=(const TAssetManager&) = delete;
    virtual ~TAssetManager();

    // The asset manager, or null while none exists.
    static TAssetManager* Instance();

    void Register(const TString& key, const std::shared_ptr<TAsset>& asset);
    // The live asset registered under the key, or empty.
    std::shared_ptr<TAsset> Find(const TString& key) const;
    size_t GetCount() const { return mAssets.size(); }

private:
    std::map<TString, std::weak_ptr<TAsset>, TStringByteLess> mAssets;
};

// Anything shared by name: textures, sounds, scripts, animations.
class TAsset {
public:
    virtual ~TAsset() = default;
};
