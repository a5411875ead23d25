#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/display/TDXContext.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/MemorySurface.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/window/null/NullWindow.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

namespace {

constexpr int32_t kWindowX = 100;
constexpr int32_t kWindowY = 50;
constexpr int32_t kCursorSize = 8;
constexpr int32_t kHotX = 2;
constexpr int32_t kHotY = 3;
// The cursor's opaque colour as a 32-bit screen shows it (255 becomes 254).
constexpr uint32_t kDrawnRed = 0xFE0000;

// An 8 x 8 picture: a red square of 4 x 4 at (2, 2) on the magenta key.
std::shared_ptr<TTexture> MakeCursorTexture() {
    std::vector<uint8_t> bgra;
    for (int y = 0; y < kCursorSize; ++y)
        for (int x = 0; x < kCursorSize; ++x) {
            const bool red = x >= 2 && x < 6 && y >= 2 && y < 6;
            bgra.insert(bgra.end(), {uint8_t(red ? 0 : 255), 0, 255, 255});
        }
    return std::make_shared<TTexture>(TString("cursor"), kCursorSize, kCursorSize, std::move(bgra));
}

// A background every pixel of which differs from its neighbours.
uint32_t Background(int32_t x, int32_t y) {
    return static_cast<uint32_t>((x * 7 + y * 13) & 0xFF) << 8 | static_cast<uint32_t>(y & 0xFF);
}

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        StartLog(mLogFolder.Path().string().c_str());
        WindowSpec spec;
        spec.width = 640;
        spec.height = 480;
        ASSERT_TRUE(window.Create(spec));
        window.SetPosition(kWindowX, kWindowY);
        environment.system = &system;
        environment.desktop = &desktop;
        environment.expandIndexedDraws = &expandIndexed;
        environment.lowMemoryVideo = &lowMemoryVideo;
        environment.cursor.now = [this] { return clock.load(); };
        environment.cursor.invalidate = [this] {
            ++invalidations;
            if (onInvalidate)
                onInvalidate();
        };
        environment.cursor.isFullScreen = [this] { return fullScreen; };
        environment.cursor.addRestoreListener = [this](TTask* task) { restoreTasks.AddTask(task); };
        environment.cursor.activeX = [this] { return activeX; };
        environment.cursor.drawOnFrontBuffer = true;
    }
    void TearDown() override {
        context.reset();
        StartLog(nullptr);
        ClearSettings();
    }

    void Make(bool full = false) {
        fullScreen = full;
        context = std::make_unique<TDXContext>(environment);
        ASSERT_TRUE(context->Create(&window, full, 640, 480, 32, 0));
    }

    MemorySurface& Front() { return dynamic_cast<MemorySurface&>(*context->GetFrontBuffer()); }
    MemorySurface& Back() { return dynamic_cast<MemorySurface&>(*context->GetBackBuffer()); }

    void PaintBackground(MemorySurface& surface) {
        for (int32_t y = 0; y < surface.Height(); ++y)
            for (int32_t x = 0; x < surface.Width(); ++x)
                surface.SetPixelAt(x, y, Background(x, y));
    }

    // The cursor's red square at client point p in a surface whose client
    // origin is (ox, oy): every pixel of the square is red, the key around
    // it shows the background.
    void ExpectCursorAt(MemorySurface& surface, int32_t ox, int32_t oy, int32_t px, int32_t py) {
        const int32_t left = ox + px - kHotX;
        const int32_t top = oy + py - kHotY;
        for (int32_t y = 0; y < kCursorSize; ++y)
            for (int32_t x = 0; x < kCursorSize; ++x) {
                const bool red = x >= 2 && x < 6 && y >= 2 && y < 6;
                const uint32_t seen = surface.PixelAt(left + x, top + y) & 0xFFFFFF;
                if (red) {
                    ASSERT_EQ(seen, kDrawnRed) << "at " << x << "," << y;
                }
            }
    }

    // Every pixel outside the rectangle shows the background.
    void ExpectBackgroundOutside(MemorySurface& surface, int32_t left, int32_t top, int32_t width,
                                 int32_t height) {
        for (int32_t y = 0; y < surface.Height(); ++y)
            for (int32_t x = 0; x < surface.Width(); ++x) {
                if (x >= left && x < left + width && y >= top && y < top + height)
                    continue;
                ASSERT_EQ(surface.PixelAt(x, y) & 0xFFFFFF, Background(x, y))
                    << "at " << x << "," << y;
            }
    }

    support::TempFolder mLogFolder{"corvalo-cursor-log-"};
    NullGraphicsSystem system;
    NullDesktop desktop;
    NullWindow window;
    bool expandIndexed = false;
    bool lowMemoryVideo = false;
    bool fullScreen = false;
    bool activeX = false;
    std::atomic<uint32_t> clock{1000};
    int invalidations = 0;
    std::function<void()> onInvalidate;
    TTaskList restoreTasks;
    TDXContextEnvironment environment;
    std::unique_ptr<TDXContext> context;
};

