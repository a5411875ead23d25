#include "game/levels/lvCorvaloBlitz.h"

#include "game/timers/CountdownTimer.h"

#include "game/support/LevelFixture.h"

#include <gtest/gtest.h>

namespace {

using leveltest::LevelTest;

// The data set's board is 3 columns by 4 play rows (slots 3-14); the easy
// countdown is 60 s and the time bonuses 2, 3 and 5 s.
class BlitzTest : public LevelTest {
protected:
    lvCorvaloBlitz* Blitz() const { return dynamic_cast<lvCorvaloBlitz*>(Level()); }
    int Remaining() const { return Blitz()->GetCountdown()->GetRemaining(); }

    void OpenWith(const std::vector<int>& board, int quota) {
        Open("Blitz", "quick", "easy");
        ASSERT_NE(nullptr, Blitz());
        ASSERT_TRUE(WaitForInput());
        FixBoard(board);
        user->quota = quota;
        Frame();
    }
    bool PlayToEnd(int limit = 6000) {
        for (int i = 0; i < limit && !Level()->IsEnded(); ++i)
            Frame();
        return Level()->IsEnded();
    }
    // Lets the countdown run down to about `ms` left.
    void RunDownTo(int ms) {
        while (Remaining() > ms)
            Frame();
    }
    static std::vector<int> FourStars() { return {1, 1, 1, 1, 2, 3, 2, 3, 2, 3, 2, 3}; }
};

TEST_F(BlitzTest, DealsAFullBoardAndStartsTheCountdownAfterTheOpening) {
    Open("Blitz", "quick", "easy");
    ASSERT_NE(nullptr, Blitz());
    EXPECT_EQ(12, TileCount());
    EXPECT_FALSE(Blitz()->IsCountdownStarted());
    Frames(10);
    EXPECT_EQ(60000, Remaining());
    ASSERT_TRUE(WaitForInput());
    EXPECT_TRUE(Blitz()->IsCountdownStarted());
    Frames(62);
    EXPECT_NEAR(59000, Remaining(), 40);
    EXPECT_EQ(Remaining(), screen->bottom->clock);
    EXPECT_TRUE(screen->log.Has("ShowClock 1"));
    EXPECT_EQ(1, fakes.progress.ints["UserBlitz"]);
}

TEST_F(BlitzTest, RefillsEveryGapAtOnce) {
    OpenWith({1, 1, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3}, 10);
    Play({{3, 50}, {4, 2500}});
    EXPECT_EQ(20, user->levelScore);
    EXPECT_EQ(12, TileCount());
    EXPECT_EQ(8, user->quota);
    EXPECT_TRUE(WaitForInput());
}

TEST_F(BlitzTest, GoalReachedEarlyWinsAtTimeUp) {
    OpenWith({1, 1, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3}, 2);
    Play({{3, 50}, {4, 2500}});
    EXPECT_EQ(0, user->quota);
    EXPECT_EQ(lvCorvaloLevel::kPlaying, Level()->GetOutcome());
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(lvCorvaloLevel::kWon, Level()->GetOutcome());
    EXPECT_EQ(3, user->lives);
    EXPECT_TRUE(screen->log.Has("ShowScoreCard"));
    EXPECT_EQ(1, fakes.sounds.Count("popup_finish"));
    EXPECT_EQ(2, user->modeBestCombo[3][0]);
}

TEST_F(BlitzTest, GoalMissedAtTimeUpLoses) {
    OpenWith({1, 2, 3, 4, 5, 1, 2, 3, 4, 5, 1, 2}, 10);
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(lvCorvaloLevel::kLost, Level()->GetOutcome());
    EXPECT_EQ(2, user->lives);
    EXPECT_EQ(1, fakes.scripts.Count("ShowLoseLife(2)"));
    EXPECT_FALSE(screen->log.Has("ShowScoreCard"));
}

TEST_F(BlitzTest, TimeBonusOfAGroupIsCutAtTheCap) {
    // A group of 4 gives 2 s: in full with 40 s left, cut to what is left
    // below the 60 s cap with 59 s left; the text shows the full bonus.
    struct Case {
        int runDownTo;
        bool cut;
    } const cases[] = {{59000, true}, {40000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.runDownTo);
        OpenWith(FourStars(), 20);
        RunDownTo(c.runDownTo);
        Play({{3, 20}, {4, 20}, {5, 20}, {6, 0}});
        int before = Remaining();
        for (int i = 0; i < 400 && user->levelScore == 0; ++i) {
            before = Remaining();
            Frame();
        }
        ASSERT_EQ(120, user->levelScore);
        if (c.cut)
            EXPECT_NEAR(Blitz()->GetCap(), Remaining(), 20);
        else
            EXPECT_NEAR(before + 2000 - 16, Remaining(), 20);
        EXPECT_LE(Remaining(), Blitz()->GetCap());
        EXPECT_EQ(1, screen->log.Count("ShowFloatingText + 2 sec"));
        EXPECT_EQ(1, screen->log.Count("ShowCombo 4"));
        game->SetLevel(nullptr);
        screen->log.calls.clear();
        user->levelScore = 0;
    }
}

TEST_F(BlitzTest, APairPendingAtTimeUpThatMeetsTheGoalWins) {
    OpenWith({1, 1, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3}, 2);
    RunDownTo(300);
    Click(3);
    Frames(2);
    Click(4);
    Frames(30);
    // The time is up with the pair still waiting.
    EXPECT_EQ(0, Remaining());
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(lvCorvaloLevel::kWon, Level()->GetOutcome());
    EXPECT_EQ(20, user->levelScore);
    EXPECT_EQ(3, user->lives);
}

TEST_F(BlitzTest, FreezeHoldsTheCountdown) {
    OpenWith({13, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2}, 10);
    Click(3);
    Frames(3);
    EXPECT_TRUE(screen->log.Has("StartFreeze"));
    const int held = Remaining();
    Frames(4000 / 16);
    EXPECT_EQ(held, Remaining());
    Frames(5000 / 16);
    EXPECT_TRUE(screen->log.Has("EndFreeze"));
    EXPECT_LT(Remaining(), held);
    EXPECT_EQ(12, TileCount());
}

TEST_F(BlitzTest, ShowtimeRefillsFaceUp) {
    OpenWith({12, 1, 1, 2, 3, 2, 3, 2, 3, 2, 3, 2}, 10);
    Click(3);
    Frames(2);
    ASSERT_TRUE(Level()->IsShowtimeRunning());
    // A pair scored while showtime runs: its gaps are dealt face up.
    for (int i = 0; i < 400 && !Level()->IsInputEnabled(); ++i)
        Frame();
    const std::vector<int> stars = SlotsOfKind(1);
    ASSERT_EQ(2u, stars.size());
    Click(stars[0]);
    Frames(2);
    Click(stars[1]);
    bool faceUp = false;
    for (int i = 0; i < 300 && !faceUp; ++i) {
        Frame();
        for (int slot = 3; slot < Slots().Size(); ++slot)
            faceUp = faceUp || Slots().state[slot] == kTileStateFaint;
    }
    EXPECT_TRUE(faceUp);
}

} // namespace
