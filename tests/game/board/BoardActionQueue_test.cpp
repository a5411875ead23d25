#include "game/board/BoardActionQueue.h"

#include "BoardFixture.h"

#include <algorithm>
#include <map>
#include <set>

using namespace boardtest;

namespace {

constexpr int S = kTileStar, D = kTileDiamond, H = kTileHeart, U = kTileSun, B = kTileBomb,
              W = kTileSidewinder, J = kTileJoker, Q = kTileShamrock;

// A level state on one of the fixture layouts, filled with fake tiles, the
// queue under test on a hand clock, and the real tile commands run on the
// slots every frame. Fake tiles end their animations at once, so a command
// completes within a few frames.
class QueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallLayouts();
        InstallTileKinds();
        InstallTimes();
        mStrings = OpeningLabels();
        mSavedStrings = gGameStringTable;
        gGameStringTable = mStrings.get();
    }
    void TearDown() override {
        mQueue.reset();
        mState.reset();
        gGameStringTable = mSavedStrings;
        ResetTileKindTable();
        MutableGameTables().geometry.clear();
    }

    // kinds per slot from slot 0 (the entry row) on; 0 leaves a slot empty.
    void MakeBoard(int layout, const std::vector<int>& kinds, int mode = kModeClassic) {
        mLayout = layout;
        mState = std::make_unique<dtLevelState>(1);
        mState->SetDifficulty(layout + 1);
        mState->ResizeSlotsToGeometry();
        for (size_t slot = 0; slot < kinds.size(); ++slot) {
            if (kinds[slot] != 0) {
                ASSERT_TRUE(mState->CreateTile(layout, kinds[slot], static_cast<int>(slot)));
            }
        }
        mQueue = std::make_unique<BoardActionQueue>(layout, &mClock, mState.get());
        mQueue->SetMode(mode);
        mQueue->SetBoardScreen(&mScreen);
    }

    BoardSlots& Slots() { return mState->GetSlots(); }
    int Cols() const { return kCols[mLayout]; }
    int SlotCount() const { return (kRows[mLayout] + 1) * kCols[mLayout]; }

    // One frame as a level runs it: the tile commands run, then the queue
    // steps; fake tiles finish what they started.
    void Frame() {
        for (int slot = 0; slot < Slots().Size(); ++slot)
            RunTileCommand(Slots(), slot);
        mQueue->Update();
        FinishAll();
    }
    // The tiles on the board end what they started.
    void FinishAll() {
        for (BoardTile* tile : Slots().tile) {
            if (auto* fake = static_cast<FakeBoardTile*>(tile)) {
                fake->FinishAnimation();
                fake->FinishClip();
                fake->FinishMove();
            }
        }
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i)
            Frame();
    }
    void Advance(uint32_t ms) {
        mNow += ms;
        mClock.SetTime(mNow);
    }
    // Frames with the clock moved by `ms` before each, until the queue is
    // idle; false when it is not idle after `limit` frames.
    bool RunIdle(uint32_t ms = 10, int limit = 2000) {
        for (int i = 0; i < limit && mQueue->IsBusy(); ++i) {
            Advance(ms);
            Frame();
        }
        return !mQueue->IsBusy();
    }

    // The commands of every slot now.
    std::map<int, int> Commands() {
        std::map<int, int> commands;
        for (int slot = 0; slot < Slots().Size(); ++slot) {
            if (Slots().command[slot] != kCmdNone)
                commands[slot] = Slots().command[slot];
        }
        return commands;
    }
    std::vector<int> SlotsWith(int command) {
        std::vector<int> slots;
        for (int slot = 0; slot < Slots().Size(); ++slot) {
            if (Slots().command[slot] == command)
                slots.push_back(slot);
        }
        return slots;
    }
    FakeBoardTile* TileAt(int slot) { return static_cast<FakeBoardTile*>(Slots().tile[slot]); }

    ScopedFakeTileMaker mTiles;
    ScopedGameRandom mRandom{12345};
    TClock mClock;
    uint32_t mNow = 0;
    int mLayout = 0;
    std::unique_ptr<dtLevelState> mState;
    std::unique_ptr<BoardActionQueue> mQueue;
    RecordingBoardScreen mScreen;
    std::unique_ptr<TStringTable> mStrings;
    TStringTable* mSavedStrings = nullptr;
};

