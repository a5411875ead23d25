// Text drawn on the screen through the draw front, on OpenGL under the
// offscreen driver: a paragraph in each style keeps its ink inside its
// bounds, a turned text sprite's ink turns with it, and the debug overlay
// shows its figures. CORVALO_PROBE_DIR=folder writes the frames as PNG.

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TTextLayout.h"
#include "framework/graphics/text/TTextSprite.h"

#include <gtest/gtest.h>

#include "../GlDrawFixture.h"
#include "InkProbe.h"
#include "support/DriverLeaks.h"

#include <algorithm>
#include <cmath>

namespace {

const TColor kWhite(1.0f, 1.0f, 1.0f, 1.0f);
const TColor kBlack(0.0f, 0.0f, 0.0f, 1.0f);

using Box = texttest::InkBox;

Box InkBox(const std::vector<uint32_t>& pixels, int width, int threshold = 32) {
    return texttest::FindInk(
        width, static_cast<int>(pixels.size()) / width,
        [&](int x, int y) {
            return texttest::Darkness(pixels[static_cast<size_t>(y) * width + x]);
        },
        threshold);
}

class TextDrawGlTest : public GlDrawFixture {
protected:
    void SetUp() override {
        GlDrawFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ClearFontCache();
        drawer->Calibrate();
    }
    void TearDown() override {
        ClearFontCache();
        GlDrawFixture::TearDown();
    }
};

TEST_F(TextDrawGlTest, EachStyleKeepsItsInkInsideTheTextBounds) {
    struct Case {
        const char* name;
        const char* text;
        int32_t align = 0;
        int margin = 1;      // pixels the ink may pass the bounds by
        int rightMargin = 1; // italic lean and outline reach further right
    };
    const Case cases[] = {
        {"plain", "Turn two tiles and match the pair before the clock runs out."},
        {"bold", "<b>Bold words stand out in a paragraph of their own.</b>", 0, 1, 2},
        {"italic", "<i>Leaning words in a paragraph of their own.</i>", 0, 1, 6},
        {"underline", "<u>Underlined words in a paragraph of their own.</u>", 0, 3},
        {"outline", "<outline color='ff0000' size='2'>Outlined words go here.</outline>", 0, 3, 3},
        {"link", "Follow <a id='next' color='0000ff'>this link</a> to the next page."},
        {"sizes", "<font size='30'>Big</font> and <font size='12'>small</font> in one line."},
        {"tab", "Name<tab pos='200'>Score<br>Avery<tab pos='200'>1200"},
        {"cursor", "Typing here<cursor>"},
        {"centre", "Centred lines of text wrap inside the block and stay in the middle.", 1},
        {"right", "Right-aligned lines of text wrap inside the block and keep right.", 2},
        {"bottom", "Text at the bottom of its block.", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TTextLayout> layout(
            TTextLayout::Create(c.text, 300, 200, c.align, "", 20, kBlack));
        const TVec2 hover(60.0f, 10.0f);
        layout->HasLinkAt(&hover, 0);
        ASSERT_TRUE(BeginFrame(kWhite));
        layout->Draw(100.0f, 80.0f, 1000.0f, 1.0f, 0, 1.0f);
        const std::vector<uint32_t> screen = EndFrame();
        SaveProbe(std::string("style_") + c.name, screen);
        const TRect bounds = layout->GetTextBounds(1.0f);
        const Box ink = InkBox(screen, kWidth);
        ASSERT_FALSE(ink.Empty());
        EXPECT_GE(ink.left, 100 + bounds.left - c.margin);
        EXPECT_LE(ink.right, 100 + bounds.right + c.rightMargin);
        EXPECT_GE(ink.top, 80 + bounds.top - c.margin);
        EXPECT_LE(ink.bottom, 80 + bounds.bottom + c.margin);
        // The text fills its bounds: no style is lost on the way.
        EXPECT_GT(ink.Width(), (bounds.right - bounds.left) * 8 / 10);
        EXPECT_GT(ink.Height(), (bounds.bottom - bounds.top) / 2);
    }
}

TEST_F(TextDrawGlTest, TurnedTextSpriteTurnsItsInk) {
    auto sprite = TTextSprite::Create(300, 60, 1 | 4, "", 24, kBlack);
    sprite->SetText("Turned sprite");
    ASSERT_TRUE(BeginFrame(kWhite));
    sprite->Draw(TDrawSpec(400.0f, 300.0f));
    const Box flat = InkBox(EndFrame(), kWidth);

    TDrawSpec turned(400.0f, 300.0f);
    turned.mTransform.m[0][0] = 0.0f;
    turned.mTransform.m[0][1] = 1.0f;
    turned.mTransform.m[1][0] = -1.0f;
    turned.mTransform.m[1][1] = 0.0f;
    ASSERT_TRUE(BeginFrame(kWhite));
    sprite->Draw(turned);
    const std::vector<uint32_t> screen = EndFrame();
    SaveProbe("sprite_turned", screen);
    const Box box = InkBox(screen, kWidth);
    ASSERT_FALSE(flat.Empty());
    ASSERT_FALSE(box.Empty());
    EXPECT_NEAR(box.Width(), flat.Height(), 3);
    EXPECT_NEAR(box.Height(), flat.Width(), 3);
    EXPECT_NEAR(box.CentreX(), 400.0f - (flat.CentreY() - 300.0f), 3.0f);
    EXPECT_NEAR(box.CentreY(), 300.0f + (flat.CentreX() - 400.0f), 3.0f);
}

TEST_F(TextDrawGlTest, OverlayShowsItsFiguresInRed) {
    SetSetting(TString("current_sprite_count"), TString("42"));
    ASSERT_TRUE(graphics->ToggleOverlay());
    ASSERT_TRUE(BeginFrame(kWhite));
    graphics->End2d();
    graphics->EndDraw(false); // the overlay is drawn here
    const std::vector<uint32_t> screen = ReadBackBuffer();
    SaveProbe("overlay", screen);
    EXPECT_NE(std::string(graphics->GetOverlayText().CStr()).find("Sprites: 42"),
              std::string::npos);
    int red = 0;
    int outside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = screen[static_cast<size_t>(y) * kWidth + x];
            const bool reddish = ((p >> 16) & 0xFF) > 160 && ((p >> 8) & 0xFF) < 100;
            red += reddish;
            outside += reddish && (x >= 400 || y >= 72);
        }
    EXPECT_GT(red, 300);
    EXPECT_EQ(outside, 0);
    graphics->ToggleOverlay();
}

} // namespace
