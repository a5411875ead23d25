#include "platform/text/Hex.h"

#include <gtest/gtest.h>

namespace {

TEST(HexDigitValue, DigitsOfEitherCase) {
    const struct {
        int c;
        int value;
    } cases[] = {
        {'0', 0}, {'9', 9}, {'a', 10}, {'f', 15}, {'A', 10}, {'F', 15}, {'7', 7}, {'c', 12},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.c);
        EXPECT_EQ(platform::HexDigitValue(row.c), row.value);
    }
}

TEST(HexDigitValue, AnythingElseIsMinusOne) {
    const int others[] = {'g', 'G', '/', ':',  '@',          '`',   ' ',
                          'x', 0,   -1,  0xFF, 0x41 + 0x100, 0xFF10};
    for (int c : others) {
        SCOPED_TRACE(c);
        EXPECT_EQ(platform::HexDigitValue(c), -1);
    }
}

// A byte above 127 read through a signed char is negative, and no digit.
TEST(HexDigitValue, SignedCharBytesAreNoDigits) {
    const char high = static_cast<char>(0xC1);
    EXPECT_EQ(platform::HexDigitValue(high), -1);
}

} // namespace
