#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/display/TDisplaySetup.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/PixelConversion.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/process/null/RecordingProcessControl.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/DriverLeaks.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace platform;

namespace {

// The real display on a hidden window under the offscreen driver.
class GlDisplaySetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        StartLog(mFolder.Path().string().c_str());
        WindowSpec spec;
        spec.caption = "display";
        spec.width = 160;
        spec.height = 120;
        spec.visible = false;
        ASSERT_TRUE(window.Create(spec)) << window.LastError();
        ASSERT_TRUE(window.HasGlContext());
        support::PinGlDriver();
        system = std::make_unique<GlGraphicsSystem>(window);
        TDXContextEnvironment environment;
        environment.system = system.get();
        environment.desktop = &desktop;
        environment.pqGiven = true;
        setup = std::make_unique<TDisplaySetup>(environment, &window, TDisplayHost{});
    }
    void TearDown() override {
        setup.reset();
        system.reset();
        window.Destroy();
        StartLog(nullptr);
        ClearSettings();
    }

    std::string Log() const { return support::ReadLogText(); }

    // Clears the back buffer, presents it and reads a pixel of what shows.
    uint32_t DrawFrame(uint32_t argb) {
        const DevicePtr& device = setup->GetDevice();
        EXPECT_EQ(device->BeginScene(), kGfxOk);
        EXPECT_EQ(device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, argb, 1.0f, 0), kGfxOk);
        EXPECT_EQ(device->EndScene(), kGfxOk);
        EXPECT_EQ(setup->GetContext().GetDisplay().Present(), kGfxOk);
        const SurfacePtr& back = setup->GetContext().GetBackBuffer();
        LockedSurface locked;
        EXPECT_EQ(back->Lock(nullptr, locked), kGfxOk);
        const uint32_t pixel = ReadPixel(locked.format, locked.bits + 10 * locked.pitch +
                                                            10 * locked.format.BytesPerPixel());
        back->Unlock();
        return pixel;
    }

    support::TempFolder mFolder{"corvalo-gl-display-"};
    RecordingProcessControl process;
    SdlWindow window;
    NullDesktop desktop;
    std::unique_ptr<GlGraphicsSystem> system;
    std::unique_ptr<TDisplaySetup> setup;
};

TEST_F(GlDisplaySetupTest, RealDisplay_ComesUpLogsItsIdentifierClearsAndPresents) {
    setup->SetDisplay(160, 120, false, true, false, true);
    ASSERT_TRUE(setup->IsReady()) << Log();
    EXPECT_NE(Log().find("Device identifier:"), std::string::npos);
    EXPECT_EQ(DrawFrame(0xFF2040C0) & 0xFFFFFF, 0x2040C0u);
}

TEST_F(GlDisplaySetupTest, RealDisplay_InjectedLossRestoresAndTheNextFrameDraws) {
    setup->SetDisplay(160, 120, false, true, false, true);
    ASSERT_TRUE(setup->IsReady()) << Log();
    for (int frame = 0; frame < 3; ++frame) {
        DrawFrame(0xFF000000);
        setup->CountWorkingFrame();
    }
    system->Faults().LoseSurfacesAt("Flip", 1);
    system->Faults().LoseSurfacesAt("Blt", 1);
    EXPECT_EQ(setup->GetContext().GetDisplay().Present(), DDERR_SURFACELOST);
    setup->MarkBroken();
    setup->Restore();
    ASSERT_TRUE(setup->IsDeviceValid());
    EXPECT_EQ(system->Faults().Calls("RestoreAllSurfaces"), 1u);
    EXPECT_EQ(DrawFrame(0xFF30A050) & 0xFFFFFF, 0x30A050u);
}

} // namespace
