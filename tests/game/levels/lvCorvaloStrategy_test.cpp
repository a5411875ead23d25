#include "game/levels/lvCorvaloStrategy.h"

#include "game/support/LevelFixture.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using leveltest::LevelTest;

// The data set's board: 3 columns, 4 play rows; row 0 (slots 0-2) is the
// entry row, row 1 slots 3-5, the top row slots 12-14. Kinds: 1 star,
// 2 diamond, 3 shamrock, 4 heart, 5 sun, 9 wild, 10 bomb, 11 sidewinder,
// 12 showtime, 13 freeze. The first easy record fills 2 rows and pushes a
// row every 3 misses.
class StrategyTest : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        mPreviousMaker = gmCorvalo::SetLevelMaker([this](int, gmCorvalo& g) -> vlkGameLevel* {
            if (record)
                user->GetLevelState()->strategy = &*record;
            return new lvCorvaloStrategy(g);
        });
    }
    void TearDown() override {
        gmCorvalo::SetLevelMaker(std::move(mPreviousMaker));
        LevelTest::TearDown();
    }

    lvCorvaloStrategy* Strategy() const { return dynamic_cast<lvCorvaloStrategy*>(Level()); }

    // A record like the data set's first, changed by the test; a miss
    // shows for 1500 ms.
    TStrategyLevelRecord& Record() {
        record = *GetStrategyLevel(0);
        record->task = 0;
        record->timeTile = 1500;
        return *record;
    }

    // A Strategy level with its opening show over, a known board (rows in
    // use as the record says) and goal counter.
    void OpenWith(const std::vector<int>& board, int quota, const char* style = "quick") {
        if (!record)
            Record();
        Open("Strategy", style, "easy");
        ASSERT_NE(nullptr, Strategy());
        ASSERT_TRUE(WaitForInput());
        FixBoard(board);
        if (Strategy()->GetTask() == 0)
            user->quota = quota;
        Frame();
    }
    bool PlayToEnd(int limit = 3000) {
        for (int i = 0; i < limit && !Level()->IsEnded(); ++i)
            Frame();
        return Level()->IsEnded();
    }
    int KindCount(int kind) const { return static_cast<int>(SlotsOfKind(kind).size()); }
    // A miss: two tiles of different kinds, shown until they turn back.
    void Miss(int a, int b) { Play({{a, 50}, {b, 1800}}); }

    std::optional<TStrategyLevelRecord> record;
    gmCorvalo::LevelMaker mPreviousMaker;
};

TEST_F(StrategyTest, OpeningFillsTheRecordsRowsUpToTheBoard) {
    struct Case {
        int initRows;
        int rows;
    } const cases[] = {{2, 2}, {4, 4}, {9, 4}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.initRows);
        Record().initRows = c.initRows;
        Open("Strategy", "quick", "easy");
        ASSERT_NE(nullptr, Strategy());
        EXPECT_EQ(c.rows, Strategy()->GetRowsInUse());
        EXPECT_EQ(c.rows * 3, TileCount());
        for (int slot = 3; slot < 3 + c.rows * 3; ++slot)
            EXPECT_NE(0, Slots().kind[slot]) << slot;
        EXPECT_TRUE(WaitForInput());
        game->SetLevel(nullptr);
    }
    EXPECT_TRUE(screen->log.Has("SetupStrategy"));
    EXPECT_TRUE(screen->log.Has("SetPlayInfo 2 0 0 quick"));
    EXPECT_TRUE(screen->log.Has("ShowClock 0")) << "the time bar, not the clock";
    EXPECT_TRUE(screen->log.Has("ShowNewRowButton 0")) << "rows come by themselves";
    EXPECT_EQ(1, fakes.progress.ints["UserStrategy"]);
}

TEST_F(StrategyTest, AnErrorRowOfZeroIsLoggedAndPlayedAsOne) {
    Record().errorRow = 0;
    OpenWith({1, 2, 3, 4, 5, 1}, 10);
    EXPECT_TRUE(LogHas("\"errorRow\" 0 is below 1"));
    EXPECT_EQ(1, Strategy()->GetErrorRow());
    Frames(10);
    EXPECT_EQ(2, Strategy()->GetRowsInUse());
}

