#include "game/levels/lvCorvaloRome.h"

#include "game/timers/CountdownTimer.h"

#include "game/support/LevelFixture.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using leveltest::LevelTest;

// The data set's board: 3 columns, 4 play rows (slots 3-14). The easy
// record marks six slots and deals stars, hearts and suns; the medium one
// marks six more and adds bombs. Here the countdowns are 20 s and the time
// bonuses 2, 4 and 6 s; a miss shows for 1500 ms.
class RomeTest : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        gGameTuning.rome.timer = {20, 20, 20};
        mPreviousMaker = gmCorvalo::SetLevelMaker([this](int, gmCorvalo& g) -> vlkGameLevel* {
            record = *user->GetLevelState()->rome;
            record->timeTile = 1500;
            user->GetLevelState()->rome = &*record;
            return new lvCorvaloRome(g);
        });
    }
    void TearDown() override {
        gmCorvalo::SetLevelMaker(std::move(mPreviousMaker));
        LevelTest::TearDown();
    }

    lvCorvaloRome* Rome() const { return dynamic_cast<lvCorvaloRome*>(Level()); }
    int Remaining() const { return Rome()->GetCountdown()->GetRemaining(); }
    bool Marked(int slot) const { return Rome()->GetMarks()[static_cast<size_t>(slot)] != 0; }
    std::vector<int> MarkedSlots() const {
        std::vector<int> found;
        for (int slot = 3; slot < 15; ++slot)
            if (Marked(slot))
                found.push_back(slot);
        return found;
    }

    void OpenLevel(const char* difficulty = "easy") {
        Open("Rome", "quick", difficulty);
        ASSERT_NE(nullptr, Rome());
        ASSERT_TRUE(WaitForInput());
    }
    // The board by slot (3-14): marked slots take `onMarks` in turn (0 when
    // they run out), the others `elsewhere` in turn.
    void FixByMarks(std::vector<int> onMarks, std::vector<int> elsewhere) {
        std::vector<int> board;
        size_t m = 0, e = 0;
        for (int slot = 3; slot < 15; ++slot) {
            if (Marked(slot))
                board.push_back(m < onMarks.size() ? onMarks[m++] : 0);
            else
                board.push_back(e < elsewhere.size() ? elsewhere[e++] : 0);
        }
        FixBoard(board);
        Frame();
    }
    bool PlayToEnd(int limit = 3000) {
        for (int i = 0; i < limit && !Level()->IsEnded(); ++i)
            Frame();
        return Level()->IsEnded();
    }
    void RunDownTo(int ms) {
        while (Remaining() > ms)
            Frame();
    }

    std::optional<TRomeLevelRecord> record;
    gmCorvalo::LevelMaker mPreviousMaker;
};

TEST_F(RomeTest, OpeningDealsAFullBoardWithPlainTilesOnTheMarks) {
    for (const char* difficulty : {"easy", "medium"}) {
        SCOPED_TRACE(difficulty);
        for (uint32_t seed : {1u, 7u, 99u}) {
            ScopedGameRandom random(seed);
            Open("Rome", "quick", difficulty);
            ASSERT_NE(nullptr, Rome());
            EXPECT_EQ(12, TileCount());
            EXPECT_EQ(6, static_cast<int>(MarkedSlots().size()));
            EXPECT_EQ(6, user->quota);
            for (int slot : MarkedSlots())
                EXPECT_LE(Slots().kind[slot], 8) << "a bonus tile on mark " << slot;
            EXPECT_FALSE(Rome()->IsCountdownStarted());
            Frames(5);
            EXPECT_EQ(20000, Remaining());
            ASSERT_TRUE(WaitForInput());
            EXPECT_TRUE(Rome()->IsCountdownStarted());
            game->SetLevel(nullptr);
        }
    }
    EXPECT_TRUE(screen->log.Has("SetupRome"));
    EXPECT_TRUE(screen->log.Has("ShowClock 1"));
    EXPECT_EQ(3, fakes.progress.ints["UserRome"]);
}

TEST_F(RomeTest, TheLastMarkWinsAtOnce) {
    OpenLevel();
    // Two marks left, a pair on them; tiles remain elsewhere.
    FixByMarks({1, 1}, {2, 3, 4, 2, 3, 4});
    EXPECT_EQ(2, user->quota);
    const std::vector<int> marked = {MarkedSlots()[0], MarkedSlots()[1]};
    Play({{marked[0], 50}, {marked[1], 0}});
    for (int i = 0; i < 200 && Level()->GetOutcome() == lvCorvaloLevel::kPlaying; ++i)
        Frame();
    EXPECT_EQ(lvCorvaloLevel::kWon, Level()->GetOutcome());
    EXPECT_GT(Remaining(), 15000);
    EXPECT_EQ(0, user->quota);
    EXPECT_EQ(1, fakes.sounds.Count("popup_finish"));
    ASSERT_TRUE(PlayToEnd());
    EXPECT_TRUE(screen->log.Has("ShowScoreCard"));
    EXPECT_EQ(3, user->lives);
    // The countdown held from the win on.
    const int held = Remaining();
    Frames(30);
    EXPECT_EQ(held, Remaining());
}

