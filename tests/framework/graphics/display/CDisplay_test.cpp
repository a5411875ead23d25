#include "framework/core/log/TLog.h"
#include "framework/graphics/display/CDisplay.h"
#include "framework/graphics/display/DxError.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/PixelConversion.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/window/null/NullWindow.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace platform;

namespace {

class CDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartLog(mLogFolder.Path().string().c_str());
        WindowSpec spec;
        spec.width = 640;
        spec.height = 480;
        spec.x = 100;
        spec.y = 50;
        ASSERT_TRUE(window.Create(spec));
    }
    void TearDown() override { StartLog(nullptr); }

    std::string Log() const { return support::ReadLogText(); }
    bool Logged(const std::string& line) const { return Log().find(line) != std::string::npos; }
    size_t Boxes() const {
        size_t count = 0;
        for (const std::string& call : desktop.Calls())
            count += call.find("Sorry, but this product isn't compatible") != std::string::npos;
        return count;
    }
    uint32_t Pixel(const SurfacePtr& surface, int32_t x, int32_t y) {
        LockedSurface locked;
        EXPECT_EQ(surface->Lock(nullptr, locked), kGfxOk);
        const uint32_t value = ReadPixel(locked.format, locked.bits + y * locked.pitch +
                                                            x * locked.format.BytesPerPixel());
        surface->Unlock();
        return value;
    }

    support::TempFolder mLogFolder{"corvalo-display-log-"};
    NullGraphicsSystem system;
    NullDesktop desktop;
    NullWindow window;
    CDisplay display{system, &desktop};
};

TEST_F(CDisplayTest, CreateFullScreen_MakesTheFlipChainInTheModeAndClearsIt) {
    ASSERT_EQ(display.CreateFullScreen(&window, 1024, 768, 32, 0), kGfxOk);
    ASSERT_TRUE(display.GetFrontBuffer());
    ASSERT_TRUE(display.GetBackBuffer());
    EXPECT_FALSE(display.IsWindowed());
    EXPECT_TRUE(display.WasCreatedOnce());
    EXPECT_EQ(display.GetWindow(), &window);
    EXPECT_EQ(display.GetWindowRect(), (GfxRect{0, 0, 1280, 1024}));
    DisplayMode mode;
    ASSERT_EQ(display.GetDirectDraw()->GetDisplayMode(mode), kGfxOk);
    EXPECT_EQ(mode.width, 1024);
    EXPECT_EQ(mode.bitCount, 32u);
    EXPECT_TRUE(Logged("Created screen at 32 bpp."));
    EXPECT_EQ(Pixel(display.GetBackBuffer(), 10, 10) & 0xFFFFFF, 0u);
    EXPECT_EQ(system.Faults().Calls("ColorFill"), 2u) << "both buffers are cleared";
    EXPECT_EQ(display.Present(), kGfxOk);
    EXPECT_EQ(system.Faults().Calls("Flip"), 1u);
}

struct DepthCase {
    const char* name;
    uint32_t videoMemory;
    std::vector<uint32_t> depthsAt1024; // the modes listed at 1024 x 768
    uint32_t requested;
    uint32_t expectedMode;
    const char* expectedLog;
};

const DepthCase kDepths[] = {
    {"listed", 256u << 20, {16, 32}, 32, 32, "Created screen at 32 bpp."},
    {"8 MiB asks 32", 8u << 20, {16, 32}, 32, 16, "Created screen at 16 bpp."},
    {"16 MiB keeps 32", 16u << 20, {16, 32}, 32, 32, "Created screen at 32 bpp."},
    {"16 after the first match", 256u << 20, {24, 16}, 32, 16, "Created screen at 32 bpp."},
    {"first match otherwise", 256u << 20, {24}, 32, 24, "Created screen at 32 bpp."},
    {"8-bit modes do not count", 256u << 20, {8, 24}, 32, 24, "Created screen at 32 bpp."},
};

TEST_F(CDisplayTest, CreateFullScreen_ChoosesTheDepthFromMemoryAndTheListedModes) {
    for (const DepthCase& c : kDepths) {
        SCOPED_TRACE(c.name);
        NullGraphicsSystem local;
        local.Config().videoMemory = c.videoMemory;
        local.Config().modes.clear();
        for (uint32_t depth : c.depthsAt1024)
            local.Config().modes.push_back({1024, 768, depth, 60, PixelFormat::X8R8G8B8()});
        CDisplay made(local, &desktop);
        ASSERT_EQ(made.CreateFullScreen(&window, 1024, 768, c.requested, 0), kGfxOk);
        DisplayMode mode;
        ASSERT_EQ(made.GetDirectDraw()->GetDisplayMode(mode), kGfxOk);
        EXPECT_EQ(mode.bitCount, c.expectedMode);
        EXPECT_TRUE(Logged(c.expectedLog));
    }
}