// Layout 0: 4 columns; slots 0-3 the entry row, 4-15 the play rows.

TEST_F(QueueTest, Idle_UpdateDoesNothingAndCountsAreNotReady) {
    MakeBoard(0, {0, 0, 0, 0, S, S, D, D});
    Frames(3);
    EXPECT_FALSE(mQueue->IsBusy());
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(mQueue->TakeMatchCount(), -1);
    EXPECT_EQ(mQueue->TakeClearedCount(), -1);
    EXPECT_EQ(mQueue->TakeSidewinderCount(), -1);
    // Abort while idle leaves a queued action in place.
    mQueue->PostRevealAll();
    mQueue->Abort();
    EXPECT_EQ(mQueue->GetPendingCount(), 1u);
    EXPECT_EQ(mQueue->GetCurrent(), 0u);
}

TEST_F(QueueTest, Go_CountsDownThenTurnsTheGameTilesUpAndDownInShuffledOrder) {
    MakeBoard(0, {S, 0, 0, 0, S, D, B, H, 0, U, 0, 0});
    mQueue->StartGo();
    EXPECT_EQ(mQueue->GetCurrent(), BoardActionQueue::kGo);
    mQueue->Update(); // the opening's wait starts
    Advance(99);
    mQueue->Update();
    EXPECT_TRUE(mScreen.countdowns.empty());
    Advance(1);
    mQueue->Update();
    ASSERT_EQ(mScreen.countdowns.size(), 1u);
    EXPECT_EQ(mScreen.countdowns[0], "CLASSIC MODE_3_2_1_GO!");
    // Every play slot with a game tile turns up; the bomb and the entry row
    // stay.
    const std::map<int, int> up = {
        {4, kCmdTurnUp}, {5, kCmdTurnUp}, {7, kCmdTurnUp}, {9, kCmdTurnUp}};
    EXPECT_EQ(Commands(), up);
    // Up, then after initLevel down again one by one.
    for (int slot = 0; slot < Slots().Size(); ++slot)
        RunTileCommand(Slots(), slot);
    Frames(4);
    EXPECT_TRUE(Commands().empty());
    Advance(200);
    Frame(); // shuffled
    std::vector<int> downOrder;
    for (int i = 0; i < 40 && mQueue->IsBusy(); ++i) {
        Advance(10);
        mQueue->Update();
        for (int slot : SlotsWith(kCmdTurnDown)) {
            if (std::find(downOrder.begin(), downOrder.end(), slot) == downOrder.end())
                downOrder.push_back(slot);
        }
        for (int slot = 0; slot < Slots().Size(); ++slot)
            RunTileCommand(Slots(), slot);
        FinishAll();
    }
    EXPECT_FALSE(mQueue->IsBusy());
    std::vector<int> sorted = downOrder;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int>{4, 5, 7, 9}));
    EXPECT_EQ(TileAt(6)->states, std::vector<uint32_t>{}) << "the bomb is left alone";
}

TEST_F(QueueTest, Go_ShuffleIsUniformOverTheRandomSource) {
    // Three tiles have six orders; 1200 openings give each about 200.
    std::map<std::vector<int>, int> seen;
    for (int run = 0; run < 1200; ++run) {
        MakeBoard(0, {0, 0, 0, 0, S, D, H});
        mQueue->StartGo();
        mQueue->Update();
        Advance(100);
        mQueue->Update();
        Frames(4);
        Advance(200);
        mQueue->Update();
        std::vector<int> order;
        for (int i = 0; i < 3; ++i) {
            Advance(10);
            mQueue->Update();
            for (int slot : SlotsWith(kCmdTurnDown)) {
                order.push_back(slot);
                Slots().command[slot] = kCmdNone;
            }
        }
        ASSERT_EQ(order.size(), 3u);
        ++seen[order];
    }
    ASSERT_EQ(seen.size(), 6u);
    for (const auto& [order, count] : seen)
        EXPECT_NEAR(count, 200, 60) << order[0] << order[1] << order[2];
}

