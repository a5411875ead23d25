#include "platform/desktop/SystemCursor.h"
#include "platform/window/ProgramIcon.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

using namespace platform;

namespace {

uint32_t Argb(const std::vector<uint8_t>& bgra, int width, int x, int y) {
    const uint8_t* p = &bgra[static_cast<size_t>(y * width + x) * 4];
    return static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

uint32_t BigEndian(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

// Splits a PNG file into its chunks, checking each checksum.
std::vector<Chunk> Chunks(const std::vector<uint8_t>& png) {
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        uint32_t length = BigEndian(&png[at]);
        EXPECT_LE(at + 12 + length, png.size());
        if (at + 12 + length > png.size())
            break;
        uLong crc = crc32(0, &png[at + 4], length + 4);
        EXPECT_EQ(BigEndian(&png[at + 8 + length]), static_cast<uint32_t>(crc));
        chunks.push_back({std::string(reinterpret_cast<const char*>(&png[at + 4]), 4),
                          {png.begin() + at + 8, png.begin() + at + 8 + length}});
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    return chunks;
}

TEST(SystemCursor, Image_IsAnOutlinedArrowWithItsTipAtTheHotSpot) {
    CursorImage arrow = SystemCursorImage();
    ASSERT_EQ(arrow.width, 32);
    ASSERT_EQ(arrow.height, 32);
    ASSERT_EQ(arrow.bgra.size(), 32u * 32u * 4u);
    EXPECT_EQ(arrow.hotX, 0);
    EXPECT_EQ(arrow.hotY, 0);
    EXPECT_EQ(Argb(arrow.bgra, 32, 0, 0), 0xFF000000u) << "the tip is edge";
    EXPECT_EQ(Argb(arrow.bgra, 32, 0, 8), 0xFF000000u) << "the left edge";
    EXPECT_EQ(Argb(arrow.bgra, 32, 2, 8), 0xFFFFFFFFu) << "the body";
    EXPECT_EQ(Argb(arrow.bgra, 32, 7, 17), 0xFFFFFFFFu) << "the tail";
    EXPECT_EQ(Argb(arrow.bgra, 32, 10, 4), 0u) << "beside the right wing";
    EXPECT_EQ(Argb(arrow.bgra, 32, 31, 31), 0u);
    int opaque = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            uint32_t pixel = Argb(arrow.bgra, 32, x, y);
            EXPECT_TRUE(pixel == 0 || pixel == 0xFF000000u || pixel == 0xFFFFFFFFu)
                << x << "," << y;
            opaque += pixel != 0;
            if (y > 21) {
                EXPECT_EQ(pixel, 0u) << "nothing below the tail";
            }
        }
    }
    EXPECT_GT(opaque, 100);
    EXPECT_LT(opaque, 250);
}

TEST(SystemCursor, Png_HoldsThePictureAsRgba) {
    const std::vector<uint8_t>& png = SystemCursorPng();
    ASSERT_GT(png.size(), 8u);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_EQ(std::memcmp(png.data(), signature, 8), 0);
    EXPECT_EQ(&SystemCursorPng(), &png) << "made once";

    std::vector<Chunk> chunks = Chunks(png);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    ASSERT_EQ(chunks[0].data.size(), 13u);
    EXPECT_EQ(BigEndian(&chunks[0].data[0]), 32u);
    EXPECT_EQ(BigEndian(&chunks[0].data[4]), 32u);
    EXPECT_EQ(chunks[0].data[8], 8) << "bit depth";
    EXPECT_EQ(chunks[0].data[9], 6) << "RGBA";
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");

    std::vector<uint8_t> rows(32 * (1 + 32 * 4));
    uLongf size = rows.size();
    ASSERT_EQ(uncompress(rows.data(), &size, chunks[1].data.data(), chunks[1].data.size()), Z_OK);
    ASSERT_EQ(size, rows.size());
    CursorImage arrow = SystemCursorImage();
    for (int y = 0; y < 32; ++y) {
        const uint8_t* row = &rows[static_cast<size_t>(y) * (1 + 32 * 4)];
        ASSERT_EQ(row[0], 0) << "filter of row " << y;
        for (int x = 0; x < 32; ++x) {
            const uint8_t* rgba = row + 1 + x * 4;
            uint32_t argb =
                static_cast<uint32_t>(rgba[3]) << 24 | rgba[0] << 16 | rgba[1] << 8 | rgba[2];
            ASSERT_EQ(argb, Argb(arrow.bgra, 32, x, y)) << x << "," << y;
        }
    }
    std::printf("built-in cursor PNG: %zu bytes\n", png.size());
}

TEST(ProgramIcon, IsACardWithADiamond) {
    WindowIcon icon = ProgramIcon();
    ASSERT_EQ(icon.width, 32);
    ASSERT_EQ(icon.height, 32);
    ASSERT_EQ(icon.bgra.size(), 32u * 32u * 4u);
    EXPECT_EQ(Argb(icon.bgra, 32, 0, 0), 0u) << "outside the card";
    EXPECT_EQ(Argb(icon.bgra, 32, 4, 1), 0u) << "a rounded corner";
    EXPECT_EQ(Argb(icon.bgra, 32, 15, 15), 0xFFD02030u) << "the diamond";
    EXPECT_EQ(Argb(icon.bgra, 32, 6, 4), 0xFFFFFFFFu) << "the card";
    EXPECT_EQ(Argb(icon.bgra, 32, 4, 15), 0xFF203040u) << "the edge";
}

} // namespace
