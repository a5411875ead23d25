#include "framework/core/tasks/TAnimTask.h"

#include "framework/core/tasks/TClock.h"
#include "framework/core/tasks/TTaskList.h"
#include "platform/time/manual/ManualTimeSource.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Counts its steps; the step's result and side effects can be set.
class CountingTask : public TAnimTask {
public:
    explicit CountingTask(TClock* clock = nullptr, bool* deleted = nullptr)
        : TAnimTask(clock), mDeleted(deleted) {}
    ~CountingTask() override {
        if (mDeleted) {
            *mDeleted = true;
        }
    }
    bool Step() override {
        ++mSteps;
        if (mOnStep) {
            mOnStep();
        }
        return mResult;
    }

    int mSteps = 0;
    bool mResult = true;
    std::function<void()> mOnStep;
    bool* mDeleted;
};

class AnimTaskTest : public ::testing::Test {
protected:
    platform::ManualTimeSource mTimer{10000};
    platform::ScopedTimeSource mScope{mTimer};
};

} // namespace

TEST_F(AnimTaskTest, New_IsDueAtOnceOnIdlePassOnly) {
    CountingTask task;
    EXPECT_EQ(task.GetDueTime(), 10000u);
    EXPECT_TRUE(task.IsReady(0));
    EXPECT_FALSE(task.IsReady(1));
    task.SetSignal(true);
    EXPECT_TRUE(task.IsReady(1));
    EXPECT_EQ(task.TimeSinceDue(), 0u);
}

TEST_F(AnimTaskTest, Delay_WaitsUntilDue) {
    CountingTask task;
    task.Delay(100);
    mTimer.Advance(50);
    EXPECT_FALSE(task.IsReady(0));
    EXPECT_EQ(static_cast<int32_t>(task.TimeSinceDue()), -50);
    mTimer.Advance(49);
    EXPECT_FALSE(task.IsReady(0));
    mTimer.Advance(1);
    EXPECT_TRUE(task.IsReady(0));
    EXPECT_EQ(task.GetInterval(), 0u);
}

TEST_F(AnimTaskTest, Delay_CountsFromDueTimeOrFromNow) {
    struct Case {
        const char* description;
        bool fromNow;
        bool suspendFirst;
        uint32_t expectedDue;
    } cases[] = {
        {"from the previous due time", false, false, 10000 + 100},
        {"from now", true, false, 10050 + 100},
        {"suspended: from now", false, true, 10050 + 100},
    };
    for (const Case& c : cases) {
        mTimer.Set(10000);
        CountingTask task;
        if (c.suspendFirst) {
            task.Suspend();
        }
        mTimer.Advance(50);
        task.Delay(100, true, c.fromNow);
        EXPECT_EQ(task.GetDueTime(), c.expectedDue) << c.description;
        EXPECT_EQ(task.GetInterval(), 100u) << c.description;
    }
}

TEST_F(AnimTaskTest, Suspend_WaitsForSignalOnly) {
    CountingTask task;
    task.SetSignal(true);
    task.Suspend();
    EXPECT_TRUE(task.IsSuspended());
    EXPECT_EQ(task.TimeSinceDue(), 0xFFFFFFFFu);
    EXPECT_FALSE(task.IsSignalled());
    EXPECT_FALSE(task.IsReady(1));
    mTimer.Advance(1000000);
    EXPECT_FALSE(task.IsReady(0));
    task.SetSignal(true);
    EXPECT_TRUE(task.IsReady(1));
}

