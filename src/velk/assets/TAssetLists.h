#pragma once

#include "framework/core/text/TString.h"
#include "framework/host/assetmap/TAssetMap.h"
#include "velk/data/vlkTextLess.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class TAnimatedTexture;
class TSound;
class TTexture;

// One entry of the asset list file: what it is (0 image, 1 sound, 2 music),
// its group (0 fixed, 1 level), the short name game code asks for and the
// file's path.
struct TAssetListEntry {
    int kind = 0;
    uint8_t group = 0;
    TString name;
    TString path;
};

// The entries of one level id, in file order.
struct TAssetLevelList {
    int id = 0;
    std::vector<TAssetListEntry> entries;
};

// The game's images, sounds and music by short name. The list file (root
// "assets") names every asset once, in "fixedAssets" (kept from start-up,
// pictures decoded when first asked for) or under a "level" of "levelAssets" (loaded by the loading screen
// for that level and dropped when the game ends). Each group has an asset
// map and a table from short name to the path it was loaded under; lookups
// try the fixed group first. One instance lives in the asset-lists global.
// Main thread only.
class TAssetLists {
public:
    explicit TAssetLists(const TString& listFile);
    TAssetLists(const TAssetLists&) = delete;
    TAssetLists& operator=(const TAssetLists&) = delete;
    virtual ~TAssetLists();

    // Reads the list file; a missing file or "assets" element adds nothing.
    void LoadAssetLists(const TString& file);

    // Loads one entry into its group unless its short name is there already;
    // sounds load in group 1001, music in group 1000. An entry that does not
    // load is logged and left out of the table. A level entry that names a
    // fixed asset decodes that one if it waits for its first lookup, and
    // loads nothing more.
    void LoadAsset(const TAssetListEntry& entry);
    // Every fixed entry, from the last to the first. Sounds and music load
    // at once; a picture's file is found now (one that is missing is logged
    // and left out) and decoded by the first lookup of its short name, so
    // that a screen pays only for the pictures it shows.
    void LoadFixedAssets();
    // Drops the level group's assets and names.
    void ClearLevelAssets();

    // By short name, fixed group first; empty when the name is in neither.
    std::shared_ptr<TTexture> GetTexture(const TString& name);
    std::shared_ptr<TAnimatedTexture> GetAnimatedTexture(const TString& name);
    std::shared_ptr<TSound> GetSound(const TString& name);

    // The entries as read, for the screens that load levels.
    const std::vector<TAssetListEntry>& GetFixedEntries() const { return mFixedEntries; }
    const std::vector<TAssetLevelList>& GetLevelLists() const { return mLevelLists; }
    // The last level list with that id, or null.
    const TAssetLevelList* FindLevelList(int id) const;
    // The first fixed entry of that short name, or null.
    const TAssetListEntry* FindFixedEntry(const TString& name) const;

    // Whether a short name is loaded in a group (0 fixed, 1 level), and
    // the path it was loaded under; a fixed picture counts from
    // LoadFixedAssets on, before its first lookup decodes it.
    bool IsLoaded(const TString& name, int group) const;
    TString GetLoadedPath(const TString& name, int group) const;

private:
    using NameTable = std::map<TString, TString, vlkTextLess>;
    // The map and table of a group, or null for another number.
    TAssetMap* MapOf(int group);
    NameTable* TableOf(int group);
    const NameTable* TableOf(int group) const;
    // The group holding the name (fixed first) and its path; false when
    // neither does.
    bool Find(const TString& name, TAssetMap*& map, TString& path);
    // Decodes a fixed picture found but not yet decoded.
    void LoadPending(const TString& name);
    static void LogNotLoaded(const TAssetListEntry& entry);

    TAssetMap mFixedMap;
    NameTable mFixedTable;
    // Fixed pictures in the table whose files are not decoded yet.
    std::map<TString, TAssetListEntry, vlkTextLess> mFixedPending;
    std::unique_ptr<TAssetMap> mLevelMap = std::make_unique<TAssetMap>();
    NameTable mLevelTable;
    std::vector<TAssetListEntry> mFixedEntries;
    std::vector<TAssetLevelList> mLevelLists;
};
