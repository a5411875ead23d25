#pragma once

#include <cstdint>

// A pausable millisecond clock over the framework time (the application's
// timer while it lives, FrameworkTime.h). It starts paused at
// 0; the first Start sets it running from 0, a later Start goes on from the
// time at which it was paused. Times wrap at 32 bits. Modal windows, the
// sound manager, the portal handler and the game each keep their own.
class TClock {
public:
    TClock() = default;
    virtual ~TClock() = default;

    // While paused the held time, else the time running since the stamp
    // less the time spent paused.
    uint32_t GetTime() const;
    // Sets the time now to t; the paused state does not change.
    void SetTime(uint32_t t);
    void Start();
    // True when it was already paused.
    bool Pause();
    // Back to 0 and paused.
    void Reset();

    bool IsPaused() const { return mPaused; }
    bool IsStarted() const { return mStarted; }

private:
    bool mPaused = true;
    bool mStarted = false;
    uint32_t mStampPlatformTime = 0;
    uint32_t mStampTime = 0;
    uint32_t mHeldTime = 0;
    uint32_t mPausedTotal = 0;
};
