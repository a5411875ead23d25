#include "platform/graphics/PixelConversion.h"
#include "platform/graphics/null/NullDisplay.h"
#include "platform/graphics/null/NullGraphicsSystem.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;

namespace {

class NullSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(system.CreateDisplay(0, display), kGfxOk);
        ASSERT_EQ(display->SetCooperativeLevel(gfx::kCoopNormal), kGfxOk);
    }

    std::shared_ptr<MemorySurface> Plain(int32_t w, int32_t h, const PixelFormat& format) {
        SurfaceSpec spec;
        spec.width = w;
        spec.height = h;
        spec.hasFormat = true;
        spec.format = format;
        SurfacePtr surface;
        EXPECT_EQ(display->CreateSurface(spec, surface), kGfxOk);
        return std::dynamic_pointer_cast<MemorySurface>(surface);
    }

    NullGraphicsSystem system;
    std::unique_ptr<GraphicsDisplay> display;
};

struct FormatCase {
    const char* name;
    PixelFormat format;
    uint32_t colour;   // written
    uint32_t expected; // read back
};

const FormatCase kFormats[] = {
    {"A8R8G8B8", PixelFormat::A8R8G8B8(), 0x80C04020, 0x80C04020},
    {"X8R8G8B8", PixelFormat::X8R8G8B8(), 0x80C04020, 0xFFC04020},
    {"R8G8B8", PixelFormat::R8G8B8(), 0x80C04020, 0xFFC04020},
    // 5 and 6 bits: the low bits repeat the high ones.
    {"R5G6B5", PixelFormat::R5G6B5(), 0x80FF8410, 0xFFFF8610},
    {"X1R5G5B5", PixelFormat::X1R5G5B5(), 0x80FF8410, 0xFFFF8410},
    {"A1R5G5B5", PixelFormat::A1R5G5B5(), 0x80FF8410, 0xFFFF8410},
    {"A1R5G5B5 clear", PixelFormat::A1R5G5B5(), 0x7FFF8410, 0x00FF8410},
    {"A4R4G4B4", PixelFormat::A4R4G4B4(), 0x80F08010, 0x88FF8811},
};

TEST_F(NullSurfaceTest, FillThenLock_ReadsTheFilledColourInEveryFormat) {
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(c.name);
        auto surface = Plain(7, 5, c.format);
        ASSERT_TRUE(surface);
        const GfxRect area{2, 1, 5, 4};
        ASSERT_EQ(surface->ColorFill(&area, PackPixel(c.format, c.colour)), kGfxOk);
        LockedSurface locked;
        ASSERT_EQ(surface->Lock(nullptr, locked), kGfxOk);
        EXPECT_EQ(locked.pitch % 4, 0);
        EXPECT_GE(locked.pitch, 7 * static_cast<int32_t>(c.format.BytesPerPixel()));
        const auto at = [&](int x, int y) {
            return ReadPixel(c.format,
                             locked.bits + y * locked.pitch + x * c.format.BytesPerPixel());
        };
        EXPECT_EQ(at(2, 1), c.expected);
        EXPECT_EQ(at(4, 3), c.expected);
        EXPECT_EQ(at(1, 1) & 0x00FFFFFF, 0u) << "left of the area stays black";
        EXPECT_EQ(at(5, 3) & 0x00FFFFFF, 0u);
        EXPECT_EQ(at(2, 4) & 0x00FFFFFF, 0u);
        ASSERT_EQ(surface->Unlock(), kGfxOk);
    }
}

TEST_F(NullSurfaceTest, LockWriteUnlock_RoundTripsThroughEveryFormat) {
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(c.name);
        auto surface = Plain(3, 3, c.format);
        LockedSurface locked;
        const GfxRect area{1, 1, 3, 3};
        ASSERT_EQ(surface->Lock(&area, locked), kGfxOk);
        EXPECT_EQ(locked.width, 2);
        WritePixel(c.format, locked.bits + locked.pitch + c.format.BytesPerPixel(), c.colour);
        ASSERT_EQ(surface->Unlock(), kGfxOk);
        EXPECT_EQ(surface->PixelAt(2, 2), c.expected);
        EXPECT_EQ(surface->PixelAt(1, 1) & 0x00FFFFFF, 0u);
    }
}

