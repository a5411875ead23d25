#pragma once

#include <cstdint>

class TClock;

// The small timing utility of the levels, their timer sets, the board
// actions and the tiles. It reads a clock it does not own and offers three
// uses of one record: a repeating cycle whose fraction runs from 0 towards
// 1 and starts over, a one-shot alarm, and a one-shot run whose fraction
// runs from 0 to 1 and stays done. A period of 0 has run at once.
class IntervalTimer {
public:
    IntervalTimer(const TClock& clock, uint32_t period);

    // Starts a new cycle now and clears the wrapped flag; while paused the
    // fraction drops to 0 and the pause starts over from now.
    void Reset();
    // Whether a cycle ended since the last call; clears the flag.
    bool TakeWrapped();
    // The fraction of the current cycle. A read past the end of a cycle
    // starts the next one at that read and answers the overshoot (1.5
    // periods answer 0.5).
    float GetCycleFraction();
    void StartAlarm();
    void StopAlarm();
    // True once when the armed alarm has run a full period; it then stops.
    bool AlarmDue();
    void SetPeriod(uint32_t period);
    // Pausing holds the fractions; resuming moves the start on by the
    // paused time.
    void SetPaused(bool paused);
    // Starts a one-shot run of `period` ms.
    void StartOnce(uint32_t period);
    bool IsDone() const { return mDone != 0; }
    // The fraction of the one-shot run; exactly 1 once done.
    float GetFraction();

    uint32_t GetPeriod() const { return mPeriod; }
    bool IsPaused() const { return mPaused != 0; }
    bool IsAlarmRunning() const { return mAlarmRunning != 0; }

    // The names under which the levels use the alarm and the cycle.
    void Start() { StartAlarm(); }
    void Stop() { StopAlarm(); }
    bool HasRun() { return AlarmDue(); }
    void Restart() { Reset(); }
    float Progress() { return GetCycleFraction(); }
    bool TakeRanOut() { return TakeWrapped(); }

private:
    uint32_t Now() const;
    uint32_t Elapsed() const;

    float mFraction = 0.0f;
    uint8_t mWrapped = 0;
    uint32_t mStart = 0;
    uint32_t mPeriod = 0;
    const TClock* mClock;
    uint8_t mAlarmRunning = 0;
    uint8_t mDone = 0;
    uint8_t mPaused = 0;
    uint32_t mPausedAt = 0;
};
