#include "game/timers/IntervalTimer.h"

#include "framework/core/tasks/TClock.h"

IntervalTimer::IntervalTimer(const TClock& clock, uint32_t period)
    : mStart(clock.GetTime()), mPeriod(period), mClock(&clock) {}

uint32_t IntervalTimer::Now() const {
    return mClock->GetTime();
}

uint32_t IntervalTimer::Elapsed() const {
    return Now() - mStart;
}

void IntervalTimer::Reset() {
    mWrapped = 0;
    if (mPaused) {
        mFraction = 0.0f;
        mPausedAt = Now();
    }
    mStart = Now();
}

bool IntervalTimer::TakeWrapped() {
    const bool wrapped = mWrapped != 0;
    mWrapped = 0;
    return wrapped;
}

float IntervalTimer::GetCycleFraction() {
    if (mPaused)
        return mFraction;
    const uint32_t elapsed = Elapsed();
    // A period of 0 is over as soon as it begins.
    if (mPeriod == 0) {
        mWrapped = 1;
        mFraction = 1.0f;
        mStart = Now();
        return mFraction;
    }
    const float fraction = static_cast<float>(elapsed) / static_cast<float>(mPeriod);
    if (elapsed / mPeriod >= 1) {
        mWrapped = 1;
        mFraction = fraction - 1.0f;
        mStart = Now();
    } else {
        mFraction = fraction;
    }
    return mFraction;
}

void IntervalTimer::StartAlarm() {
    mAlarmRunning = 1;
    mStart = Now();
}

void IntervalTimer::StopAlarm() {
    mAlarmRunning = 0;
}

bool IntervalTimer::AlarmDue() {
    if (!mAlarmRunning)
        return false;
    if (mPeriod != 0 && Elapsed() / mPeriod < 1)
        return false;
    mAlarmRunning = 0;
    return true;
}

void IntervalTimer::SetPeriod(uint32_t period) {
    mPeriod = period;
}

void IntervalTimer::SetPaused(bool paused) {
    if ((mPaused != 0) == paused)
        return;
    if (paused) {
        mPausedAt = Now();
    } else {
        mStart += Now() - mPausedAt;
    }
    mPaused = paused ? 1 : 0;
}

void IntervalTimer::StartOnce(uint32_t period) {
    mPeriod = period;
    mDone = 0;
    mStart = Now();
}

float IntervalTimer::GetFraction() {
    if (mPaused || mDone)
        return mFraction;
    mFraction = mPeriod == 0 ? 1.0f : static_cast<float>(Elapsed()) / static_cast<float>(mPeriod);
    if (mFraction > 0.999f) {
        mDone = 1;
        mFraction = 1.0f;
    }
    return mFraction;
}