TEST_F(NullSurfaceTest, CopyBetweenFormats_ConvertsEachPixel) {
    auto from = Plain(4, 4, PixelFormat::A8R8G8B8());
    from->SetPixelAt(1, 2, 0xFFF80400);
    auto to = Plain(4, 4, PixelFormat::R5G6B5());
    ASSERT_EQ(to->BltFast(0, 0, *from, nullptr), kGfxOk);
    EXPECT_EQ(to->PixelAt(1, 2), 0xFFFF0400u);
    EXPECT_EQ(UnpackPixel(PixelFormat::R5G6B5(), 0xF820), 0xFFFF0400u);
}

TEST_F(NullSurfaceTest, BltFast_CopiesTheAreaToThePoint) {
    auto from = Plain(8, 8, PixelFormat::X8R8G8B8());
    const GfxRect red{2, 2, 4, 3};
    from->ColorFill(&red, 0xFF0000);
    auto to = Plain(8, 8, PixelFormat::X8R8G8B8());
    const GfxRect area{2, 2, 4, 3};
    ASSERT_EQ(to->BltFast(5, 6, *from, &area), kGfxOk);
    EXPECT_EQ(to->PixelAt(5, 6), 0xFFFF0000u);
    EXPECT_EQ(to->PixelAt(6, 6), 0xFFFF0000u);
    EXPECT_EQ(to->PixelAt(7, 6), 0xFF000000u);
    EXPECT_EQ(to->PixelAt(5, 7), 0xFF000000u);
    // Beyond the destination's edge is refused, not cut.
    EXPECT_EQ(to->BltFast(7, 7, *from, &area), E_INVALIDARG);
}

TEST_F(NullSurfaceTest, UnscaledCopyInOneFormat_KeepsEveryPixel) {
    // Raw words as a lock leaves them, the unused byte of X8R8G8B8 not
    // clear: the copy reads as the source does.
    struct Case {
        PixelFormat format;
        uint32_t raw;
        uint32_t pixel;
    };
    for (const Case& c : {Case{PixelFormat::A8R8G8B8(), 0x80C04020, 0x80C04020},
                          Case{PixelFormat::X8R8G8B8(), 0x7FC04020, 0xFFC04020}}) {
        auto from = Plain(5, 3, c.format);
        LockedSurface locked;
        ASSERT_EQ(from->Lock(nullptr, locked), kGfxOk);
        std::memcpy(locked.bits + locked.pitch + 2 * 4, &c.raw, 4);
        ASSERT_EQ(from->Unlock(), kGfxOk);
        auto to = Plain(6, 4, c.format);
        const GfxRect dest{1, 1, 6, 4};
        ASSERT_EQ(to->Blt(&dest, *from, nullptr), kGfxOk);
        EXPECT_EQ(to->PixelAt(3, 2), c.pixel) << std::hex << c.raw;
        EXPECT_EQ(to->PixelAt(2, 2) & 0x00FFFFFF, 0u) << "the rest stays black";
        EXPECT_EQ(to->PixelAt(0, 2) & 0x00FFFFFF, 0u);
        EXPECT_EQ(to->PixelAt(3, 0) & 0x00FFFFFF, 0u);
    }
}

TEST_F(NullSurfaceTest, Blt_StretchesByNearestPixel) {
    auto from = Plain(2, 2, PixelFormat::A8R8G8B8());
    from->SetPixelAt(0, 0, 0xFF111111);
    from->SetPixelAt(1, 0, 0xFF222222);
    from->SetPixelAt(0, 1, 0xFF333333);
    from->SetPixelAt(1, 1, 0xFF444444);
    auto to = Plain(6, 4, PixelFormat::A8R8G8B8());
    const GfxRect dest{1, 0, 5, 4};
    ASSERT_EQ(to->Blt(&dest, *from, nullptr), kGfxOk);
    EXPECT_EQ(to->PixelAt(1, 0), 0xFF111111u);
    EXPECT_EQ(to->PixelAt(2, 1), 0xFF111111u);
    EXPECT_EQ(to->PixelAt(3, 1), 0xFF222222u);
    EXPECT_EQ(to->PixelAt(4, 3), 0xFF444444u);
    EXPECT_EQ(to->PixelAt(1, 2), 0xFF333333u);
    EXPECT_EQ(to->PixelAt(0, 0), 0u);
    EXPECT_EQ(to->PixelAt(5, 0), 0u);
}

