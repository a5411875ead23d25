#include "game/board/BoardSlots.h"

#include "game/support/FakeBoardTile.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Tiles = std::vector<std::unique_ptr<FakeBoardTile>>;

// Fills slot i with kind i + 1, busy i % 2, state i + 10, command i + 100
// and tile pointer tiles[i].
BoardSlots Numbered(int count, const Tiles& tiles) {
    BoardSlots slots;
    slots.Resize(count);
    for (int i = 0; i < count; ++i) {
        slots.kind[i] = i + 1;
        slots.busy[i] = i % 2;
        slots.state[i] = i + 10;
        slots.command[i] = i + 100;
        slots.tile[i] = tiles[static_cast<size_t>(i)].get();
    }
    return slots;
}

void ExpectSlotHolds(const BoardSlots& slots, int slot, int from, const Tiles& tiles) {
    EXPECT_EQ(slots.kind[slot], from + 1) << slot;
    EXPECT_EQ(slots.busy[slot], from % 2) << slot;
    EXPECT_EQ(slots.state[slot], from + 10) << slot;
    EXPECT_EQ(slots.command[slot], from + 100) << slot;
    EXPECT_EQ(slots.tile[slot], tiles[static_cast<size_t>(from)].get()) << slot;
}

void ExpectEmpty(const BoardSlots& slots, int slot) {
    EXPECT_EQ(slots.kind[slot], 0);
    EXPECT_EQ(slots.busy[slot], 0);
    EXPECT_EQ(slots.state[slot], 0);
    EXPECT_EQ(slots.command[slot], 100);
    EXPECT_EQ(slots.tile[slot], nullptr);
}

class BoardSlotsTest : public ::testing::Test {
protected:
    Tiles mTiles = [] {
        Tiles tiles;
        for (uint32_t i = 0; i < 6; ++i)
            tiles.push_back(std::make_unique<FakeBoardTile>(0, nullptr, i));
        return tiles;
    }();
};

TEST_F(BoardSlotsTest, Resize_EmptiesEverySlot) {
    BoardSlots slots = Numbered(6, mTiles);
    slots.Resize(4);
    EXPECT_EQ(slots.Size(), 4);
    for (int i = 0; i < 4; ++i)
        ExpectEmpty(slots, i);
    EXPECT_TRUE(slots.Contains(3));
    EXPECT_FALSE(slots.Contains(4));
    EXPECT_FALSE(slots.Contains(-1));
    slots.Resize(-3);
    EXPECT_EQ(slots.Size(), 0);
}

TEST_F(BoardSlotsTest, Move_CarriesAllFiveValuesAndEmptiesTheSource) {
    BoardSlots slots = Numbered(6, mTiles);
    slots.Move(1, 4);
    ExpectSlotHolds(slots, 4, 1, mTiles);
    ExpectEmpty(slots, 1);
    // Off the board or onto itself: nothing.
    slots.Move(4, 6);
    slots.Move(-1, 2);
    slots.Move(3, 3);
    ExpectSlotHolds(slots, 4, 1, mTiles);
    ExpectSlotHolds(slots, 3, 3, mTiles);
    ExpectSlotHolds(slots, 2, 2, mTiles);
}

TEST_F(BoardSlotsTest, Rotate_TurnsAllFiveArraysTogether) {
    const struct {
        int n;
        int fromOfSlot0;
    } cases[] = {{2, 4}, {-1, 1}, {6, 0}, {8, 4}, {-7, 1}, {0, 0}};
    for (const auto& c : cases) {
        BoardSlots slots = Numbered(6, mTiles);
        slots.Rotate(c.n);
        for (int slot = 0; slot < 6; ++slot)
            ExpectSlotHolds(slots, slot, ((slot - c.n) % 6 + 6) % 6, mTiles);
        EXPECT_EQ(slots.kind[0], c.fromOfSlot0 + 1) << c.n;
    }
    BoardSlots none;
    none.Rotate(3);
    EXPECT_EQ(none.Size(), 0);
}

} // namespace