TEST_F(QueueTest, Go_RomeSpecialSlotsAppearAndDisappearToTheBonusBack) {
    MakeBoard(0, {0, 0, 0, 0, S, D}, kModeRome);
    std::vector<uint32_t> special(16, 0);
    special[5] = 1;
    mQueue->SetSpecialSlots(special);
    mQueue->StartGo();
    mQueue->Update();
    Advance(100);
    mQueue->Update();
    EXPECT_EQ(mScreen.countdowns.at(0), "ROME MODE_3_2_1_GO!");
    EXPECT_EQ(Commands(), (std::map<int, int>{{4, kCmdTurnUp}, {5, kCmdAppearUp}}));
    Frames(5);
    Advance(200);
    mQueue->Update();
    std::set<int> down;
    for (int i = 0; i < 4; ++i) {
        Advance(10);
        mQueue->Update();
        for (const auto& entry : Commands())
            down.insert(entry.second);
    }
    EXPECT_EQ(down, (std::set<int>{kCmdTurnDown, kCmdDisappearToBonusBack}));
}

TEST_F(QueueTest, SameKindClear_RevealsTheKindThenRemovesEverythingAndCountsOnce) {
    // Stars at 4, 6, 9 and in the entry row at 1; the listed pair is 4, 5.
    MakeBoard(0, {0, S, 0, 0, S, D, S, H, 0, S});
    mQueue->PostSameKindClear({4, 5}, 0);
    mQueue->Update();
    EXPECT_EQ(Commands(), (std::map<int, int>{
                              {1, kCmdRevealFaint}, {6, kCmdRevealFaint}, {9, kCmdRevealFaint}}));
    EXPECT_EQ(mQueue->TakeClearedCount(), -1);
    Frames(3);
    Advance(300);
    mQueue->Update();
    EXPECT_EQ(
        Commands(),
        (std::map<int, int>{
            {1, kCmdRemove}, {4, kCmdRemove}, {5, kCmdRemove}, {6, kCmdRemove}, {9, kCmdRemove}}));
    EXPECT_TRUE(TileAt(6)->IsBombed());
    EXPECT_FALSE(TileAt(4)->IsBombed()) << "listed tiles are not bomb victims";
    EXPECT_EQ(mQueue->TakeClearedCount(), -1) << "still running";
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(mQueue->TakeClearedCount(), 5);
    EXPECT_EQ(mQueue->TakeClearedCount(), -1);
}

TEST_F(QueueTest, Match_TwoTilesRemoveAtOnceAndRevealTheRest) {
    MakeBoard(0, {0, 0, 0, 0, S, S, D, H, B});
    mQueue->PostMatch({4, 5});
    mQueue->Update(); // no bomb rule: straight on
    EXPECT_TRUE(Commands().empty());
    mQueue->Update();
    EXPECT_EQ(Commands(), (std::map<int, int>{{4, kCmdRemove}, {5, kCmdRemove}}));
    ASSERT_TRUE(RunIdle());
    // After the removal every game tile left showed itself faintly.
    EXPECT_EQ(Slots().state[6], 10);
    EXPECT_EQ(Slots().state[7], 10);
    EXPECT_EQ(Slots().state[8], 0) << "the bomb is no game tile";
    EXPECT_EQ(mQueue->TakeMatchCount(), 2);
    EXPECT_EQ(mQueue->TakeMatchCount(), -1);
}

TEST_F(QueueTest, Match_BombNextToLastTakesEveryTileOfTheKindBeforeIt) {
    MakeBoard(0, {0, D, 0, 0, D, B, H, D, S, D});
    mQueue->PostMatch({4, 5, 6});
    mQueue->Update();
    EXPECT_EQ(Commands(), (std::map<int, int>{
                              {1, kCmdRevealFaint}, {7, kCmdRevealFaint}, {9, kCmdRevealFaint}}));
    Frames(2);
    Advance(300);
    mQueue->Update();
    EXPECT_EQ(SlotsWith(kCmdRemove), (std::vector<int>{1, 7, 9}));
    mQueue->Update();
    EXPECT_EQ(SlotsWith(kCmdRemove), (std::vector<int>{1, 4, 5, 6, 7, 9}));
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(mQueue->TakeMatchCount(), 6);
}

