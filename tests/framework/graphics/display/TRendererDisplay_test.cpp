#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/TTexture.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/process/null/RecordingProcessControl.h"
#include "platform/window/null/NullWindow.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

class TRendererDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        WindowSpec spec;
        spec.width = 640;
        spec.height = 480;
        ASSERT_TRUE(window.Create(spec));
        renderer.AttachWindow(&window, &desktop);
        TDXContextEnvironment environment;
        environment.system = &system;
        environment.desktop = &desktop;
        environment.pqGiven = true; // no display file in this test
        environment.cursor.isFullScreen = [this] { return renderer.IsFullScreen(); };
        renderer.AttachGraphics(environment, TDisplayHost{});
    }
    void TearDown() override { ClearSettings(); }

    RecordingProcessControl process;
    NullGraphicsSystem system;
    NullDesktop desktop;
    NullWindow window;
    TRenderer renderer;
};

TEST_F(TRendererDisplayTest, SetDisplay_GoesThroughTheRealDisplay) {
    ASSERT_TRUE(renderer.SetDisplay(800, 600, false, false, false, false));
    EXPECT_TRUE(renderer.HasDisplay());
    EXPECT_TRUE(renderer.IsDeviceValid());
    EXPECT_TRUE(renderer.CanPresent());
    EXPECT_EQ(system.Faults().Calls("CreateDevice"), 1u);
    int w = 0, h = 0;
    bool full = true;
    renderer.GetDisplayMode(w, h, full);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_FALSE(full);

    ASSERT_TRUE(renderer.SetFullScreen(true));
    EXPECT_TRUE(renderer.IsFullScreen());
    DisplayMode mode;
    ASSERT_EQ(renderer.GetDisplaySetup()->GetContext().GetDirectDraw()->GetDisplayMode(mode),
              kGfxOk);
    EXPECT_EQ(mode.width, 800);
    ASSERT_TRUE(renderer.SetFullScreen(false));
    EXPECT_FALSE(renderer.IsFullScreen());
}

TEST_F(TRendererDisplayTest, LostDevice_RestoreBringsItBackAndTheNextFrameDraws) {
    ASSERT_TRUE(renderer.SetDisplay(800, 600, false, false, false, false));
    renderer.GetDisplaySetup()->MarkBroken();
    EXPECT_FALSE(renderer.IsDeviceValid());
    EXPECT_FALSE(renderer.CanPresent());
    EXPECT_TRUE(renderer.Restore());
    EXPECT_TRUE(renderer.CanPresent());
    const DevicePtr& device = renderer.GetDisplaySetup()->GetDevice();
    ASSERT_TRUE(device);
    EXPECT_EQ(device->BeginScene(), kGfxOk);
    EXPECT_EQ(device->Clear(gfx::kClearTarget, 0xFF102030, 1.0f, 0), kGfxOk);
    EXPECT_EQ(device->EndScene(), kGfxOk);
    EXPECT_EQ(renderer.GetDisplaySetup()->GetContext().GetDisplay().Present(), kGfxOk);
}

TEST_F(TRendererDisplayTest, NoDisplayPossible_SetDisplayFails) {
    system.Faults().FailFrom("CreateDisplay", 1, E_FAIL);
    system.Faults().FailFrom("CreateDevice", 1, E_FAIL);
    EXPECT_FALSE(renderer.SetDisplay(800, 600, false, false, false, false));
    EXPECT_TRUE(renderer.GetDisplaySetup()->IsFatal());
    EXPECT_FALSE(renderer.IsDeviceValid());
}

} // namespace

namespace {

// A 4 x 4 picture with see-through corners, as the built-in arrow has.
std::shared_ptr<TTexture> AlphaPicture() {
    std::vector<uint8_t> bgra(4 * 4 * 4, 0);
    for (int i = 5; i < 16; ++i) {
        bgra[i * 4 + 1] = 200;
        bgra[i * 4 + 3] = 255;
    }
    return std::make_shared<TTexture>(TString("arrow"), 4, 4, std::move(bgra));
}

TEST_F(TRendererDisplayTest, SoftwareCursor_TakesThePictureKeyedAndFollowsThePointer) {
    ASSERT_TRUE(renderer.SetDisplay(800, 600, false, false, false, false));
    renderer.SetMouseImage(AlphaPicture(), 1, 1, 1);
    TDXContext& context = renderer.GetDisplaySetup()->GetContext();
    EXPECT_EQ(context.GetCursorSize().x, 0) << "the hardware cursor is the default";
    renderer.SetHardwareCursor(false);
    ASSERT_TRUE(renderer.IsSoftwareCursor());
    EXPECT_FALSE(desktop.CursorShown());
    EXPECT_EQ(context.GetCursorSize(), (TDXContext::Point{4, 4}));
    EXPECT_FALSE(context.IsSecondCursorSlotActive()) << "flags 1: the main slot";
    // The five see-through pixels became the key: 11 visible pixels.
    size_t visible = 0;
    for (const TCursorSpan& span : context.GetCursorImage(false))
        visible += span.pixels.size();
    EXPECT_EQ(visible, 11u);
    renderer.SetMouseImage(AlphaPicture(), 0, 0, 2);
    EXPECT_TRUE(context.IsSecondCursorSlotActive()) << "flags 2: the second slot";

    // A mouse move goes to the cursor and keeps the pointer copy.
    const TRenderer::Point p = renderer.PresentFrame(30, 40);
    EXPECT_EQ(p.x, 30);
    EXPECT_EQ(p.y, 40);
    EXPECT_EQ(context.GetCursorPosition(), (TDXContext::Point{30, 40}));

    renderer.SetHardwareCursor(true);
    EXPECT_EQ(context.GetCursorSize().x, 0) << "the drawn cursor is gone";
}

} // namespace

namespace {

TEST_F(TRendererDisplayTest,
       SoftwareCursor_AfterSwitchingToFullScreen_IsDrawnWhereThePointerMoves) {
    // Without "-pq=": a moved cursor is drawn at once in full screen.
    TDXContextEnvironment environment;
    environment.system = &system;
    environment.desktop = &desktop;
    environment.cursor.isFullScreen = [this] { return renderer.IsFullScreen(); };
    renderer.AttachGraphics(environment, TDisplayHost{});
    ASSERT_TRUE(renderer.SetDisplay(800, 600, false, false, false, false));
    renderer.SetHardwareCursor(false);
    renderer.SetMouseImage(AlphaPicture(), 0, 0, 1);
    renderer.PresentFrame(30, 40);
    ASSERT_TRUE(renderer.SetFullScreen(true));
    TDXContext& context = renderer.GetDisplaySetup()->GetContext();
    // The display was made again: the picture comes back with it.
    context.RestoreMouseImage();
    EXPECT_EQ(context.GetCursorSize().x, 4);
    renderer.PresentFrame(100, 120);
    renderer.PresentFrame(101, 121);
    EXPECT_TRUE(context.IsCursorRedrawRequested());
    renderer.ServeCursorRedraw();
    EXPECT_EQ(context.GetCursorLastDrawn(), (TDXContext::Point{101, 121}));
}

} // namespace
