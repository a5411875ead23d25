#include "TextureTestSupport.h"

#include "framework/core/files/TFileSystem.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/process/null/RecordingProcessControl.h"
#include "platform/window/null/NullWindow.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;
using support::NullTextureRig;

namespace {

uint32_t Red(int32_t, int32_t) {
    return 0xFFFF0000u;
}

class TTextureTest : public support::TextureFolderTest {
protected:
    static const TDxTextureData& Data(const std::shared_ptr<TTexture>& texture) {
        return static_cast<const TDxTextureData&>(*texture->GetTextureData());
    }

    TAssetManager mAssets;
};

TEST(MakeTextureKey, NamesAndVariants) {
    struct Case {
        const char* name;
        bool alpha, mipmap, simple;
        const char* key;
    } cases[] = {
        {"images/a.png", false, false, false, "images/a.png:tex"},
        {"images\\sub\\a.png", false, false, false, "images/sub/a.png:tex"},
        {"a", true, false, false, "a:a:tex"},
        {"a", false, true, false, "a:m:tex"},
        {"a", false, false, true, "a:s:tex"},
        {"a?alpha", true, true, true, "a?alpha:a:m:s:tex"},
        {"", false, false, false, ":tex"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeTextureKey(TString(c.name), c.alpha, c.mipmap, c.simple), TString(c.key))
            << c.name;
}

TEST_F(TTextureTest, Get_SharesByKey_NoAlphaAndNoFlagsShareAKey) {
    NullTextureRig rig;
    support::WritePng(Path("pic.png"), 8, 4,
                      [](int32_t x, int32_t) { return x < 4 ? 0x80FF0000u : 0xFF00FF00u; });
    std::shared_ptr<TTexture> noAlpha = TTexture::Get(Name("pic.png"), kTextureLoadNoAlpha);
    ASSERT_NE(noAlpha, nullptr);
    EXPECT_FALSE(noAlpha->HasAlpha());
    std::shared_ptr<TTexture> plain = TTexture::Get(Name("pic.png"));
    EXPECT_EQ(plain, noAlpha) << "same key: the first call's alpha setting stays";
    std::shared_ptr<TTexture> alpha = TTexture::Get(Name("pic.png"), kTextureLoadAlpha);
    ASSERT_NE(alpha, nullptr);
    EXPECT_NE(alpha, noAlpha);
    EXPECT_TRUE(alpha->HasAlpha());
    EXPECT_EQ(mAssets.GetAsset(Name("pic.png") + TString(":a:tex")), alpha);
    EXPECT_TRUE(alpha->IsKindOf(TTexture::GetClassId()));
    EXPECT_TRUE(alpha->IsKindOf(TAsset::GetClassId()));
    EXPECT_STREQ(alpha->GetClassName(), "TTexture");

    // Gone once nobody holds it; the next Get loads again.
    const TString key = Name("pic.png") + TString(":tex");
    noAlpha.reset();
    plain.reset();
    EXPECT_EQ(mAssets.GetAsset(key), nullptr);
    std::shared_ptr<TTexture> again = TTexture::Get(Name("pic.png"));
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->HasAlpha()) << "alpha from the image now";
}

TEST_F(TTextureTest, Get_AlphaFromImageFollowsTheDecoder) {
    NullTextureRig rig;
    support::WritePng(Path("opaque.png"), 4, 4, Red);
    support::WriteJpeg(Path("photo.jpg"), 4, 4, Red);
    // The writer always makes RGBA files: an RGB file needs a grey palette
    // or no alpha chunk, so use a JPEG for "no alpha" from the decoder.
    EXPECT_TRUE(TTexture::Get(Name("opaque.png"))->HasAlpha());
    std::shared_ptr<TTexture> photo = TTexture::Get(Name("photo.jpg"));
    ASSERT_NE(photo, nullptr);
    EXPECT_FALSE(photo->HasAlpha()) << "alpha from image is decided by PNG and JPEG 2000 only";
}

TEST_F(TTextureTest, Get_OptionsAndExtensionRetry) {
    NullTextureRig rig;
    support::WritePng(Path("both.png"), 16, 16, Red);
    support::WriteJpeg(Path("both.jpg"), 8, 8, Red);
    support::WriteJpeg(Path("photo.jpg"), 12, 10, Red);

    std::shared_ptr<TTexture> both = TTexture::Get(Name("both") + TString("?alpha mipmap"));
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->GetWidth(), 16u) << ".png is tried first";
    EXPECT_EQ(both->GetName(), Name("both.png") + TString("?alpha mipmap"));
    EXPECT_TRUE(both->HasAlpha());
    EXPECT_TRUE(both->GetTextureData()->HasFlag(kTextureMipmap));
    EXPECT_EQ(support::Memory(Data(both)).MipLevels(), 5u);

