#include "game/levels/lvCorvaloClassic.h"

#include "game/support/LevelFixture.h"

#include <gtest/gtest.h>

namespace {

using leveltest::LevelTest;

// The data set's board: 3 columns, 4 play rows; row 1 is slots 3-5, the
// top row slots 12-14. Kinds: 1 star, 2 diamond, 3 shamrock, 4 heart,
// 5 sun, 9 wild, 10 bomb, 11 sidewinder, 12 showtime, 13 freeze.
class ClassicTest : public LevelTest {
protected:
    lvCorvaloClassic* Classic() const { return dynamic_cast<lvCorvaloClassic*>(Level()); }

    // A quick Classic level, its opening show over, with a known board and
    // goal counter.
    void OpenWith(const std::vector<int>& board, int quota, const char* style = "quick") {
        Open("Classic", style, "easy");
        ASSERT_NE(nullptr, Classic());
        ASSERT_TRUE(WaitForInput());
        FixBoard(board);
        user->quota = quota;
        Frame();
    }
    // Frames until the level has ended; false when it does not in time.
    bool PlayToEnd(int limit = 3000) {
        for (int i = 0; i < limit && !Level()->IsEnded(); ++i)
            Frame();
        return Level()->IsEnded();
    }
    int KindCount(int kind) const { return static_cast<int>(SlotsOfKind(kind).size()); }
};

TEST_F(ClassicTest, RowPeriodPastTheTable) {
    struct Case {
        int timeBar;
        float factor;
        int infinite;
        bool past;
        int floor;
        int period;
    } const cases[] = {
        {10000, 0.9f, 2, true, 1000, 8100},   // 10000 x 0.81
        {10000, 0.9f, 2, false, 1000, 10000}, // inside the table: no factor
        {10000, 0.9f, 0, true, 1000, 10000},
        {10000, 0.9f, 30, true, 4000, 4000}, // never below the floor
        {8000, 0.95f, 1, true, 0, 7600},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.period,
                  lvCorvaloClassic::RowPeriod(c.timeBar, c.factor, c.infinite, c.past, c.floor))
            << c.timeBar << " x " << c.factor << "^" << c.infinite;
}

TEST_F(ClassicTest, OpeningDealsTheRecordsRowsAndOpensInputWhenTheShowEnds) {
    Open("Classic", "quick", "easy");
    ASSERT_NE(nullptr, Classic());
    // initRows 2 of a 3-column board: rows 1 and 2.
    EXPECT_EQ(6, TileCount());
    for (int slot = 3; slot < 9; ++slot)
        EXPECT_NE(0, Slots().kind[slot]) << slot;
    EXPECT_FALSE(Level()->IsInputEnabled());
    EXPECT_TRUE(WaitForInput());
    EXPECT_TRUE(screen->log.Has("SetPlayInfo 1 0 0 quick"));
    EXPECT_TRUE(screen->log.Has("ResetAchievementPanels"));
    EXPECT_EQ(1, fakes.progress.ints["UserClassic"]);
    EXPECT_EQ(&user->GetLevelState()->GetActors(), screen->board->GetBoard());
    // Start runs once.
    Level()->Start();
    EXPECT_EQ(6, TileCount());
}

TEST_F(ClassicTest, WinByGoal) {
    OpenWith({1, 1, 4, 4, 5, 5}, 2);
    Play({{3, 50}, {4, 2000}});
    EXPECT_EQ(lvCorvaloLevel::kWon, Level()->GetOutcome());
    EXPECT_EQ(0, user->quota);
    EXPECT_EQ(1, fakes.sounds.Count("popup_finish"));
    ASSERT_TRUE(PlayToEnd());
    const CallLog& log = screen->log;
    const int completed = log.Find("ShowTilesCompleted");
    const int celebration = log.Find("StartCelebration");
    const int card = log.Find("ShowScoreCard");
    ASSERT_GE(completed, 0);
    EXPECT_GT(celebration, completed);
    EXPECT_GT(card, celebration);
    EXPECT_TRUE(log.Has("SetAvatarVisible 0"));
    EXPECT_EQ(2, user->modeBestCombo[1][0]);
    EXPECT_EQ(3, user->lives);
    // The score card's total is what the bottom panel shows.
    EXPECT_TRUE(log.Has("SetTotalScore " + std::to_string(screen->bottom->score)));
}

TEST_F(ClassicTest, RowOverflowLosesALife) {
    OpenWith({1, 2, 3}, 10);
    const int pushes = fakes.sounds.Count("gameplay_newrow");
    ASSERT_TRUE(PlayToEnd(5000));
    EXPECT_EQ(lvCorvaloLevel::kLost, Level()->GetOutcome());
    EXPECT_EQ(2, user->lives);
    // Rows 2, 3 and 4 came in before the row timer ran out with the top row
    // occupied.
    EXPECT_EQ(3, fakes.sounds.Count("gameplay_newrow") - pushes);
    EXPECT_TRUE(screen->log.Has("SetBoardWarning 1"));
    EXPECT_EQ(1, fakes.scripts.Count("ShowLoseLife(2)"));
    EXPECT_FALSE(screen->log.Has("ShowScoreCard"));
}

TEST_F(ClassicTest, ChainOfThreeThenAMiss) {
    OpenWith({1, 1, 1, 2, 3, 1}, 10);
    Play({{3, 50}, {4, 50}, {5, 50}, {6, 4000}});
    // The miss turns back alone; the three are scored as a chain of 3.
    EXPECT_EQ((10 / 2 + 30) * 2, user->levelScore);
    EXPECT_EQ(1, KindCount(1));
    EXPECT_EQ(1, KindCount(2));
    EXPECT_EQ(1, screen->log.Count("ShowCombo 3"));
    EXPECT_EQ(7, user->quota);
}

TEST_F(ClassicTest, TwoClicksInOneFrameAreBothClassified) {
    OpenWith({1, 1, 2, 3, 4, 5}, 10);
    Click(3);
    Click(4);
    Frames(200);
    EXPECT_EQ(20, user->levelScore);
    EXPECT_EQ(0, KindCount(1));
}

TEST_F(ClassicTest, WildBridgesTwoTiles) {
    OpenWith({1, 9, 1, 2, 3, 4}, 10);
    Play({{3, 50}, {4, 50}, {5, 3000}});
    EXPECT_EQ(((1 * 20) / 2 + 50) * 2, user->levelScore);
    EXPECT_EQ(0, KindCount(1));
    EXPECT_EQ(0, KindCount(9));
    EXPECT_EQ(1, screen->log.Count("ShowChainedCombo 3"));
}

TEST_F(ClassicTest, TwoWildsGoBackAndScoreNothing) {
    OpenWith({9, 9, 1, 1, 2, 3}, 10);
    Play({{3, 50}, {4, 1000}});
    EXPECT_EQ(0, user->levelScore);
    EXPECT_EQ(2, KindCount(9));
    EXPECT_TRUE(WaitForInput());
}

TEST_F(ClassicTest, BombClearsItsKind) {
    OpenWith({1, 10, 2, 1, 2, 3, 1}, 10, "quest");
    ASSERT_EQ(3, KindCount(1));
    Play({{3, 50}, {4, 4000}});
    EXPECT_EQ(0, KindCount(1));
    EXPECT_EQ(0, KindCount(10));
    EXPECT_GT(user->levelScore, 0);
    EXPECT_EQ(1, user->bomb);
    EXPECT_TRUE(WaitForInput());
}

TEST_F(ClassicTest, SidewinderClearsAndScores) {
    OpenWith({11, 1, 2, 3, 4, 5, 1, 2, 3}, 10, "quest");
    const int before = TileCount();
    Play({{3, 4000}});
    EXPECT_LT(TileCount(), before);
    EXPECT_GT(user->levelScore, 0);
    EXPECT_EQ(1, user->sidewinder);
    EXPECT_TRUE(WaitForInput());
}

TEST_F(ClassicTest, ShowtimeRunsForItsTime) {
    OpenWith({12, 1, 2, 3, 4, 5}, 10, "quest");
    Click(3);
    Frames(3);
    EXPECT_TRUE(Level()->IsShowtimeRunning());
    EXPECT_EQ(1, user->showtime);
    Frames(gGameTuning.time.showtime / 16 + 200);
    EXPECT_FALSE(Level()->IsShowtimeRunning());
    EXPECT_TRUE(WaitForInput());
}

TEST_F(ClassicTest, FreezeHoldsTheRowTimer) {
    OpenWith({13, 1, 2, 3, 4, 5}, 10, "quest");
    Click(3);
    Frames(3);
    EXPECT_TRUE(screen->log.Has("StartFreeze"));
    EXPECT_EQ(0, KindCount(13));
    EXPECT_EQ(1, user->freeze);
    const int pushes = fakes.sounds.Count("gameplay_newrow");
    // The row period (8000 ms) passes without a new row.
    Frames(7900 / 16);
    EXPECT_EQ(pushes, fakes.sounds.Count("gameplay_newrow"));
    EXPECT_FALSE(screen->log.Has("EndFreeze"));
    Frames(200);
    EXPECT_TRUE(screen->log.Has("EndFreeze"));
}

TEST_F(ClassicTest, ClearedBoardBringsThreeRowsAndItsBonusOnce) {
    OpenWith({1, 1}, 10, "quest");
    Play({{3, 50}, {4, 2000}});
    EXPECT_EQ(1, screen->log.Count("ShowGridClear"));
    EXPECT_EQ(20 + gGameTuning.score.clearedAllTiles, user->levelScore);
    EXPECT_EQ(1, fakes.sounds.Count("fanfarria_short"));
    EXPECT_EQ(9, TileCount());
    EXPECT_EQ(1, user->screen1);
    EXPECT_EQ(1, user->screen5);
    EXPECT_TRUE(WaitForInput());
}

TEST_F(ClassicTest, SpaceBarPushesARowOnlyWhileTheTopRowIsFree) {
    OpenWith({1, 2, 3}, 10);
    ASSERT_TRUE(Classic()->IsNewRowAllowed());
    const int pushes = fakes.sounds.Count("gameplay_newrow");
    Classic()->OnKeyDown(' ', 0);
    EXPECT_EQ(pushes + 1, fakes.sounds.Count("gameplay_newrow"));
    EXPECT_EQ(6, TileCount());
    // During the settle nothing more.
    Classic()->OnKeyDown(' ', 0);
    EXPECT_EQ(pushes + 1, fakes.sounds.Count("gameplay_newrow"));
    // With the top row occupied, nothing.
    FixBoard({1, 2, 3, 4, 5, 1, 2, 3, 4, 5, 1, 2});
    Frames(100);
    EXPECT_FALSE(Classic()->IsNewRowAllowed());
    Classic()->OnKeyDown(' ', 0);
    EXPECT_EQ(pushes + 1, fakes.sounds.Count("gameplay_newrow"));
}

TEST_F(ClassicTest, PauseOpensTheDialogOnlyWhenTheHostHasNot) {
    OpenWith({1, 2, 3}, 10);
    game->SetPaused(true);
    EXPECT_EQ(1, fakes.scripts.Count("DoModal('scripts/pause.lua')"));
    EXPECT_TRUE(Level()->IsPaused());
    game->SetPaused(false);
    fakes.states.values["pause"] = "1";
    game->SetPaused(true);
    EXPECT_EQ(1, fakes.scripts.Count("DoModal('scripts/pause.lua')"));
}

} // namespace
