#pragma once

#include "framework/core/text/TString.h"
#include "framework/graphics/asset/TAsset.h"

#include <map>
#include <memory>

// The asset manager: every live asset remembered by name through a weak
// reference, so a second request for a name shares the first object and an
// asset goes when its last user lets go. It also drives the display reset:
// ReleaseAll before the device is reset, RestoreAll after. The platform
// object owns the one manager; main thread only.
class TAssetManager {
public:
    TAssetManager();
    TAssetManager(const TAssetManager&) = delete;
    TAssetManager& operator=(const TAssetManager&) = delete;
    virtual ~TAssetManager();

    // The asset manager, or null while none exists.
    static TAssetManager* Instance();

    // The live asset under the name, or empty. Looking up a name that is not
    // registered leaves an empty entry under it (dropped by ReleaseAll).
    std::shared_ptr<TAsset> GetAsset(const TString& name);
    // The entry under the name becomes a weak reference to the asset.
    void RegisterAsset(const TString& name, const std::shared_ptr<TAsset>& asset);
    void RemoveAsset(const TString& name);
    // Every live asset releases its device resources, in name order; dead
    // and empty entries are erased on the way.
    void ReleaseAll();
    // Every live asset makes its device resources again, in name order.
    void RestoreAll();

    // Older forms: Find looks up without adding an entry; Register is
    // RegisterAsset.
    std::shared_ptr<TAsset> Find(const TString& name) const;
    void Register(const TString& name, const std::shared_ptr<TAsset>& asset) {
        RegisterAsset(name, asset);
    }
    // Entries, dead ones included.
    size_t GetCount() const { return mAssets.size(); }

private:
    std::map<TString, std::weak_ptr<TAsset>, TStringByteLess> mAssets;
};

// The application's asset manager, or null when there is none.
TAssetManager* GetAssetManager();