TEST_F(QueueTest, TakeCount_IsNotReadyWhileAnotherActionRuns) {
    MakeBoard(0, {0, 0, 0, 0, S, S, D, D});
    mQueue->PostMatch({4, 5});
    mQueue->PostRevealAll();
    for (int i = 0; i < 200 && mQueue->GetCurrent() != BoardActionQueue::kRevealAll; ++i) {
        Advance(10);
        Frame();
    }
    ASSERT_EQ(mQueue->GetCurrent(), BoardActionQueue::kRevealAll);
    EXPECT_EQ(mQueue->TakeMatchCount(), -1);
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(mQueue->TakeMatchCount(), 2);
}

TEST_F(QueueTest, Actions_RunOneAfterAnotherWithTheirOwnLists) {
    MakeBoard(0, {0, 0, 0, 0, S, S, D, D, H, H});
    mQueue->PostMatch({4, 5});
    mQueue->PostMatch({6, 7});
    EXPECT_EQ(mQueue->GetPendingCount(), 2u);
    mQueue->Update();
    mQueue->Update();
    EXPECT_EQ(SlotsWith(kCmdRemove), (std::vector<int>{4, 5}));
    for (int i = 0; i < 200 && mQueue->GetPendingCount() == 1; ++i) {
        Advance(10);
        Frame();
    }
    // The second match began only once the first had ended.
    EXPECT_EQ(Slots().kind[4], 0);
    mQueue->Update();
    EXPECT_EQ(SlotsWith(kCmdRemove), (std::vector<int>{6, 7}));
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(Slots().kind[6], 0);
    EXPECT_EQ(Slots().kind[7], 0);
    EXPECT_EQ(Slots().kind[8], kTileHeart);
}

TEST_F(QueueTest, HideAllExcept_HidesEveryOtherGameTile) {
    MakeBoard(0, {S, 0, 0, 0, S, D, B, H});
    mQueue->PostHideAllExcept({5});
    mQueue->Update();
    EXPECT_EQ(Commands(),
              (std::map<int, int>{{0, kCmdHideFaint}, {4, kCmdHideFaint}, {7, kCmdHideFaint}}));
    ASSERT_TRUE(RunIdle());
}

TEST_F(QueueTest, Sidewinder_TakesItsRowAndItsColumnFromTheEntryRow) {
    // The sidewinder at slot 9 (row 2, column 1); a bomb at 11 in its row,
    // a star at 1 in the entry row of its column.
    MakeBoard(0, {0, S, 0, 0, D, H, 0, 0, S, W, U, B, 0, Q, 0, 0});
    mQueue->PostSidewinder({4, 9});
    mQueue->Update();
    EXPECT_TRUE(TileAt(4)->HasWind());
    EXPECT_TRUE(TileAt(9)->HasWind());
    // Row 2 (8-11), then column 1 (1, 5, 9, 13).
    EXPECT_EQ(Commands(), (std::map<int, int>{{1, kCmdRevealFaint},
                                              {5, kCmdRevealFaint},
                                              {8, kCmdRevealFaint},
                                              {10, kCmdRevealFaint},
                                              {13, kCmdRevealFaint}}));
    EXPECT_TRUE(TileAt(1)->HasWind());
    EXPECT_FALSE(TileAt(11)->HasWind()) << "the bomb is no game tile";
    Frames(2);
    Advance(300);
    mQueue->Update();
    EXPECT_EQ(SlotsWith(kCmdRemove), (std::vector<int>{1, 4, 5, 8, 9, 10, 11, 13}));
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(mQueue->TakeSidewinderCount(), 8);
}

TEST_F(QueueTest, Sidewinder_BombVictimsInItsPathCountOnce) {
    // The list ends bomb, sidewinder: the kind before the bomb (diamond) is
    // taken; the diamond at 10 also lies in the sidewinder's row.
    MakeBoard(0, {0, 0, 0, 0, D, B, 0, 0, 0, W, D, 0});
    mQueue->PostSidewinder({4, 5, 9});
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(mQueue->TakeSidewinderCount(), 4);
}

struct RevealCase {
    const char* name;
    void (BoardActionQueue::*post)();
    std::vector<int> board;
    // Slots revealed, in the order the reveals came.
    std::vector<int> revealed;
};

class RevealTest : public QueueTest, public ::testing::WithParamInterface<RevealCase> {};