    std::shared_ptr<TTexture> photo = TTexture::Get(Name("photo"));
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->GetWidth(), 12u);
    EXPECT_EQ(photo->GetHeight(), 10u);

    EXPECT_EQ(TTexture::Get(Name("photo.png")), nullptr) << "an extension is not retried";
    EXPECT_EQ(TTexture::Get(Name("nothing")), nullptr);
    EXPECT_EQ(TTexture::Get(Name("photo.gif")), nullptr);
}

TEST_F(TTextureTest, Get_SlowAllowsLargeImagesAndMakesThemSimple) {
    NullTextureRig rig;
    support::WritePng(Path("wide.png"), 1100, 20, Red);
    EXPECT_EQ(TTexture::Get(Name("wide.png")), nullptr);
    std::shared_ptr<TTexture> slow = TTexture::Get(Name("wide.png") + TString("?slow"));
    ASSERT_NE(slow, nullptr);
    EXPECT_TRUE(slow->IsSimple());
    EXPECT_TRUE(slow->GetTextureData()->HasFlag(kTextureLarge));
    EXPECT_EQ(slow->GetTextureData()->GetSurfaceWidth(), 2048u);
    EXPECT_EQ(slow->GetTextureData()->GetSurfaceHeight(), 32u);
}

TEST_F(TTextureTest, Get_SquareOnlyDevice_SimpleKeepsItsHeight) {
    NullTextureRig rig;
    rig.textures.SetSquareOnly(true);
    support::WritePng(Path("strip.png"), 256, 64, Red);
    std::shared_ptr<TTexture> normal = TTexture::Get(Name("strip.png"));
    ASSERT_NE(normal, nullptr);
    EXPECT_EQ(normal->GetTextureData()->GetSurfaceWidth(), 256u);
    EXPECT_EQ(normal->GetTextureData()->GetSurfaceHeight(), 256u);
    EXPECT_EQ(normal->GetTextureData()->GetBorderY(), 96u);
    uint32_t width = 0, height = 0;
    normal->GetSurfaceSize(width, height);
    EXPECT_EQ(width, 256u);
    EXPECT_EQ(height, 256u);
    std::shared_ptr<TTexture> simple = TTexture::Get(Name("strip.png") + TString("?simple"));
    ASSERT_NE(simple, nullptr);
    EXPECT_EQ(simple->GetTextureData()->GetSurfaceWidth(), 256u);
    EXPECT_EQ(simple->GetTextureData()->GetSurfaceHeight(), 64u);
}

