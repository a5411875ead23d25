#pragma once

#include "framework/core/math/TVector.h"
#include "framework/core/text/TString.h"

#include <vector>

// The records of the game's data tables: one board layout per difficulty,
// and one level record per level of each mode. The three tile lists of a
// level are index-aligned: kinds, their chances, and their caps (0 for
// ordinary tiles, which have none).

// One board layout ("gameMode" row of the configuration). The board has
// one row more than it shows: row 0, the entry row, lies below the play
// rows; positions step up by dy from row to row.
struct TGameModeRecord {
    int row = 0;
    int col = 0;
    int cells = 0;         // row * col
    int positionCount = 0; // (row + 1) * col, the slot count
    // x, y, width, height of the board's drawing window.
    int window[4] = {0, 0, 0, 0};
    std::vector<TVec2> positions;
    float factorDecreaseTime = 1.0f;
    int minTimeBar = 0;
};

// The tile lists that every level record of the four board modes holds.
struct TTileDeal {
    std::vector<int> kinds;
    std::vector<int> chances;
    std::vector<int> maxCounts;
};

// What every level of the four board modes holds: its number, its board
// (mode 1 easy to 3 hard), the tile lists, its waits and its background.
struct TBoardLevel : TTileDeal {
    int id = 0;
    int mode = 0;
    int timeTile = 0;
    int timeMatch = 0;
    int timeMatchDec = 0;
    TString background;
};

// The goal of a Classic, Blitz or Strategy level.
struct TLevelGoal {
    int task = 0;
    int goalTask = 0;
    TString tile1;
    TString tile2;
    int quota = 0;
};

struct TClassicLevelRecord : TBoardLevel, TLevelGoal {
    // Kept empty by the loader.
    std::vector<int> spare;
    TString spareText;
    int initRows = 0;
    int timeBar = 0;
};
void ResetClassicLevelRecord(TClassicLevelRecord& record);

struct TBlitzLevelRecord : TBoardLevel, TLevelGoal {};
void ResetBlitzLevelRecord(TBlitzLevelRecord& record);

struct TStrategyLevelRecord : TBoardLevel, TLevelGoal {
    int initRows = 0;
    int errorRow = 0;
};
void ResetStrategyLevelRecord(TStrategyLevelRecord& record);

struct TRomeLevelRecord : TBoardLevel {
    // The marks of the board: row gpx - 1 of the Rome graphics table.
    int gpx = 0;
};
void ResetRomeLevelRecord(TRomeLevelRecord& record);

struct TJokerLevelRecord {
    int id = 0;
    int mode = 0;
    int rounds = 0;
    int roundsToWin = 0;
    int initTiles = 0;
    TString background;
};

struct TGameModeName {
    int id = 0;
    int unused = 0;
    TString name;
};

// The tables, read once at start-up. Each accessor answers null outside
// its table.
int GetGameModeCount();
const TGameModeRecord* GetGameModeRecord(int index);
int GetGameModeNameCount();
const TGameModeName* GetGameModeName(int index);
int GetClassicLevelCount();
const TClassicLevelRecord* GetClassicLevel(int index);
int GetBlitzLevelCount();
const TBlitzLevelRecord* GetBlitzLevel(int index);
int GetStrategyLevelCount();
const TStrategyLevelRecord* GetStrategyLevel(int index);
int GetRomeLevelCount();
const TRomeLevelRecord* GetRomeLevel(int index);
int GetJokerLevelCount();
const TJokerLevelRecord* GetJokerLevel(int index);
// The marks of one Rome board: col zeros for the entry row, then one value
// per play slot.
int GetRomeGraphicsCount();
const std::vector<int>* GetRomeGraphics(int index);
