#pragma once

#include "framework/core/text/TString.h"

// The numbers under which the game knows tile kinds, tile types, tile
// classes and game modes, and their names in the data files.

// Tile kinds 1-15; 0 is an empty slot.
enum TileKind : int {
    kTileNone = 0,
    kTileStar = 1,
    kTileDiamond = 2,
    kTileShamrock = 3,
    kTileHeart = 4,
    kTileSun = 5,
    kTileHorseshoe = 6,
    kTileLightning = 7,
    kTileMushroom = 8,
    kTileWild = 9,
    kTileBomb = 10,
    kTileSidewinder = 11,
    kTileShowtime = 12,
    kTileFreeze = 13,
    kTileGolden = 14,
    kTileJoker = 15,
};
// Entries of the tile-kind table: kind 0 and the fifteen kinds.
constexpr int kTileKindCount = 16;

enum TileType : int { kTileTypeGame = 100, kTileTypeBonus = 101, kTileTypeSpecial = 102 };

// The tile classes of scoring: ordinary tiles, the wild and the bomb.
enum TileClass : int {
    kTileClassOther = 0,
    kTileClassOrdinary = 1000,
    kTileClassWild = 2000,
    kTileClassBomb = 3000
};

enum GameModeId : int {
    kModeNone = 0,
    kModeClassic = 1,
    kModeStrategy = 2,
    kModeBlitz = 3,
    kModeJoker = 4,
    kModeRome = 5,
};
constexpr int kModeIdCount = 6;

// "star" 1 ... "joker" 15, any case; -1 for any other name.
int TileKindFromName(const TString& name);
// "game" 100, "bonus" 101, "special" 102, any case; -1 for any other.
int TileTypeFromName(const TString& name);
// "classic" 1, "strategy" 2, "blitz" 3, "joker" 4, "cradle" 5, exactly as
// written; 0 for any other name.
int ModeNameToId(const TString& name);
// The name of a kind ("star" for 1), empty outside 1-15.
const char* TileKindName(int kind);
// True for the power-up kinds: wild, bomb, sidewinder, showtime, freeze.
inline bool IsPowerUpKind(int kind) {
    return kind >= kTileWild && kind <= kTileFreeze;
}