TEST_F(CursorTest, SetMouseImage_WithoutADevice_Fails) {
    context = std::make_unique<TDXContext>(environment);
    EXPECT_FALSE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
}

TEST_F(CursorTest, SetMouseImage_BuildsSpansSurfacesAndTheRestoreListener) {
    Make();
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    EXPECT_EQ(context->GetCursorSize(), (TDXContext::Point{kCursorSize, kCursorSize}));
    EXPECT_EQ(context->GetCursorHotSpotOffset(), (TDXContext::Point{-kHotX, -kHotY}));
    EXPECT_EQ(context->GetCursorImage(false).size(), 4u) << "one span a red row";
    ASSERT_TRUE(context->GetCursorSaveSurface(0));
    ASSERT_TRUE(context->GetCursorSaveSurface(1));
    ASSERT_TRUE(context->GetCursorWorkSurface());
    EXPECT_EQ(restoreTasks.Count(), 1u);
    // A second picture makes no second listener.
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), 0, 0, false));
    EXPECT_EQ(restoreTasks.Count(), 1u);
    // The listener outliving the context asks to be dropped.
    context.reset();
    restoreTasks.RunAll(0);
    EXPECT_EQ(restoreTasks.Count(), 0u);
}

TEST_F(CursorTest, UpdateFrame_Windowed_DrawsAtPointerMinusHotSpotAndKeepsTheBackBufferClean) {
    Make();
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    PaintBackground(Back());
    context->SetPointerPosition(40, 30);
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    ExpectCursorAt(Front(), kWindowX, kWindowY, 40, 30);
    // The back buffer has the frame's own pixels again.
    ExpectBackgroundOutside(Back(), 0, 0, 0, 0);
    EXPECT_TRUE(context->IsCursorBackgroundSaved());

    // The next frame after a move shows it only at the new place.
    context->SetPointerPosition(200, 100);
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    ExpectCursorAt(Front(), kWindowX, kWindowY, 200, 100);
    for (int32_t y = 0; y < 480; ++y)
        for (int32_t x = 0; x < 640; ++x) {
            const bool inNew = x >= 200 - kHotX && x < 200 - kHotX + kCursorSize &&
                               y >= 100 - kHotY && y < 100 - kHotY + kCursorSize;
            if (!inNew) {
                ASSERT_EQ(Front().PixelAt(kWindowX + x, kWindowY + y) & 0xFFFFFF, Background(x, y));
            }
        }
}

TEST_F(CursorTest, UpdateFrame_CursorPartlyOutside_IsClippedToTheClientArea) {
    Make();
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    PaintBackground(Back());
    context->SetPointerPosition(638, 478);
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    // The square's top-left part (client 638..639 x 477..479) is red.
    EXPECT_EQ(Front().PixelAt(kWindowX + 638, kWindowY + 478) & 0xFFFFFF, kDrawnRed);
    EXPECT_EQ(Front().PixelAt(kWindowX + 639, kWindowY + 479) & 0xFFFFFF, kDrawnRed);
    // Nothing spills beyond the window on the desktop.
    EXPECT_EQ(Front().PixelAt(kWindowX + 640, kWindowY + 478) & 0xFFFFFF, 0u);
}

TEST_F(CursorTest, UpdateFrame_PointerOutsideTheWindow_HidesTheCursor) {
    Make();
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    PaintBackground(Back());
    context->SetPointerPosition(40, 30);
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    context->SetPointerPosition(-1, -1);
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    for (int32_t y = 0; y < 480; y += 3)
        for (int32_t x = 0; x < 640; x += 3)
            ASSERT_EQ(Front().PixelAt(kWindowX + x, kWindowY + y) & 0xFFFFFF, Background(x, y));
}

