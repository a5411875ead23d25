#include "game/random/GameRandom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

TEST(GameRandom, RandomBelow_IsTheMagnitudeModN) {
    ScopedGameRandom seeded(5489);
    TRandom reference;
    reference.Seed(5489);
    for (int i = 0; i < 200; ++i) {
        const int n = 1 + i * 7;
        EXPECT_EQ(RandomBelow(n), MagnitudeModulo(reference.Next(), n)) << i;
    }
}

TEST(GameRandom, RandomInRange_CoversItsBoundsOnly) {
    ScopedGameRandom seeded(7);
    bool seen[5] = {};
    for (int i = 0; i < 500; ++i) {
        const int v = RandomInRange(10, 14);
        ASSERT_GE(v, 10);
        ASSERT_LE(v, 14);
        seen[v - 10] = true;
    }
    for (bool s : seen)
        EXPECT_TRUE(s);
    EXPECT_EQ(RandomInRange(3, 3), 3);
    EXPECT_EQ(RandomInRange(5, 2), 5);
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomBelow(-4), 0);
}

TEST(GameRandom, MagnitudeModulo_TakesRawNumbersAsSigned) {
    const struct {
        uint32_t raw;
        int n;
        int expected;
    } cases[] = {{5, 3, 2},
                 {0xFFFFFFFFu, 10, 1},     // -1
                 {0xFFFFFFF6u, 7, 3},      // -10
                 {0x80000000u, 7, 2},      // 2^31 mod 7
                 {0x80000000u, 1000, 648}, // 2147483648 mod 1000
                 {0x7FFFFFFFu, 1000, 647},
                 {123, 0, 0},
                 {123, -5, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(MagnitudeModulo(c.raw, c.n), c.expected) << c.raw << " mod " << c.n;
}

TEST(GameRandom, Scopes_NestAndRestore) {
    TRandom reference;
    reference.Seed(11);
    const uint32_t first = reference.Next();
    {
        ScopedGameRandom outer(11);
        EXPECT_EQ(GameRandomNext(), first);
        {
            ScopedGameRandom inner(12);
            TRandom other;
            other.Seed(12);
            EXPECT_EQ(GameRandomNext(), other.Next());
        }
        EXPECT_EQ(GameRandomNext(), reference.Next());
    }
}

} // namespace
