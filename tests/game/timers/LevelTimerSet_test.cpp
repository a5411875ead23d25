#include "game/timers/LevelTimerSet.h"

#include "game/state/dtLevelState.h"
#include "game/support/FakeBoardTile.h"
#include "game/support/GameDataFixture.h"
#include "game/timers/JokerTimerSet.h"
#include "platform/time/manual/ManualTimeSource.h"

#include <gtest/gtest.h>

namespace {

// A level state on the data set's first board, with fake tiles made on
// demand, and a hand clock under the timer sets' clocks. Cycles of the
// data set: golden 900 ms, stand 1200, match 600, bonus match 800.
class TimerSetTest : public support::GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        support::LoadGameDataSet();
        mState.ResizeSlotsToGeometry();
    }

    FakeBoardTile* Tile(int slot, int32_t state, int32_t command = 100) {
        auto* tile = static_cast<FakeBoardTile*>(mState.CreateTile(0, 4, slot));
        mState.GetSlots().state[slot] = state;
        mState.GetSlots().command[slot] = command;
        mState.GetSlots().busy[slot] = 1;
        return tile;
    }

    platform::ManualTimeSource mTime{50000};
    platform::ScopedTimeSource mScope{mTime};
    ScopedFakeTileMaker mMaker;
    dtLevelState mState{1};
};

TEST_F(TimerSetTest, LoopingStates_FollowTheirCycles) {
    LevelTimerSet timers(0, mState);
    const struct {
        int32_t state;
        float at300;
    } slots[] = {{4, 0.5f},  {5, 0.375f},    {13, 0.375f}, {20, 0.375f},
                 {6, 0.25f}, {19, 1.0f / 3}, {2, -1.0f}};
    std::vector<FakeBoardTile*> tiles;
    for (int k = 0; k < 7; ++k)
        tiles.push_back(Tile(3 + k, slots[k].state));

    mTime.Advance(300);
    timers.Update();
    for (int k = 0; k < 7; ++k) {
        if (slots[k].at300 < 0) {
            EXPECT_TRUE(tiles[k]->clipFractions.empty()) << "state 2 does not loop";
            continue;
        }
        ASSERT_EQ(tiles[k]->clipFractions.size(), 1u) << slots[k].state;
        EXPECT_NEAR(tiles[k]->clipFractions[0], slots[k].at300, 1e-5) << slots[k].state;
        EXPECT_EQ(mState.GetSlots().busy[3 + k], 1) << slots[k].state;
    }

    // 595 ms into the match cycle: above 0.99, the match slot is free.
    mTime.Advance(295);
    timers.Update();
    EXPECT_EQ(mState.GetSlots().busy[3], 0);
    EXPECT_EQ(mState.GetSlots().busy[4], 1);
    EXPECT_EQ(mState.GetSlots().busy[7], 1);
}

TEST_F(TimerSetTest, GoldenBurst_HidesItsClipFromTheLastFrame) {
    LevelTimerSet timers(0, mState);
    FakeBoardTile* golden = Tile(5, 19);
    golden->lastFrameAt = 0.5f;
    mTime.Advance(300);
    timers.Update();
    EXPECT_EQ(golden->clipFractions.size(), 1u);
    EXPECT_EQ(golden->clipHides, 0);
    mTime.Advance(150);
    timers.Update();
    EXPECT_EQ(golden->clipFractions.size(), 1u);
    EXPECT_EQ(golden->clipHides, 1);
}

TEST_F(TimerSetTest, Update_RunsCommandsOfOccupiedSlotsOnly) {
    LevelTimerSet timers(0, mState);
    FakeBoardTile* turning = Tile(4, 0, 106);
    FakeBoardTile* empty = Tile(5, 0, 106);
    mState.GetSlots().kind[5] = 0;
    timers.Update();
    EXPECT_EQ(turning->TakeStates(), (std::vector<uint32_t>{8}));
    EXPECT_TRUE(empty->TakeStates().empty());
    EXPECT_EQ(mState.GetSlots().command[5], 106);

    // A removed tile leaves the slot empty and is not looped after.
    mState.GetSlots().command[4] = 104;
    mState.GetSlots().state[4] = 7;
    turning->FinishAnimation();
    timers.Update();
    EXPECT_EQ(mState.GetSlots().kind[4], 0);
    EXPECT_TRUE(turning->IsDead());
    EXPECT_TRUE(turning->clipFractions.empty());
}

TEST_F(TimerSetTest, MissingLayout_RunsNothingAndSaysSo) {
    LevelTimerSet timers(7, mState);
    FakeBoardTile* tile = Tile(4, 0, 106);
    timers.Update();
    EXPECT_TRUE(tile->TakeStates().empty());
    EXPECT_TRUE(LogHas("LevelTimerSet: board layout 7 does not exist (3 layouts)"));
}

TEST_F(TimerSetTest, JokerSet_MatchFollowsTheSecondAndShuffleCountsDown) {
    JokerTimerSet timers(0, mState);
    FakeBoardTile* matched = Tile(3, 4);
    FakeBoardTile* shuffled = Tile(4, 0, 103);
    FakeBoardTile* empty = Tile(6, 4);
    mState.GetSlots().kind[6] = 0;

    mTime.Advance(250);
    timers.Update(250);
    ASSERT_EQ(matched->clipFractions.size(), 1u);
    EXPECT_NEAR(matched->clipFractions[0], 0.25f, 1e-5);
    EXPECT_TRUE(empty->clipFractions.empty());
    EXPECT_EQ(shuffled->TakeStates(), (std::vector<uint32_t>{15}));

    shuffled->FinishClip();
    timers.Update(16);
    EXPECT_EQ(mState.GetSlots().state[4], 2);
    EXPECT_EQ(timers.GetCountdown(4), 100);
    timers.Update(30);
    EXPECT_EQ(timers.GetCountdown(4), 70);
    EXPECT_EQ(timers.GetCountdown(99), 0);

    mTime.Advance(745);
    timers.Update(16);
    EXPECT_EQ(mState.GetSlots().busy[3], 0) << "995 ms into the second";
}

} // namespace