TEST_F(StrategyTest, WinByGoalAddsTheGoldenTiles) {
    OpenWith({1, 1, 4, 4, 5, 5}, 2);
    Play({{3, 50}, {4, 2000}});
    EXPECT_EQ(lvCorvaloLevel::kWon, Level()->GetOutcome());
    EXPECT_EQ(0, user->quota);
    EXPECT_EQ(1, fakes.sounds.Count("popup_finish"));
    ASSERT_TRUE(PlayToEnd());
    const CallLog& log = screen->log;
    const int completed = log.Find("ShowTilesCompleted");
    ASSERT_GE(completed, 0);
    EXPECT_GT(log.Find("StartCelebration"), completed);
    EXPECT_GT(log.Find("ShowScoreCard"), log.Find("StartCelebration"));
    EXPECT_GT(Level()->GetQueue()->GetGoldenCount(), 0u);
    EXPECT_EQ(20 + 100 * static_cast<int>(Level()->GetQueue()->GetGoldenCount()), user->levelScore);
    EXPECT_EQ(3, user->lives);
    EXPECT_EQ(2, user->modeBestCombo[2][0]);
}

TEST_F(StrategyTest, AScoredGroupIsRefilledThenRevealedByItsLength) {
    struct Case {
        std::vector<int> board;
        std::vector<int> clicks;
        int score;
        uint32_t reveal;
    } const cases[] = {
        {{1, 1, 4, 4, 5, 2}, {3, 4}, 20, BoardActionQueue::kNone},
        {{1, 1, 1, 4, 5, 2}, {3, 4, 5}, (10 / 2 + 30) * 2, BoardActionQueue::kRevealAlternate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clicks.size());
        OpenWith(c.board, 20);
        for (int slot : c.clicks)
            Play({{slot, 50}});
        uint32_t seen = BoardActionQueue::kNone;
        for (int i = 0; i < 300; ++i) {
            seen = std::max(seen, Level()->GetQueue()->GetCurrent());
            Frame();
        }
        EXPECT_EQ(c.score, user->levelScore);
        EXPECT_EQ(6, TileCount()) << "rows 1 and 2 are full again";
        EXPECT_EQ(c.reveal, seen);
        EXPECT_EQ(20 - static_cast<int>(c.clicks.size()), user->quota);
        EXPECT_TRUE(WaitForInput());
        game->SetLevel(nullptr);
        user->levelScore = 0;
    }
}

TEST_F(StrategyTest, MissesPushANewRowAndTheTurnMovesWithIt) {
    // Errors before the miss, rows in use: pushed (rows in use + 1) or lost.
    struct Case {
        int initRows;
        int errors; // misses played before the one under test
        bool pushed;
        bool lost;
    } const cases[] = {
        {2, 0, false, false},
        {2, 1, true, false},
        {3, 1, true, false},
        {4, 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.initRows << " rows, " << c.errors << " errors");
        // A row every two misses (a third miss in a row would ask for a hint
        // and end the turn).
        Record().initRows = c.initRows;
        record->errorRow = 2;
        std::vector<int> board;
        for (int i = 0; i < c.initRows * 3; ++i)
            board.push_back(1 + i % 5);
        OpenWith(board, 20);
        for (int i = 0; i < c.errors; ++i)
            Miss(3, 4);
        ASSERT_EQ(c.errors, Strategy()->GetErrorCount());
        const int pushes = fakes.sounds.Count("gameplay_newrow");
        const int kind3 = Slots().kind[3];
        const int kind4 = Slots().kind[4];
        Click(3);
        Frame();
        Click(4);
        Frames(2);
        EXPECT_EQ(c.pushed ? 1 : 0, fakes.sounds.Count("gameplay_newrow") - pushes);
        if (c.pushed) {
            EXPECT_EQ(c.initRows + 1, Strategy()->GetRowsInUse());
            EXPECT_EQ(0, Strategy()->GetErrorCount());
            // The turn and its tiles moved up one row.
            EXPECT_EQ((std::vector<int>{6, 7}), Level()->GetTurn());
            EXPECT_EQ(kind3, Slots().kind[6]);
            EXPECT_EQ(kind4, Slots().kind[7]);
            EXPECT_EQ((c.initRows + 1) * 3, TileCount());
            EXPECT_EQ(0, Slots().kind[0]);
            Frame();
            EXPECT_EQ(BoardActionQueue::kRevealFirstRow, Level()->GetQueue()->GetCurrent());
        }
        if (c.lost) {
            EXPECT_EQ(lvCorvaloLevel::kLost, Level()->GetOutcome());
            EXPECT_EQ(c.initRows * 3, TileCount()) << "no row is drawn past the top";
            EXPECT_TRUE(screen->log.Has("SetBoardWarning 1"));
            ASSERT_TRUE(PlayToEnd());
            EXPECT_EQ(2, user->lives);
            EXPECT_EQ(1, fakes.scripts.Count("ShowLoseLife(2)"));
            EXPECT_FALSE(screen->log.Has("ShowScoreCard"));
        } else {
            EXPECT_EQ(lvCorvaloLevel::kPlaying, Level()->GetOutcome());
            // The miss turns back; nothing is scored.
            Frames(1800 / 16);
            EXPECT_EQ(0, user->levelScore);
            EXPECT_TRUE(WaitForInput());
        }
        game->SetLevel(nullptr);
        user->lives = 3;
    }
}

