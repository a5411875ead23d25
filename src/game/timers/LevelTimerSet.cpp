#include "game/timers/LevelTimerSet.h"

#include "game/board/BoardTile.h"
#include "game/board/TileCommands.h"
#include "game/data/LevelRecords.h"
#include "game/state/dtLevelState.h"
#include "game/timers/BoardLayout.h"
#include "velk/game/GameTuning.h"

#include <algorithm>

namespace {

uint32_t Period(int value) {
    return static_cast<uint32_t>(std::max(value, 0));
}

} // namespace

LevelTimerSet::LevelTimerSet(int geometryIndex, dtLevelState& state)
    : mLayout(FindBoardLayout(geometryIndex, "LevelTimerSet")),
      mStand(mClock, Period(gGameTuning.time.timerPeriods[1])),
      mMatch(mClock, Period(gGameTuning.time.timerPeriods[2])),
      mGolden(mClock, Period(gGameTuning.time.timerPeriods[0])),
      mBonusMatch(mClock, Period(gGameTuning.time.timerPeriods[3])), mState(state) {
    mClock.Reset();
    mClock.Start();
}

void LevelTimerSet::Update() {
    BoardSlots& slots = mState.GetSlots();
    const int count = LayoutSlotCount(mLayout, slots);
    // Read once a frame: every slot in a looping state shows the same
    // frame of its cycle.
    const float stand = mStand.GetCycleFraction();
    const float match = mMatch.GetCycleFraction();
    const float golden = mGolden.GetCycleFraction();
    const float bonusMatch = mBonusMatch.GetCycleFraction();
    for (int slot = 0; slot < count; ++slot) {
        if (slots.kind[slot] == 0)
            continue;
        RunTileCommand(slots, slot);
        if (slots.kind[slot] == 0)
            continue;
        float fraction = 0.0f;
        switch (slots.state[slot]) {
        case kTileStateMatch:
            fraction = match;
            break;
        case kTileStateRedMatch:
        case kTileStateBombMark:
        case kTileStateWildMark:
            fraction = bonusMatch;
            break;
        case kTileStateStand:
            fraction = stand;
            break;
        case kTileStateGoldenBurst:
            fraction = golden;
            break;
        default:
            continue;
        }
        if (fraction > 0.99f)
            slots.busy[slot] = 0;
        BoardTile* tile = slots.tile[slot];
        if (!tile)
            continue;
        if (slots.state[slot] == kTileStateGoldenBurst && tile->IsLastFrame(fraction))
            tile->HideClip();
        else
            tile->SetClipFraction(fraction);
    }
}
