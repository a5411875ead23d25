#pragma once

#include "game/board/BoardSlots.h"
#include "velk/actor/vlkActorList.h"
#include "velk/state/vlkLevelState.h"

#include <cstdint>
#include <functional>
#include <memory>

class BoardTile;
struct TBlitzLevelRecord;
struct TClassicLevelRecord;
struct TGameModeRecord;
struct TJokerLevelRecord;
struct TRomeLevelRecord;
struct TStrategyLevelRecord;
struct TTileKindRecord;

// Makes a board tile: (geometry index, kind record, slot). The game
// installs the real tile's maker; tests install fakes.
using BoardTileMaker =
    std::function<BoardTile*(uint32_t geometryIndex, const TTileKindRecord& kind, uint32_t slot)>;
// Installs a maker and answers the one it replaces.
BoardTileMaker SetBoardTileMaker(BoardTileMaker maker);

// The state of the level being played: its number, the level record of
// the current mode, the difficulty (1-3), the actors and the board slots.
// The user state's level starters make it; deleting it deletes the actors.
class dtLevelState : public vlkLevelState {
public:
    explicit dtLevelState(int level);
    ~dtLevelState() override;
    dtLevelState(const dtLevelState&) = delete;
    dtLevelState& operator=(const dtLevelState&) = delete;

    int GetLevel() const { return mLevel; }

    // The current level's record of each mode; only the current mode's is
    // set.
    const TRomeLevelRecord* rome = nullptr;
    const TBlitzLevelRecord* blitz = nullptr;
    const TClassicLevelRecord* classic = nullptr;
    const TStrategyLevelRecord* strategy = nullptr;
    const TJokerLevelRecord* joker = nullptr;

    // 1 easy, 2 medium, 3 hard; values outside are clamped (logged).
    void SetDifficulty(int difficulty);
    int GetDifficulty() const { return mDifficulty; }
    // The board layout index: difficulty - 1.
    int GetGeometryIndex() const { return mDifficulty - 1; }
    // The board layout of the difficulty; null when the table lacks it.
    const TGameModeRecord* GetGeometry() const;

    vlkActorList& GetActors() { return mActors; }
    BoardSlots& GetSlots() { return mSlots; }
    const BoardSlots& GetSlots() const { return mSlots; }
    // Sizes the slots to the layout's slot count (all empty).
    void ResizeSlotsToGeometry();

    // The one place tiles are made: the installed maker makes the tile for
    // the kind at the slot's position, the actor list takes it, and the
    // slot gets the kind, the tile, display state 0 and busy 0 (the caller
    // writes the command). Null, logged, for an unknown kind, a slot
    // outside the board or when no maker is installed.
    BoardTile* CreateTile(int geometryIndex, int kind, int slot);

private:
    int mLevel;
    int mDifficulty = 1;
    vlkActorList mActors;
    BoardSlots mSlots;
};
