#pragma once

#include "game/data/LevelRecords.h"

#include <vector>

// The tables behind the accessors of LevelRecords.h, for their loaders.
struct GameTables {
    std::vector<TGameModeRecord> geometry;
    std::vector<TGameModeName> modeNames;
    std::vector<TClassicLevelRecord> classic;
    std::vector<TBlitzLevelRecord> blitz;
    std::vector<TStrategyLevelRecord> strategy;
    std::vector<TRomeLevelRecord> rome;
    std::vector<TJokerLevelRecord> joker;
    std::vector<std::vector<int>> romeGraphics;
};

GameTables& MutableGameTables();
