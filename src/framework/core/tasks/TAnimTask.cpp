#include "framework/core/tasks/TAnimTask.h"

#include "framework/core/tasks/FrameworkTime.h"
#include "framework/core/tasks/TClock.h"

namespace {

// The due time for t. The one time that means "suspended" is moved on by a
// millisecond, so a task that falls due there as the timer wraps still runs.
uint32_t DueAt(uint32_t t) {
    return t == TAnimTask::kSuspended ? t + 1 : t;
}

} // namespace

TAnimTask::TAnimTask(TClock* clock) : mClock(clock) {
    mDueTime = DueAt(GetTime());
}

uint32_t TAnimTask::GetTime() const {
    return mClock ? mClock->GetTime() : GetFrameworkTime();
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

uint32_t TAnimTask::MsUntilReady() const {
    if (IsSuspended()) {
        return kNotDue;
    }
    int32_t late = static_cast<int32_t>(GetTime() - mDueTime);
    if (late >= 0) {
        return 0;
    }
    // A paused clock does not move on by itself.
    if (mClock && mClock->IsPaused()) {
        return kNotDue;
    }
    return static_cast<uint32_t>(-static_cast<int64_t>(late));
}

bool TAnimTask::Run() {
    uint32_t now = GetTime();
    // A suspended task that runs on its signal counts on from now, whatever
    // the timer reads; a late one is not made up beyond a second.
    if (IsSuspended() || static_cast<int32_t>(now - mDueTime) > kMaxLateMs) {
        mDueTime = DueAt(GetTime());
    }
    bool result = false;
    bool advanced = false;
    do {
        uint32_t previous = mDueTime;
        mDueTime = DueAt(mFromNow ? now + mInterval : mDueTime + mInterval);
        result = Step();
        // Step may have suspended or rescheduled the task; a suspended task
        // is not stepped again, and neither is one whose due time stood
        // still (no interval), which could never catch up.
        advanced = static_cast<int32_t>(mDueTime - previous) > 0;
    } while (result && mCatchUp && advanced && !IsSuspended() &&
             static_cast<int32_t>(mDueTime - now) < 0);
    return result;
}

void TAnimTask::Delay(uint32_t delay, bool repeat, bool fromNow, bool catchUp) {
    mFromNow = fromNow;
    mCatchUp = catchUp;
    if (!fromNow && !IsSuspended()) {
        mDueTime = DueAt(mDueTime + delay);
    } else {
        mDueTime = DueAt(GetTime() + delay);
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
        mDueTime = DueAt(GetTime() - sinceDue);
    }
}