TEST_F(CursorTest, UpdateFrame_FullScreen_FlipsWithTheCursorInTheShownBuffer) {
    Make(true);
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    PaintBackground(Back());
    context->SetPointerPosition(300, 200);
    const uint32_t flips = Front().FlipCount();
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    EXPECT_EQ(Front().FlipCount(), flips + 1);
    ExpectCursorAt(Front(), 0, 0, 300, 200);
}

TEST_F(CursorTest, UpdateFrame_VerticalSyncWaitsOnlyInAWindow) {
    Make();
    context->SetVerticalSync(true);
    const uint32_t before = system.Faults().Calls("WaitForVerticalBlank");
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    EXPECT_EQ(system.Faults().Calls("WaitForVerticalBlank"), before + 1);
}

TEST_F(CursorTest, UpdateFrame_LostPresent_IsReturned) {
    Make();
    system.Faults().FailCall("Blt", 1, DDERR_SURFACELOST);
    EXPECT_EQ(context->UpdateFrame(), DDERR_SURFACELOST);
}

TEST_F(CursorTest, MoveByOnePixel_RestoresTheOldPlaceIncludingTheOverlap) {
    // Between frames the cursor goes straight onto the front buffer (full
    // screen, where a moved cursor is drawn at once).
    Make(true);
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    PaintBackground(Front());
    const int32_t moves[][2] = {{50, 60}, {51, 60}, {51, 61}, {49, 59}, {56, 60}, {300, 10}};
    for (const auto& move : moves) {
        SCOPED_TRACE(move[0]);
        context->UpdateCursor(move[0], move[1], false);
        ExpectCursorAt(Front(), 0, 0, move[0], move[1]);
        ExpectBackgroundOutside(Front(), move[0] - kHotX, move[1] - kHotY, kCursorSize,
                                kCursorSize);
        // Inside the picture's rectangle the key shows the background.
        EXPECT_EQ(Front().PixelAt(move[0] - kHotX, move[1] - kHotY) & 0xFFFFFF,
                  Background(move[0] - kHotX, move[1] - kHotY));
    }
    EXPECT_EQ(context->GetCursorLastDrawn(), (TDXContext::Point{300, 10}));
    context->HideCursor();
    ExpectBackgroundOutside(Front(), 0, 0, 0, 0);
}

TEST_F(CursorTest, MovedInAWindow_AsksForAFrameInsteadOfDrawing) {
    Make();
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    const int before = invalidations;
    const uint32_t draws = context->GetCursorDrawCount();
    context->UpdateCursor(50, 60, false);
    EXPECT_EQ(context->GetCursorDrawCount(), draws);
    EXPECT_GT(invalidations, before);
}

TEST_F(CursorTest, HelperUpdates_DrawAtMostEvery16Ms) {
    Make(true);
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    context->UpdateCursor(10, 10, false); // the pointer enters
    const uint32_t draws = context->GetCursorDrawCount();
    clock += 16;
    context->SetPointerPosition(20, 20);
    context->UpdateCursor(-1, -1, false);
    EXPECT_EQ(context->GetCursorDrawCount(), draws + 1);
    clock += 5;
    context->SetPointerPosition(30, 30);
    EXPECT_EQ(context->UpdateCursor(-1, -1, false), (TDXContext::Point{20, 20}))
        << "within 16 ms: the stored position";
    EXPECT_EQ(context->GetCursorDrawCount(), draws + 1);
    clock += 11;
    EXPECT_EQ(context->UpdateCursor(-1, -1, false), (TDXContext::Point{30, 30}));
    EXPECT_EQ(context->GetCursorDrawCount(), draws + 2);
}

TEST_F(CursorTest, HelperUpdate_WithoutAnImage_ReturnsMinusOne) {
    Make(true);
    EXPECT_EQ(context->UpdateCursor(-1, -1, false).x, -1);
}