TEST_F(NullSurfaceTest, BltOntoItself_CopiesOverlappingAreasWhole) {
    auto surface = Plain(4, 1, PixelFormat::A8R8G8B8());
    for (int x = 0; x < 4; ++x)
        surface->SetPixelAt(x, 0, 0xFF000000u | x);
    const GfxRect from{0, 0, 3, 1};
    ASSERT_EQ(surface->BltFast(1, 0, *surface, &from), kGfxOk);
    EXPECT_EQ(surface->PixelAt(1, 0), 0xFF000000u);
    EXPECT_EQ(surface->PixelAt(2, 0), 0xFF000001u);
    EXPECT_EQ(surface->PixelAt(3, 0), 0xFF000002u);
}

TEST_F(NullSurfaceTest, LostSurface_FailsUntilRestored) {
    auto surface = Plain(4, 4, PixelFormat::X8R8G8B8());
    surface->MarkLost();
    LockedSurface locked;
    EXPECT_EQ(surface->Lock(nullptr, locked), DDERR_SURFACELOST);
    EXPECT_EQ(locked.bits, nullptr);
    EXPECT_EQ(surface->ColorFill(nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(surface->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(display->RestoreAllSurfaces(), kGfxOk);
    EXPECT_EQ(surface->IsLost(), kGfxOk);
    EXPECT_EQ(surface->Lock(nullptr, locked), kGfxOk);
    EXPECT_EQ(surface->Lock(nullptr, locked), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->Unlock(), kGfxOk);
    EXPECT_EQ(surface->Unlock(), DDERR_NOTLOCKED);
}

TEST_F(NullSurfaceTest, PrimaryWithBackBuffer_FlipShowsTheBackBuffer) {
    SurfaceSpec spec;
    spec.caps = gfx::kCapsPrimary | gfx::kCapsFlip | gfx::kCaps3dDevice;
    spec.backBufferCount = 1;
    SurfacePtr primary;
    ASSERT_EQ(display->CreateSurface(spec, primary), kGfxOk);
    SurfacePtr back = primary->GetAttachedBackBuffer();
    ASSERT_TRUE(back);
    SurfaceDesc desc;
    back->GetDesc(desc);
    EXPECT_EQ(desc.width, 1280);
    EXPECT_TRUE(desc.caps & gfx::kCapsBackBuffer);
    back->ColorFill(nullptr, 0x00FF00);
    ASSERT_EQ(primary->Flip(), kGfxOk);
    auto shown = std::dynamic_pointer_cast<MemorySurface>(primary);
    EXPECT_EQ(shown->PixelAt(100, 100), 0xFF00FF00u);
    EXPECT_EQ(shown->FlipCount(), 1u);
}

TEST_F(NullSurfaceTest, VideoMemory_RunsOutWithTheOutOfMemoryCode) {
    system.Config().videoMemory = 64 * 64 * 4 + 100;
    const auto first = Plain(64, 64, PixelFormat::A8R8G8B8());
    EXPECT_TRUE(first);
    SurfaceSpec spec;
    spec.width = 64;
    spec.height = 64;
    SurfacePtr second;
    EXPECT_EQ(display->CreateSurface(spec, second), DDERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(second);
    spec.caps |= gfx::kCapsSystemMemory;
    EXPECT_EQ(display->CreateSurface(spec, second), kGfxOk);
}

TEST_F(NullSurfaceTest, CreateTexture_GrowsToPowersOfTwoAndSquareWhenTheDeviceAsks) {
    struct {
        bool pow2, square;
        int32_t w, h, expectW, expectH;
    } const cases[] = {
        {false, false, 100, 30, 100, 30},
        {true, false, 100, 30, 128, 32},
        {false, true, 100, 30, 128, 128},
    };
    for (const auto& c : cases) {
        system.Config().deviceCaps.texturePowerOfTwo = c.pow2;
        system.Config().deviceCaps.textureSquareOnly = c.square;
        int32_t w = c.w, h = c.h;
        PixelFormat format = PixelFormat::A8R8G8B8();
        SurfacePtr texture;
        ASSERT_EQ(display->CreateTexture(w, h, 1, format, texture), kGfxOk);
        EXPECT_EQ(w, c.expectW);
        EXPECT_EQ(h, c.expectH);
        SurfaceDesc desc;
        texture->GetDesc(desc);
        EXPECT_EQ(desc.width, c.expectW);
        EXPECT_TRUE(desc.caps & gfx::kCapsTexture);
    }
}

TEST_F(NullSurfaceTest, CreateTexture_MayComeBackInAnotherFormat) {
    system.Config().textureFormatOverride = PixelFormat::A4R4G4B4();
    int32_t w = 16, h = 16;
    PixelFormat format = PixelFormat::A8R8G8B8();
    SurfacePtr texture;
    ASSERT_EQ(display->CreateTexture(w, h, 1, format, texture), kGfxOk);
    EXPECT_EQ(format, PixelFormat::A4R4G4B4());
}

TEST_F(NullSurfaceTest, LoadTextureFromMemory_FillsEveryMipLevel) {
    int32_t w = 4, h = 4;
    PixelFormat format = PixelFormat::A8R8G8B8();
    SurfacePtr texture;
    ASSERT_EQ(display->CreateTexture(w, h, 0, format, texture), kGfxOk);
    auto memory = std::dynamic_pointer_cast<MemorySurface>(texture);
    ASSERT_EQ(memory->MipLevels(), 3u);
    // Left half white, right half black.
    uint32_t pixels[16];
    for (int i = 0; i < 16; ++i)
        pixels[i] = (i % 4) < 2 ? 0xFFFFFFFF : 0xFF000000;
    ASSERT_EQ(display->LoadTextureFromMemory(*texture, pixels, 4, 4, 16, LoadFilter::Linear),
              kGfxOk);
    EXPECT_EQ(memory->PixelAt(3, 3), 0xFF000000u);
    EXPECT_EQ(memory->PixelAt(0, 0, 1), 0xFFFFFFFFu);
    EXPECT_EQ(memory->PixelAt(1, 0, 1), 0xFF000000u);
    EXPECT_EQ(memory->PixelAt(0, 0, 2), 0xFF808080u);
    ASSERT_EQ(display->LoadTextureFromMemory(*texture, pixels, 4, 4, 16, LoadFilter::Point),
              kGfxOk);
    EXPECT_EQ(memory->PixelAt(0, 0, 2), 0xFFFFFFFFu);
}

// The levels of a format without alpha read opaque and keep no alpha bits
// in memory, whichever way they were made; a 16-bit format rounds each mean
// to its own channels.
TEST_F(NullSurfaceTest, LoadTextureFromMemory_MipLevelsOfFormatsWithoutAlpha) {
    struct Case {
        PixelFormat format;
        uint32_t meanOfLevel2;
    } cases[] = {
        {PixelFormat::X8R8G8B8(), 0xFF604020},
        {PixelFormat::R5G6B5(), 0xFF634121},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format.bitCount);
        int32_t w = 4, h = 4;
        PixelFormat format = c.format;
        SurfacePtr texture;
        ASSERT_EQ(display->CreateTexture(w, h, 0, format, texture), kGfxOk);
        ASSERT_EQ(format, c.format);
        auto memory = std::dynamic_pointer_cast<MemorySurface>(texture);
        // Half the pixels 0x??C08040 with any alpha, half black.
        uint32_t pixels[16];
        for (int i = 0; i < 16; ++i)
            pixels[i] = (i % 4) < 2 ? 0x10C08040u : 0x00000000u;
        ASSERT_EQ(display->LoadTextureFromMemory(*texture, pixels, 4, 4, 16, LoadFilter::Linear),
                  kGfxOk);
        EXPECT_EQ(memory->PixelAt(1, 0, 1), 0xFF000000u);
        EXPECT_EQ(memory->PixelAt(0, 0, 2), c.meanOfLevel2);
        if (c.format.bitCount == 32) {
            uint32_t raw;
            std::memcpy(&raw, memory->LevelBits(2), 4);
            EXPECT_EQ(raw >> 24, 0u) << "alpha bits in a format that has none";
        }
    }
}

} // namespace
