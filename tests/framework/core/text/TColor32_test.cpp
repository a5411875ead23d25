#include "framework/core/text/TColor32.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(TColor32, Constructors_PackAsAARRGGBB) {
    EXPECT_EQ(TColor32().GetValue(), 0u);
    EXPECT_EQ(TColor32(1, 2, 3, 4).GetValue(), 0x04010203u);
    EXPECT_EQ(TColor32(0x80FF4020u).GetValue(), 0x80FF4020u);
    static_assert(TColor32(0x11, 0x22, 0x33, 0x44).GetValue() == 0x44112233u);
}

TEST(TColor32, FromFloats_TruncatesTowardZero) {
    struct Case {
        TColor color;
        uint32_t value;
    } cases[] = {
        {TColor(1, 0.5f, 0, 1), 0xFFFF7F00u}, // 127.5 truncates to 127
        {TColor(0, 0, 0, 0), 0x00000000u},
        {TColor(1, 1, 1, 1), 0xFFFFFFFFu},
        {TColor(0.999f, 0.004f, 0.003f, 0.5f), 0x7FFE0100u},
        {TColor(0.2f, 0.4f, 0.6f, 0.8f), 0xCC336699u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TColor32(c.color).GetValue(), c.value)
            << c.color.r << ' ' << c.color.g << ' ' << c.color.b << ' ' << c.color.a;
    }
}

TEST(TColor32, FromFloats_OutOfRangeChannelsStayInTheirByte) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    TColor32 color(TColor(2.0f, -1.0f, nan, inf));
    EXPECT_EQ(color.GetRed(), 255);
    EXPECT_EQ(color.GetGreen(), 0);
    EXPECT_EQ(color.GetBlue(), 0);
    EXPECT_EQ(color.GetAlpha(), 255);
}

TEST(TColor32, Channels_ReadAndReplaceOneByte) {
    TColor32 color(0x11223344u);
    EXPECT_EQ(color.GetAlpha(), 0x11);
    EXPECT_EQ(color.GetRed(), 0x22);
    EXPECT_EQ(color.GetGreen(), 0x33);
    EXPECT_EQ(color.GetBlue(), 0x44);

    struct Case {
        void (TColor32::*set)(uint8_t);
        uint32_t value;
    } cases[] = {
        {&TColor32::SetAlpha, 0xAB223344u},
        {&TColor32::SetRed, 0x11AB3344u},
        {&TColor32::SetGreen, 0x1122AB44u},
        {&TColor32::SetBlue, 0x112233ABu},
    };
    for (const Case& c : cases) {
        TColor32 changed(0x11223344u);
        (changed.*c.set)(0xAB);
        EXPECT_EQ(changed.GetValue(), c.value);
    }
    TColor32 cleared(0xFFFFFFFFu);
    cleared.SetRed(0);
    EXPECT_EQ(cleared, TColor32(0xFF00FFFFu));
}

} // namespace
