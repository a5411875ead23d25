// The vector drawer through the draw front on OpenGL under the offscreen
// driver: calibration finds its span offsets on the device, and a line of
// text drawn through TGraphics matches the drawer's in-memory rendering.

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TTextLayout.h"

#include <gtest/gtest.h>

#include "../GlDrawFixture.h"
#include "support/DriverLeaks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

class VecDrawGraphicsTest : public GlDrawFixture {};

TEST_F(VecDrawGraphicsTest, CalibrationFindsOffsetsThatLightExactlyTheRunsPixels) {
    // As the platform makes it: no sink of its own, so the draw front's.
    drawer->SetSink(nullptr);
    ASSERT_NE(drawer->GetSink(), nullptr);
    drawer->Calibrate();
    std::printf("calibrated through TGraphics: start %.2f end %.2f row %.2f, batches of %d\n",
                drawer->GetStartOffset(), drawer->GetEndOffset(), drawer->GetRowOffset(),
                drawer->GetBatchCapacity());
    EXPECT_NE(Log().find("Vector drawing: calibrated span offsets"), std::string::npos) << Log();
    EXPECT_EQ(drawer->GetBatchCapacity(), 256);
    EXPECT_FALSE(graphics->IsDrawing()) << "the calibration frame is closed";

    // With those offsets, runs of one to five pixels cover exactly their
    // pixels on the screen.
    ASSERT_TRUE(BeginFrame(TColor(0.0f, 0.0f, 0.0f, 1.0f)));
    auto target = std::make_shared<TVecPixelTarget>(64, 16, 0xFF000000u);
    drawer->SetColor(TNbMiniVecDraw::kTextSlot, TColor32(0xFFFFFFFFu));
    TTextLayout layout;
    layout.SetBlockSize(200, 40);
    layout.SetFontSize(12);
    layout.SetColor(TColor(1.0f, 1.0f, 1.0f, 1.0f));
    layout.SetText("|");
    layout.Draw(20.0f, 2.0f, 100.0f, 1.0f, 0, 1.0f);
    const std::vector<uint32_t> screen = EndFrame();
    layout.Draw(20.0f, 2.0f, 100.0f, 1.0f, 0, 1.0f, target);
    ASSERT_FALSE(screen.empty());
    int lit = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool a = (screen[static_cast<size_t>(y) * kWidth + x] & 0xFF) > 0;
            const bool b = (target->At(x, y) & 0xFF) > 0;
            EXPECT_EQ(a, b) << "pixel " << x << "," << y;
            lit += b;
        }
    EXPECT_GT(lit, 5);
}

TEST_F(VecDrawGraphicsTest, TextThroughTheDrawFrontMatchesTheInMemoryRendering) {
    drawer->Calibrate();
    struct Case {
        TColor background;
        uint32_t backgroundWord;
        const char* text;
    };
    const Case cases[] = {
        {TColor(1.0f, 1.0f, 1.0f, 1.0f), 0xFFFFFFFFu,
         "<font color='000000ff'>AgW&\xC3\xA9 Corvalo 0123</font> <b>bold</b> <i>lean</i>"},
        {TColor(0.0f, 0.0f, 0.0f, 1.0f), 0xFF000000u,
         "<font color='f0c060ff'>Gold on black</font> <u>under</u> "
         "<outline color='ff2020' size='2'>outlined</outline>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::unique_ptr<TTextLayout> layout(
            TTextLayout::Create(c.text, 700, 100, 0, "", 25, TColor(0.0f, 0.0f, 0.0f, 1.0f)));
        ASSERT_TRUE(BeginFrame(c.background));
        layout->Draw(10.25f, 20.5f, 1000.0f, 1.0f, 0, 1.0f);
        const std::vector<uint32_t> screen = EndFrame();
        ASSERT_FALSE(screen.empty());
        SaveProbe(c.backgroundWord == 0xFFFFFFFFu ? "text_gl_on_white" : "text_gl_on_black",
                  screen);
        auto target = std::make_shared<TVecPixelTarget>(kWidth, 120, c.backgroundWord);
        layout->Draw(10.25f, 20.5f, 1000.0f, 1.0f, 0, 1.0f, target);

        int worst = 0;
        int lit = 0;
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t a = screen[static_cast<size_t>(y) * kWidth + x];
                const uint32_t b = target->At(x, y);
                if ((b & 0xFFFFFFu) != (c.backgroundWord & 0xFFFFFFu))
                    ++lit;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int d = std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                           static_cast<int>((b >> shift) & 0xFF));
                    worst = std::max(worst, d);
                }
            }
        }
        std::printf("largest channel difference %d over %d inked pixels\n", worst, lit);
        EXPECT_GT(lit, 1000);
        EXPECT_LE(worst, 2);
    }
}

TEST_F(VecDrawGraphicsTest, ScreenTextIsPlacedInTheViewport) {
    drawer->Calibrate();
    std::unique_ptr<TTextLayout> layout(
        TTextLayout::Create("Viewport", 300, 60, 0, "", 20, TColor(0.0f, 0.0f, 0.0f, 1.0f)));
    auto inkLeftTop = [&](const std::vector<uint32_t>& pixels) {
        int left = kWidth, top = kHeight;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if ((pixels[static_cast<size_t>(y) * kWidth + x] & 0xFF) < 128) {
                    left = std::min(left, x);
                    top = std::min(top, y);
                }
        return std::make_pair(left, top);
    };
    ASSERT_TRUE(BeginFrame(TColor(1.0f, 1.0f, 1.0f, 1.0f)));
    layout->Draw(10.0f, 10.0f, 1000.0f, 1.0f, 0, 1.0f);
    const auto plain = inkLeftTop(EndFrame());

    ASSERT_TRUE(BeginFrame(TColor(1.0f, 1.0f, 1.0f, 1.0f)));
    graphics->PushViewport(TRect(100, 200, 500, 400));
    layout->Draw(10.0f, 10.0f, 1000.0f, 1.0f, 0, 1.0f);
    graphics->PopViewport();
    const auto moved = inkLeftTop(EndFrame());
    EXPECT_EQ(moved.first - plain.first, 100);
    EXPECT_EQ(moved.second - plain.second, 200);
}

} // namespace