TEST_F(RomeTest, TimeUpWithMarksLeftLoses) {
    OpenLevel();
    ASSERT_TRUE(PlayToEnd(2000));
    EXPECT_EQ(lvCorvaloLevel::kLost, Level()->GetOutcome());
    EXPECT_EQ(0, Remaining());
    EXPECT_EQ(2, user->lives);
    EXPECT_EQ(1, fakes.scripts.Count("ShowLoseLife(2)"));
    EXPECT_FALSE(screen->log.Has("ShowScoreCard"));
}

// A pair clicked just before time up is still decided: it wins when it
// takes the last marks, else the level is lost.
TEST_F(RomeTest, APairPendingAtTimeUpIsDecidedOnceItResolves) {
    for (bool lastMarks : {true, false}) {
        SCOPED_TRACE(lastMarks);
        OpenLevel();
        if (lastMarks)
            FixByMarks({1, 1}, {2, 3, 4, 2, 3, 4});
        else
            FixByMarks({1, 1, 4}, {2, 3, 2, 3, 5, 5});
        const std::vector<int> marked = MarkedSlots();
        RunDownTo(300);
        Click(marked[0]);
        Frames(2);
        Click(marked[1]);
        Frames(30);
        ASSERT_EQ(0, Remaining());
        ASSERT_TRUE(PlayToEnd());
        EXPECT_EQ(lastMarks ? lvCorvaloLevel::kWon : lvCorvaloLevel::kLost, Level()->GetOutcome());
        EXPECT_EQ(20, user->levelScore);
        EXPECT_EQ(lastMarks ? 3 : 2, user->lives);
        game->SetLevel(nullptr);
        user->lives = 3;
        user->levelScore = 0;
    }
}

TEST_F(RomeTest, LongGroupsGiveTimeBackUpToTheStart) {
    // 10 tiles with about 5 s left of 60 s and a third bonus of 60 s: back to
    // 60 s; 3 tiles: nothing.
    gGameTuning.rome.timer = {60, 60, 60};
    gGameTuning.rome.combos = {2, 4, 60};
    struct Case {
        int tiles;
        const char* text;
    } const cases[] = {{10, "ShowFloatingText + 60 sec"}, {3, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tiles);
        OpenLevel();
        std::vector<int> board(12, 2);
        for (int i = 0; i < c.tiles; ++i)
            board[static_cast<size_t>(i)] = 1;
        board[11] = 3;
        FixBoard(board);
        RunDownTo(5000);
        for (int i = 0; i < c.tiles; ++i)
            Play({{3 + i, 20}});
        int before = Remaining();
        for (int i = 0; i < 400 && user->levelScore == 0; ++i) {
            before = Remaining();
            Frame();
        }
        ASSERT_GT(user->levelScore, 0);
        if (c.text) {
            EXPECT_NEAR(60000, Remaining(), 20);
            EXPECT_EQ(1, screen->log.Count(c.text));
        } else {
            EXPECT_NEAR(before - 16, Remaining(), 20);
            EXPECT_EQ(0, screen->log.CountPrefix("ShowFloatingText"));
        }
        game->SetLevel(nullptr);
        screen->log.calls.clear();
        user->levelScore = 0;
    }
}

