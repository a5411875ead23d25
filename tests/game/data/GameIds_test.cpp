#include "game/data/GameIds.h"

#include <gtest/gtest.h>

TEST(GameIds, TileKindFromName_EveryNameInAnyCase) {
    const struct {
        const char* name;
        int kind;
    } cases[] = {{"star", 1},    {"Diamond", 2},   {"shamrock", 3},    {"Heart", 4},
                 {"SUN", 5},     {"horseshoe", 6}, {"lightning", 7},   {"mushroom", 8},
                 {"wild", 9},    {"bomb", 10},     {"sidewinder", 11}, {"showtime", 12},
                 {"freeze", 13}, {"golden", 14},   {"joker", 15},      {"moon", -1},
                 {"", -1},       {"star ", -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(TileKindFromName(c.name), c.kind) << c.name;
        if (c.kind > 0) {
            TString lowered(c.name);
            lowered.ToLower();
            EXPECT_EQ(TString(TileKindName(c.kind)), lowered);
        }
    }
    EXPECT_STREQ(TileKindName(0), "");
    EXPECT_STREQ(TileKindName(16), "");
}

TEST(GameIds, TileTypeAndModeNames) {
    EXPECT_EQ(TileTypeFromName("Game"), 100);
    EXPECT_EQ(TileTypeFromName("bonus"), 101);
    EXPECT_EQ(TileTypeFromName("SPECIAL"), 102);
    EXPECT_EQ(TileTypeFromName("other"), -1);

    EXPECT_EQ(ModeNameToId("classic"), 1);
    EXPECT_EQ(ModeNameToId("strategy"), 2);
    EXPECT_EQ(ModeNameToId("blitz"), 3);
    EXPECT_EQ(ModeNameToId("joker"), 4);
    EXPECT_EQ(ModeNameToId("cradle"), 5);
    // Mode names are compared as written.
    EXPECT_EQ(ModeNameToId("Classic"), 0);
    EXPECT_EQ(ModeNameToId("rome"), 0);
}

TEST(GameIds, PowerUpKindsAreWildToFreeze) {
    for (int kind = 0; kind < kTileKindCount; ++kind)
        EXPECT_EQ(IsPowerUpKind(kind), kind >= 9 && kind <= 13) << kind;
}
