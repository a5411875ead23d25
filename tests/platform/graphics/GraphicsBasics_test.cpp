#include "platform/graphics/DeviceMatrix.h"
#include "platform/graphics/GraphicsResult.h"
#include "platform/graphics/PixelConversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace platform;

namespace {

TEST(GraphicsResult, CodesKeepTheirNumbersAndNames) {
    const struct {
        GfxResult code;
        uint32_t value;
        const char* text;
    } cases[] = {
        {DDERR_SURFACELOST, 0x887601C2, "DDERR_SURFACELOST"},
        {DDERR_WASSTILLDRAWING, 0x8876021C, "DDERR_WASSTILLDRAWING"},
        {DDERR_OUTOFVIDEOMEMORY, 0x8876017C, "DDERR_OUTOFVIDEOMEMORY"},
        {DDERR_WRONGMODE, 0x8876024B, "DDERR_WRONGMODE"},
        {DDERR_EXCLUSIVEMODEALREADYSET, 0x88760245, "DDERR_EXCLUSIVEMODEALREADYSET"},
        {DDERR_NOEXCLUSIVEMODE, 0x887600E1, "DDERR_NOEXCLUSIVEMODE"},
        {DDERR_CURRENTLYNOTAVAIL, 0x88760028, "DDERR_CURRENTLYNOTAVAIL"},
        {DDERR_NOPALETTEATTACHED, 0x8876023C, "DDERR_NOPALETTEATTACHED"},
        {DDERR_UNSUPPORTEDMODE, 0x8876024E, "DDERR_UNSUPPORTEDMODE"},
        {D3DERR_SCENE_END_FAILED, 0x887602FB, "D3DERR_SCENE_END_FAILED"},
        {D3DERR_SURFACE_NOT_IN_VIDMEM, 0x887602EB, "D3DERR_SURFACE_NOT_IN_VIDMEM"},
        {E_FAIL, 0x80004005, "E_FAIL"},
        {E_POINTER, 0x80004003, "E_POINTER"},
        {E_INVALIDARG, 0x80070057, "E_INVALIDARG"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<uint32_t>(c.code), c.value) << c.text;
        EXPECT_STREQ(GfxResultText(c.code), c.text);
        EXPECT_TRUE(GfxFailed(c.code));
    }
    EXPECT_STREQ(GfxResultText(MakeGfxResult(0x88760001)), "unknown error");
    EXPECT_STREQ(GfxResultText(kGfxOk), "ok");
}

TEST(DeviceMatrix, OrthoOffCenter_MapsTheBoxCornersToClipCorners) {
    // A 1024 x 768 screen, y down: left 0, right 1024, bottom 768, top 0.
    const DeviceMatrix m = MatrixOrthoOffCenterLH(0.0f, 1024.0f, 768.0f, 0.0f, 0.1f, 1000.0f);
    EXPECT_FLOAT_EQ(m.m[0][0], 2.0f / 1024.0f);
    EXPECT_FLOAT_EQ(m.m[1][1], 2.0f / -768.0f);
    EXPECT_FLOAT_EQ(m.m[2][2], 1.0f / 999.9f);
    EXPECT_FLOAT_EQ(m.m[3][0], -1.0f);
    EXPECT_FLOAT_EQ(m.m[3][1], 1.0f);
    EXPECT_FLOAT_EQ(m.m[3][2], 0.1f / (0.1f - 1000.0f));
    EXPECT_FLOAT_EQ(m.m[3][3], 1.0f);
    EXPECT_FLOAT_EQ(m.m[0][1], 0.0f);
    // (1024, 768) lands on the bottom right of clip space.
    const float x = 1024.0f * m.m[0][0] + m.m[3][0];
    const float y = 768.0f * m.m[1][1] + m.m[3][1];
    EXPECT_FLOAT_EQ(x, 1.0f);
    EXPECT_FLOAT_EQ(y, -1.0f);
}

TEST(DeviceMatrix, PerspectiveFov_PutsNearAtZeroAndFarAtOne) {
    const float pi = 3.14159265f;
    const DeviceMatrix m = MatrixPerspectiveFovLH(pi / 2.0f, 2.0f, 1.0f, 11.0f);
    EXPECT_NEAR(m.m[1][1], 1.0f, 1e-6);
    EXPECT_NEAR(m.m[0][0], 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(m.m[2][3], 1.0f);
    // z' / w' for points at the near and far planes.
    const auto depth = [&](float z) { return (z * m.m[2][2] + m.m[3][2]) / (z * m.m[2][3]); };
    EXPECT_NEAR(depth(1.0f), 0.0f, 1e-6);
    EXPECT_NEAR(depth(11.0f), 1.0f, 1e-6);
}

TEST(DeviceMatrix, Multiply_AppliesTheLeftMatrixFirst) {
    DeviceMatrix move = DeviceMatrix::Identity();
    move.m[3][0] = 3.0f;
    DeviceMatrix scale = DeviceMatrix::Identity();
    scale.m[0][0] = 2.0f;
    const DeviceMatrix both = MatrixMultiply(move, scale);
    EXPECT_FLOAT_EQ(both.m[3][0], 6.0f);
    EXPECT_EQ(MatrixMultiply(DeviceMatrix::Identity(), move), move);
}

TEST(PixelConversion, FillValue_ScalesEachChannelByItsMask) {
    EXPECT_EQ(FillValue(PixelFormat::A8R8G8B8(), 1.0f, 0.0f, 0.0f, 1.0f), 0xFFFF0000u);
    EXPECT_EQ(FillValue(PixelFormat::R5G6B5(), 0.0f, 1.0f, 0.0f, 1.0f), 0x07E0u);
    EXPECT_EQ(FillValue(PixelFormat::X8R8G8B8(), 0.0f, 0.0f, 0.5f, 1.0f), 0x7Fu);
}

// A surface's own codec gives what the free conversions give, in every
// format the display code uses: every 16-bit raw value, and colours that
// test each channel's rounding and the alpha of formats without it.
TEST(PixelConversion, PixelCodec_AgreesWithThePerCallConversionsInEveryFormat) {
    const PixelFormat formats[] = {PixelFormat::A8R8G8B8(), PixelFormat::X8R8G8B8(),
                                   PixelFormat::R8G8B8(),   PixelFormat::R5G6B5(),
                                   PixelFormat::X1R5G5B5(), PixelFormat::A1R5G5B5(),
                                   PixelFormat::A4R4G4B4()};
    const uint32_t colours[] = {0x00000000, 0xFFFFFFFF, 0x80402010, 0x7FFF0001,
                                0x12345678, 0xFF00FF00, 0x01FEFDFC, 0xC0C0C0C0};
    for (const PixelFormat& format : formats) {
        SCOPED_TRACE(format.bitCount);
        const PixelCodec codec(format);
        for (uint32_t colour : colours) {
            EXPECT_EQ(codec.Pack(colour), PackPixel(format, colour)) << std::hex << colour;
            EXPECT_EQ(codec.Unpack(codec.Pack(colour)),
                      UnpackPixel(format, PackPixel(format, colour)))
                << std::hex << colour;
            uint8_t viaCodec[4] = {}, viaCall[4] = {};
            codec.Write(viaCodec, colour);
            WritePixel(format, viaCall, colour);
            EXPECT_EQ(0, std::memcmp(viaCodec, viaCall, 4));
            EXPECT_EQ(codec.Read(viaCodec), ReadPixel(format, viaCall));
        }
        if (format.bitCount == 16) {
            for (uint32_t raw = 0; raw <= 0xFFFF; ++raw) {
                ASSERT_EQ(codec.Unpack(raw), UnpackPixel(format, raw)) << std::hex << raw;
            }
        }
    }
    // The byte-order formats: the word itself, but for the alpha byte.
    EXPECT_EQ(PackPixel(PixelFormat::A8R8G8B8(), 0x12345678), 0x12345678u);
    EXPECT_EQ(PackPixel(PixelFormat::X8R8G8B8(), 0x12345678), 0x00345678u);
    EXPECT_EQ(UnpackPixel(PixelFormat::X8R8G8B8(), 0x12345678), 0xFF345678u);
    EXPECT_EQ(UnpackPixel(PixelFormat::R5G6B5(), 0xF800), 0xFFFF0000u);
    EXPECT_EQ(PackPixel(PixelFormat::A4R4G4B4(), 0x80FF4010), 0x8F41u);
}

} // namespace
