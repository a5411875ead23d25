#include "framework/core/tasks/TClock.h"

#include "framework/core/tasks/FrameworkTime.h"

uint32_t TClock::GetTime() const {
    if (mPaused) {
        return mHeldTime;
    }
    return mStampTime - mPausedTotal + (GetFrameworkTime() - mStampPlatformTime);
}

void TClock::SetTime(uint32_t t) {
    mStampPlatformTime = GetFrameworkTime();
    mStampTime = t;
    mHeldTime = t;
    mPausedTotal = 0;
}

void TClock::Start() {
    if (!mPaused) {
        return;
    }
    mPaused = false;
    if (!mStarted) {
        mStarted = true;
        SetTime(0);
        return;
    }
    // Count the pause as paused time, so the clock goes on from the held time
    // (the running time read here still includes the pause).
    mPausedTotal += GetTime() - mHeldTime;
}

bool TClock::Pause() {
    if (mPaused) {
        return true;
    }
    mHeldTime = GetTime();
    mPaused = true;
    return false;
}

void TClock::Reset() {
    SetTime(0);
    mPaused = true;
}
