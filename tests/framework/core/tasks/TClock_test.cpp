#include "framework/core/tasks/TClock.h"

#include "platform/time/manual/ManualTimeSource.h"

#include <gtest/gtest.h>

namespace {

class ClockTest : public ::testing::Test {
protected:
    platform::ManualTimeSource mTimer{70000};
    platform::ScopedTimeSource mScope{mTimer};
};

} // namespace

TEST_F(ClockTest, New_IsPausedAtZero) {
    TClock clock;
    EXPECT_TRUE(clock.IsPaused());
    EXPECT_FALSE(clock.IsStarted());
    mTimer.Advance(1234);
    EXPECT_EQ(clock.GetTime(), 0u);
}

TEST_F(ClockTest, FirstStart_RunsFromZero) {
    TClock clock;
    mTimer.Advance(500);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 0u);
    mTimer.Advance(250);
    EXPECT_EQ(clock.GetTime(), 250u);
    clock.Start(); // running: nothing changes
    EXPECT_EQ(clock.GetTime(), 250u);
}

TEST_F(ClockTest, PausedAndStartedLater_GoesOnFromHeldTime) {
    TClock clock;
    clock.Start();
    mTimer.Advance(500);
    EXPECT_FALSE(clock.Pause());
    EXPECT_TRUE(clock.Pause());
    mTimer.Advance(2000);
    EXPECT_EQ(clock.GetTime(), 500u);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 500u);
    mTimer.Advance(40);
    EXPECT_EQ(clock.GetTime(), 540u);
    // A second pause adds to the first.
    clock.Pause();
    mTimer.Advance(999);
    clock.Start();
    mTimer.Advance(10);
    EXPECT_EQ(clock.GetTime(), 550u);
}

TEST_F(ClockTest, Reset_ReadsZeroUntilStarted) {
    TClock clock;
    clock.Start();
    mTimer.Advance(800);
    clock.Reset();
    EXPECT_TRUE(clock.IsPaused());
    EXPECT_EQ(clock.GetTime(), 0u);
    mTimer.Advance(300);
    EXPECT_EQ(clock.GetTime(), 0u);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 0u);
    mTimer.Advance(30);
    EXPECT_EQ(clock.GetTime(), 30u);
}

TEST_F(ClockTest, SetTime_KeepsPausedState) {
    TClock running;
    running.Start();
    running.SetTime(9000);
    EXPECT_EQ(running.GetTime(), 9000u);
    mTimer.Advance(5);
    EXPECT_EQ(running.GetTime(), 9005u);

    TClock paused;
    paused.SetTime(9000);
    mTimer.Advance(5);
    EXPECT_TRUE(paused.IsPaused());
    EXPECT_EQ(paused.GetTime(), 9000u);
    // Its first start still begins at 0.
    paused.Start();
    EXPECT_EQ(paused.GetTime(), 0u);
}

TEST_F(ClockTest, PlatformTimerWrap_DoesNotDisturbClock) {
    mTimer.Set(0xFFFFFF00u);
    TClock clock;
    clock.Start();
    mTimer.Advance(0x200);
    EXPECT_EQ(clock.GetTime(), 0x200u);
    clock.Pause();
    mTimer.Advance(0x7000);
    clock.Start();
    mTimer.Advance(1);
    EXPECT_EQ(clock.GetTime(), 0x201u);
}
