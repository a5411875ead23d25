#pragma once

#include "framework/core/tasks/TClock.h"
#include "game/timers/IntervalTimer.h"

#include <cstdint>
#include <vector>

class dtLevelState;
struct TGameModeRecord;

// The clock and the four animation cycles of a board. Its per-frame step
// runs the tile command of every slot that holds a tile and drives the
// looping states (match, bonus match, stand, golden burst) from the cycles.
class LevelTimerSet {
public:
    // The layout index picks the board layout whose slot count bounds the
    // walk; the clock is reset and started.
    LevelTimerSet(int geometryIndex, dtLevelState& state);
    LevelTimerSet(const LevelTimerSet&) = delete;
    LevelTimerSet& operator=(const LevelTimerSet&) = delete;

    // Call every frame.
    void Update();

    TClock& GetClock() { return mClock; }
    IntervalTimer& GetStandTimer() { return mStand; }
    IntervalTimer& GetMatchTimer() { return mMatch; }
    IntervalTimer& GetGoldenTimer() { return mGolden; }
    IntervalTimer& GetBonusMatchTimer() { return mBonusMatch; }

private:
    const TGameModeRecord* mLayout;
    TClock mClock;
    IntervalTimer mStand;
    IntervalTimer mMatch;
    IntervalTimer mGolden;
    IntervalTimer mBonusMatch;
    dtLevelState& mState;
};
