#pragma once

#include "framework/core/text/TString.h"
#include "game/data/GameIds.h"

class vlkXmlData;

// What a tile is: its kind number, type, scoring class and face picture.
struct TTileKindRecord {
    int kind = 0;
    int type = 0;
    // 1000 for an ordinary ("game") tile, else 2000 for the wild kind,
    // 3000 for the bomb, 0 for the rest.
    int value = 0;
    TString name;
    // The face picture: the path of the game asset-list entry of that name.
    TString path;
};

// Fills the tile-kind table from the "tiles" records of the configuration.
// The table always has an entry for every kind 0-15; kinds the file leaves
// out stay empty (kind 0). A record that names no kind is logged and
// dropped.
void BuildTileKindTable(const vlkXmlData& config);
// The record of a kind; null outside 0-15. Kinds that the file does not
// define answer an empty record (kind 0).
const TTileKindRecord* GetTileKind(int kind);
// Empties the table again (every entry kind 0).
void ResetTileKindTable();
