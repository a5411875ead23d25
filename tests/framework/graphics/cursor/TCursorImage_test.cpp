#include "framework/graphics/cursor/TCursorImage.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

struct Bgra {
    uint8_t b, g, r, a;
};

std::vector<uint8_t> Pixels(const std::vector<Bgra>& row) {
    std::vector<uint8_t> bytes;
    for (const Bgra& p : row)
        bytes.insert(bytes.end(), {p.b, p.g, p.r, p.a});
    return bytes;
}

TEST(TCursorImage, MainSlot_MagentaKeyIsTransparentAndTheRestOpaque) {
    // One row: key, red (alpha 0, still opaque), key variant, blue, green,
    // near-key with some green (visible).
    const std::vector<Bgra> row = {{255, 0, 255, 255}, {0, 0, 255, 0},   {248, 0, 250, 255},
                                   {255, 0, 0, 255},   {0, 255, 0, 255}, {255, 1, 255, 255}};
    const std::vector<uint8_t> bytes = Pixels(row);
    const TCursorImage image =
        BuildCursorImage(bytes.data(), 6, 1, 24, false, PixelFormat::X8R8G8B8());
    ASSERT_EQ(image.size(), 2u);
    EXPECT_EQ(image[0].x, 1);
    ASSERT_EQ(image[0].pixels.size(), 1u);
    EXPECT_EQ(image[0].pixels[0].inverseAlpha, 0) << "slot 0 pixels are opaque whatever alpha";
    EXPECT_EQ(image[0].pixels[0].value[2], 255 * 255) << "red in the third byte";
    EXPECT_EQ(image[1].x, 3);
    EXPECT_EQ(image[1].pixels.size(), 3u);
}

TEST(TCursorImage, SecondSlot_AlphaZeroIsTransparentAndAlphaIsKept) {
    const std::vector<Bgra> rows = {{255, 0, 255, 255},
                                    {10, 20, 30, 0},
                                    {0, 0, 200, 128},
                                    // second row
                                    {0, 0, 0, 0},
                                    {0, 0, 0, 0},
                                    {40, 50, 60, 1}};
    const std::vector<uint8_t> bytes = Pixels(rows);
    const TCursorImage image =
        BuildCursorImage(bytes.data(), 3, 2, 12, true, PixelFormat::X8R8G8B8());
    ASSERT_EQ(image.size(), 3u);
    EXPECT_EQ(image[0].x, 0) << "magenta is visible in slot 1";
    EXPECT_EQ(image[0].pixels.size(), 1u);
    EXPECT_EQ(image[1].x, 2);
    EXPECT_EQ(image[1].pixels[0].inverseAlpha, 127);
    EXPECT_EQ(image[1].pixels[0].value[2], 128 * 200);
    EXPECT_EQ(image[2].y, 1);
    EXPECT_EQ(image[2].x, 2);
    EXPECT_EQ(image[2].pixels[0].inverseAlpha, 254);
}

TEST(TCursorImage, NoPicture_GivesNoSpans) {
    EXPECT_TRUE(BuildCursorImage(nullptr, 4, 4, 16, false, PixelFormat::X8R8G8B8()).empty());
    const std::vector<uint8_t> key = Pixels({{255, 0, 255, 255}, {250, 0, 249, 255}});
    EXPECT_TRUE(BuildCursorImage(key.data(), 2, 1, 8, false, PixelFormat::X8R8G8B8()).empty());
}

struct ComposeCase {
    const char* name;
    PixelFormat format;
    uint32_t old;       // the screen pixel before (raw, little-endian bytes)
    uint8_t r, g, b, a; // the cursor pixel
    uint32_t expected;  // the raw pixel after
};

const ComposeCase kCompose[] = {
    // 32 bits: an opaque 255 comes out 254; the fourth byte is kept.
    {"32 opaque white", PixelFormat::X8R8G8B8(), 0xAA102030, 255, 255, 255, 255, 0xAAFEFEFE},
    {"32 opaque colour", PixelFormat::X8R8G8B8(), 0x00000000, 200, 100, 50, 255, 0x00C76331},
    // Half alpha: high byte of (127 * old + 128 * value).
    {"32 half over white", PixelFormat::X8R8G8B8(), 0x00FFFFFF, 0, 0, 0, 128, 0x007E7E7E},
    {"32 transparent-ish", PixelFormat::X8R8G8B8(), 0x00646464, 255, 255, 255, 1, 0x00646464},
    {"24 opaque", PixelFormat::R8G8B8(), 0x00123456, 255, 0, 0, 255, 0x00FE0000},
    // 16 bits 5-6-5: opaque white fills every mask.
    {"565 opaque white", PixelFormat::R5G6B5(), 0x0000, 255, 255, 255, 255, 0xFFFF},
    {"565 opaque red", PixelFormat::R5G6B5(), 0x07FF, 255, 0, 0, 255, 0xF800},
    // Half black over white: each channel (127 * mask >> 8) & mask.
    {"565 half black over white", PixelFormat::R5G6B5(), 0xFFFF, 0, 0, 0, 128, 0x7BEF},
    {"555 opaque green", PixelFormat::X1R5G5B5(), 0x8000, 0, 255, 0, 255, 0x03E0},
};

uint32_t Compose(const PixelFormat& format, uint32_t old, uint8_t r, uint8_t g, uint8_t b,
                 uint8_t a) {
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(old >> (8 * i));
    TCursorImage image(1);
    image[0].pixels.push_back(MakeCursorPixel(format, r, g, b, a));
    LockedSurface locked;
    locked.bits = bytes;
    locked.pitch = 4;
    locked.width = 1;
    locked.height = 1;
    locked.format = format;
    ComposeCursorImage(image, locked);
    uint32_t after = 0;
    for (int i = 0; i < 4; ++i)
        after |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    const uint32_t bytesUsed = format.BytesPerPixel();
    const uint32_t mask = bytesUsed == 4 ? 0xFFFFFFFF : (1u << (8 * bytesUsed)) - 1;
    return after & mask;
}

TEST(TCursorImage, Compose_FollowsEachScreenFormatsArithmetic) {
    for (const ComposeCase& c : kCompose) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Compose(c.format, c.old, c.r, c.g, c.b, c.a), c.expected);
    }
}

TEST(TCursorImage, Compose_OtherDepthsChangeNothing) {
    PixelFormat eight;
    eight.bitCount = 8;
    EXPECT_EQ(Compose(eight, 0x5A, 255, 255, 255, 255), 0x5Au);
    const TCursorPixel entry = MakeCursorPixel(eight, 255, 255, 255, 255);
    EXPECT_EQ(entry.value[0] | entry.value[1] | entry.value[2], 0);
}

TEST(TCursorImage, Compose_SpansBeyondTheSurfaceAreCut) {
    uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    TCursorImage image(2);
    image[0].x = 1;
    image[0].pixels.assign(3, MakeCursorPixel(PixelFormat::X8R8G8B8(), 255, 255, 255, 255));
    image[1].y = 1; // below the one-row surface
    image[1].pixels.assign(1, MakeCursorPixel(PixelFormat::X8R8G8B8(), 255, 255, 255, 255));
    LockedSurface locked{bytes, 8, 2, 1, PixelFormat::X8R8G8B8()};
    ComposeCursorImage(image, locked);
    EXPECT_EQ(bytes[0], 1) << "left of the span";
    EXPECT_EQ(bytes[4], 254);
    EXPECT_EQ(bytes[7], 8) << "fourth byte kept";
}

} // namespace