TEST_F(StrategyTest, ANewRowUnderShowtimeComesFaceUp) {
    Record().errorRow = 1;
    OpenWith({12, 1, 2, 3, 4, 5}, 20);
    Click(3);
    Frames(3);
    ASSERT_TRUE(Level()->IsShowtimeRunning());
    ASSERT_TRUE(WaitForInput());
    // The showtime tile is gone and its gap filled.
    ASSERT_EQ(0, KindCount(12));
    const std::vector<int> stars = SlotsOfKind(1);
    const std::vector<int> hearts = SlotsOfKind(4);
    ASSERT_FALSE(stars.empty());
    ASSERT_FALSE(hearts.empty());
    const int pushes = fakes.sounds.Count("gameplay_newrow");
    Click(stars[0]);
    Frame();
    Click(hearts[0]);
    Frames(2);
    ASSERT_EQ(pushes + 1, fakes.sounds.Count("gameplay_newrow"));
    EXPECT_NE(BoardActionQueue::kRevealFirstRow, Level()->GetQueue()->GetCurrent());
    Frames(3);
    for (int slot = 3; slot < 6; ++slot) {
        if (Slots().kind[slot] >= 1 && Slots().kind[slot] <= 8) {
            EXPECT_EQ(kTileStateFaint, Slots().state[slot]) << slot;
        }
    }
    EXPECT_TRUE(WaitForInput());
}

TEST_F(StrategyTest, FreezeTakesNoTurnAndItsGapIsFilled) {
    OpenWith({13, 1, 2, 1, 3, 4}, 20, "quest");
    Click(3);
    Frames(3);
    EXPECT_TRUE(screen->log.Has("StartFreeze"));
    EXPECT_EQ(1, user->freeze);
    EXPECT_TRUE(Level()->GetTurn().empty());
    ASSERT_TRUE(WaitForInput());
    EXPECT_EQ(6, TileCount());
    // A pair after the freeze matches and scores.
    const std::vector<int> stars = SlotsOfKind(1);
    ASSERT_EQ(2u, stars.size());
    Play({{stars[0], 50}, {stars[1], 2000}});
    EXPECT_EQ(20, user->levelScore);
    Frames(gGameTuning.time.freeze / 16 + 20);
    EXPECT_TRUE(screen->log.Has("EndFreeze"));
    EXPECT_TRUE(WaitForInput());
}