TEST_F(CursorTest, HelperUpdate_GivesUpWhenAnotherThreadHoldsTheMutex) {
    Make(true);
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    context->UpdateCursor(10, 10, false);
    const uint32_t draws = context->GetCursorDrawCount();
    std::atomic<bool> held{false}, release{false};
    std::thread holder([&] {
        std::lock_guard lock(context->GetMouseMutex());
        held = true;
        while (!release)
            std::this_thread::yield();
    });
    while (!held)
        std::this_thread::yield();
    clock += 100;
    context->SetPointerPosition(40, 40);
    const TDXContext::Point p = context->UpdateCursor(-1, -1, false);
    release = true;
    holder.join();
    EXPECT_EQ(p, (TDXContext::Point{10, 10})) << "the stored position, nothing drawn";
    EXPECT_EQ(context->GetCursorDrawCount(), draws);
    // Once free, the same update draws.
    EXPECT_EQ(context->UpdateCursor(-1, -1, false), (TDXContext::Point{40, 40}));
    EXPECT_EQ(context->GetCursorDrawCount(), draws + 1);
}

TEST_F(CursorTest, MouseMutex_IsTakenAgainByItsHolder) {
    Make();
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    std::lock_guard lock(context->GetMouseMutex());
    context->SetPointerPosition(40, 30);
    EXPECT_EQ(context->UpdateFrame(), kGfxOk);
    EXPECT_EQ(context->GetCursorLastDrawn(), (TDXContext::Point{40, 30}));
}

TEST_F(CursorTest, LostSurfaceDuringAnUpdate_RecreatesTheSurfacesBeforeThePresent) {
    Make();
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    PaintBackground(Back());
    context->SetPointerPosition(40, 30);
    const auto oldSave = context->GetCursorSaveSurface(0);
    // The save blit of the next frame finds its surfaces lost.
    system.Faults().FailCall("Blt", 1, DDERR_SURFACELOST);
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    EXPECT_TRUE(context->AreCursorSurfacesLost());
    const uint32_t presents = system.Faults().Calls("Blt");
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    EXPECT_FALSE(context->AreCursorSurfacesLost());
    EXPECT_NE(context->GetCursorSaveSurface(0), oldSave) << "made again";
    EXPECT_GT(system.Faults().Calls("Blt"), presents);
    ExpectCursorAt(Front(), kWindowX, kWindowY, 40, 30);
}

TEST_F(CursorTest, SurfacesThatCannotBeMade_SkipThePresent) {
    Make();
    system.Faults().FailCall("CreateSurface", 1, E_FAIL);
    EXPECT_FALSE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    EXPECT_TRUE(context->AreCursorSurfacesToRecreate());
    system.Faults().FailFrom("CreateSurface", 1, E_FAIL);
    PaintBackground(Back());
    const uint32_t before = Front().PixelAt(kWindowX + 5, kWindowY + 5);
    EXPECT_EQ(context->UpdateFrame(), kGfxOk);
    EXPECT_EQ(Front().PixelAt(kWindowX + 5, kWindowY + 5), before) << "not presented";
    system.Faults().ClearRules();
    EXPECT_EQ(context->UpdateFrame(), kGfxOk);
    EXPECT_EQ(Front().PixelAt(kWindowX + 5, kWindowY + 5) & 0xFFFFFF, Background(5, 5));
    EXPECT_FALSE(context->AreCursorSurfacesToRecreate());
}

TEST_F(CursorTest, OutOfVideoMemory_EvictsOnceThenTurnsTheCursorOff) {
    Make();
    system.Faults().FailCall("CreateSurface", 1, DDERR_OUTOFVIDEOMEMORY);
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    EXPECT_EQ(system.Faults().Calls("EvictManagedTextures"), 1u);
    EXPECT_FALSE(context->AreCursorSurfacesUnavailable());

    system.Faults().FailFrom("CreateSurface", 1, DDERR_OUTOFVIDEOMEMORY);
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false))
        << "no cursor is not a failure";
    EXPECT_TRUE(context->AreCursorSurfacesUnavailable());
    EXPECT_FALSE(context->AreCursorSurfacesToRecreate());
    system.Faults().ClearRules();
    PaintBackground(Back());
    context->SetPointerPosition(40, 30);
    ASSERT_EQ(context->UpdateFrame(), kGfxOk);
    EXPECT_EQ(Front().PixelAt(kWindowX + 40, kWindowY + 30) & 0xFFFFFF, Background(40, 30));
}

