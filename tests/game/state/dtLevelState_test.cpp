#include "game/state/dtLevelState.h"

#include "game/data/LevelRecords.h"
#include "game/data/TileKinds.h"
#include "game/support/FakeBoardTile.h"
#include "game/support/GameDataFixture.h"

#include <gtest/gtest.h>

namespace {

class LevelStateTest : public support::GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        support::LoadGameDataSet();
    }
};

TEST_F(LevelStateTest, CreateTile_MakesRegistersAndFillsTheSlot) {
    ScopedFakeTileMaker maker;
    dtLevelState state(3);
    state.SetDifficulty(2);
    state.ResizeSlotsToGeometry();
    ASSERT_EQ(state.GetSlots().Size(), 15);
    state.GetSlots().command[7] = 111;
    state.GetSlots().busy[7] = 1;
    state.GetSlots().state[7] = 6;

    BoardTile* tile = state.CreateTile(state.GetGeometryIndex(), 12, 7);
    ASSERT_NE(tile, nullptr);
    ASSERT_EQ(maker.made.size(), 1u);
    EXPECT_EQ(tile, maker.made[0]);
    EXPECT_EQ(tile->GetKind(), 12);
    EXPECT_EQ(tile->GetKindRecord(), GetTileKind(12));
    EXPECT_TRUE(tile->IsPowerUp());
    EXPECT_EQ(tile->GetGeometryIndex(), 1u);
    EXPECT_EQ(tile->GetSlot(), 7u);
    EXPECT_TRUE(state.GetActors().Contains(tile));
    EXPECT_EQ(state.GetSlots().kind[7], 12);
    EXPECT_EQ(state.GetSlots().tile[7], tile);
    EXPECT_EQ(state.GetSlots().state[7], 0);
    EXPECT_EQ(state.GetSlots().busy[7], 0);
    EXPECT_EQ(state.GetSlots().command[7], 111) << "the caller writes the command";
}

TEST_F(LevelStateTest, CreateTile_RefusesWhatCannotBeMade) {
    ScopedFakeTileMaker maker;
    dtLevelState state(1);
    state.ResizeSlotsToGeometry();
    const struct {
        int geometry, kind, slot;
        const char* logged;
    } cases[] = {{0, 0, 3, "kind 0 has no tile record"},
                 {0, 16, 3, "kind 16 has no tile record"},
                 {0, -1, 3, "kind -1 has no tile record"},
                 {0, 4, 15, "slot 15 of board layout 0 is not on the board"},
                 {0, 4, -1, "slot -1 of board layout 0"},
                 {3, 4, 2, "slot 2 of board layout 3 is not on the board"}};
    for (const auto& c : cases) {
        EXPECT_EQ(state.CreateTile(c.geometry, c.kind, c.slot), nullptr) << c.logged;
        EXPECT_TRUE(LogHas(c.logged)) << c.logged;
    }
    EXPECT_TRUE(maker.made.empty());
    EXPECT_EQ(state.GetActors().Count(), 0);

    // A kind the configuration left out has an empty record: no tile.
    ResetTileKindTable();
    EXPECT_EQ(state.CreateTile(0, 14, 3), nullptr);
}

TEST_F(LevelStateTest, CreateTile_WithoutAMaker) {
    BoardTileMaker previous = SetBoardTileMaker(nullptr);
    dtLevelState state(1);
    state.ResizeSlotsToGeometry();
    EXPECT_EQ(state.CreateTile(0, 4, 3), nullptr);
    EXPECT_TRUE(LogHas("no tile maker is installed"));
    SetBoardTileMaker(std::move(previous));
}

TEST_F(LevelStateTest, Difficulty_PicksTheBoardLayout) {
    dtLevelState state(1);
    EXPECT_EQ(state.GetDifficulty(), 1);
    const struct {
        int set, difficulty;
        bool logged;
    } cases[] = {{3, 3, false}, {2, 2, false}, {0, 1, true}, {4, 3, true}, {-2, 1, true}};
    for (const auto& c : cases) {
        state.SetDifficulty(c.set);
        EXPECT_EQ(state.GetDifficulty(), c.difficulty);
        EXPECT_EQ(state.GetGeometryIndex(), c.difficulty - 1);
        EXPECT_EQ(state.GetGeometry(), GetGameModeRecord(c.difficulty - 1));
        EXPECT_EQ(LogHas("difficulty " + std::to_string(c.set) + " is not 1 to 3"), c.logged);
    }
}

TEST_F(LevelStateTest, Destruction_DeletesTheTilesAndDeadOnesGoOnUpdate) {
    ScopedFakeTileMaker maker;
    auto state = std::make_unique<dtLevelState>(1);
    state->ResizeSlotsToGeometry();
    for (int slot = 3; slot < 9; ++slot)
        ASSERT_NE(state->CreateTile(0, 1 + slot % 8, slot), nullptr);
    maker.made[2]->SetDead(true);
    state->GetActors().Update(16);
    EXPECT_EQ(state->GetActors().Count(), 5);
    // The rest go with the state (the sanitizer build reports a leak).
    state.reset();
}

} // namespace