TEST_F(CDisplayTest, CreateFullScreen_OneAdapterFailing_TriesEveryDeviceThenAsksOnce) {
    system.Faults().FailFrom("SetDisplayMode", 1, DDERR_UNSUPPORTEDMODE);
    EXPECT_EQ(display.CreateFullScreen(&window, 1024, 768, 32, 0), E_FAIL);
    // The primary driver, then the one listed device by name.
    EXPECT_EQ(system.Faults().Calls("SetDisplayMode"), 2u);
    EXPECT_TRUE(Logged("Failed to create screen at 32 bpp."));
    EXPECT_TRUE(Logged("DX Error:  (0x8876024e), File ddutil"));
    EXPECT_TRUE(Logged("Failed to create a DirectDraw device after trying all GUIDs"));
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_FALSE(display.GetFrontBuffer());
    EXPECT_FALSE(display.GetDirectDraw());

    // Once a display was made, a later failure says nothing to the user.
    system.Faults().ClearRules();
    ASSERT_EQ(display.CreateFullScreen(&window, 1024, 768, 32, 0), kGfxOk);
    system.Faults().FailFrom("SetDisplayMode", 1, DDERR_UNSUPPORTEDMODE);
    EXPECT_EQ(display.CreateFullScreen(&window, 1024, 768, 32, 0), E_FAIL);
    EXPECT_EQ(Boxes(), 1u);
}

TEST_F(CDisplayTest, CreateFullScreen_DeviceIndexPastTheList_FailsAtOnce) {
    system.Config().devices.push_back({1, "display1", "Second"});
    EXPECT_EQ(display.CreateFullScreen(&window, 1024, 768, 32, 3u << 16), E_FAIL);
    EXPECT_EQ(system.Faults().Calls("SetCooperativeLevel"), 0u);
    ASSERT_EQ(display.CreateFullScreen(&window, 1024, 768, 32, 2u << 16), kGfxOk);
}

TEST_F(CDisplayTest, CreateFullScreen_LoweredDepthIsKeptForTheNextDevice) {
    system.Config().videoMemory = 8u << 20;
    system.Faults().FailCall("SetDisplayMode", 1, DDERR_UNSUPPORTEDMODE);
    ASSERT_EQ(display.CreateFullScreen(&window, 1024, 768, 32, 0), kGfxOk);
    EXPECT_TRUE(Logged("Failed to create screen at 16 bpp."));
    EXPECT_TRUE(Logged("Created screen at 16 bpp."));
}

TEST_F(CDisplayTest, CreateFullScreen_FrontBufferRetriedWithoutTheAntialiasHint) {
    system.Faults().FailCall("CreateSurface", 1, E_FAIL);
    ASSERT_EQ(display.CreateFullScreen(&window, 1024, 768, 32, CDisplay::kFlagAntialias), kGfxOk);
    EXPECT_TRUE(Logged("FAILED to create front buffer with DDSCAPS2_ENABLEALPHACHANNEL"));
    SurfaceDesc desc;
    ASSERT_EQ(display.GetFrontBuffer()->GetDesc(desc), kGfxOk);
    EXPECT_EQ(desc.caps & gfx::kCapsHintAntialiasing, 0u);
    EXPECT_EQ(system.Faults().Calls("SetDisplayMode"), 1u) << "no move to another device";
}

TEST_F(CDisplayTest, CreateWindowed_SizesTheWindowAndBringsItIntoTheWorkArea) {
    window.SetPosition(-300, 2000);
    window.SetTopmost(true);
    ASSERT_EQ(display.CreateWindowed(&window, nullptr, 1024, 768, true, 0), kGfxOk);
    int32_t w = 0, h = 0, x = 0, y = 0;
    window.GetClientSize(w, h);
    window.GetPosition(x, y);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_FALSE(window.IsTopmost());
    EXPECT_TRUE(display.IsWindowed());
    EXPECT_EQ(display.GetWindowRect(), (GfxRect{0, 0, 1024, 768}));
    SurfaceDesc desc;
    ASSERT_EQ(display.GetBackBuffer()->GetDesc(desc), kGfxOk);
    EXPECT_EQ(desc.width, 1024);
    EXPECT_NE(desc.caps & gfx::kCapsVideoMemory, 0u);
    int32_t ox = -1, oy = -1;
    window.SetPosition(40, 30);
    display.GetWindowOrigin(ox, oy);
    EXPECT_EQ(ox, 40);
    EXPECT_EQ(oy, 30);
}

TEST_F(CDisplayTest, CreateWindowed_Hosted_LeavesTheWindowAlone) {
    window.SetPosition(-300, 2000);
    ASSERT_EQ(display.CreateWindowed(&window, nullptr, 320, 200, false, CDisplay::kFlagHosted),
              kGfxOk);
    int32_t w = 0, h = 0, x = 0, y = 0;
    window.GetClientSize(w, h);
    window.GetPosition(x, y);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(x, -300);
    EXPECT_EQ(y, 2000);
}

