#include "game/timers/CountdownTimer.h"

#include "framework/core/tasks/TClock.h"

CountdownTimer::CountdownTimer(const TClock& clock, int32_t duration)
    : mClock(&clock), mDuration(duration) {}

void CountdownTimer::Start() {
    mRunning = 1;
    mPaused = 0;
    mExpired = 0;
    mEndTime = mClock->GetTime() + static_cast<uint32_t>(mDuration);
    mRemaining = mDuration;
}

void CountdownTimer::Update() {
    if (!mRunning || mPaused)
        return;
    const uint32_t now = mClock->GetTime();
    // Times wrap at 32 bits: the end is ahead while the signed distance is.
    const int32_t left = static_cast<int32_t>(mEndTime - now);
    if (left > 0) {
        mRemaining = left;
    } else {
        mPaused = 1;
        mExpired = 1;
        mRemaining = 0;
    }
}

int32_t CountdownTimer::GetRemaining() const {
    if (mExpired)
        return 0;
    return mRunning ? mRemaining : mDuration;
}

void CountdownTimer::SetPaused(bool paused) {
    if (mExpired || (mPaused != 0) == paused)
        return;
    const uint32_t now = mClock->GetTime();
    if (paused)
        mPausedAt = now;
    else
        mEndTime += now - mPausedAt;
    mPaused = paused ? 1 : 0;
}

void CountdownTimer::AddTime(int32_t ms) {
    mEndTime += static_cast<uint32_t>(ms);
}