TEST_F(TTextureTest, Get_PixelsArriveOnTheSurface) {
    NullTextureRig rig;
    support::WritePng(Path("quads.png"), 6, 3, [](int32_t x, int32_t y) {
        return (x < 3 ? 0xFF102030u : 0x80A0B0C0u) + static_cast<uint32_t>(y);
    });
    std::shared_ptr<TTexture> texture = TTexture::Get(Name("quads.png"));
    ASSERT_NE(texture, nullptr);
    uint32_t* pixels = nullptr;
    int32_t pitch = 0;
    ASSERT_TRUE(texture->Lock(pixels, pitch));
    EXPECT_EQ(pitch, 8);
    EXPECT_EQ(pixels[0], 0xFF102030u);
    EXPECT_EQ(pixels[2 * pitch + 5], 0x80A0B0C2u);
    texture->Unlock();
    const std::vector<uint8_t> bytes = texture->GetPixels();
    ASSERT_EQ(bytes.size(), 6u * 3 * 4);
    EXPECT_EQ(bytes[4 * 5 + 0], 0xC0) << "blue first";
    EXPECT_EQ(bytes[4 * 5 + 3], 0x80);
}

TEST_F(TTextureTest, GetPixels_WithoutADisplay_DecodesTheFileAgain) {
    support::WritePng(Path("cursor.png"), 3, 2, [](int32_t x, int32_t y) {
        return 0xFF000000u | static_cast<uint32_t>(x * 16 + y);
    });
    std::shared_ptr<TTexture> texture = TTexture::GetForCursor(Name("cursor.png"));
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(texture->IsSimple());
    EXPECT_FALSE(texture->GetTextureData()->HasSurface());
    EXPECT_EQ(texture->GetWidth(), 3u);
    const std::vector<uint8_t> bytes = texture->GetPixels();
    ASSERT_EQ(bytes.size(), 3u * 2 * 4);
    EXPECT_EQ(bytes[(1 * 3 + 2) * 4], 2 * 16 + 1);
    EXPECT_EQ(mAssets.GetAsset(Name("cursor.png") + TString(":s:tex")), texture);
}

TEST_F(TTextureTest, GetWithMask_RedBecomesAlphaWhenTheSidesMatch) {
    NullTextureRig rig;
    support::WritePng(Path("pic.png"), 8, 8, [](int32_t, int32_t) { return 0xFF0000FFu; });
    support::WritePng(Path("pic-mask.png"), 8, 8, [](int32_t x, int32_t) {
        return 0xFF000000u | static_cast<uint32_t>(x * 30) << 16;
    });
    support::WritePng(Path("small-mask.png"), 4, 4, [](int32_t, int32_t) { return 0xFF000000u; });

    // The mask is found with ".png" added.
    std::shared_ptr<TTexture> masked =
        TTexture::GetWithMask(Name("pic.png"), Name("pic-mask"), kTextureLoadMipmap);
    ASSERT_NE(masked, nullptr);
    EXPECT_TRUE(masked->HasAlpha());
    EXPECT_EQ(
        mAssets.GetAsset(Name("pic.png") + TString(":") + Name("pic-mask") + TString(":m:tex")),
        masked);
    EXPECT_EQ(masked->GetSourceName(), Name("pic.png") + TString(".") + Name("pic-mask.png"));
    const std::vector<uint8_t> bytes = masked->GetPixels();
    ASSERT_EQ(bytes.size(), 8u * 8 * 4);
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(bytes[7 * 4 + 3], 210);
    EXPECT_EQ(bytes[7 * 4 + 0], 0xFF) << "colour stays";

    std::shared_ptr<TTexture> other =
        TTexture::GetWithMask(Name("pic.png"), Name("small-mask.png"));
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(other->HasAlpha());
    EXPECT_EQ(other->GetPixels()[3], 0xFF) << "a mask of another size is ignored";

    EXPECT_EQ(TTexture::GetWithMask(Name("pic.png"), Name("none.png")), nullptr);
    EXPECT_EQ(TTexture::GetWithMask(Name("pic.png"), Name("none")), nullptr);
}