TEST_P(RevealTest, RevealsThenHidesAgain) {
    const RevealCase& c = GetParam();
    MakeBoard(0, c.board);
    // A standing tile at 6 is never revealed again.
    if (Slots().kind[6] != 0)
        Slots().state[6] = 6;
    (mQueue.get()->*c.post)();
    std::vector<int> revealed;
    std::set<int> hidden;
    for (int i = 0; i < 500 && mQueue->IsBusy(); ++i) {
        Advance(10);
        mQueue->Update();
        for (const auto& entry : Commands()) {
            if (entry.second == kCmdRevealFaint &&
                std::find(revealed.begin(), revealed.end(), entry.first) == revealed.end())
                revealed.push_back(entry.first);
            if (entry.second == kCmdHideFaint)
                hidden.insert(entry.first);
        }
        for (int slot = 0; slot < Slots().Size(); ++slot)
            RunTileCommand(Slots(), slot);
        FinishAll();
    }
    EXPECT_FALSE(mQueue->IsBusy());
    EXPECT_EQ(revealed, c.revealed);
    for (int slot : c.revealed)
        EXPECT_TRUE(hidden.count(slot)) << slot;
}

INSTANTIATE_TEST_SUITE_P(
    Reveals, RevealTest,
    ::testing::Values(RevealCase{"FirstRow",
                                 &BoardActionQueue::PostRevealFirstRow,
                                 {S, 0, 0, 0, S, D, H, B, U, U},
                                 {4, 5}},
                      RevealCase{"Alternate",
                                 &BoardActionQueue::PostRevealAlternate,
                                 {S, 0, 0, 0, S, D, H, D, U, U, S, S, Q},
                                 {4, 8, 10, 12}},
                      // Row 1 left to right, row 2 right to left, row 3 left to right.
                      RevealCase{"Sweep",
                                 &BoardActionQueue::PostRevealSweep,
                                 {0, 0, 0, 0, S, D, H, D, U, U, S, S, Q, 0, D, 0},
                                 {4, 11, 12, 5, 10, 9, 14, 7, 8}},
                      // Down row by row, and back: rows 1, 2, 3 then 3, 2, 1 again.
                      RevealCase{"Rows",
                                 &BoardActionQueue::PostRevealRows,
                                 {0, 0, 0, 0, S, 0, H, 0, U, 0, 0, 0, 0, Q},
                                 {4, 8, 13}},
                      RevealCase{"All",
                                 &BoardActionQueue::PostRevealAll,
                                 {S, 0, 0, 0, S, D, H, B, 0, U},
                                 {4, 5, 9}}),
    [](const ::testing::TestParamInfo<RevealCase>& info) { return info.param.name; });

TEST_F(QueueTest, RevealRows_EndsAtOnceWhenOnlyTheEntryRowHoldsGameTiles) {
    MakeBoard(0, {S, D, 0, 0, 0, B});
    mQueue->PostRevealRows();
    mQueue->Update();
    EXPECT_FALSE(mQueue->IsBusy());
    EXPECT_TRUE(Commands().empty());
}

TEST_F(QueueTest, RevealAll_JokerModeShowsFacesAndHidesToTheBonusBack) {
    MakeBoard(0, {0, 0, 0, 0, S, D, H}, kModeJoker);
    Slots().command[5] = kCmdMatch;
    mQueue->PostRevealAll();
    mQueue->Update();
    EXPECT_EQ(Commands(), (std::map<int, int>{{4, 104}, {5, kCmdMatch}, {6, 104}}));
    Slots().command[4] = Slots().command[6] = kCmdNone;
    Advance(300);
    mQueue->Update();
    mQueue->Update();
    EXPECT_EQ(Commands(), (std::map<int, int>{{4, 105}, {5, kCmdMatch}, {6, 105}}));
}