TEST_F(CursorTest, RestoreMouseImage_WhileBusy_LogsAndLeavesTheFirstToFinish) {
    Make(true);
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    context->UpdateCursor(10, 10, false);
    int nested = 0;
    onInvalidate = [&] {
        if (nested++ == 0)
            context->RestoreMouseImage();
    };
    context->RestoreMouseImage();
    onInvalidate = nullptr;
    EXPECT_GE(nested, 1);
    EXPECT_NE(support::ReadLogText().find("Second concurrent call to RestoreMouseImage"),
              std::string::npos);
    EXPECT_TRUE(context->GetCursorSaveSurface(0));
    // Not busy any more.
    context->RestoreMouseImage();
    EXPECT_EQ(support::ReadLogText().find("Second concurrent call to RestoreMouseImage",
                                          support::ReadLogText().find("Second concurrent") + 1),
              std::string::npos);
}

TEST_F(CursorTest, RestoreListener_RebuildsTheImages) {
    Make();
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    const auto oldWork = context->GetCursorWorkSurface();
    restoreTasks.RunAll(0);
    EXPECT_NE(context->GetCursorWorkSurface(), oldWork);
    EXPECT_EQ(restoreTasks.Count(), 1u) << "it stays for the next restore";
    EXPECT_EQ(context->GetCursorHotSpotOffset(), (TDXContext::Point{-kHotX, -kHotY}));
}

TEST_F(CursorTest, SecondSlot_ReplacesTheMainPictureWhileSet) {
    Make();
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    std::vector<uint8_t> bgra(4 * 4 * 4, 0);
    bgra[3] = 255; // one opaque black pixel at (0, 0)
    auto second = std::make_shared<TTexture>(TString("busy"), 4, 4, std::move(bgra));
    ASSERT_TRUE(context->SetMouseImage(second, 1, 1, true));
    EXPECT_TRUE(context->IsSecondCursorSlotActive());
    EXPECT_EQ(context->GetCursorSize(), (TDXContext::Point{4, 4}));
    EXPECT_EQ(context->GetCursorImage(true).size(), 1u);
    ASSERT_TRUE(context->SetMouseImage(nullptr, 0, 0, true));
    EXPECT_FALSE(context->IsSecondCursorSlotActive());
}

TEST_F(CursorTest, SecondSlotInActiveXMode_MakesASystemCursor) {
    Make();
    activeX = true;
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, true));
    const CursorHandle cursor = context->GetSystemCursor();
    ASSERT_NE(cursor, 0u);
    ASSERT_NE(desktop.Cursor(cursor), nullptr);
    EXPECT_EQ(desktop.CurrentCursor(), cursor);
    EXPECT_EQ(context->GetCursorSize().x, 0) << "no software cursor";
    EXPECT_FALSE(context->IsSecondCursorSlotActive());
}

TEST_F(CursorTest, PreserveFrame_FullScreenCopiesTheShownPictureWithoutTheCursor) {
    Make(true);
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    PaintBackground(Front());
    context->UpdateCursor(50, 60, false);
    ASSERT_TRUE(context->PreserveFrame());
    ExpectBackgroundOutside(Back(), 0, 0, 0, 0);
    EXPECT_TRUE(context->IsCursorBackgroundSaved());
}

TEST_F(CursorTest, BetweenFramesOnAGlDisplay_AsksTheMainThreadForAFrame) {
    environment.cursor.drawOnFrontBuffer = false;
    Make(true);
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    PaintBackground(Back());
    context->UpdateCursor(50, 60, false);
    EXPECT_TRUE(context->IsCursorRedrawRequested());
    EXPECT_EQ(context->GetCursorDrawCount(), 0u) << "nothing drawn off the main thread";
    context->ServeCursorRedraw();
    EXPECT_FALSE(context->IsCursorRedrawRequested());
    ExpectCursorAt(Front(), 0, 0, 50, 60);
}

TEST_F(CursorTest, ReleaseDisplay_DropsTheCursorSurfaces) {
    Make();
    ASSERT_TRUE(context->SetMouseImage(MakeCursorTexture(), kHotX, kHotY, false));
    context->ReleaseDisplay();
    EXPECT_FALSE(context->GetCursorSaveSurface(0));
    EXPECT_FALSE(context->GetCursorWorkSurface());
}

} // namespace