TEST_F(TTextureTest, AutoMergeMask_JpegTakesItsMaskFile) {
    NullTextureRig rig;
    support::WriteJpeg(Path("photo.jpg"), 8, 8, [](int32_t, int32_t) { return 0xFFFFFFu; });
    support::WritePng(Path("photo.mask.png"), 8, 8,
                      [](int32_t x, int32_t) { return x < 4 ? 0xFF000000u : 0xFFFF0000u; });
    support::WriteJpeg(Path("other.jpg"), 8, 8, [](int32_t, int32_t) { return 0xFFFFFFu; });
    support::WritePng(Path("other.mask.png"), 16, 16, [](int32_t, int32_t) { return 0xFF000000u; });

    std::shared_ptr<TTexture> off = TTexture::Get(Name("photo.jpg"));
    ASSERT_NE(off, nullptr);
    EXPECT_FALSE(off->HasAlpha());
    off.reset();

    SetSetting(TSettingKey::kAutoMergeMask, TString("1"));
    std::shared_ptr<TTexture> photo = TTexture::Get(Name("photo.jpg"));
    ASSERT_NE(photo, nullptr);
    EXPECT_TRUE(photo->HasAlpha());
    std::vector<uint8_t> bytes = photo->GetPixels();
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(bytes[7 * 4 + 3], 0xFF);

    std::shared_ptr<TTexture> other = TTexture::Get(Name("other.jpg"));
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(other->HasAlpha()) << "the alpha bit is set all the same";
    EXPECT_EQ(other->GetPixels()[3], 0xFF) << "but the picture stays opaque";
}

TEST_F(TTextureTest, CreateRenderTarget_IsClearedAndLeavesTheManagerWhenItGoes) {
    NullTextureRig rig;
    std::shared_ptr<TTexture> target = TTexture::CreateRenderTarget(40, 20, true);
    ASSERT_NE(target, nullptr);
    EXPECT_TRUE(target->HasAlpha());
    EXPECT_TRUE(target->GetTextureData()->HasFlag(kTextureRenderTarget));
    EXPECT_EQ(target->GetWidth(), 40u);
    EXPECT_EQ(support::Memory(Data(target)).PixelAt(39, 19), 0u);
    const TString key = TString::Format(
        "%lx:tex:r", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(target.get())));
    EXPECT_EQ(mAssets.GetAsset(key), target);
    const size_t entries = mAssets.GetCount();
    target.reset();
    EXPECT_EQ(mAssets.GetCount(), entries - 1);
    EXPECT_EQ(TTextureMemory::GetAllocated(), 0u);

    rig.system.Faults().FailCall("CreateTexture", 1, E_OUTOFMEMORY);
    EXPECT_EQ(TTexture::CreateRenderTarget(40, 20, false), nullptr);
}

TEST_F(TTextureTest, Blit_ClampsTheSourceToTheImage) {
    NullTextureRig rig;
    support::WritePng(Path("blue.png"), 4, 4, [](int32_t, int32_t) { return 0xFF0000FFu; });
    std::shared_ptr<TTexture> blue = TTexture::Get(Name("blue.png"));
    std::shared_ptr<TTexture> target = TTexture::CreateRenderTarget(16, 16, true);
    ASSERT_NE(blue, nullptr);
    ASSERT_NE(target, nullptr);
    const TRect beyond(-5, -5, 100, 2);
    blue->Blit(3, 3, &beyond, target.get());
    const auto& surface = support::Memory(Data(target));
    EXPECT_EQ(surface.PixelAt(3, 3), 0xFF0000FFu);
    EXPECT_EQ(surface.PixelAt(6, 4), 0xFF0000FFu);
    EXPECT_EQ(surface.PixelAt(7, 3), 0u) << "cut at the image width";
    EXPECT_EQ(surface.PixelAt(3, 5), 0u) << "cut at the given bottom";
}