TEST_F(QueueTest, Hint_RefusesWhenTooFewFaceDownTilesAreLeft) {
    // Mode 1 with a level record of three kinds: more candidates than that,
    // and at least four, are needed.
    TClassicLevelRecord record;
    record.kinds = {S, D, H};
    MakeBoard(0, {0, 0, 0, 0, S, D, H, S, 0, 0});
    mState->classic = &record;
    EXPECT_FALSE(mQueue->PostHint({5})) << "three candidates";
    EXPECT_FALSE(mQueue->IsBusy());
    MakeBoard(0, {0, 0, 0, 0, S, D, H, S, D, 0});
    mState->classic = &record;
    EXPECT_TRUE(mQueue->PostHint({9})) << "four candidates, more than three kinds listed";
    MakeBoard(0, {0, 0, 0, 0, S, D, H, S, D, 0});
    record.kinds = {S, D, H, U, Q};
    mState->classic = &record;
    EXPECT_FALSE(mQueue->PostHint({})) << "five candidates, five kinds listed";
    // In Joker mode only the four-candidate rule holds.
    MakeBoard(0, {0, 0, 0, 0, S, D, H, Q, 0}, kModeJoker);
    EXPECT_TRUE(mQueue->PostHint({}));
    MakeBoard(0, {0, 0, 0, 0, S, D, H, 0}, kModeJoker);
    EXPECT_FALSE(mQueue->PostHint({}));
}

TEST_F(QueueTest, Hint_ShowsThePairAndTwoMoreThenTurnsTheGivenTilesDown) {
    // One pair (stars at 4 and 5) among five kinds; five kinds listed give
    // five tries, and a kind tried once is not tried again, so every seed
    // finds the pair.
    TClassicLevelRecord record;
    record.kinds = {S, D, H, U, Q};
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        ScopedGameRandom random(seed);
        MakeBoard(0, {0, 0, 0, 0, S, S, D, H, U, Q, 0, 0});
        mState->classic = &record;
        ASSERT_TRUE(mQueue->PostHint({11}));
        mQueue->Update();
        mQueue->Update();
        mQueue->Update();
        const std::vector<int> revealed = SlotsWith(kCmdRevealFaint);
        ASSERT_EQ(revealed.size(), 4u);
        EXPECT_EQ(revealed[0], 4);
        EXPECT_EQ(revealed[1], 5);
        for (int slot : revealed)
            Slots().command[slot] = kCmdNone;
        Advance(300);
        mQueue->Update();
        EXPECT_EQ(SlotsWith(kCmdHideFaint), revealed);
        EXPECT_EQ(SlotsWith(kCmdTurnDown), std::vector<int>{11});
    }
}

TEST_F(QueueTest, Hint_SearchEndsWhenEveryKindWasTriedWithoutAPair) {
    // Five kinds listed, four different kinds on the board and no pair: the
    // search must stop after trying the four, then still show two tiles.
    TClassicLevelRecord record;
    record.kinds = {S, D, H, U, Q};
    MakeBoard(0, {0, 0, 0, 0, S, D, H, U, S, D, H, U, 0, 0, 0, 0});
    mState->classic = &record;
    // Take the pairs away from the candidates by giving them as the
    // selection: the candidates are 4-7, all different.
    ASSERT_FALSE(mQueue->PostHint({8, 9, 10, 11})) << "four candidates, five kinds";
    record.kinds = {S, D, H};
    ASSERT_TRUE(mQueue->PostHint({8, 9, 10, 11}));
    record.kinds = {S, D, H, U, Q, S, D, H}; // more tries than kinds
    mQueue->Update();
    mQueue->Update();
    mQueue->Update();
    EXPECT_EQ(SlotsWith(kCmdRevealFaint).size(), 2u);
}