// Quest tasks, each met by a bomb or not: the bomb (slot 4) takes the stars.
TEST_F(StrategyTest, QuestTasksAndTheBomb) {
    struct Case {
        int task;
        int goal;
        const char* tile1;
        const char* tile2;
        bool won;
        int goalLeft;
    } const cases[] = {
        {1, 5, "star", "", false, 2}, // three stars taken by the bomb
        {1, 3, "star", "", true, 0},
        {1, 3, "heart", "", false, 3}, // the bombed kind is not the task's
        {2, 3, "star", "", true, 0},   // three stars on the board
        {2, 4, "star", "", false, 4},
        {2, 3, "", "", true, 0},           // any kind
        {3, 2, "star", "heart", false, 2}, // bombs never meet task 3
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "task " << c.task << " goal " << c.goal << " " << c.tile1);
        TStrategyLevelRecord& r = Record();
        r.task = c.task;
        r.goalTask = c.goal;
        r.tile1 = TString(c.tile1);
        r.tile2 = TString(c.tile2);
        OpenWith({1, 10, 2, 1, 4, 1}, 0, "quest");
        ASSERT_EQ(c.goal, user->quota);
        Play({{3, 50}, {4, 4000}});
        EXPECT_EQ(0, KindCount(10));
        EXPECT_EQ(1, user->bomb);
        EXPECT_EQ(c.won ? lvCorvaloLevel::kWon : lvCorvaloLevel::kPlaying, Level()->GetOutcome());
        EXPECT_EQ(c.goalLeft, user->quota);
        if (c.won) {
            EXPECT_TRUE(PlayToEnd());
        } else {
            EXPECT_TRUE(WaitForInput());
        }
        game->SetLevel(nullptr);
        user->bomb = 0;
    }
}

// Quest tasks met by turns.
TEST_F(StrategyTest, QuestTasksByTurns) {
    struct Case {
        int task;
        int goal;
        const char* tile1;
        const char* tile2;
        std::vector<int> board;
        std::vector<int> clicks;
        bool won;
    } const cases[] = {
        {1, 2, "star", "", {1, 1, 4, 4, 5, 2}, {3, 4}, true},
        {1, 2, "heart", "", {1, 1, 4, 4, 5, 2}, {3, 4}, false},
        {2, 3, "", "", {1, 1, 1, 4, 5, 2}, {3, 4, 5}, true},
        {2, 3, "", "", {1, 1, 4, 4, 5, 2}, {3, 4}, false},
        {3, 3, "star", "heart", {1, 9, 4, 1, 5, 2}, {3, 4, 5}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "task " << c.task << " goal " << c.goal);
        TStrategyLevelRecord& r = Record();
        r.task = c.task;
        r.goalTask = c.goal;
        r.tile1 = TString(c.tile1);
        r.tile2 = TString(c.tile2);
        OpenWith(c.board, 0, "quest");
        for (int slot : c.clicks)
            Play({{slot, 50}});
        Frames(200);
        EXPECT_EQ(c.won ? lvCorvaloLevel::kWon : lvCorvaloLevel::kPlaying, Level()->GetOutcome());
        if (c.won) {
            EXPECT_TRUE(PlayToEnd());
        }
        game->SetLevel(nullptr);
    }
}

// Wild, ordinary, wild: the second wild shows its wild mark and waits its
// own time, then the three score together.
TEST_F(StrategyTest, AWildAfterAWildAndAnOrdinaryTileShowsItsMarkAndScores) {
    OpenWith({9, 1, 9, 2, 3, 4}, 20);
    Play({{3, 50}, {4, 50}, {5, 0}});
    Frame();
    ASSERT_EQ(3u, Level()->GetTurn().size());
    EXPECT_EQ(kCmdWildMark, Slots().command[5]);
    EXPECT_EQ(0, user->levelScore) << "the turn waits for its wild";
    for (int i = 0; i < 300 && !Level()->GetTurn().empty(); ++i)
        Frame();
    EXPECT_TRUE(Level()->GetTurn().empty());
    EXPECT_GT(user->levelScore, 0);
    EXPECT_EQ(17, user->quota) << "all three were taken";
    EXPECT_TRUE(WaitForInput());
}

TEST_F(StrategyTest, ThreeMissesInARowAskForAHint) {
    Record().errorRow = 9;
    OpenWith({1, 2, 3, 1, 2, 3}, 20);
    Miss(3, 4);
    Miss(3, 4);
    Click(3);
    Frame();
    Click(4);
    bool hinted = false;
    for (int i = 0; i < 20 && !hinted; ++i) {
        hinted = Level()->GetQueue()->GetCurrent() == BoardActionQueue::kHint;
        Frame();
    }
    EXPECT_TRUE(hinted);
    EXPECT_TRUE(Level()->GetTurn().empty());
    EXPECT_TRUE(WaitForInput());
}

} // namespace