TEST_F(CDisplayTest, CreateWindowed_Failures_ReturnTheirCodes) {
    system.Faults().FailCall("SetCooperativeLevel", 1, DDERR_EXCLUSIVEMODEALREADYSET);
    EXPECT_EQ(display.CreateWindowed(&window, nullptr, 640, 480, false, 0), E_FAIL);
    int lowMemoryReactions = 0;
    SetOutOfVideoMemoryHandler([&] { ++lowMemoryReactions; });
    system.Faults().FailCall("CreateSurface", 2, DDERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(display.CreateWindowed(&window, nullptr, 640, 480, false, 0), DDERR_OUTOFVIDEOMEMORY);
    SetOutOfVideoMemoryHandler(nullptr);
    EXPECT_EQ(lowMemoryReactions, 1);
    EXPECT_TRUE(Logged("DX Error:  (0x8876017c), File ddutil"));
    EXPECT_FALSE(display.WasCreatedOnce());
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(CDisplayTest, Present_Windowed_CopiesRestoresLossAndRepeatsWhileBusy) {
    EXPECT_EQ(display.Present(), E_POINTER);
    ASSERT_EQ(display.CreateWindowed(&window, nullptr, 64, 48, false, 0), kGfxOk);
    SurfaceDesc back;
    ASSERT_EQ(display.GetBackBuffer()->GetDesc(back), kGfxOk);
    ASSERT_EQ(display.GetBackBuffer()->ColorFill(nullptr, PackPixel(back.format, 0xFF336699)),
              kGfxOk);
    system.Faults().FailCall("Blt", 1, DDERR_WASSTILLDRAWING);
    EXPECT_EQ(display.Present(), kGfxOk);
    EXPECT_EQ(system.Faults().Calls("Blt"), 2u);

    system.Faults().LoseSurfacesAt("Blt", 1);
    EXPECT_EQ(display.Present(), DDERR_SURFACELOST);
    EXPECT_EQ(display.GetFrontBuffer()->IsLost(), kGfxOk) << "restored for the next frame";
    EXPECT_EQ(display.GetBackBuffer()->IsLost(), kGfxOk);
    EXPECT_EQ(display.Present(), kGfxOk);
    EXPECT_EQ(Pixel(display.GetFrontBuffer(), 110, 60) & 0xFFFFFF, 0x336699u)
        << "the back buffer reached the window's place on the screen";
}

TEST_F(CDisplayTest, CreateOffscreenSurface_NeedsADisplayAndAPlaceForTheResult) {
    std::unique_ptr<CDisplaySurface> surface;
    EXPECT_EQ(display.CreateOffscreenSurface(&surface, 8, 8), E_POINTER);
    ASSERT_EQ(display.CreateWindowed(&window, nullptr, 64, 48, false, 0), kGfxOk);
    EXPECT_EQ(display.CreateOffscreenSurface(nullptr, 8, 8), E_INVALIDARG);
    const PixelFormat format = PixelFormat::R5G6B5();
    ASSERT_EQ(display.CreateOffscreenSurface(&surface, 8, 4, &format), kGfxOk);
    ASSERT_TRUE(surface && surface->GetSurface());
    EXPECT_EQ(surface->GetDesc().width, 8);
    EXPECT_EQ(surface->GetDesc().format, format);
    EXPECT_NE(surface->GetDesc().caps & gfx::kCapsOffscreenPlain, 0u);

    system.Faults().FailCall("CreateSurface", 1, DDERR_OUTOFVIDEOMEMORY);
    std::unique_ptr<CDisplaySurface> failed;
    EXPECT_EQ(display.CreateOffscreenSurface(&failed, 8, 4), DDERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(failed);
}

TEST_F(CDisplayTest, ReleaseAll_DropsEverythingAndCreationCanFollow) {
    ASSERT_EQ(display.CreateFullScreen(&window, 1024, 768, 32, 0), kGfxOk);
    const uint32_t coopCalls = system.Faults().Calls("SetCooperativeLevel");
    display.RestoreDesktopMode();
    EXPECT_EQ(system.Faults().Calls("RestoreDisplayMode"), 1u);
    EXPECT_EQ(display.ReleaseAll(), kGfxOk);
    EXPECT_EQ(system.Faults().Calls("SetCooperativeLevel"), coopCalls + 1) << "back to normal";
    EXPECT_FALSE(display.GetDirectDraw());
    EXPECT_FALSE(display.GetBackBuffer());
    display.RestoreDesktopMode();
    EXPECT_EQ(system.Faults().Calls("RestoreDisplayMode"), 1u);
    EXPECT_TRUE(display.WasCreatedOnce());
    EXPECT_EQ(display.CreateWindowed(&window, nullptr, 64, 48, false, 0), kGfxOk);
}

} // namespace
