#pragma once

#include <cstdint>

class TClock;

// The level clock of the timed modes: counts a duration down on a clock
// it does not own, can be paused and given more time, and expires once,
// after which nothing revives it.
class CountdownTimer {
public:
    CountdownTimer(const TClock& clock, int32_t duration);

    void Start();
    // Call every frame: takes the remaining time, or expires.
    void Update();
    // The remaining time as of the last Update; the full duration before
    // Start, 0 once expired.
    int32_t GetRemaining() const;
    // Ignored once expired or when the state does not change; resuming
    // moves the end on by the paused time.
    void SetPaused(bool paused);
    // Moves the end on by ms (nothing visible once expired).
    void AddTime(int32_t ms);

    bool IsRunning() const { return mRunning != 0; }
    bool IsPaused() const { return mPaused != 0; }
    bool IsExpired() const { return mExpired != 0; }
    int32_t GetDuration() const { return mDuration; }

private:
    uint8_t mRunning = 0;
    uint8_t mPaused = 1;
    uint8_t mExpired = 0;
    const TClock* mClock;
    int32_t mDuration = 0;
    uint32_t mPausedAt = 0;
    int32_t mRemaining = 0;
    uint32_t mEndTime = 0;
};
