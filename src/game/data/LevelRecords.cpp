#include "game/data/LevelRecords.h"

#include "game/data/GameTables.h"

namespace {

template <typename Record> const Record* At(const std::vector<Record>& table, int index) {
    if (index < 0 || index >= static_cast<int>(table.size()))
        return nullptr;
    return &table[static_cast<size_t>(index)];
}

template <typename Record> int CountOf(const std::vector<Record>& table) {
    return static_cast<int>(table.size());
}

} // namespace

GameTables& MutableGameTables() {
    static GameTables tables;
    return tables;
}

void ResetClassicLevelRecord(TClassicLevelRecord& record) {
    record = TClassicLevelRecord();
}

void ResetBlitzLevelRecord(TBlitzLevelRecord& record) {
    record = TBlitzLevelRecord();
}

void ResetStrategyLevelRecord(TStrategyLevelRecord& record) {
    record = TStrategyLevelRecord();
}

void ResetRomeLevelRecord(TRomeLevelRecord& record) {
    record = TRomeLevelRecord();
}

int GetGameModeCount() {
    return CountOf(MutableGameTables().geometry);
}
const TGameModeRecord* GetGameModeRecord(int index) {
    return At(MutableGameTables().geometry, index);
}
int GetGameModeNameCount() {
    return CountOf(MutableGameTables().modeNames);
}
const TGameModeName* GetGameModeName(int index) {
    return At(MutableGameTables().modeNames, index);
}
int GetClassicLevelCount() {
    return CountOf(MutableGameTables().classic);
}
const TClassicLevelRecord* GetClassicLevel(int index) {
    return At(MutableGameTables().classic, index);
}
int GetBlitzLevelCount() {
    return CountOf(MutableGameTables().blitz);
}
const TBlitzLevelRecord* GetBlitzLevel(int index) {
    return At(MutableGameTables().blitz, index);
}
int GetStrategyLevelCount() {
    return CountOf(MutableGameTables().strategy);
}
const TStrategyLevelRecord* GetStrategyLevel(int index) {
    return At(MutableGameTables().strategy, index);
}
int GetRomeLevelCount() {
    return CountOf(MutableGameTables().rome);
}
const TRomeLevelRecord* GetRomeLevel(int index) {
    return At(MutableGameTables().rome, index);
}
int GetJokerLevelCount() {
    return CountOf(MutableGameTables().joker);
}
const TJokerLevelRecord* GetJokerLevel(int index) {
    return At(MutableGameTables().joker, index);
}
int GetRomeGraphicsCount() {
    return CountOf(MutableGameTables().romeGraphics);
}
const std::vector<int>* GetRomeGraphics(int index) {
    return At(MutableGameTables().romeGraphics, index);
}
