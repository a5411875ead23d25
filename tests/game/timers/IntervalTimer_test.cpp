#include "game/timers/IntervalTimer.h"

#include "framework/core/tasks/TClock.h"

#include <gtest/gtest.h>

namespace {

// A hand clock: held paused, moved with SetTime.
class IntervalTimerTest : public ::testing::Test {
protected:
    void At(uint32_t t) { mClock.SetTime(t); }
    TClock mClock;
};

TEST_F(IntervalTimerTest, CycleFraction_WrapsAtTheReadAfterEachPeriod) {
    At(1000);
    IntervalTimer timer(mClock, 200);
    const struct {
        uint32_t now;
        float fraction;
        bool wrapped;
    } reads[] = {{1000, 0.0f, false},
                 {1050, 0.25f, false},
                 {1199, 0.995f, false},
                 // 1.5 periods after start: 0.5, and the next cycle starts at this read.
                 {1300, 0.5f, true},
                 {1400, 0.5f, false},
                 {1500, 0.0f, true},
                 // 2.5 periods after the last start: the overshoot is not folded.
                 {2000, 1.5f, true}};
    for (const auto& r : reads) {
        At(r.now);
        EXPECT_FLOAT_EQ(timer.GetCycleFraction(), r.fraction) << r.now;
        EXPECT_EQ(timer.TakeWrapped(), r.wrapped) << r.now;
        EXPECT_FALSE(timer.TakeWrapped()) << "taking clears the flag";
    }
    EXPECT_FLOAT_EQ(timer.Progress(), 0.0f);
}

TEST_F(IntervalTimerTest, Alarm_DueOncePerStart) {
    IntervalTimer timer(mClock, 300);
    EXPECT_FALSE(timer.AlarmDue()) << "not armed";
    At(100);
    timer.StartAlarm();
    At(399);
    EXPECT_FALSE(timer.AlarmDue());
    At(400);
    EXPECT_TRUE(timer.AlarmDue());
    EXPECT_FALSE(timer.AlarmDue());
    At(5000);
    EXPECT_FALSE(timer.AlarmDue());
    timer.Start();
    At(5300);
    EXPECT_TRUE(timer.HasRun());
    timer.Start();
    timer.Stop();
    At(9000);
    EXPECT_FALSE(timer.HasRun());
}

TEST_F(IntervalTimerTest, Pause_DelaysAlarmAndHoldsFractions) {
    IntervalTimer timer(mClock, 1000);
    timer.StartAlarm();
    timer.StartOnce(1000);
    At(400);
    EXPECT_FLOAT_EQ(timer.GetFraction(), 0.4f);
    timer.SetPaused(true);
    timer.SetPaused(true); // the same state changes nothing
    At(700);
    EXPECT_FLOAT_EQ(timer.GetFraction(), 0.4f) << "held while paused";
    EXPECT_FLOAT_EQ(timer.GetCycleFraction(), 0.4f) << "both uses answer the one stored fraction";
    EXPECT_FALSE(timer.AlarmDue());
    timer.SetPaused(false);
    At(1299);
    EXPECT_FALSE(timer.AlarmDue()) << "300 ms of pause delay the alarm";
    At(1300);
    EXPECT_TRUE(timer.AlarmDue());
}

TEST_F(IntervalTimerTest, OneShot_ReachesExactlyOneAndStays) {
    IntervalTimer timer(mClock, 0);
    timer.StartOnce(500);
    EXPECT_FALSE(timer.IsDone());
    At(250);
    EXPECT_FLOAT_EQ(timer.GetFraction(), 0.5f);
    At(5000);
    EXPECT_EQ(timer.GetFraction(), 1.0f);
    EXPECT_TRUE(timer.IsDone());
    At(9000);
    EXPECT_EQ(timer.GetFraction(), 1.0f);
    timer.StartOnce(100);
    EXPECT_FALSE(timer.IsDone());
    EXPECT_FLOAT_EQ(timer.GetFraction(), 0.0f);
    EXPECT_EQ(timer.GetPeriod(), 100u);
}

TEST_F(IntervalTimerTest, Reset_WhilePausedClearsTheFraction) {
    IntervalTimer timer(mClock, 100);
    At(50);
    EXPECT_FLOAT_EQ(timer.GetCycleFraction(), 0.5f);
    At(120);
    timer.GetCycleFraction();
    timer.SetPaused(true);
    timer.Restart();
    EXPECT_FALSE(timer.TakeRanOut());
    EXPECT_FLOAT_EQ(timer.GetCycleFraction(), 0.0f);
    At(170);
    timer.SetPaused(false);
    At(220);
    EXPECT_FLOAT_EQ(timer.GetCycleFraction(), 0.5f) << "started over at the reset";
}

// A period of 0 has run at once, whatever the use.
TEST_F(IntervalTimerTest, PeriodZero_HasRunAtOnce) {
    At(10);
    IntervalTimer timer(mClock, 0);
    EXPECT_EQ(timer.GetCycleFraction(), 1.0f);
    EXPECT_TRUE(timer.TakeWrapped());
    timer.StartAlarm();
    EXPECT_TRUE(timer.AlarmDue());
    EXPECT_FALSE(timer.AlarmDue());
    timer.StartOnce(0);
    EXPECT_EQ(timer.GetFraction(), 1.0f);
    EXPECT_TRUE(timer.IsDone());
    timer.SetPeriod(0);
    EXPECT_EQ(timer.Progress(), 1.0f);
}

TEST_F(IntervalTimerTest, ElapsedTimeWrapsAt32Bits) {
    At(0xFFFFFF00u);
    IntervalTimer timer(mClock, 0x200);
    At(0x00000000u);
    EXPECT_FLOAT_EQ(timer.GetCycleFraction(), 0.5f);
}

} // namespace
