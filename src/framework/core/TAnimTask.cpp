#include "framework/core/TAnimTask.h"

#include "framework/core/TClock.h"
#include "platform/time/TimeSource.h"

TAnimTask::TAnimTask(TClock* clock) : mClock(clock) {
    mDueTime = GetTime();
}

uint32_t TAnimTask::GetTime() const {
    return mClock ? mClock->GetTime() : platform::TimerNow();
}

bool TAnimTask::IsReady(int pass) {
    if (pass == 1) {
        return mSignalled;
    }
    if (IsSuspended()) {
        return false;
    }
    return static_cast<int32_t>(GetTime() - mDueTime) >= 0;
}

bool TAnimTask::Run() {
    uint32_t now = GetTime();
    if (static_cast<int32_t>(now - mDueTime) > kMaxLateMs) {
        mDueTime = GetTime();
    }
    bool result = false;
    do {
        mDueTime = mFromNow ? now + mInterval : mDueTime + mInterval;
        result = Step();
        // Step may have suspended or rescheduled the task; a suspended task
        // is not stepped again.
    } while (result && mCatchUp && !IsSuspended() && static_cast<int32_t>(mDueTime - now) < 0);
    return result;
}

void TAnimTask::Delay(uint32_t delay, bool repeat, bool fromNow, bool catchUp) {
    mFromNow = fromNow;
    mCatchUp = catchUp;
    if (!fromNow && !IsSuspended()) {
        mDueTime += delay;
    } else {
        mDueTime = GetTime() + delay;
    }
    mInterval = repeat ? delay : 0;
}

uint32_t TAnimTask::TimeSinceDue() const {
    if (IsSuspended()) {
        return kSuspended;
    }
    return GetTime() - mDueTime;
}

void TAnimTask::Suspend() {
    mDueTime = kSuspended;
    mSignalled = false;
}

void TAnimTask::SetClock(TClock* clock) {
    bool suspended = IsSuspended();
    uint32_t sinceDue = GetTime() - mDueTime;
    mClock = clock;
    if (!suspended) {
        // due = now - (now_old - due_old): the same distance from the present
        // on the new clock, before or after it.
        mDueTime = GetTime() - sinceDue;
    }
}