// Steps taken and the due time after one run of a task repeating every 100
// ms, whose due time was at 10000, when the clock has moved on by lag.
TEST_F(AnimTaskTest, Run_RepeatsCatchesUpAndDropsLongLags) {
    struct Case {
        const char* description;
        uint32_t lag;
        bool fromNow;
        bool catchUp;
        int steps;
        uint32_t due;
    } cases[] = {
        {"on time", 0, false, false, 1, 10100},
        {"300 late, no catch-up", 300, false, false, 1, 10100},
        {"300 late, catch-up", 300, false, true, 3, 10300},
        {"250 late, catch-up", 250, false, true, 3, 10300},
        {"300 late, from now", 300, true, false, 1, 10400},
        {"1000 late is still made up", 1000, false, true, 10, 11000},
        {"1001 late starts over", 1001, false, true, 1, 11101},
        {"5 s jump", 5000, false, false, 1, 15100},
        {"5 s jump, catch-up", 5000, false, true, 1, 15100},
    };
    for (const Case& c : cases) {
        mTimer.Set(9900);
        CountingTask task;
        task.Delay(100, true, c.fromNow, c.catchUp);
        ASSERT_EQ(task.GetDueTime(), 10000u);
        mTimer.Set(10000 + c.lag);
        ASSERT_TRUE(task.IsReady(0)) << c.description;
        EXPECT_TRUE(task.Run()) << c.description;
        EXPECT_EQ(task.mSteps, c.steps) << c.description;
        EXPECT_EQ(task.GetDueTime(), c.due) << c.description;
    }
}

TEST_F(AnimTaskTest, CatchUp_StopsWhenStepSuspends) {
    CountingTask task;
    task.Delay(100, true, false, true);
    task.mOnStep = [&] { task.Suspend(); };
    mTimer.Advance(900);
    EXPECT_TRUE(task.Run());
    EXPECT_EQ(task.mSteps, 1);
    EXPECT_TRUE(task.IsSuspended());
}

TEST_F(AnimTaskTest, TimerWrap_ComparesBySignedDifference) {
    mTimer.Set(0xFFFFFFB0u);
    CountingTask task;
    task.Delay(0x20, true, false, true);
    EXPECT_EQ(task.GetDueTime(), 0xFFFFFFD0u);
    mTimer.Set(0xFFFFFFCFu);
    EXPECT_FALSE(task.IsReady(0));
    mTimer.Set(0x30); // 0x60 late, across the wrap
    EXPECT_TRUE(task.IsReady(0));
    task.Run();
    // Catch-up across the wrap: due 0xFFFFFFF0, 0x10, then 0x30 (now).
    EXPECT_EQ(task.mSteps, 3);
    EXPECT_EQ(task.GetDueTime(), 0x30u);
    // Waiting across the wrap: due 0x10 seen from 0xFFFFFFF0.
    mTimer.Set(0xFFFFFFF0u);
    CountingTask waiting;
    waiting.Delay(0x20);
    EXPECT_FALSE(waiting.IsReady(0));
    EXPECT_EQ(static_cast<int32_t>(waiting.TimeSinceDue()), -0x20);
}