// The display's device-loss restore reloads every live texture from its
// file through the asset manager; the memory figures follow.
TEST_F(TTextureTest, DeviceLoss_RestoreReloadsLiveTexturesFromTheirFiles) {
    RecordingProcessControl process;
    NullGraphicsSystem system;
    NullDesktop desktop;
    NullWindow window;
    WindowSpec spec;
    spec.width = 640;
    spec.height = 480;
    ASSERT_TRUE(window.Create(spec));
    {
        TRenderer renderer;
        renderer.AttachWindow(&window, &desktop);
        TDXContextEnvironment environment;
        environment.system = &system;
        environment.desktop = &desktop;
        environment.pqGiven = true;
        TDisplayHost host;
        host.releaseAssets = [this] { mAssets.ReleaseAll(); };
        host.restoreAssets = [this] { mAssets.RestoreAll(); };
        renderer.AttachGraphics(environment, host);
        ASSERT_TRUE(renderer.SetDisplay(640, 480, false, false, false, false));

        support::WritePng(Path("a.png"), 4, 4, Red);
        support::WritePng(Path("b.png"), 8, 2, [](int32_t, int32_t) { return 0xFF00FF00u; });
        std::shared_ptr<TTexture> a = TTexture::Get(Name("a.png"));
        std::shared_ptr<TTexture> b = TTexture::Get(Name("b.png") + TString("?simple"));
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(a->GetTextureData()->HasSurface());
        ASSERT_TRUE(b->GetTextureData()->HasSurface());
        const uint64_t counted = TTextureMemory::GetAllocated();
        EXPECT_GT(counted, 0u);
        const platform::SurfacePtr before = Data(a).GetSurface();

        for (int frame = 0; frame < 3; ++frame)
            renderer.GetDisplaySetup()->CountWorkingFrame();
        renderer.GetDisplaySetup()->MarkBroken();
        ASSERT_TRUE(renderer.Restore());
        ASSERT_TRUE(a->GetTextureData()->HasSurface());
        EXPECT_NE(Data(a).GetSurface(), before) << "a new surface";
        EXPECT_EQ(a->GetPixels()[2], 0xFF);
        EXPECT_EQ(b->GetPixels()[1], 0xFF);
        EXPECT_EQ(TTextureMemory::GetAllocated(), counted);
        a.reset();
        b.reset();
        EXPECT_EQ(TTextureMemory::GetAllocated(), 0u);
        EXPECT_EQ(GetSettingInt(TString("texture_ram_allocated")), 0);
        EXPECT_EQ(static_cast<uint64_t>(GetSettingInt(TString("max_texture_ram_allocated"))),
                  counted);
    }
}

} // namespace

namespace {

TEST_F(TTextureTest, MemoryPicture_KeepsItsPixelsAndPutsThemBackAfterARestore) {
    std::vector<uint8_t> bgra(3 * 2 * 4);
    for (size_t i = 0; i < bgra.size(); ++i)
        bgra[i] = static_cast<uint8_t>(i * 7);
    {
        // Without a display: sizes and the pixels as given.
        auto picture = std::make_shared<TTexture>(TString("probe"), 3, 2, bgra);
        EXPECT_EQ(picture->GetName(), TString("probe"));
        EXPECT_EQ(picture->GetWidth(), 3u);
        EXPECT_EQ(picture->GetPixels(), bgra);
    }
    NullTextureRig rig;
    auto picture = std::make_shared<TTexture>(TString("probe"), 3, 2, bgra);
    ASSERT_TRUE(picture->GetTextureData()->HasSurface());
    EXPECT_EQ(support::Memory(Data(picture)).PixelAt(2, 1), 0xA19A938Cu);
    picture->ReleaseResources();
    picture->RestoreResources();
    ASSERT_TRUE(picture->GetTextureData()->HasSurface());
    EXPECT_EQ(support::Memory(Data(picture)).PixelAt(2, 1), 0xA19A938Cu);
    EXPECT_EQ(picture->GetPixels(), bgra);

    auto broken = std::make_shared<TTexture>(TString("short"), 4, 4, std::vector<uint8_t>(8));
    EXPECT_TRUE(broken->GetPixels().empty()) << "too few bytes: an empty picture";
}

} // namespace
