#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/display/TDXContext.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/PngWriter.h"
#include "platform/graphics/gl/GlApi.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/DriverLeaks.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

namespace {

constexpr int32_t kWidth = 160;
constexpr int32_t kHeight = 120;
constexpr int32_t kSize = 12;
constexpr int32_t kHotX = 3;
constexpr int32_t kHotY = 4;
constexpr uint32_t kBackground = 0xFF2040A0;

// A 12 x 12 arrow-ish picture: a yellow block of 6 x 8 at (3, 4) with a
// green tip pixel at the hot spot, on the magenta key.
std::shared_ptr<TTexture> CursorPicture() {
    std::vector<uint8_t> bgra;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            if (x == kHotX && y == kHotY)
                bgra.insert(bgra.end(), {0, 255, 0, 255});
            else if (x >= kHotX && x < kHotX + 6 && y >= kHotY && y < kHotY + 8)
                bgra.insert(bgra.end(), {0, 255, 255, 255});
            else
                bgra.insert(bgra.end(), {255, 0, 255, 255});
        }
    return std::make_shared<TTexture>(TString("arrow"), kSize, kSize, std::move(bgra));
}

bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int da = static_cast<int>((a >> shift) & 0xFF);
        const int db = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(da - db) > 2)
            return false;
    }
    return true;
}

class GlCursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        StartLog(mFolder.Path().string().c_str());
        WindowSpec spec;
        spec.caption = "cursor";
        spec.width = kWidth;
        spec.height = kHeight;
        spec.visible = false;
        ASSERT_TRUE(window.Create(spec)) << window.LastError();
        ASSERT_TRUE(window.HasGlContext());
        support::PinGlDriver();
        system = std::make_unique<GlGraphicsSystem>(window);
        TDXContextEnvironment environment;
        environment.system = system.get();
        environment.desktop = &desktop;
        environment.hosted = true;
        environment.cursor.drawOnFrontBuffer = false;
        environment.cursor.now = [this] { return clock.load(); };
        context = std::make_unique<TDXContext>(environment);
        ASSERT_TRUE(context->Create(&window, false, kWidth, kHeight, 32, 1 | 2));
        ASSERT_TRUE(context->SetMouseImage(CursorPicture(), kHotX, kHotY, false));
    }
    void TearDown() override {
        context.reset();
        system.reset();
        window.Destroy();
        StartLog(nullptr);
        ClearSettings();
    }

    void DrawFrame() {
        const DevicePtr& device = context->GetDevice();
        ASSERT_EQ(device->BeginScene(), kGfxOk);
        ASSERT_EQ(device->Clear(gfx::kClearTarget, kBackground, 1.0f, 0), kGfxOk);
        ASSERT_EQ(device->EndScene(), kGfxOk);
    }

    // What the window shows, rows top down, written beside the test's log
    // as a PNG to look at.
    std::vector<uint32_t> Shown(const char* name) {
        std::vector<uint8_t> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4];
                pixels[static_cast<size_t>(y) * kWidth + x] =
                    0xFF000000u | p[0] << 16 | p[1] << 8 | p[2];
            }
        const std::string path = std::string(CORVALO_BINARY_DIR) + "/" + name + ".png";
        WritePngFile(path, pixels.data(), kWidth, kHeight, kWidth);
        return pixels;
    }

    // The picture's tip at the point, its block around it, the background
    // everywhere else.
    void ExpectCursorOnlyAt(const std::vector<uint32_t>& pixels, int32_t px, int32_t py) {
        int wrong = 0;
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x) {
                const int32_t ix = x - (px - kHotX);
                const int32_t iy = y - (py - kHotY);
                uint32_t expected = kBackground;
                if (ix == kHotX && iy == kHotY)
                    expected = 0xFF00FE00;
                else if (ix >= kHotX && ix < kHotX + 6 && iy >= kHotY && iy < kHotY + 8)
                    expected = 0xFFFEFE00;
                if (!Near(pixels[static_cast<size_t>(y) * kWidth + x], expected) && wrong++ < 5)
                    ADD_FAILURE() << "at " << x << "," << y << ": " << std::hex
                                  << pixels[static_cast<size_t>(y) * kWidth + x];
            }
        EXPECT_EQ(wrong, 0);
    }

    support::TempFolder mFolder{"corvalo-gl-cursor-"};
    SdlWindow window;
    NullDesktop desktop;
    std::unique_ptr<GlGraphicsSystem> system;
    std::unique_ptr<TDXContext> context;
    std::atomic<uint32_t> clock{1000};
};

TEST_F(GlCursorTest, Frame_ShowsThePictureAtThePointerMinusTheHotSpot_AndAfterAMoveOnlyThere) {
    DrawFrame();
    context->SetPointerPosition(40, 30);
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    ExpectCursorOnlyAt(Shown("gl_cursor_first"), 40, 30);

    DrawFrame();
    context->SetPointerPosition(100, 70);
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    ExpectCursorOnlyAt(Shown("gl_cursor_moved"), 100, 70);
}

TEST_F(GlCursorTest, HelperThreadUpdate_OnlyAsks_AndTheMainThreadRedraws) {
    DrawFrame();
    context->SetPointerPosition(40, 30);
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    // The helper thread sees the pointer move (its copy is kept by the main
    // thread) after the 16 ms pause; it makes no GL call, which the back
    // end's thread check would stop.
    context->SetPointerPosition(70, 50);
    clock += 16;
    std::thread helper([this] { context->UpdateCursor(-1, -1, false); });
    helper.join();
    ASSERT_TRUE(context->IsCursorRedrawRequested());
    context->ServeCursorRedraw();
    ExpectCursorOnlyAt(Shown("gl_cursor_served"), 70, 50);
}

} // namespace