TEST_F(AnimTaskTest, StepFalse_EndsAndDeletesThroughList) {
    bool deleted = false;
    TTaskList list;
    auto* task = new CountingTask(nullptr, &deleted);
    task->mResult = false;
    list.AddTask(task);
    mTimer.Advance(1);
    list.RunAll(0);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(AnimTaskTest, List_RunsTaskWhenDueOnHandMovedTimer) {
    TTaskList list;
    auto* task = new CountingTask();
    task->Delay(40, true, false, false);
    list.AddTask(task);
    for (int i = 0; i < 10; ++i) {
        list.RunAll(0);
        mTimer.Advance(10);
    }
    // Due at 40, 80: ten passes 10 ms apart cover 0..90.
    EXPECT_EQ(task->mSteps, 2);
}

TEST_F(AnimTaskTest, OwnClock_FollowsPauses) {
    TClock clock;
    clock.Start();
    CountingTask task(&clock);
    task.Delay(100);
    mTimer.Advance(60);
    clock.Pause();
    mTimer.Advance(5000);
    EXPECT_FALSE(task.IsReady(0));
    clock.Start();
    mTimer.Advance(40);
    EXPECT_TRUE(task.IsReady(0));
}

// A change of clock keeps the time left until the task is due, or the time
// it is overdue; a suspended task stays suspended.
TEST_F(AnimTaskTest, SetClock_KeepsTimeLeftAndTimeOverdue) {
    struct Case {
        const char* description;
        int32_t sinceDue; // negative: waiting
    } cases[] = {
        {"waiting 300", -300},
        {"due now", 0},
        {"overdue 50", 50},
        {"waiting 1", -1},
    };
    for (const Case& c : cases) {
        mTimer.Set(10000);
        CountingTask task;
        task.Delay(500);
        mTimer.Set(10500 + c.sinceDue);
        ASSERT_EQ(static_cast<int32_t>(task.TimeSinceDue()), c.sinceDue) << c.description;

        TClock clock;
        clock.Start();
        clock.SetTime(77777);
        task.SetClock(&clock);
        EXPECT_EQ(task.GetClock(), &clock);
        EXPECT_EQ(static_cast<int32_t>(task.TimeSinceDue()), c.sinceDue) << c.description;
        EXPECT_EQ(task.IsReady(0), c.sinceDue >= 0) << c.description;
        if (c.sinceDue < 0) {
            mTimer.Advance(-c.sinceDue);
            EXPECT_TRUE(task.IsReady(0)) << c.description;
        }
        // And back to the platform timer.
        int32_t before = static_cast<int32_t>(task.TimeSinceDue());
        task.SetClock(nullptr);
        EXPECT_EQ(static_cast<int32_t>(task.TimeSinceDue()), before) << c.description;
    }

    CountingTask suspended;
    suspended.Suspend();
    TClock clock;
    suspended.SetClock(&clock);
    EXPECT_TRUE(suspended.IsSuspended());
}

// Catch-up repeats a step only while the due time moves on: a task with no
// interval would otherwise step for ever once it is late.
TEST_F(AnimTaskTest, CatchUpWithoutInterval_StepsOnceUnlessStepReschedules) {
    struct Case {
        const char* description;
        uint32_t delayInStep; // 0: the step does not reschedule
        int steps;
        uint32_t due;
    } cases[] = {
        {"no interval, no reschedule", 0, 1, 10000},
        {"step delays by 20", 20, 3, 10060},
    };
    for (const Case& c : cases) {
        mTimer.Set(10000);
        CountingTask task;
        task.Delay(0, false, false, true);
        task.mOnStep = [&] {
            if (c.delayInStep) {
                task.Delay(c.delayInStep, false, false, true);
            }
            // A safety stop, so a task that never catches up fails the
            // test instead of hanging it.
            if (task.mSteps >= 100) {
                task.Suspend();
            }
        };
        mTimer.Set(10050);
        ASSERT_TRUE(task.IsReady(0)) << c.description;
        EXPECT_TRUE(task.Run()) << c.description;
        EXPECT_EQ(task.mSteps, c.steps) << c.description;
        EXPECT_EQ(task.GetDueTime(), c.due) << c.description;
    }
}

// A suspended task run on its signal in a drawn frame comes back counting
// from now, whatever the timer reads (early, middle or past half its range).
TEST_F(AnimTaskTest, SignalledRunOfSuspendedTask_ReschedulesFromNow) {
    struct Case {
        uint32_t now;
        bool fromNow;
    } cases[] = {
        {500, false},         {500, true},         {5000, false},
        {0x90000000u, false}, {0x90000000u, true}, {0xFFFFFF00u, false},
    };
    for (const Case& c : cases) {
        mTimer.Set(c.now);
        CountingTask task;
        task.Delay(40, true, c.fromNow, false);
        task.Suspend();
        task.SetSignal(true);
        ASSERT_TRUE(task.IsReady(1));
        EXPECT_TRUE(task.Run());
        EXPECT_EQ(task.mSteps, 1);
        EXPECT_FALSE(task.IsSuspended()) << c.now;
        EXPECT_EQ(task.GetDueTime(), c.now + 40) << c.now;
        EXPECT_EQ(static_cast<int32_t>(task.TimeSinceDue()), -40) << c.now;
    }
}

// The one time that means "suspended" is never taken as a due time: a task
// that falls due there as the timer wraps runs a millisecond later.
TEST_F(AnimTaskTest, DueAtSuspendedValue_IsMovedPastIt) {
    mTimer.Set(0xFFFFFF9Bu);
    CountingTask delayed;
    delayed.Delay(100);
    EXPECT_FALSE(delayed.IsSuspended());
    EXPECT_EQ(delayed.GetDueTime(), 0u);

    mTimer.Set(0xFFFFFFFFu);
    CountingTask fresh;
    EXPECT_FALSE(fresh.IsSuspended());
    EXPECT_FALSE(fresh.IsReady(0));
    mTimer.Set(0);
    EXPECT_TRUE(fresh.IsReady(0));

    // A task repeating every 16 ms whose next turn lands on the value.
    mTimer.Set(0xFFFFFFEFu);
    CountingTask repeating;
    repeating.Delay(16, true);
    EXPECT_EQ(repeating.GetDueTime(), 0u);
    mTimer.Set(0xFFFFFFDFu);
    CountingTask crossing;
    crossing.Delay(16, true);
    mTimer.Set(0xFFFFFFEFu);
    ASSERT_TRUE(crossing.IsReady(0));
    EXPECT_TRUE(crossing.Run());
    EXPECT_FALSE(crossing.IsSuspended());
    EXPECT_EQ(crossing.GetDueTime(), 0u);
    mTimer.Set(0);
    EXPECT_TRUE(crossing.IsReady(0));

    // Moving to a clock where the same distance lands on the value.
    TClock clock;
    clock.Start();
    clock.SetTime(0xFFFFFFFFu);
    mTimer.Set(1000);
    CountingTask moved;
    moved.SetClock(&clock);
    EXPECT_FALSE(moved.IsSuspended());
}

// How long the event pump may sleep before the task is ready: it agrees
// with IsReady(0) at every step, and a task that nothing will make ready by
// itself (suspended, or waiting on a paused clock) tells no time.
TEST_F(AnimTaskTest, MsUntilReady_AgreesWithIsReadyAndPausedClocksTellNoTime) {
    CountingTask task;
    EXPECT_EQ(task.MsUntilReady(), 0u) << "a new task is due at once";
    task.Delay(30, false, true);
    EXPECT_EQ(task.MsUntilReady(), 30u);
    mTimer.Advance(29);
    EXPECT_EQ(task.MsUntilReady(), 1u);
    EXPECT_FALSE(task.IsReady(0));
    mTimer.Advance(1);
    EXPECT_EQ(task.MsUntilReady(), 0u);
    EXPECT_TRUE(task.IsReady(0));
    mTimer.Advance(500);
    EXPECT_EQ(task.MsUntilReady(), 0u) << "an overdue task is due now";
    task.Suspend();
    EXPECT_EQ(task.MsUntilReady(), TTask::kNotDue);

    TClock clock;
    clock.Start();
    CountingTask onClock(&clock);
    onClock.Delay(100, false, true);
    mTimer.Advance(60);
    EXPECT_EQ(onClock.MsUntilReady(), 40u);
    clock.Pause();
    mTimer.Advance(5000);
    EXPECT_EQ(onClock.MsUntilReady(), TTask::kNotDue) << "a paused clock does not move on";
    clock.Start();
    EXPECT_EQ(onClock.MsUntilReady(), 40u);
    mTimer.Advance(40);
    clock.Pause();
    EXPECT_EQ(onClock.MsUntilReady(), 0u) << "due before the pause: ready now";
    EXPECT_TRUE(onClock.IsReady(0));
}

TEST_F(AnimTaskTest, MsUntilReady_AcrossTheTimerWrap) {
    mTimer.Set(0xFFFFFFF0u);
    CountingTask task;
    task.Delay(40, false, true);
    EXPECT_EQ(task.MsUntilReady(), 40u);
    mTimer.Advance(30);
    EXPECT_EQ(task.MsUntilReady(), 10u);
    mTimer.Advance(10);
    EXPECT_EQ(task.MsUntilReady(), 0u);
}
