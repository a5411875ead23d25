#include "velk/assets/TAssetLists.h"

#include "framework/core/log/TLog.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/sound/asset/TSound.h"
#include "velk/data/XmlRoot.h"

namespace {

constexpr int kImage = 0;
constexpr int kSound = 1;
constexpr int kMusic = 2;

// The entry of a child element, false for a tag that is no entry or an
// entry without name or path.
bool ReadEntry(const TString& tag, TXmlNode* node, uint8_t group, TAssetListEntry& entry) {
    if (tag == TString("image"))
        entry.kind = kImage;
    else if (tag == TString("sound"))
        entry.kind = kSound;
    else if (tag == TString("music"))
        entry.kind = kMusic;
    else
        return false;
    entry.group = group;
    entry.name = node->GetAttribute("name");
    entry.path = node->GetAttribute("path");
    return !entry.name.IsEmpty() && !entry.path.IsEmpty();
}

void ReadEntries(TXmlNode* section, uint8_t group, std::vector<TAssetListEntry>& entries) {
    TString tag;
    TXmlNode* child = nullptr;
    section->BeginChildren();
    while (section->NextChild(tag, child)) {
        TAssetListEntry entry;
        if (ReadEntry(tag, child, group, entry))
            entries.push_back(entry);
    }
}

// The key under which a map stores the asset of a path: the path's file
// (with the extension that was found when the path names none) and its "?"
// query; the path itself when no file is found.
TString StoredKey(const TString& path) {
    TString file;
    TString query;
    return TAssetMap::FindFile(path, file, query) ? file + query : path;
}

} // namespace

TAssetLists::TAssetLists(const TString& listFile) {
    LoadAssetLists(listFile);
}

TAssetLists::~TAssetLists() = default;

void TAssetLists::LoadAssetLists(const TString& file) {
    TXmlNode document;
    TXmlNode* root = LoadXmlRoot(document, file, "assets", "TAssetLists");
    if (!root)
        return;
    TString tag;
    TXmlNode* section = nullptr;
    root->BeginChildren();
    while (root->NextChild(tag, section)) {
        if (tag == TString("fixedAssets")) {
            ReadEntries(section, 0, mFixedEntries);
        } else if (tag == TString("levelAssets")) {
            TString levelTag;
            TXmlNode* level = nullptr;
            section->BeginChildren();
            while (section->NextChild(levelTag, level)) {
                if (levelTag != TString("level"))
                    continue;
                TAssetLevelList list;
                list.id = level->GetAttribute("id").ToInt();
                ReadEntries(level, 1, list.entries);
                mLevelLists.push_back(std::move(list));
            }
        }
    }
}

TAssetMap* TAssetLists::MapOf(int group) {
    return group == 0 ? &mFixedMap : group == 1 ? mLevelMap.get() : nullptr;
}

const TAssetLists::NameTable* TAssetLists::TableOf(int group) const {
    return group == 0 ? &mFixedTable : group == 1 ? &mLevelTable : nullptr;
}

TAssetLists::NameTable* TAssetLists::TableOf(int group) {
    return const_cast<NameTable*>(static_cast<const TAssetLists*>(this)->TableOf(group));
}

namespace {

// The path an entry is loaded from: a sound carries its group.
TString EntryPath(const TAssetListEntry& entry) {
    if (entry.kind == kSound)
        return entry.path + TString("?group=1001");
    if (entry.kind == kMusic)
        return entry.path + TString("?group=1000");
    return entry.path;
}

// Loads the asset stored under that key into the map; false when it does
// not load.
bool LoadInto(TAssetMap& map, int kind, const TString& key) {
    map.AddAsset(key);
    if (kind == kImage)
        return map.GetTexture(key) != nullptr;
    return map.GetSound(key) != nullptr;
}

} // namespace

