#pragma once

#include "framework/core/tasks/TTask.h"

#include <cstdint>

class TClock;

// A timed task: ready when its due time on its clock has come, optionally
// repeating at an interval. Script threads and window animations derive from
// it and put their work in Step. Without a clock it runs on the platform
// timer. Times are compared by signed 32-bit differences, so they may wrap.
class TAnimTask : public TTask {
public:
    static constexpr uint32_t kSuspended = 0xFFFFFFFFu;
    // Runs later than this are not made up: the due time restarts from now.
    static constexpr int32_t kMaxLateMs = 1000;

    // Due at once on the given clock (not owned; null = the framework time,
    // the application's timer while it lives).
    explicit TAnimTask(TClock* clock = nullptr);

    // Pass 1: the signal. Otherwise: due and not suspended.
    bool IsReady(int pass) override;
    // The time left until the due time; kNotDue while suspended, or while
    // waiting on a paused clock.
    uint32_t MsUntilReady() const override;
    // Steps once, or until the due time is past the present with catch-up.
    // A suspended task run on its signal is rescheduled from now.
    bool Run() override;
    // The task's own work; false ends the task.
    virtual bool Step() = 0;

    // Next due time: the previous due time + delay, or now + delay when
    // fromNow is set or the task is suspended. With repeat the task recurs
    // every delay ms; fromNow counts each repeat from the run, catchUp steps
    // again for every interval missed.
    void Delay(uint32_t delay, bool repeat = false, bool fromNow = false, bool catchUp = false);
    // now - due time (a wrapped negative while waiting); kSuspended when
    // suspended.
    uint32_t TimeSinceDue() const;
    void Suspend();
    bool IsSuspended() const { return mDueTime == kSuspended; }
    void SetSignal(bool signalled) { mSignalled = signalled; }
    bool IsSignalled() const { return mSignalled; }
    // The time on the task's clock.
    uint32_t GetTime() const;
    // Moves the task to another clock, keeping the time left until it is due
    // (or the time it is overdue).
    void SetClock(TClock* clock);
    TClock* GetClock() const { return mClock; }
    uint32_t GetDueTime() const { return mDueTime; }
    uint32_t GetInterval() const { return mInterval; }

private:
    bool mSignalled = false;
    uint32_t mDueTime = 0;
    uint32_t mInterval = 0;
    bool mFromNow = false;
    bool mCatchUp = false;
    TClock* mClock = nullptr;
};
