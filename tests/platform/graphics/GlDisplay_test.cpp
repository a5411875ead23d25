#include "GlProbe.h"

#include "platform/graphics/gl/GlSurfaces.h"
#include "support/TempFolder.h"

#include <fstream>

using namespace platform;
using support::GlProbe;

namespace {

using GlDisplayTest = GlProbe;

TEST_F(GlDisplayTest, WindowedPresent_ShowsTheBackBufferAndReadsBackFromThePrimary) {
    SurfaceSpec spec;
    spec.caps = gfx::kCapsPrimary;
    SurfacePtr primary;
    ASSERT_EQ(display->CreateSurface(spec, primary), kGfxOk);
    SurfaceDesc desc;
    primary->GetDesc(desc);
    EXPECT_EQ(desc.width, kWidth);
    Background(0xFF00FF00);
    Quad(0, 0, 8, 8, 0xFFFF0000);
    ASSERT_EQ(device->EndScene(), kGfxOk);
    const GfxRect client{100, 100, 100 + kWidth, 100 + kHeight};
    ASSERT_EQ(primary->Blt(&client, *backBuffer, nullptr), kGfxOk);
    EXPECT_EQ(std::dynamic_pointer_cast<GlPrimary>(primary)->Presents(), 1u);
    // Preserving the shown picture: the primary copied into a plain surface.
    SurfaceSpec plainSpec;
    plainSpec.width = kWidth;
    plainSpec.height = kHeight;
    SurfacePtr plain;
    ASSERT_EQ(display->CreateSurface(plainSpec, plain), kGfxOk);
    ASSERT_EQ(plain->BltFast(0, 0, *primary, nullptr), kGfxOk);
    auto memory = std::dynamic_pointer_cast<MemorySurface>(plain);
    EXPECT_TRUE(Near(memory->PixelAt(2, 2), 0xFFFF0000));
    EXPECT_TRUE(Near(memory->PixelAt(20, 20), 0xFF00FF00));
}

TEST_F(GlDisplayTest, FullScreen_FlipsTheAttachedBackBuffer) {
    device.reset();
    backBuffer.reset();
    ASSERT_EQ(display->SetCooperativeLevel(gfx::kCoopExclusive | gfx::kCoopFullScreen), kGfxOk);
    EXPECT_TRUE(window.IsFullScreen());
    ASSERT_EQ(display->SetDisplayMode(320, 240, 32, 0), kGfxOk);
    DisplayMode mode;
    display->GetDisplayMode(mode);
    EXPECT_EQ(mode.width, 320);
    EXPECT_EQ(mode.bitCount, 32u);
    SurfaceSpec spec;
    spec.caps = gfx::kCapsPrimary | gfx::kCapsFlip | gfx::kCaps3dDevice;
    spec.backBufferCount = 1;
    SurfacePtr primary;
    ASSERT_EQ(display->CreateSurface(spec, primary), kGfxOk);
    SurfacePtr back = primary->GetAttachedBackBuffer();
    ASSERT_TRUE(back);
    SurfaceDesc desc;
    back->GetDesc(desc);
    EXPECT_EQ(desc.width, 320);
    EXPECT_EQ(desc.height, 240);
    DevicePtr fullDevice;
    ASSERT_EQ(display->CreateDevice(back, fullDevice), kGfxOk);
    ASSERT_EQ(fullDevice->BeginScene(), kGfxOk);
    ASSERT_EQ(fullDevice->Clear(gfx::kClearTarget, 0xFF0000FF, 1.0f, 0), kGfxOk);
    ASSERT_EQ(fullDevice->EndScene(), kGfxOk);
    EXPECT_EQ(primary->GetFlipStatus(), kGfxOk);
    ASSERT_EQ(primary->Flip(), kGfxOk);
    EXPECT_EQ(display->SetDisplayMode(320, 240, 8, 0), DDERR_UNSUPPORTEDMODE);
    EXPECT_EQ(display->RestoreDisplayMode(), kGfxOk);
    // Letting the display go puts the window back.
    fullDevice.reset();
    primary.reset();
    back.reset();
    display.reset();
    EXPECT_FALSE(window.IsFullScreen());
}

TEST_F(GlDisplayTest, Screenshot_IsAPngOfTheBackBuffer) {
    Background(0xFF102030);
    device->EndScene();
    support::TempFolder folder;
    const std::string path = (folder.Path() / "shot.png").string();
    ASSERT_TRUE(display->SaveScreenshot(path));
    std::ifstream file(path, std::ios::binary);
    char signature[8] = {};
    file.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    EXPECT_FALSE(display->SaveScreenshot((folder.Path() / "missing" / "shot.png").string()));
}

TEST_F(GlDisplayTest, Questions_AnswerFromSdlAndGl) {
    EXPECT_FALSE(system->EnumerateDevices().empty());
    DeviceIdentifier identifier;
    ASSERT_EQ(display->GetDeviceIdentifier(identifier), kGfxOk);
    EXPECT_FALSE(identifier.description.empty());
    DeviceCaps caps;
    display->GetDeviceCaps(caps);
    EXPECT_GE(caps.maxTextureWidth, 1024u);
    DisplayCaps memory;
    ASSERT_EQ(display->GetCaps(memory), kGfxOk);
    EXPECT_GT(memory.videoMemoryTotal, 0u);
    EXPECT_LE(memory.videoMemoryFree, memory.videoMemoryTotal);
    std::vector<DisplayMode> modes;
    display->EnumDisplayModes(modes);
    EXPECT_FALSE(modes.empty());
    int32_t w = 0, h = 0;
    system->GetDesktopSize(w, h);
    EXPECT_GT(w, 0);
    EXPECT_FALSE(system->GetMonitors().empty());
}

// Presents wait for the blank through the swap interval: the wait reports
// success only while one is in force, whatever the driver grants.
TEST_F(GlDisplayTest, VerticalBlank_WaitsOnlyWhileASwapIntervalIsInForce) {
    for (const uint32_t interval : {0u, 1u, 0u}) {
        const GfxResult set = display->SetSwapInterval(interval);
        const int inForce = window.GetSwapInterval();
        EXPECT_EQ(set == kGfxOk, inForce == static_cast<int>(interval)) << interval;
        const GfxResult wait = display->WaitForVerticalBlank();
        EXPECT_EQ(wait, inForce != 0 ? kGfxOk : DDERR_UNSUPPORTED) << interval;
    }
}

// A lock of a few rows reads those rows back, and only they are changed by
// its unlock.
TEST_F(GlDisplayTest, BackBufferLock_OfAStripReadsAndWritesTheStrip) {
    Background(0xFF204060);
    Quad(0, 0, 8, 2, 0xFFFF0000);
    const GfxRect strip{0, 1, kWidth, 3};
    LockedSurface locked;
    ASSERT_EQ(backBuffer->Lock(&strip, locked), kGfxOk);
    EXPECT_EQ(locked.width, kWidth);
    EXPECT_EQ(locked.height, 2);
    EXPECT_TRUE(Near(ReadPixel(locked.format, locked.bits), 0xFFFF0000));
    EXPECT_TRUE(Near(ReadPixel(locked.format, locked.bits + locked.pitch), 0xFF204060));
    // Row 2, x 5: the background; written white through the lock.
    WritePixel(locked.format, locked.bits + locked.pitch + 5 * locked.format.BytesPerPixel(),
               0xFFFFFFFF);
    ASSERT_EQ(backBuffer->Unlock(), kGfxOk);
    EXPECT_TRUE(Near(Pixel(5, 2), 0xFFFFFFFF));
    EXPECT_TRUE(Near(Pixel(5, 1), 0xFFFF0000));
    EXPECT_TRUE(Near(Pixel(5, 3), 0xFF204060));
    EXPECT_TRUE(Near(Pixel(100, 80), 0xFF204060));
}

TEST(GlGraphicsSystem, WithoutAWindow_MakesNoDisplay) {
    SdlWindow window;
    GlGraphicsSystem system(window);
    std::unique_ptr<GraphicsDisplay> display;
    EXPECT_EQ(system.CreateDisplay(0, display), E_FAIL);
    EXPECT_FALSE(display);
}

} // namespace
