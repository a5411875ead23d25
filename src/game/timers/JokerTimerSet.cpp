#include "game/timers/JokerTimerSet.h"

#include "game/board/BoardTile.h"
#include "game/board/TileCommands.h"
#include "game/data/LevelRecords.h"
#include "game/state/dtLevelState.h"
#include "game/timers/BoardLayout.h"

namespace {

// The cycle of the Joker's match state.
constexpr uint32_t kJokerCycleMs = 1000;

} // namespace

JokerTimerSet::JokerTimerSet(int geometryIndex, dtLevelState& state)
    : mLayout(FindBoardLayout(geometryIndex, "JokerTimerSet")), mTimer(mClock, kJokerCycleMs),
      mCountdowns(mLayout ? static_cast<size_t>(mLayout->positionCount) : 0, 0), mState(state) {
    mClock.Reset();
    mClock.Start();
}

int32_t JokerTimerSet::GetCountdown(int slot) const {
    if (slot < 0 || slot >= static_cast<int>(mCountdowns.size()))
        return 0;
    return mCountdowns[static_cast<size_t>(slot)];
}

void JokerTimerSet::Update(uint32_t elapsed) {
    BoardSlots& slots = mState.GetSlots();
    const int count = LayoutSlotCount(mLayout, slots);
    const float fraction = mTimer.GetCycleFraction();
    for (int slot = 0; slot < count; ++slot) {
        if (slots.kind[slot] == 0)
            continue;
        RunJokerTileCommand(slots, slot, mCountdowns[static_cast<size_t>(slot)], elapsed);
        if (slots.state[slot] != kTileStateMatch)
            continue;
        if (fraction > 0.99f)
            slots.busy[slot] = 0;
        if (BoardTile* tile = slots.tile[slot])
            tile->SetClipFraction(fraction);
    }
}
