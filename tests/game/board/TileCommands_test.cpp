#include "game/board/TileCommands.h"

#include "game/board/BoardSlots.h"
#include "game/data/TileKinds.h"
#include "game/support/FakeBoardTile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using States = std::vector<uint32_t>;

// One frame of one command: the slot before (display state, busy, whether
// the tile still animates or its clip plays) and after (display state,
// the states the tile was told to enter, busy, command).
struct Row {
    int32_t command;
    int32_t state;
    int32_t busy;
    bool animating;
    bool clipPlaying;
    int32_t stateAfter;
    States entered;
    int32_t busyAfter;
    int32_t commandAfter;
};

std::string Describe(const Row& row) {
    return "command " + std::to_string(row.command) + " in state " + std::to_string(row.state) +
           (row.animating ? ", animating" : "") + (row.clipPlaying ? ", clip playing" : "");
}

// A two-slot board whose slot 1 holds a fake tile.
class TileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        mSlots.Resize(2);
        mTile = new FakeBoardTile(0, &mKind, 1);
        mSlots.kind[1] = 4;
        mSlots.tile[1] = mTile;
    }
    void TearDown() override { delete mTile; }

    void Prepare(const Row& row) {
        mSlots.kind[1] = 4;
        mSlots.tile[1] = mTile;
        mSlots.state[1] = row.state;
        mSlots.busy[1] = row.busy;
        mSlots.command[1] = row.command;
        mTile->animating = row.animating;
        mTile->clipPlaying = row.clipPlaying;
        mTile->TakeStates();
    }
    void Check(const Row& row) {
        const std::string what = Describe(row);
        EXPECT_EQ(mSlots.state[1], row.stateAfter) << what;
        EXPECT_EQ(mTile->TakeStates(), row.entered) << what;
        EXPECT_EQ(mSlots.busy[1], row.busyAfter) << what;
        EXPECT_EQ(mSlots.command[1], row.commandAfter) << what;
    }

    TTileKindRecord mKind{4, 100, 1000, "heart", ""};
    BoardSlots mSlots;
    FakeBoardTile* mTile = nullptr;
};

const Row kStandardRows[] = {
    // command, S, busy, animating, clip -> S, entered, busy, command
    {101, 3, 0, false, false, 0, {1}, 0, 100},
    {102, 0, 0, false, false, 6, {2}, 0, 100},
    {103, 0, 0, false, false, 8, {8}, 1, 103},
    {103, 8, 1, true, false, 8, {}, 1, 103},
    {103, 8, 1, false, false, 4, {4}, 1, 103},
    {103, 15, 1, false, false, 4, {4}, 1, 103},
    {103, 6, 0, false, false, 4, {4}, 0, 103},
    {103, 10, 0, false, false, 4, {4}, 0, 103},
    {103, 4, 1, false, false, 4, {}, 0, 100},
    {104, 6, 0, false, false, 7, {7}, 1, 104},
    {104, 7, 1, true, false, 7, {}, 1, 104},
    {106, 0, 0, false, false, 8, {8}, 1, 106},
    {106, 8, 1, true, false, 8, {}, 1, 106},
    {106, 8, 1, false, false, 6, {6}, 1, 106},
    {106, 10, 1, false, false, 6, {6}, 1, 106},
    {106, 6, 1, false, false, 6, {}, 0, 100},
    {107, 6, 0, false, false, 9, {9}, 1, 107},
    {107, 9, 1, false, false, 1, {1}, 1, 107},
    {107, 1, 1, false, false, 0, {}, 0, 100},
    {107, 0, 0, false, false, 0, {}, 0, 107},
    {108, 0, 0, false, false, 18, {18}, 1, 108},
    {108, 18, 1, false, true, 18, {}, 1, 108},
    {108, 18, 1, false, false, 19, {19}, 0, 100},
    {109, 0, 0, false, false, 8, {8}, 1, 109},
    {109, 8, 1, false, false, 2, {2}, 1, 109},
    {109, 2, 1, false, false, 6, {}, 0, 100},
    {110, 0, 0, false, false, 15, {15}, 1, 110},
    {110, 15, 1, true, false, 15, {}, 1, 110},
    {110, 15, 1, false, false, 2, {2}, 1, 110},
    {110, 2, 1, false, false, 6, {}, 0, 100},
    {111, 5, 0, false, false, 0, {3}, 0, 100},
    {112, 0, 0, false, false, 15, {15}, 1, 112},
    {112, 15, 1, false, false, 6, {6}, 1, 112},
    {112, 10, 1, false, false, 6, {6}, 1, 112},
    {112, 6, 1, false, false, 6, {}, 0, 100},
    {113, 6, 0, false, false, 16, {16}, 1, 113},
    {113, 16, 1, false, false, 3, {3}, 1, 113},
    {113, 3, 1, false, false, 0, {}, 0, 100},
    {113, 0, 0, false, false, 0, {}, 0, 113},
    {114, 0, 0, false, false, 15, {15}, 1, 114},
    {114, 15, 1, false, false, 10, {10}, 1, 114},
    {114, 10, 1, false, false, 10, {}, 0, 100},
    {114, 6, 0, false, false, 6, {}, 0, 100},
    {115, 10, 0, false, false, 16, {16}, 1, 115},
    {115, 16, 1, false, false, 3, {3}, 1, 115},
    {115, 3, 1, false, false, 0, {}, 0, 100},
    {115, 6, 0, false, false, 6, {}, 0, 100},
    {117, 0, 0, false, false, 11, {11}, 1, 117},
    {117, 11, 1, true, false, 11, {}, 1, 117},
    {117, 11, 1, false, false, 10, {10}, 1, 117},
    {117, 6, 0, false, false, 10, {10}, 0, 117},
    {117, 10, 1, false, false, 10, {}, 0, 100},
    {117, 2, 1, false, false, 2, {}, 0, 100},
    {118, 10, 0, false, false, 12, {12}, 1, 118},
    {118, 12, 1, true, false, 12, {}, 1, 118},
    {118, 12, 1, false, false, 1, {1}, 1, 118},
    {118, 1, 1, false, false, 0, {}, 0, 100},
    {118, 6, 0, false, false, 6, {}, 0, 100},
    {119, 4, 1, false, false, 20, {20}, 0, 100},
    {120, 0, 0, false, false, 8, {8}, 1, 120},
    {120, 8, 1, false, false, 5, {5}, 1, 120},
    {120, 4, 1, false, false, 5, {5}, 1, 120},
    {120, 6, 1, false, false, 5, {5}, 1, 120},
    {120, 5, 1, false, false, 5, {}, 0, 100},
    {121, 0, 0, false, false, 13, {13}, 0, 100},
    // Not a command: the slot is left alone.
    {100, 6, 1, false, false, 6, {}, 1, 100},
    {105, 2, 1, false, false, 2, {}, 1, 105},
};

