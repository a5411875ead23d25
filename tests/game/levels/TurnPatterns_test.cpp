#include "game/levels/TurnPatterns.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int O = kCategoryOrdinary;
constexpr int W = kCategoryWild;
constexpr int B = kCategoryBomb;
constexpr int X = kCategoryOther;

struct Case {
    std::vector<int> turn;
    int expected; // with a previous pattern of 99
};

TEST(TurnPatternTable, EveryRowAndEveryTurnWithoutOne) {
    const Case cases[] = {
        {{O}, 1},
        {{W}, 2},
        {{B}, 3},
        {{O, O}, 4},
        {{O, W}, 5},
        {{O, B}, 6},
        {{W, O}, 7},
        {{W, W}, 8},
        {{W, B}, 9},
        {{B, O}, 10},
        {{B, W}, 11},
        {{B, B}, 12},
        {{O, O, O}, 13},
        {{O, O, W}, 14},
        {{O, O, B}, 15},
        {{O, W, O}, 16},
        {{O, W, W}, 17},
        {{O, W, B}, 18},
        {{O, B, O}, 19},
        {{O, B, W}, 20},
        {{O, B, B}, 21},
        {{W, O, O}, 22},
        {{W, O, W}, 23},
        {{W, O, B}, 24},
        // No row: the previous pattern stays.
        {{W, W, O}, 99},
        {{W, W, W}, 99},
        {{W, B, O}, 99},
        {{B, O, O}, 99},
        {{B, B, B}, 99},
        {{X}, 99},
        {{O, X}, 99},
        {{X, O, O}, 99},
        {{}, 99},
        // Longer turns are looked up by their last three tiles.
        {{O, O, O, O}, 13},
        {{O, O, O, O, W}, 14},
        {{W, O, O, B}, 15},
        {{O, O, W, W, O}, 99},
        {{B, O, B, O}, 19},
    };
    const TurnPatternTable table;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.turn));
        EXPECT_EQ(c.expected, table.Find(c.turn, 99));
    }
}

TEST(TurnPatternTable, NoMatchKeepsWhateverCameBefore) {
    const TurnPatternTable table;
    EXPECT_EQ(7, table.Find({W, W, O}, 7));
    EXPECT_EQ(0, table.Find({B, O, O}, 0));
}

} // namespace
