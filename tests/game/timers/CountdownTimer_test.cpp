#include "game/timers/CountdownTimer.h"

#include "framework/core/tasks/TClock.h"

#include <gtest/gtest.h>

namespace {

class CountdownTimerTest : public ::testing::Test {
protected:
    // Moves the hand clock and updates the countdown; the remaining time.
    int32_t At(uint32_t t) {
        mClock.SetTime(t);
        mTimer.Update();
        return mTimer.GetRemaining();
    }
    TClock mClock;
    CountdownTimer mTimer{mClock, 60000};
};

TEST_F(CountdownTimerTest, BeforeStart_TheWholeDuration) {
    EXPECT_EQ(At(5000), 60000);
    EXPECT_FALSE(mTimer.IsRunning());
    EXPECT_TRUE(mTimer.IsPaused());
    mTimer.SetPaused(false);
    EXPECT_EQ(At(9000), 60000) << "only Start runs it";
}

TEST_F(CountdownTimerTest, Runs_ThenExpiresOnce) {
    mClock.SetTime(1000);
    mTimer.Start();
    EXPECT_EQ(At(11000), 50000);
    EXPECT_EQ(At(60999), 1);
    EXPECT_EQ(At(61000), 0);
    EXPECT_TRUE(mTimer.IsExpired());
    EXPECT_TRUE(mTimer.IsPaused());
    // Nothing revives it.
    mTimer.AddTime(10000);
    mTimer.SetPaused(false);
    EXPECT_EQ(At(62000), 0);
    EXPECT_TRUE(mTimer.IsPaused());
}

TEST_F(CountdownTimerTest, PauseAndAddTime_MoveTheEnd) {
    const struct {
        const char* what;
        uint32_t pauseAt, resumeAt; // 0: no pause
        int32_t added;
        bool addWhilePaused;
        uint32_t expiresAt;
    } cases[] = {{"plain", 0, 0, 0, false, 60000},
                 {"5 s pause", 20000, 25000, 0, false, 65000},
                 {"added time", 0, 0, 3000, false, 63000},
                 {"added while paused", 20000, 25000, 3000, true, 68000}};
    for (const auto& c : cases) {
        TClock clock;
        CountdownTimer timer(clock, 60000);
        timer.Start();
        if (c.pauseAt) {
            clock.SetTime(c.pauseAt);
            timer.Update();
            timer.SetPaused(true);
            if (c.addWhilePaused)
                timer.AddTime(c.added);
            clock.SetTime(c.resumeAt);
            timer.Update();
            EXPECT_EQ(timer.GetRemaining(), 60000 - static_cast<int32_t>(c.pauseAt)) << c.what;
            timer.SetPaused(false);
        }
        if (!c.addWhilePaused && c.added)
            timer.AddTime(c.added);
        clock.SetTime(c.expiresAt - 1);
        timer.Update();
        EXPECT_EQ(timer.GetRemaining(), 1) << c.what;
        clock.SetTime(c.expiresAt);
        timer.Update();
        EXPECT_TRUE(timer.IsExpired()) << c.what;
    }
}

} // namespace
