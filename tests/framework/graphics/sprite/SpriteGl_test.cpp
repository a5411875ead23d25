#include "framework/graphics/sprite/TSprite.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/texture/TPngImage.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/PngWriter.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/DriverLeaks.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace {

// The spinning ring: four 32 x 32 frames of an opaque ring between radius 5
// and 15 (transparent in the hole and outside), red, green, blue, yellow,
// each with a white bar from the centre at 45 degrees more a frame.
const char kSpin[] = "::" CORVALO_TEST_DATA "/animation/spin";

// Sprites on the real display of a hidden 128 x 128 window under the
// offscreen driver.
class SpriteGlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        StartLog(mFolder.Path().string().c_str());
        WindowSpec spec;
        spec.caption = "sprites";
        spec.width = 128;
        spec.height = 128;
        spec.visible = false;
        ASSERT_TRUE(window.Create(spec)) << window.LastError();
        ASSERT_TRUE(window.HasGlContext());
        support::PinGlDriver();
        system = std::make_unique<GlGraphicsSystem>(window);
        renderer.AttachWindow(&window, &desktop);
        TDXContextEnvironment environment;
        environment.system = system.get();
        environment.desktop = &desktop;
        environment.pqGiven = true;
        renderer.AttachGraphics(environment, TDisplayHost{});
        ASSERT_TRUE(renderer.SetDisplay(128, 128, false, false, true, false))
            << support::ReadLogText();
        graphics = TGraphics::Get();
        ring = TAnimatedTexture::Get(TString(kSpin), TString(), TString());
        ASSERT_TRUE(ring) << support::ReadLogText();
    }
    void TearDown() override {
        ring.reset();
        TGraphics::Destroy();
        renderer.DetachGraphics();
        system.reset();
        window.Destroy();
        StartLog(nullptr);
        ClearSettings();
    }

    // A sprite of one ring frame, centred at (x, y).
    std::shared_ptr<TSprite> Ring(int32_t layer, float x, float y) {
        auto sprite = TSprite::Create(layer, ring);
        sprite->GetDrawSpec().SetPosition(x, y);
        return sprite;
    }

    static constexpr uint32_t kRed = 0xDC2828u;
    static constexpr uint32_t kBlue = 0x2850DCu;

    // Draws the tree on a black frame and keeps the picture as PNG.
    void DrawFrame(TSprite& root, const char* picture) {
        DrawFrameUnder(root, TDrawSpec(), picture);
    }
    void DrawFrameUnder(TSprite& root, const TDrawSpec& parent, const char* picture) {
        ASSERT_TRUE(graphics->BeginDraw());
        graphics->FillRect(TRect(0, 0, 128, 128), TColor(0.0f, 0.0f, 0.0f, 1.0f));
        ASSERT_TRUE(graphics->Begin2d());
        root.Draw(parent, -1);
        graphics->End2d();
        graphics->EndDraw(false);
        GraphicsDisplay* display = renderer.GetDisplaySetup()->GetContext().GetDirectDraw();
        ASSERT_NE(display, nullptr);
        const std::string path = std::string(CORVALO_BINARY_DIR) + "/" + picture;
        EXPECT_TRUE(display->SaveScreenshot(path)) << path;
    }
    // A pixel (0xRRGGBB) of a picture kept by DrawFrame, as a player sees it.
    static uint32_t Seen(const char* picture, int32_t x, int32_t y) {
        const std::string name = std::string("::") + CORVALO_BINARY_DIR + "/" + picture;
        uint8_t* buffer = nullptr;
        int32_t width = 0, height = 0, side = 0;
        bool alpha = false;
        if (!LoadPngImage(name.c_str(), &buffer, &width, &height, &side, &alpha)) {
            ADD_FAILURE() << "cannot read " << name;
            return 0xDEADBEEF;
        }
        const uint8_t* bgra = buffer + (static_cast<size_t>(y) * side + x) * 4;
        const uint32_t rgb = (uint32_t(bgra[2]) << 16) | (uint32_t(bgra[1]) << 8) | bgra[0];
        FreePngImage(buffer);
        return rgb;
    }

    support::TempFolder mFolder{"corvalo-sprite-gl-"};
    TAssetManager assets;
    SdlWindow window;
    NullDesktop desktop;
    std::unique_ptr<GlGraphicsSystem> system;
    TRenderer renderer;
    TGraphics* graphics = nullptr;
    std::shared_ptr<TAnimatedTexture> ring;
};

TEST_F(SpriteGlTest, PixelHitTest_MissesTheTransparentHoleAndHitsTheRing) {
    auto sprite = Ring(0, 64.0f, 64.0f);
    struct Case {
        int32_t x, y, threshold;
        bool hit;
    } cases[] = {
        {64, 64, 128, false}, // the hole
        {64, 64, -1, true},   // inside the bounds: the rectangle test
        {64, 74, 128, true},  // the ring below the hole
        {54, 64, 1, true},    // the ring left of the hole
        {49, 49, 1, false},   // the corner outside the ring, inside the bounds
        {90, 64, 0, false},   // outside the bounds
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sprite->HitTest(c.x, c.y, TDrawSpec(), c.threshold, -1), c.hit)
            << c.x << "," << c.y << " threshold " << c.threshold;
    }
    EXPECT_TRUE(TSprite::GetHitTestTexture());
    // Moved by the parent's record, the ring is tested where it is drawn.
    EXPECT_TRUE(sprite->HitTest(30, 40, TDrawSpec(-34.0f, -34.0f), 128, -1));
    EXPECT_FALSE(sprite->HitTest(30, 30, TDrawSpec(-34.0f, -34.0f), 128, -1));
}

