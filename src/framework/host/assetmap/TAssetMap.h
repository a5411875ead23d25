#pragma once

#include "framework/core/text/TString.h"
#include "framework/graphics/asset/TAsset.h"

#include <map>
#include <memory>

class TAnimatedTexture;
class TSound;
class TTexture;

// A named collection of loaded assets that game code keeps alive: one for
// the fixed assets, one for a level's. An asset is added by file name; its
// kind follows from the extension (a name without a usable file is tried
// with the standard extensions), and it is shared with every other user of
// the same file through the asset manager. Names are kept with "/" for
// "\"; a query after "?" (a sound's "?group=1001") belongs to the name.
// Lookups return the concrete type; with auto-load on, a lookup loads a
// missing asset on the spot. Main thread only.
class TAssetMap {
public:
    TAssetMap() = default;
    TAssetMap(const TAssetMap&) = delete;
    TAssetMap& operator=(const TAssetMap&) = delete;
    virtual ~TAssetMap() = default;

    // Stores the given asset under the name, or (no asset) loads the file
    // of that name. quiet keeps failures out of the log.
    void AddAsset(const TString& name, const std::shared_ptr<TAsset>& asset = nullptr,
                  bool quiet = false);
    // AddAsset of each name of a list that ends with a null pointer.
    void AddAssetList(const char* const* names);

    // The asset of that kind under the name, or empty (logged when there
    // is no entry at all).
    std::shared_ptr<TTexture> GetTexture(const TString& name);
    std::shared_ptr<TAnimatedTexture> GetAnimatedTexture(const TString& name);
    std::shared_ptr<TSound> GetSound(const TString& name);
    // Whatever is stored under the name, or empty.
    std::shared_ptr<TAsset> GetAsset(const TString& name) const;

    void SetAutoLoad(bool autoLoad) { mAutoLoad = autoLoad; }
    bool GetAutoLoad() const { return mAutoLoad; }
    size_t GetCount() const { return mAssets.size(); }

    // The file a name stands for: the name before its "?" query, or, when
    // that names no file, the first of the standard extensions added to it
    // that does; false when none does. The asset of a name is stored under
    // that file name followed by the query.
    static bool FindFile(const TString& name, TString& fileName, TString& query);

    // The extensions tried, in order, for a name without a file.
    static const char* const kStandardExtensions[];

private:
    // The entry under the name, loading it first when auto-load is on.
    std::shared_ptr<TAsset> Lookup(const TString& name);

    // Names in the order of TString::Less (the locale's, when a collation
    // module is loaded).
    struct NameLess {
        bool operator()(const TString& a, const TString& b) const { return a.Less(b); }
    };
    std::map<TString, std::shared_ptr<TAsset>, NameLess> mAssets;
    bool mAutoLoad = false;
};