void TAssetLists::LoadAsset(const TAssetListEntry& entry) {
    // A level's list may name a fixed asset, which the lookups find first:
    // it is decoded now if it waits for its first lookup, and never loaded
    // a second time into the level's group.
    if (entry.group != 0 && mFixedTable.count(entry.name)) {
        LoadPending(entry.name);
        return;
    }
    TAssetMap* map = MapOf(entry.group);
    NameTable* table = TableOf(entry.group);
    if (!map || !table || table->count(entry.name))
        return;
    if (entry.kind != kImage && entry.kind != kSound && entry.kind != kMusic)
        return;
    const TString path = EntryPath(entry);
    map->AddAsset(path);
    const TString key = StoredKey(path);
    if (LoadInto(*map, entry.kind, key))
        (*table)[entry.name] = key;
    else
        LogNotLoaded(entry);
}

void TAssetLists::LogNotLoaded(const TAssetListEntry& entry) {
    LogPrintf("TAssetLists: could not load \"%s\" from %s", entry.name.CStr(),
              entry.path.CStr());
}

void TAssetLists::LoadFixedAssets() {
    for (auto entry = mFixedEntries.rbegin(); entry != mFixedEntries.rend(); ++entry) {
        // A fixed picture's or sound's file is found now and decoded at its
        // first lookup: most are shown or played on a few screens only, and
        // decoding them all would hold the first frame and their memory
        // from the start.
        if (entry->kind != kImage && entry->kind != kSound && entry->kind != kMusic)
            continue;
        if (mFixedTable.count(entry->name))
            continue;
        TString file;
        TString query;
        if (!TAssetMap::FindFile(EntryPath(*entry), file, query)) {
            LogNotLoaded(*entry);
            continue;
        }
        mFixedTable[entry->name] = file + query;
        mFixedPending[entry->name] = *entry;
    }
}

void TAssetLists::ClearLevelAssets() {
    mLevelMap = std::make_unique<TAssetMap>();
    mLevelTable.clear();
}

void TAssetLists::LoadPending(const TString& name) {
    auto pending = mFixedPending.find(name);
    if (pending == mFixedPending.end())
        return;
    const TAssetListEntry entry = pending->second;
    mFixedPending.erase(pending);
    const TString path = mFixedTable[name];
    if (!LoadInto(mFixedMap, entry.kind, path)) {
        // As if it had failed at start-up: later lookups find nothing.
        mFixedTable.erase(name);
        LogNotLoaded(entry);
    }
}

bool TAssetLists::Find(const TString& name, TAssetMap*& map, TString& path) {
    LoadPending(name);
    for (int group : {0, 1}) {
        NameTable* table = TableOf(group);
        auto found = table->find(name);
        if (found != table->end()) {
            map = MapOf(group);
            path = found->second;
            return true;
        }
    }
    return false;
}

std::shared_ptr<TTexture> TAssetLists::GetTexture(const TString& name) {
    TAssetMap* map = nullptr;
    TString path;
    return Find(name, map, path) ? map->GetTexture(path) : nullptr;
}

std::shared_ptr<TAnimatedTexture> TAssetLists::GetAnimatedTexture(const TString& name) {
    TAssetMap* map = nullptr;
    TString path;
    return Find(name, map, path) ? map->GetAnimatedTexture(path) : nullptr;
}

std::shared_ptr<TSound> TAssetLists::GetSound(const TString& name) {
    TAssetMap* map = nullptr;
    TString path;
    return Find(name, map, path) ? map->GetSound(path) : nullptr;
}

const TAssetLevelList* TAssetLists::FindLevelList(int id) const {
    for (auto list = mLevelLists.rbegin(); list != mLevelLists.rend(); ++list) {
        if (list->id == id)
            return &*list;
    }
    return nullptr;
}

const TAssetListEntry* TAssetLists::FindFixedEntry(const TString& name) const {
    for (const TAssetListEntry& entry : mFixedEntries) {
        if (entry.name.Equals(name))
            return &entry;
    }
    return nullptr;
}

bool TAssetLists::IsLoaded(const TString& name, int group) const {
    const NameTable* table = TableOf(group);
    return table && table->count(name) != 0;
}

TString TAssetLists::GetLoadedPath(const TString& name, int group) const {
    const NameTable* table = TableOf(group);
    if (!table)
        return TString();
    auto found = table->find(name);
    return found == table->end() ? TString() : found->second;
}
