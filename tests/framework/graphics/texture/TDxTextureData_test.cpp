#include "TextureTestSupport.h"

#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;
using support::Memory;
using support::NullTextureRig;

namespace {

class TDxTextureDataTest : public support::TextureFolderTest {};

TEST_F(TDxTextureDataTest, CreateSurface_SquareOnlyDevice_EnlargesAndCentres) {
    NullTextureRig rig;
    rig.textures.SetSquareOnly(true);
    TDxTextureData data(rig.textures);
    ASSERT_TRUE(data.CreateSurface(100, 30, false));
    EXPECT_EQ(data.GetSurfaceWidth(), 128u);
    EXPECT_EQ(data.GetSurfaceHeight(), 128u);
    EXPECT_EQ(data.GetBorderX(), 14u);
    EXPECT_EQ(data.GetBorderY(), 49u);

    TDxTextureData simple(rig.textures);
    simple.AddFlags(kTextureSimple);
    ASSERT_TRUE(simple.CreateSurface(100, 30, false));
    EXPECT_EQ(simple.GetSurfaceWidth(), 100u) << "plain surfaces keep their size";
    EXPECT_EQ(simple.GetSurfaceHeight(), 30u);
    EXPECT_EQ(simple.GetBorderX(), 0u);
}

TEST_F(TDxTextureDataTest, CreateSurface_NoDevice_RecordsSizesOnly) {
    TStandaloneTextureDisplay none;
    TDxTextureData data(none);
    EXPECT_FALSE(data.CreateSurface(100, 30, true));
    EXPECT_FALSE(data.HasSurface());
    EXPECT_EQ(data.GetSurfaceWidth(), 128u);
    EXPECT_EQ(data.GetSurfaceHeight(), 32u);
    TDxTextureData target(none);
    target.AddFlags(kTextureRenderTarget);
    EXPECT_TRUE(target.CreateSurface(1, 1, true)) << "a render target is made at the restore";
    EXPECT_EQ(target.GetSurfaceWidth(), 2u);
    EXPECT_EQ(target.GetSurfaceHeight(), 2u);
    EXPECT_EQ(TTextureMemory::GetAllocated(), 0u);
}

// Device textures take the display's depth; alpha picks the alpha form.
TEST_F(TDxTextureDataTest, CreateSurface_DeviceTextureFormats) {
    struct Case {
        uint32_t depth;
        uint8_t flags;
        PixelFormat expected;
    } cases[] = {
        {32, kTextureAlpha, PixelFormat::A8R8G8B8()},
        {32, 0, PixelFormat::X8R8G8B8()},
        {16, kTextureAlpha, PixelFormat::A4R4G4B4()},
        {16, 0, PixelFormat::R5G6B5()},
    };
    for (const Case& c : cases) {
        NullTextureRig rig(c.depth);
        TDxTextureData data(rig.textures);
        data.SetFlags(c.flags);
        ASSERT_TRUE(data.CreateSurface(64, 32, false));
        EXPECT_TRUE(data.IsCreatedByDevice());
        EXPECT_EQ(Memory(data).Format(), c.expected) << c.depth << " " << int(c.flags);
        EXPECT_EQ(Memory(data).MipLevels(), 1u);
        EXPECT_EQ(rig.textures.GetLowMemoryCount(), 0);
    }
}

TEST_F(TDxTextureDataTest, CreateSurface_Mipmap_MakesAFullChain) {
    NullTextureRig rig;
    TDxTextureData data(rig.textures);
    data.SetFlags(kTextureMipmap);
    ASSERT_TRUE(data.CreateSurface(64, 16, false));
    EXPECT_EQ(data.GetMipLevelCount(), -1);
    EXPECT_EQ(Memory(data).MipLevels(), 7u) << "64 down to 1";
}

TEST_F(TDxTextureDataTest, CreateSurface_SixteenBitsOnThirtyTwo_SwitchesToLowMemory) {
    NullTextureRig rig(32, [](NullGraphicsConfig& config) {
        config.textureFormatOverride = PixelFormat::R5G6B5();
    });
    TDxTextureData data(rig.textures);
    ASSERT_TRUE(data.CreateSurface(32, 32, false));
    EXPECT_EQ(rig.textures.GetLowMemoryCount(), 1);
    EXPECT_TRUE(Logged("D3DXCreateTexture::CreateSurface: Created a 16 bit texture when "
                       "requesting 32 bits. Switching to 16 bit mode"));
}

TEST_F(TDxTextureDataTest, CreateSurface_Failure_LogsAndFailsWhileTheDeviceIsValid) {
    NullTextureRig rig;
    rig.system.Faults().FailCall("CreateTexture", 1, E_OUTOFMEMORY);
    TDxTextureData data(rig.textures);
    EXPECT_FALSE(data.CreateSurface(32, 32, false));
    EXPECT_TRUE(Logged("(0x8007000e), File dxtexturedata")) << support::ReadLogText();

    rig.system.Faults().FailCall("CreateTexture", 1, DDERR_UNSUPPORTEDMODE);
    EXPECT_TRUE(data.CreateSurface(32, 32, false)) << "unsupported: no surface, no failure";
    EXPECT_FALSE(data.HasSurface());

    rig.textures.SetValid(false);
    rig.system.Faults().FailCall("CreateTexture", 1, E_FAIL);
    EXPECT_TRUE(data.CreateSurface(32, 32, false)) << "a lost display is restored later";
    EXPECT_FALSE(data.HasSurface());
}

// Plain surfaces use the best alpha format of the display's depth.
TEST_F(TDxTextureDataTest, PlainSurface_KeepsTheFormatWithMostAlpha) {
    struct Case {
        uint32_t depth;
        std::vector<PixelFormat> offered;
        PixelFormat expected;
    } cases[] = {
        {32,
         {PixelFormat::X8R8G8B8(), PixelFormat::A8R8G8B8(), PixelFormat::A4R4G4B4()},
         PixelFormat::A8R8G8B8()},
        {16, {PixelFormat::A1R5G5B5(), PixelFormat::A4R4G4B4()}, PixelFormat::A4R4G4B4()},
        {16, {PixelFormat::A4R4G4B4(), PixelFormat::A1R5G5B5()}, PixelFormat::A4R4G4B4()},
        // No blue to speak of: the first one stays.
        {16,
         {PixelFormat::A1R5G5B5(), PixelFormat{16, 0x0FF0, 0x000C, 0x0003, 0xF000, true, false}},
         PixelFormat::A1R5G5B5()},
    };
    for (const Case& c : cases) {
        NullTextureRig rig(c.depth,
                           [&](NullGraphicsConfig& config) { config.textureFormats = c.offered; });
        TDxTextureData data(rig.textures);
        data.SetFlags(kTextureSimple);
        ASSERT_TRUE(data.CreateSurface(20, 10, false));
        EXPECT_FALSE(data.IsCreatedByDevice());
        EXPECT_EQ(Memory(data).Format(), c.expected) << c.depth;
        EXPECT_TRUE(Memory(data).Caps() & gfx::kCapsOffscreenPlain);
        EXPECT_TRUE(Memory(data).Caps() & gfx::kCapsVideoMemory);
        PixelFormat kept;
        ASSERT_TRUE(TDxTextureData::GetKeptFormat(kept));
        EXPECT_EQ(kept, c.expected);
    }
}

TEST_F(TDxTextureDataTest, PlainSurface_MemoryAndStageCaps) {
    NullTextureRig rig;
    rig.textures.SetSeparateMemories(true);
    TDxTextureData large(rig.textures);
    large.SetFlags(kTextureSimple | kTextureLarge);
    ASSERT_TRUE(large.CreateSurface(1100, 20, false));
    EXPECT_TRUE(Memory(large).Caps() & gfx::kCapsSystemMemory);
    EXPECT_TRUE(Memory(large).Caps() & gfx::kCapsTextureStage);

    // Video memory runs out: the second try goes to system memory.
    rig.system.Config().videoMemory = 1024;
    TDxTextureData small(rig.textures);
    small.SetFlags(kTextureSimple);
    ASSERT_TRUE(small.CreateSurface(64, 64, false));
    EXPECT_TRUE(Memory(small).Caps() & gfx::kCapsSystemMemory);
}

// When the kept format fails, the display's format with alpha is asked for
// (4444 at 16 bits, 8888 with the display's colour masks at 32).
TEST_F(TDxTextureDataTest, PlainSurface_FallsBackToTheDisplayFormatWithAlpha) {
    struct Case {
        uint32_t depth;
        PixelFormat expected;
    } cases[] = {{16, PixelFormat::A4R4G4B4()}, {32, PixelFormat::A8R8G8B8()}};
    for (const Case& c : cases) {
        NullTextureRig rig(c.depth, [](NullGraphicsConfig& config) {
            config.textureFormats = {
                PixelFormat::A1R5G5B5(),
                PixelFormat{32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, true, false}};
        });
        rig.system.Faults().FailCall("CreateSurface", 1, E_FAIL);
        TDxTextureData data(rig.textures);
        data.SetFlags(kTextureSimple);
        ASSERT_TRUE(data.CreateSurface(8, 8, false));
        EXPECT_EQ(Memory(data).Format(), c.expected) << c.depth;
        EXPECT_TRUE(Logged("(0x80004005), File dxtexturedata")) << support::ReadLogText();
    }
}

TEST_F(TDxTextureDataTest, PlainSurface_LastResortHasNoAlphaAndSaysSo) {
    NullTextureRig rig(16);
    rig.system.Faults().FailCall("CreateSurface", 1, E_FAIL);
    rig.system.Faults().FailCall("CreateSurface", 2, E_FAIL);
    rig.system.Faults().FailCall("CreateSurface", 3, E_FAIL);
    TDxTextureData data(rig.textures);
    data.SetFlags(kTextureSimple);
    ASSERT_TRUE(data.CreateSurface(8, 8, false));
    EXPECT_EQ(Memory(data).Format(), PixelFormat::R5G6B5());
    EXPECT_EQ(Memory(data).Caps(), gfx::kCapsTexture);
    EXPECT_TRUE(Logged("SURFACE request FAILED to get DDPF_ALPHAPIXELS."));
}

TEST_F(TDxTextureDataTest, PlainSurface_UnsupportedMode_RecordsSizesOnly) {
    NullTextureRig rig;
    rig.system.Faults().FailFrom("CreateSurface", 1, DDERR_UNSUPPORTEDMODE);
    TDxTextureData data(rig.textures);
    data.SetFlags(kTextureSimple);
    EXPECT_FALSE(data.CreateSurface(100, 30, false));
    EXPECT_FALSE(data.HasSurface());
    EXPECT_EQ(data.GetSurfaceWidth(), 128u);
    EXPECT_EQ(data.GetSurfaceHeight(), 32u);
    data.AddFlags(kTextureRenderTarget);
    EXPECT_TRUE(data.CreateSurface(100, 30, false));
}

// Upload, lock, change a pixel, unlock: the surface holds the change in its
// own format, and the lock read what was uploaded.
TEST_F(TDxTextureDataTest, LockUnlock_RoundTripsInEachFormat) {
    struct Case {
        const char* what;
        uint32_t depth;
        uint8_t flags;
        std::vector<PixelFormat> offered;
        int failures; // plain surface attempts made to fail first
        PixelFormat expected;
        bool direct;
        int tolerance;
        int alphaTolerance = 0;
    } cases[] = {
        {"8888 device", 32, kTextureAlpha, {}, 0, PixelFormat::A8R8G8B8(), true, 0},
        {"4444 device", 16, kTextureAlpha, {}, 0, PixelFormat::A4R4G4B4(), false, 17},
        {"565 device", 16, 0, {}, 0, PixelFormat::R5G6B5(), false, 8},
        {"x888 device", 32, 0, {}, 0, PixelFormat::X8R8G8B8(), false, 0},
        {"8888 plain",
         32,
         kTextureSimple | kTextureAlpha,
         {PixelFormat::A8R8G8B8()},
         0,
         PixelFormat::A8R8G8B8(),
         true,
         0},
        {"4444 plain",
         16,
         kTextureSimple | kTextureAlpha,
         {PixelFormat::A4R4G4B4()},
         0,
         PixelFormat::A4R4G4B4(),
         false,
         17},
        {"1555 plain",
         16,
         kTextureSimple | kTextureAlpha,
         {PixelFormat::A1R5G5B5()},
         0,
         PixelFormat::A1R5G5B5(),
         false,
         8,
         128},
        {"565 plain", 16, kTextureSimple, {}, 3, PixelFormat::R5G6B5(), false, 8},
        {"888 plain", 24, kTextureSimple, {}, 2, PixelFormat::R8G8B8(), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NullTextureRig rig(c.depth, [&](NullGraphicsConfig& config) {
            if (!c.offered.empty())
                config.textureFormats = c.offered;
        });
        for (int i = 1; i <= c.failures; ++i)
            rig.system.Faults().FailCall("CreateSurface", static_cast<uint32_t>(i), E_FAIL);
        TDxTextureData data(rig.textures);
        data.SetFlags(c.flags);
        data.SetImageSize(16, 8);
        ASSERT_TRUE(data.CreateSurface(16, 8, false));
        ASSERT_EQ(Memory(data).Format(), c.expected);
        const bool alpha = (c.flags & kTextureAlpha) && c.expected.alphaMask;
        std::vector<uint32_t> source(16 * 8);
        for (uint32_t i = 0; i < source.size(); ++i)
            source[i] =
                (alpha ? (0x11u * (i % 16)) << 24 : 0xFF000000u) | (i * 0x0A0B0Cu & 0xFFFFFF);
        ASSERT_TRUE(data.Upload(16, 8, reinterpret_cast<const uint8_t*>(source.data())));
        int32_t pitch = 0;
        uint32_t* pixels = data.Lock(pitch);
        ASSERT_NE(pixels, nullptr);
        EXPECT_EQ(pitch, 16) << "pitch in pixels";
        if (c.direct) {
            EXPECT_EQ(reinterpret_cast<uint8_t*>(pixels), Memory(data).LevelBits());
        }
        for (uint32_t y = 0; y < 8; ++y)
            for (uint32_t x = 0; x < 16; ++x) {
                const uint32_t got = pixels[y * pitch + x];
                const uint32_t want = source[y * 16 + x];
                ASSERT_LE(support::ColourDistance(got >> 24, want >> 24),
                          std::max(c.tolerance, c.alphaTolerance));
                ASSERT_LE(support::ColourDistance(got & 0xFFFFFF, want & 0xFFFFFF), c.tolerance)
                    << std::hex << got << " " << want << " at " << x << "," << y;
            }
        pixels[3 * pitch + 5] = alpha ? 0x80FF0000u : 0xFFFF0000u;
        data.Unlock();
        EXPECT_EQ(Memory(data).PixelAt(5, 3) & 0x00FFFFFF, 0x00FF0000u);
        if (alpha) {
            EXPECT_LE(
                support::ColourDistance(Memory(data).PixelAt(5, 3) & 0xFF000000u, 0x80000000u),
                std::max(c.tolerance, c.alphaTolerance));
        }
        EXPECT_EQ(Memory(data).PixelAt(0, 0) & 0x00FFFFFF, 0u) << "other pixels stay";
        EXPECT_EQ(rig.textures.GetBrokenCount(), 0);
    }
}

TEST_F(TDxTextureDataTest, Unlock_FailedWriteBack_MarksDirectXBroken) {
    NullTextureRig rig(16);
    TDxTextureData data(rig.textures);
    data.SetImageSize(4, 4);
    ASSERT_TRUE(data.CreateSurface(4, 4, false));
    int32_t pitch = 0;
    ASSERT_NE(data.Lock(pitch), nullptr);
    rig.system.Faults().FailCall("Lock", 1, DDERR_SURFACELOST);
    data.Unlock();
    EXPECT_EQ(rig.textures.GetBrokenCount(), 1);
}

TEST_F(TDxTextureDataTest, Clear_LostSurface_IsRestoredAndFilled) {
    NullTextureRig rig;
    TDxTextureData data(rig.textures);
    data.SetFlags(kTextureAlpha);
    ASSERT_TRUE(data.CreateSurface(4, 4, false));
    Memory(data).SetPixelAt(1, 1, 0xFFFFFFFF);
    Memory(data).MarkLost();
    data.Clear();
    EXPECT_FALSE(Memory(data).IsMarkedLost());
    EXPECT_EQ(Memory(data).PixelAt(1, 1), 0u);
}

TEST_F(TDxTextureDataTest, Blit_CopiesToATextureAndToTheBackBuffer) {
    NullTextureRig rig;
    TDxTextureData from(rig.textures);
    from.SetFlags(kTextureAlpha);
    from.SetImageSize(8, 8);
    ASSERT_TRUE(from.CreateSurface(8, 8, false));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            Memory(from).SetPixelAt(x, y, 0xFF000000u | static_cast<uint32_t>(y * 8 + x));
    TDxTextureData to(rig.textures);
    to.SetFlags(kTextureAlpha);
    ASSERT_TRUE(to.CreateSurface(16, 16, true));
    const TRect area(2, 3, 5, 7);
    from.Blit(10, 4, &area, &to);
    EXPECT_EQ(Memory(to).PixelAt(10, 4), 0xFF000000u | (3 * 8 + 2));
    EXPECT_EQ(Memory(to).PixelAt(12, 7), 0xFF000000u | (6 * 8 + 4));
    EXPECT_EQ(Memory(to).PixelAt(13, 7), 0u) << "only the area";

    from.Blit(1, 1, nullptr, nullptr);
    EXPECT_EQ(rig.Back().PixelAt(1, 1) & 0xFFFFFF, 0u);
    EXPECT_EQ(rig.Back().PixelAt(8, 8) & 0xFFFFFF, 63u) << "the whole image";

    // Hosted: the back buffer copy is stretched by the viewport scale.
    rig.textures.SetHosted(true);
    SetSetting(TString(kSettingViewportScale), TString("2"));
    const TRect corner(0, 0, 4, 4);
    from.Blit(40, 40, &corner, nullptr);
    EXPECT_EQ(rig.Back().PixelAt(7, 7) & 0xFFFFFF, static_cast<uint32_t>(3 * 8 + 3));
    EXPECT_EQ(rig.Back().PixelAt(2, 0) & 0xFFFFFF, 1u) << "x and y are not used";
}

TEST_F(TDxTextureDataTest, Blit_FastCopyFails_LogsOnceAndCopiesAnyway) {
    NullTextureRig rig;
    TDxTextureData from(rig.textures);
    from.SetImageSize(4, 4);
    ASSERT_TRUE(from.CreateSurface(4, 4, false));
    Memory(from).SetPixelAt(0, 0, 0xFF123456);
    rig.system.Faults().FailFrom("BltFast", 1, E_FAIL);
    from.Blit(3, 3, nullptr, nullptr);
    from.Blit(5, 5, nullptr, nullptr);
    EXPECT_EQ(rig.Back().PixelAt(3, 3) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(rig.Back().PixelAt(5, 5) & 0xFFFFFF, 0x123456u);
    const std::string log = support::ReadLogText();
    const size_t first = log.find("(0x80004005)");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("(0x80004005)", first + 1), std::string::npos) << log;

    rig.system.Faults().ClearRules();
    rig.system.Faults().FailCall("BltFast", 1, DDERR_SURFACELOST);
    from.Blit(0, 0, nullptr, nullptr);
    EXPECT_EQ(rig.textures.GetBrokenCount(), 1);
}

TEST_F(TDxTextureDataTest, MemoryCount_FollowsCreateReleaseAndDestruction) {
    NullTextureRig rig;
    {
        TDxTextureData a(rig.textures);
        a.SetFlags(kTextureAlpha);
        ASSERT_TRUE(a.CreateSurface(64, 32, false));
        EXPECT_EQ(TTextureMemory::GetAllocated(), 64u * 4 * 32);
        TDxTextureData b(rig.textures);
        b.SetFlags(kTextureSimple);
        ASSERT_TRUE(b.CreateSurface(10, 10, false));
        EXPECT_EQ(TTextureMemory::GetAllocated(), 64u * 4 * 32 + 10 * 4 * 10);
        EXPECT_EQ(GetSettingInt(TString("texture_ram_allocated")), 64 * 4 * 32 + 400);
        a.Release();
        EXPECT_FALSE(a.HasSurface());
        EXPECT_EQ(TTextureMemory::GetAllocated(), 400u);
        ASSERT_TRUE(b.CreateSurface(20, 10, false)) << "a new surface replaces the old";
        EXPECT_EQ(TTextureMemory::GetAllocated(), 800u);
    }
    EXPECT_EQ(TTextureMemory::GetAllocated(), 0u);
    EXPECT_EQ(GetSettingInt(TString("texture_ram_allocated")), 0);
    EXPECT_EQ(TTextureMemory::GetMaxAllocated(), 64u * 4 * 32 + 400);
    EXPECT_EQ(GetSettingInt(TString("max_texture_ram_allocated")), 64 * 4 * 32 + 400);
}

TEST_F(TDxTextureDataTest, Restore_ReloadsANamedTextureFromItsFile) {
    NullTextureRig rig;
    support::WritePng(Path("red.png"), 6, 5, [](int32_t, int32_t) { return 0xFFFF0000u; });
    TDxTextureData data(rig.textures);
    data.AddFlags(kTextureAlphaFromImage);
    ASSERT_TRUE(data.LoadImage(Name("red.png")));
    data.Release();
    EXPECT_EQ(TTextureMemory::GetAllocated(), 0u);
    data.Restore();
    ASSERT_TRUE(data.HasSurface());
    EXPECT_EQ(Memory(data).PixelAt(5, 4), 0xFFFF0000u);
    EXPECT_EQ(TTextureMemory::GetAllocated(), 8u * 4 * 8);
    EXPECT_EQ(rig.textures.GetBrokenCount(), 0);
}

TEST_F(TDxTextureDataTest, Restore_DeletedFile_LogsAndDoesNotMarkBroken) {
    NullTextureRig rig;
    support::WritePng(Path("gone.png"), 4, 4, [](int32_t, int32_t) { return 0xFF00FF00u; });
    TDxTextureData data(rig.textures);
    ASSERT_TRUE(data.LoadImage(Name("gone") + TString("?alpha")));
    data.Release();
    std::filesystem::remove(Path("gone.png"));
    data.Restore();
    EXPECT_FALSE(data.HasSurface());
    EXPECT_TRUE(Logged(
        "TDxTextureData::Restore: Failed to restore from file ::" + Path("gone.png") + "?alpha."))
        << support::ReadLogText();
    EXPECT_EQ(rig.textures.GetBrokenCount(), 0);

    // A file that is there but cannot be read back is a broken display.
    std::filesystem::path broken = Path("gone.png");
    support::WritePng(broken.string(), 4, 4, [](int32_t, int32_t) { return 0u; });
    std::filesystem::resize_file(broken, 20);
    data.Restore();
    EXPECT_EQ(rig.textures.GetBrokenCount(), 1);
}

TEST_F(TDxTextureDataTest, Restore_WithMask_BrokenOnlyWhenBothFilesExist) {
    NullTextureRig rig;
    support::WritePng(Path("pic.png"), 4, 4, [](int32_t, int32_t) { return 0xFF0000FFu; });
    support::WritePng(Path("pic-mask.png"), 4, 4, [](int32_t, int32_t) { return 0xFF800000u; });
    TDxTextureData data(rig.textures);
    ASSERT_TRUE(data.LoadImage(Name("pic.png"), Name("pic-mask.png")));
    std::filesystem::remove(Path("pic-mask.png"));
    data.Restore();
    EXPECT_TRUE(Logged("TDxTextureData::Restore: Failed to restore from file ::" + Path("pic.png") +
                       " and ::" + Path("pic-mask.png") + "."));
    EXPECT_EQ(rig.textures.GetBrokenCount(), 0);
}

TEST_F(TDxTextureDataTest, Restore_BlankTexture_IsClearedAgainOrMarksBroken) {
    NullTextureRig rig;
    TDxTextureData data(rig.textures);
    data.AddFlags(kTextureRenderTarget | kTextureAlpha);
    data.SetImageSize(16, 16);
    ASSERT_TRUE(data.CreateSurface(16, 16, true));
    Memory(data).SetPixelAt(2, 2, 0xFFFFFFFF);
    data.Restore();
    ASSERT_TRUE(data.HasSurface());
    EXPECT_EQ(Memory(data).PixelAt(2, 2), 0u);
    EXPECT_EQ(TTextureMemory::GetAllocated(), 16u * 16 * 4);

    rig.system.Faults().FailCall("CreateTexture", 1, E_OUTOFMEMORY);
    data.Restore();
    EXPECT_TRUE(Logged("TDxTextureData::Restore: Failed to restore 16x16 texture"));
    EXPECT_EQ(rig.textures.GetBrokenCount(), 1);
}

} // namespace
