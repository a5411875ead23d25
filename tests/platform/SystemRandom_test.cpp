#include "platform/system/SystemRandom.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

TEST(SystemRandom, FillsWholeBufferDifferentlyEachTime) {
    std::array<uint8_t, 64> first{};
    std::array<uint8_t, 64> second{};
    ASSERT_TRUE(platform::FillSystemRandom(first.data(), first.size()));
    ASSERT_TRUE(platform::FillSystemRandom(second.data(), second.size()));
    // 512 random bits agreeing by chance is not a real possibility.
    EXPECT_NE(first, second);
    // Neither buffer is left at its zeroed start.
    EXPECT_NE(first, (std::array<uint8_t, 64>{}));
}

TEST(SystemRandom, ZeroBytes_Succeeds) {
    EXPECT_TRUE(platform::FillSystemRandom(nullptr, 0));
}
