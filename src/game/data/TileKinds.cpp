#include "game/data/TileKinds.h"

#include "game/data/DataProblems.h"
#include "velk/assets/TAssetLists.h"
#include "velk/data/vlkXmlData.h"
#include "velk/globals/GameGlobals.h"

#include <array>

namespace {

std::array<TTileKindRecord, kTileKindCount>& Table() {
    static std::array<TTileKindRecord, kTileKindCount> table;
    return table;
}

// The face picture: the first asset-list entry of that name.
TString FacePath(const TString& name) {
    if (!gAssetLists)
        return TString();
    if (const TAssetListEntry* entry = gAssetLists->FindFixedEntry(name))
        return entry->path;
    for (const TAssetLevelList& list : gAssetLists->GetLevelLists())
        for (const TAssetListEntry& entry : list.entries)
            if (entry.name == name)
                return entry.path;
    return TString();
}

int KindValue(int kind, int type) {
    if (type == kTileTypeGame)
        return kTileClassOrdinary;
    if (kind == kTileWild)
        return kTileClassWild;
    if (kind == kTileBomb)
        return kTileClassBomb;
    return kTileClassOther;
}

} // namespace

void BuildTileKindTable(const vlkXmlData& config) {
    ResetTileKindTable();
    const int count = config.GetRecordCount("tiles");
    for (int i = 0; i < count; ++i) {
        TTileKindRecord record;
        record.name = config.GetRecordName("tiles", i);
        record.kind = TileKindFromName(record.name);
        if (record.kind < 0) {
            ReportDataProblem(
                "BuildTileKindTable: tile record %d names no tile kind (\"%s\"); dropped", i + 1,
                record.name.CStr());
            continue;
        }
        record.type = TileTypeFromName(config.GetRecordString("tiles", i, "type"));
        record.value = KindValue(record.kind, record.type);
        record.path = FacePath(record.name);
        Table()[record.kind] = record;
    }
}

const TTileKindRecord* GetTileKind(int kind) {
    if (kind < 0 || kind >= kTileKindCount)
        return nullptr;
    return &Table()[kind];
}

void ResetTileKindTable() {
    Table().fill(TTileKindRecord());
}