TEST_F(QueueTest, Golden_FillsTheEmptySlotsColumnByColumnOnEachLayout) {
    for (int layout = 0; layout < kLayouts; ++layout) {
        SCOPED_TRACE(layout);
        // The record's size code says another layout: the queue's own wins.
        TClassicLevelRecord record;
        record.mode = 3;
        std::vector<int> board((kRows[layout] + 1) * kCols[layout], 0);
        const int cols = kCols[layout];
        board[cols] = S;             // row 1, column 0
        board[cols + 1] = kTileWild; // a bonus tile goes first
        board[2 * cols + 1] = D;     // row 2, column 1
        MakeBoard(layout, board);
        mState->classic = &record;
        const size_t before = mTiles.made.size();
        mQueue->PostGolden();
        ASSERT_TRUE(RunIdle(50, 4000));
        const int empty = kRows[layout] * cols - 2;
        EXPECT_EQ(mQueue->GetGoldenCount(), static_cast<uint32_t>(empty));
        ASSERT_EQ(mTiles.made.size() - before, static_cast<size_t>(empty));
        // Column 0 from row 2 up, then column 1 from row 1 (the wild's slot).
        EXPECT_EQ(mTiles.made[before]->GetSlot(), static_cast<uint32_t>(2 * cols));
        EXPECT_EQ(mTiles.made[before + kRows[layout] - 1]->GetSlot(),
                  static_cast<uint32_t>(cols + 1));
        for (size_t i = before; i < mTiles.made.size(); ++i) {
            EXPECT_EQ(mTiles.made[i]->GetGeometryIndex(), static_cast<uint32_t>(layout));
            EXPECT_EQ(mTiles.made[i]->GetKind(), kTileGolden);
        }
        EXPECT_EQ(Slots().kind[cols + 1], kTileGolden);
    }
}

TEST_F(QueueTest, Abort_ReplacesQueuedWorkByTurningFaceUpTilesDown) {
    MakeBoard(0, {0, 0, 0, 0, S, D, H, U});
    Slots().state[5] = 6;
    Slots().state[6] = 10;
    mQueue->PostRevealSweep();
    mQueue->PostMatch({4, 5});
    mQueue->PostGolden();
    mQueue->Update();
    ASSERT_EQ(mQueue->GetCurrent(), BoardActionQueue::kRevealSweep);
    mQueue->Abort();
    EXPECT_EQ(mQueue->GetCurrent(), 0u);
    EXPECT_EQ(mQueue->GetPendingCount(), 1u);
    mQueue->Update(); // the cancel waits for a settled board
    mQueue->Update();
    EXPECT_EQ(Commands(), (std::map<int, int>{{5, kCmdHideFaint}, {6, kCmdHideFaint}}));
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(Slots().kind[4], S) << "the dropped match never ran";
}

TEST_F(QueueTest, JokerRound_CountsDownAndTurnsCardsOnePerSecond) {
    MakeBoard(0, {0, 0, 0, 0, S, J, D, 0}, kModeJoker);
    mQueue->SetRoundTitle(true, 3);
    mQueue->PostRound();
    mQueue->Update();
    Advance(100);
    mQueue->Update();
    ASSERT_EQ(mScreen.countdowns.size(), 1u);
    EXPECT_EQ(mScreen.countdowns[0], "JOKER MODE_ROUND 3");
    Advance(100);
    mQueue->Update(); // the second wait
    Advance(1000);
    mQueue->Update();
    EXPECT_EQ(Commands(), (std::map<int, int>{{4, 104}}));
    MakeBoard(0, {0, 0, 0, 0, S, J}, kModeJoker);
    mQueue->SetRoundTitle(false, 4);
    mQueue->PostRound();
    mQueue->Update();
    Advance(100);
    mQueue->Update();
    EXPECT_EQ(mScreen.countdowns.back(), "ROUND 4");
}

TEST_F(QueueTest, JokerRoundEnd_ShowsJokersThenHidesColumnByColumn) {
    MakeBoard(0, {0, 0, 0, 0, S, J, D, H}, kModeJoker);
    mQueue->PostJokerRoundEnd();
    mQueue->Update();
    Advance(1000);
    mQueue->Update();
    EXPECT_EQ(Commands(), (std::map<int, int>{{5, 104}}));
    Slots().command[5] = kCmdNone;
    Advance(1000);
    mQueue->Update();
    EXPECT_EQ(SlotsWith(105), (std::vector<int>{4, 8, 12}));
    for (int c = 1; c < 4; ++c) {
        Advance(150);
        mQueue->Update();
    }
    EXPECT_EQ(SlotsWith(105).size(), 12u);
}

TEST_F(QueueTest, JokerShowAll_ShowsJokersAndSettledTilesFaceUp) {
    MakeBoard(0, {0, 0, 0, 0, S, J, D}, kModeJoker);
    Slots().state[6] = 2;
    mQueue->PostJokerShowAll();
    mQueue->Update();
    EXPECT_EQ(Commands(), (std::map<int, int>{{4, kCmdFaceUpNow}, {5, 104}}));
}

} // namespace