TEST_F(TileCommandsTest, StandardCommands_OneFrameEach) {
    for (const Row& row : kStandardRows) {
        Prepare(row);
        RunTileCommand(mSlots, 1);
        Check(row);
        EXPECT_FALSE(mTile->IsDead()) << Describe(row);
    }
}

TEST_F(TileCommandsTest, GoldenBurst_PlaysTheClipOnEntry) {
    Prepare({108, 0, 0, false, false, 0, {}, 0, 0});
    RunTileCommand(mSlots, 1);
    EXPECT_EQ(mTile->clipPlays, 1);
    mTile->FinishClip();
    RunTileCommand(mSlots, 1);
    EXPECT_EQ(mSlots.state[1], 19);
    EXPECT_EQ(mTile->clipPlays, 1);
}

TEST_F(TileCommandsTest, Remove_MarksTheTileDeadAndEmptiesTheSlot) {
    Prepare({104, 7, 1, false, false, 0, {}, 0, 0});
    RunTileCommand(mSlots, 1);
    EXPECT_TRUE(mTile->IsDead());
    EXPECT_EQ(mSlots.kind[1], 0);
    EXPECT_EQ(mSlots.busy[1], 0);
    EXPECT_EQ(mSlots.state[1], 0);
    EXPECT_EQ(mSlots.command[1], 100);
    EXPECT_EQ(mSlots.tile[1], nullptr);
}

TEST_F(TileCommandsTest, EmptySlotsAndSlotsOffTheBoard_AreLeftAlone) {
    Prepare({106, 0, 0, false, false, 0, {}, 0, 0});
    mSlots.kind[1] = 0;
    RunTileCommand(mSlots, 1);
    EXPECT_EQ(mSlots.command[1], 106);
    EXPECT_TRUE(mTile->TakeStates().empty());
    mSlots.kind[1] = 4;
    RunTileCommand(mSlots, 2);
    RunTileCommand(mSlots, -1);
    EXPECT_TRUE(mTile->TakeStates().empty());
    // A slot with a kind but no tile runs its words without a tile.
    mSlots.tile[1] = nullptr;
    RunTileCommand(mSlots, 1);
    EXPECT_EQ(mSlots.state[1], 8);
}

const Row kJokerRows[] = {
    {101, 2, 0, false, false, 0, {3}, 0, 100},   {102, 0, 0, false, false, 15, {15}, 1, 102},
    {102, 15, 1, true, false, 15, {}, 1, 102},   {102, 15, 1, false, false, 5, {5}, 0, 100},
    {102, 2, 1, false, false, 5, {5}, 0, 100},   {104, 0, 0, false, false, 15, {15}, 0, 104},
    {104, 15, 0, true, false, 15, {}, 0, 104},   {104, 15, 0, false, false, 2, {2}, 0, 100},
    {105, 2, 0, false, false, 16, {16}, 1, 105}, {105, 16, 1, true, false, 16, {}, 1, 105},
    {105, 16, 1, false, false, 0, {3}, 0, 100},  {106, 0, 0, false, false, 0, {}, 0, 106},
};

TEST_F(TileCommandsTest, JokerCommands_OneFrameEach) {
    for (const Row& row : kJokerRows) {
        Prepare(row);
        int32_t countdown = 0;
        RunJokerTileCommand(mSlots, 1, countdown, 16);
        Check(row);
    }
}

TEST_F(TileCommandsTest, JokerShuffle_FlipsOnTheCountdownAndNeverEnds) {
    Prepare({103, 0, 0, false, false, 0, {}, 0, 0});
    int32_t countdown = 0;
    const struct {
        uint32_t elapsed;
        bool clipPlaying;
        int32_t state;
        int32_t countdown;
    } frames[] = {{16, false, 15, 0},  {16, true, 15, 0},  {16, false, 2, 100},
                  {60, false, 2, 40},  {40, false, 16, 0}, {16, false, 3, 100},
                  {150, false, 15, 0}, {16, false, 2, 100}};
    for (const auto& f : frames) {
        mTile->clipPlaying = f.clipPlaying;
        RunJokerTileCommand(mSlots, 1, countdown, f.elapsed);
        EXPECT_EQ(mSlots.state[1], f.state);
        EXPECT_EQ(countdown, f.countdown);
        EXPECT_EQ(mSlots.command[1], 103);
    }
    EXPECT_EQ(mTile->clipPlays, 3);
}

} // namespace