// Marks go with the tiles that a turn scores, that a bomb takes (its kind
// and the turn) and that a sidewinder takes (its row and column).
TEST_F(RomeTest, MarksClearWithTheTilesTaken) {
    OpenLevel("medium");
    const std::vector<int> marked = MarkedSlots();
    ASSERT_EQ(6u, marked.size());
    game->SetLevel(nullptr);

    struct Case {
        const char* name;
        std::vector<int> board; // slots 3-14
        std::vector<int> clicks;
    } const cases[] = {
        {"score", {1, 1, 2, 3, 4, 5, 2, 3, 4, 5, 2, 3}, {3, 4}},
        {"bomb", {1, 10, 2, 3, 4, 5, 2, 3, 4, 5, 1, 1}, {3, 4}},
        {"sidewinder", {11, 2, 3, 4, 5, 2, 4, 5, 2, 3, 4, 5}, {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenLevel("medium");
        FixBoard(c.board);
        Frame();
        const std::vector<int> before = Rome()->GetMarks();
        for (int slot : c.clicks)
            Play({{slot, 50}});
        // Which slots lose their tile: watch them go.
        std::vector<bool> taken(15, false);
        for (int i = 0; i < 300; ++i) {
            Frame();
            for (int slot = 3; slot < 15; ++slot)
                if (Slots().command[slot] == kCmdRemove)
                    taken[static_cast<size_t>(slot)] = true;
        }
        int takenCount = 0;
        int marksTaken = 0;
        for (int slot = 3; slot < 15; ++slot) {
            const bool was = before[static_cast<size_t>(slot)] != 0;
            const bool gone = taken[static_cast<size_t>(slot)];
            takenCount += gone;
            marksTaken += was && gone;
            EXPECT_EQ(was && !gone, Marked(slot)) << "slot " << slot;
        }
        EXPECT_GE(takenCount, 2);
        EXPECT_GE(marksTaken, 1);
        EXPECT_EQ(Rome()->MarksLeft(), user->quota);
        EXPECT_EQ(12, TileCount());
        game->SetLevel(nullptr);
    }
}

TEST_F(RomeTest, AMissedMarkedTileKeepsItsMarkInSight) {
    OpenLevel();
    FixByMarks({1, 2, 3}, {4, 5, 4, 5});
    const std::vector<int> marked = MarkedSlots();
    Click(marked[0]);
    Frames(2);
    Click(marked[1]);
    Frame();
    EXPECT_EQ(kCmdAppearStand, Slots().command[marked[1]]);
    bool back0 = false, back1 = false;
    for (int i = 0; i < 200; ++i) {
        Frame();
        back0 = back0 || Slots().command[marked[0]] == kCmdDisappearToBonusBack;
        back1 = back1 || Slots().command[marked[1]] == kCmdDisappearToBonusBack;
        EXPECT_NE(kCmdTurnDown, Slots().command[marked[0]]);
    }
    EXPECT_TRUE(back0);
    EXPECT_TRUE(back1);
    EXPECT_EQ(0, user->levelScore);
    EXPECT_TRUE(Marked(marked[0]));
    EXPECT_TRUE(WaitForInput());
}

// A chain whose last tile misses is a miss in a row too: the chain's own
// pair scores without ending the run, and two plain misses after it ask
// for a hint.
TEST_F(RomeTest, AMissAtTheEndOfAChainCountsTowardTheHint) {
    OpenLevel();
    FixByMarks({4, 4, 5, 5, 4, 5}, {4, 4, 5, 5, 4, 5});
    const std::vector<int> hearts = SlotsOfKind(4);
    const std::vector<int> suns = SlotsOfKind(5);
    ASSERT_GE(hearts.size(), 2u);
    ASSERT_GE(suns.size(), 1u);
    // Heart, heart, then a sun while the pair waits: the chain misses.
    Play({{hearts[0], 50}, {hearts[1], 50}, {suns[0], 50}});
    ASSERT_EQ(3u, Level()->GetTurn().size());
    for (int i = 0; i < 300 && !Level()->GetTurn().empty(); ++i)
        Frame();
    ASSERT_TRUE(WaitForInput());
    EXPECT_EQ(20, user->levelScore) << "the chain's pair scored";
    bool hinted = false;
    for (int miss = 0; miss < 2 && !hinted; ++miss) {
        SCOPED_TRACE(miss);
        const std::vector<int> h = SlotsOfKind(4);
        const std::vector<int> s = SlotsOfKind(5);
        ASSERT_FALSE(h.empty());
        ASSERT_FALSE(s.empty());
        Click(h[0]);
        Frames(3);
        Click(s[0]);
        for (int i = 0; i < 200 && !hinted; ++i) {
            hinted = Level()->GetQueue()->GetCurrent() == BoardActionQueue::kHint;
            Frame();
        }
        if (!hinted) {
            ASSERT_TRUE(WaitForInput());
        }
        EXPECT_EQ(miss == 1, hinted) << "the hint comes with the third miss";
    }
    EXPECT_TRUE(hinted);
    EXPECT_TRUE(WaitForInput());
}

TEST_F(RomeTest, FreezeHoldsTheCountdown) {
    OpenLevel();
    FixByMarks({1, 2, 3, 1, 2, 3}, {13, 4, 5, 4, 5, 4});
    int freezeSlot = -1;
    for (int slot = 3; slot < 15; ++slot)
        if (Slots().kind[slot] == 13)
            freezeSlot = slot;
    ASSERT_GE(freezeSlot, 0);
    Click(freezeSlot);
    Frames(3);
    EXPECT_TRUE(screen->log.Has("StartFreeze"));
    const int held = Remaining();
    Frames(4000 / 16);
    EXPECT_EQ(held, Remaining());
    Frames((gGameTuning.time.freeze - 4000) / 16 + 100);
    EXPECT_TRUE(screen->log.Has("EndFreeze"));
    EXPECT_LT(Remaining(), held);
    EXPECT_EQ(12, TileCount());
    EXPECT_TRUE(WaitForInput());
}

} // namespace