TEST_F(SpriteGlTest, PixelHitTest_ComparesTheDrawnAlphaWithTheThreshold) {
    // A square of alpha 245.
    std::vector<uint32_t> pixels(8 * 8, 0xF5FFFFFFu);
    const std::string path = (mFolder.Path() / "veil.png").string();
    ASSERT_TRUE(WritePngFile(path, pixels.data(), 8, 8, 8));
    auto veil = TTexture::Get(TString(("::" + path).c_str()));
    ASSERT_TRUE(veil);
    auto sprite = TSprite::Create(0, veil);
    sprite->GetDrawSpec().SetPosition(20.0f, 20.0f);
    EXPECT_TRUE(sprite->HitTest(20, 20, TDrawSpec(), 245, -1));
    EXPECT_FALSE(sprite->HitTest(20, 20, TDrawSpec(), 246, -1));
    EXPECT_TRUE(sprite->HitTest(20, 20, TDrawSpec(), 0, -1));
}

TEST_F(SpriteGlTest, PixelHitTest_ScratchTextureGoesWithTheLastSprite) {
    const uint32_t live = TSprite::GetLiveCount();
    ASSERT_EQ(live, 0u) << "another test left sprites alive";
    {
        auto sprite = Ring(0, 64.0f, 64.0f);
        EXPECT_TRUE(sprite->HitTest(64, 74, TDrawSpec(), 128, -1));
        EXPECT_TRUE(TSprite::GetHitTestTexture());
    }
    EXPECT_FALSE(TSprite::GetHitTestTexture());
    auto again = Ring(0, 64.0f, 64.0f);
    EXPECT_TRUE(again->HitTest(64, 74, TDrawSpec(), 128, -1));
}

TEST_F(SpriteGlTest, Draw_NegativeLayersUnderTheParentTheRestOver) {
    // The parent shows the red frame of the animation; its child the blue
    // frame cut from the plain image, 8 pixels to the right.
    auto image = TTexture::Get(TString("::" CORVALO_TEST_DATA "/animation/spin.png"));
    ASSERT_TRUE(image);
    struct Case {
        int32_t layer;
        uint32_t overlap;
        const char* picture;
    } cases[] = {{-1, kRed, "sprite_child_under.png"}, {1, kBlue, "sprite_child_over.png"}};
    for (const Case& c : cases) {
        auto root = TSprite::Create(0);
        auto parent = Ring(0, 60.0f, 64.0f);
        root->AddChild(parent);
        ring->SetCurrentFrame(0);
        auto child = TSprite::Create(c.layer, image);
        child->GetDrawSpec().SetPosition(8.0f, 0.0f);
        child->GetDrawSpec().mFlags = kDrawSourceRect;
        child->GetDrawSpec().mSourceRect = TRect(74, 2, 106, 34);
        parent->AddChild(child);
        DrawFrame(*root, c.picture);
        EXPECT_EQ(Seen(c.picture, 70, 58), c.overlap) << c.picture;
        EXPECT_EQ(Seen(c.picture, 80, 58), kBlue) << c.picture;
        EXPECT_EQ(Seen(c.picture, 48, 58), kRed) << c.picture;
        EXPECT_EQ(Seen(c.picture, 20, 20), 0u) << c.picture;
    }
}

TEST_F(SpriteGlTest, Draw_AnimatedTextureShowsTheFrameFlippedAndFaded) {
    auto root = TSprite::Create(0);
    auto sprite = Ring(0, 64.0f, 64.0f);
    root->AddChild(sprite);
    ring->SetCurrentFrame(2); // blue, the bar pointing down
    DrawFrame(*root, "sprite_frame.png");
    EXPECT_EQ(Seen("sprite_frame.png", 64, 74), 0xFFFFFFu);
    EXPECT_EQ(Seen("sprite_frame.png", 64, 54), kBlue);
    // Flipped vertically by the parent's record: the bar points up.
    DrawFrameUnder(*root, TDrawSpec(0.0f, 0.0f, 1.0f, 1.0f, kDrawFlipVertical),
                   "sprite_flipped.png");
    EXPECT_EQ(Seen("sprite_flipped.png", 64, 54), 0xFFFFFFu);
    EXPECT_EQ(Seen("sprite_flipped.png", 64, 74), kBlue);
    // Half alpha over black halves the colour.
    sprite->GetDrawSpec().mAlpha = 0.5f;
    DrawFrame(*root, "sprite_faded.png");
    const uint32_t faded = Seen("sprite_faded.png", 64, 54);
    EXPECT_NEAR(static_cast<int>(faded & 0xFF), 0xDC / 2, 3);
    // No current frame: nothing.
    ring->SetCurrentFrame(-1);
    DrawFrame(*root, "sprite_none.png");
    EXPECT_EQ(Seen("sprite_none.png", 64, 54), 0u);
}

} // namespace
