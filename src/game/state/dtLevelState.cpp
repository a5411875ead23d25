#include "game/state/dtLevelState.h"

#include "framework/core/log/TLog.h"
#include "game/board/BoardTile.h"
#include "game/data/LevelRecords.h"
#include "game/data/TileKinds.h"

#include <algorithm>

namespace {

BoardTileMaker& Maker() {
    static BoardTileMaker maker;
    return maker;
}

} // namespace

BoardTileMaker SetBoardTileMaker(BoardTileMaker maker) {
    BoardTileMaker previous = std::move(Maker());
    Maker() = std::move(maker);
    return previous;
}

dtLevelState::dtLevelState(int level) : mLevel(level) {}

dtLevelState::~dtLevelState() {
    // The slots point at actors the list is about to delete.
    mSlots.Resize(0);
    mActors.Clear();
}

void dtLevelState::SetDifficulty(int difficulty) {
    if (difficulty < 1 || difficulty > 3)
        LogPrintf("dtLevelState: difficulty %d is not 1 to 3; %d is used", difficulty,
                  std::clamp(difficulty, 1, 3));
    mDifficulty = std::clamp(difficulty, 1, 3);
}

const TGameModeRecord* dtLevelState::GetGeometry() const {
    return GetGameModeRecord(GetGeometryIndex());
}

void dtLevelState::ResizeSlotsToGeometry() {
    const TGameModeRecord* geometry = GetGeometry();
    mSlots.Resize(geometry ? geometry->positionCount : 0);
}

BoardTile* dtLevelState::CreateTile(int geometryIndex, int kind, int slot) {
    const TTileKindRecord* record = GetTileKind(kind);
    if (!record || record->kind == 0) {
        LogPrintf("dtLevelState::CreateTile: kind %d has no tile record; no tile made", kind);
        return nullptr;
    }
    const TGameModeRecord* geometry = GetGameModeRecord(geometryIndex);
    if (!geometry || !mSlots.Contains(slot) || slot >= geometry->positionCount) {
        LogPrintf("dtLevelState::CreateTile: slot %d of board layout %d is not on the board; no "
                  "tile made",
                  slot, geometryIndex);
        return nullptr;
    }
    if (!Maker()) {
        LogPrintf("dtLevelState::CreateTile: no tile maker is installed; no tile made");
        return nullptr;
    }
    BoardTile* tile =
        Maker()(static_cast<uint32_t>(geometryIndex), *record, static_cast<uint32_t>(slot));
    if (!tile)
        return nullptr;
    mActors.Add(tile);
    mSlots.kind[slot] = kind;
    mSlots.tile[slot] = tile;
    mSlots.state[slot] = 0;
    mSlots.busy[slot] = 0;
    return tile;
}
