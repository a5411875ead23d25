#pragma once

#include "framework/core/tasks/TClock.h"
#include "game/timers/IntervalTimer.h"

#include <cstdint>
#include <vector>

class dtLevelState;
struct TGameModeRecord;

// The Joker level's timer set: one 1000 ms cycle for the match state and
// a shuffle countdown per slot; its step runs the Joker tile commands.
class JokerTimerSet {
public:
    JokerTimerSet(int geometryIndex, dtLevelState& state);
    JokerTimerSet(const JokerTimerSet&) = delete;
    JokerTimerSet& operator=(const JokerTimerSet&) = delete;

    // Call every frame with the milliseconds since the last.
    void Update(uint32_t elapsed);

    TClock& GetClock() { return mClock; }
    IntervalTimer& GetTimer() { return mTimer; }
    // The shuffle countdown of a slot (ms); 0 outside the board.
    int32_t GetCountdown(int slot) const;

private:
    const TGameModeRecord* mLayout;
    TClock mClock;
    IntervalTimer mTimer;
    std::vector<int32_t> mCountdowns;
    dtLevelState& mState;
};
