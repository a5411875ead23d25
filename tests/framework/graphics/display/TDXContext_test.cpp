#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/display/TDXContext.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/window/null/NullWindow.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

using namespace platform;

namespace {

class TDXContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        StartLog(mLogFolder.Path().string().c_str());
        WindowSpec spec;
        spec.width = 640;
        spec.height = 480;
        ASSERT_TRUE(window.Create(spec));
        environment.system = &system;
        environment.desktop = &desktop;
        environment.expandIndexedDraws = &expandIndexed;
        environment.lowMemoryVideo = &lowMemoryVideo;
    }
    void TearDown() override {
        StartLog(nullptr);
        ClearSettings();
    }

    std::string Log() const { return support::ReadLogText(); }
    bool Logged(const std::string& line) const { return Log().find(line) != std::string::npos; }

    support::TempFolder mLogFolder{"corvalo-dxcontext-log-"};
    NullGraphicsSystem system;
    NullDesktop desktop;
    NullWindow window;
    bool expandIndexed = false;
    bool lowMemoryVideo = false;
    TDXContextEnvironment environment;
};

TEST_F(TDXContextTest, Create_Windowed_BuildsDeviceAndZBufferAndLogsTheIdentifier) {
    TDXContext context(environment);
    ASSERT_TRUE(context.Create(&window, false, 640, 480, 32, 0));
    ASSERT_TRUE(context.GetDevice());
    ASSERT_TRUE(context.GetZBuffer());
    EXPECT_TRUE(context.IsHardwareDevice());
    SurfaceDesc z;
    ASSERT_EQ(context.GetZBuffer()->GetDesc(z), kGfxOk);
    EXPECT_EQ(z.width, 640);
    EXPECT_TRUE(z.format.zBuffer);
    EXPECT_EQ(z.format.bitCount, 16u) << "the first depth format of at least 16 bits";
    EXPECT_NE(z.caps & gfx::kCapsVideoMemory, 0u);
    EXPECT_EQ(context.GetDisplayMode().bitCount, 32u);
    const std::string identifier = "Device identifier:  \n  Driver: 'null'\n  Description: 'Null "
                                   "graphics device'\n  Version: 60000:1\n  Vendor ID: 1234 "
                                   "(4660)\n  Device ID: 5678 (22136)\n  SubSys:  : 0 (0)\n  "
                                   "Revision:  1 (1)\n  GUID:      1:2:3:4\n";
    EXPECT_TRUE(Logged(identifier));
    const std::string description = context.GetDescription().ToStd();
    EXPECT_EQ(description.rfind(identifier, 0), 0u);
    EXPECT_NE(description.find("\nDDCAPS: 0000001000"), std::string::npos) << description;
    EXPECT_NE(description.find("\nD3DDESC: 01000000"), std::string::npos) << description;
    EXPECT_FALSE(GetSettingBool(TString("brokenindexedverts")));
}

struct ChipCase {
    const char* description;
    bool brokenIndexedVerts;
    bool expandIndexed;
};

const ChipCase kChips[] = {
    {"Intel(R) 82945G Express Chipset Family", true, false},
    {"Intel 82810E Graphics", true, false},
    {"Intel(R) 82845G/GL/GE/PE/GV Graphics Controller", true, false},
    {"Mobile Intel(R) 915GM/GMS,910GML Express", true, false},
    {"Mobile Intel(R) 965 Express Chipset Family", true, false},
    {"Mobile Intel(R) 965Express Chipset", false, false},
    {"Intel(R) 965G", false, false},
    {"intel 82945G", false, false},
    {"ATI 82945 Radeon", false, false},
    {"SiS Mirage 3 Graphics", false, true},
    {"SiS Mirage 3 Graphics Family", false, false},
    {"sis mirage 3 graphics", false, false},
};

TEST_F(TDXContextTest, Create_AppliesTheChipWorkArounds) {
    for (const ChipCase& c : kChips) {
        SCOPED_TRACE(c.description);
        ClearSettings();
        expandIndexed = false;
        system.Config().identifier.description = c.description;
        TDXContext context(environment);
        ASSERT_TRUE(context.Create(&window, false, 640, 480, 32, 0));
        EXPECT_EQ(GetSettingBool(TString("brokenindexedverts")), c.brokenIndexedVerts);
        EXPECT_EQ(expandIndexed, c.expandIndexed);
        EXPECT_EQ(TDXContext::NeedsBrokenIndexedVerts(c.description), c.brokenIndexedVerts);
    }
}

TEST_F(TDXContextTest, Create_DesktopColours_RefuseWindowsAndSometimesFullScreen) {
    struct Case {
        int32_t colors;
        bool fullScreen;
        bool created;
        bool tooFew;
    } const cases[] = {
        {-1, false, true, false}, {-1, true, true, false},  {256, false, false, false},
        {256, true, true, false}, {16, false, false, true}, {16, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.colors << " colours, full screen " << c.fullScreen);
        system.Config().desktopColors = c.colors;
        TDXContext context(environment);
        EXPECT_EQ(context.Create(&window, c.fullScreen, 640, 480, 32, 0), c.created);
        EXPECT_EQ(context.HasTooFewColors(), c.tooFew);
    }
}

TEST_F(TDXContextTest, Create_WindowLargerThanTheDesktopIsRefusedUnlessHosted) {
    // 1280 x 1024 desktop; the frame adds 2 + 4 across and 2 + 4 + 19 down.
    TDXContext context(environment);
    EXPECT_FALSE(context.Create(&window, false, 1275, 480, 32, 0));
    EXPECT_FALSE(context.Create(&window, false, 640, 1000, 32, 0));
    EXPECT_TRUE(context.Create(&window, false, 1274, 999, 32, 0));
    EXPECT_TRUE(context.Create(&window, true, 1280, 1024, 32, 0)) << "full screen is not framed";
    environment.hosted = true;
    TDXContext hosted(environment);
    EXPECT_TRUE(hosted.Create(&window, false, 1275, 480, 32, 0));
}

TEST_F(TDXContextTest, Create_SmallTextures_FailsAndReleases) {
    system.Config().deviceCaps.maxTextureHeight = 512;
    TDXContext context(environment);
    EXPECT_FALSE(context.Create(&window, false, 640, 480, 32, 0));
    EXPECT_TRUE(
        Logged("TDXContext::Create - context does not support 1024x1024 textures! Failing!"));
    EXPECT_FALSE(context.GetDirectDraw());
    EXPECT_FALSE(context.GetDevice());
}

TEST_F(TDXContextTest, Create_SoftwareDevice_OnlyWhenHosted) {
    system.Config().deviceCaps.hardwareRasterization = false;
    TDXContext context(environment);
    EXPECT_FALSE(context.Create(&window, false, 640, 480, 32, 0));
    EXPECT_TRUE(Logged("TDXContext::Create failed! Could not find a hardware renderer."));
    environment.hosted = true;
    environment.viewportScale = 1.5f;
    TDXContext hosted(environment);
    ASSERT_TRUE(hosted.Create(&window, false, 101, 100, 32, 0));
    SurfaceDesc z;
    ASSERT_EQ(hosted.GetZBuffer()->GetDesc(z), kGfxOk);
    EXPECT_EQ(z.width, 152) << "101 * 1.5 rounded";
    EXPECT_NE(z.caps & gfx::kCapsSystemMemory, 0u);
}

TEST_F(TDXContextTest, Create_DeviceErrors_SteerTheNextAttempt) {
    TDXContext context(environment);
    system.Faults().FailCall("CreateDevice", 1, D3DERR_SURFACE_NOT_IN_VIDMEM);
    EXPECT_FALSE(context.Create(&window, false, 640, 480, 32, 0));
    EXPECT_TRUE(context.IsDeviceSurfaceNotInVideoMemory());

    system.Faults().FailCall("CreateDevice", 1, DDERR_NOPALETTEATTACHED);
    EXPECT_FALSE(context.Create(&window, false, 640, 480, 32, 0));
    EXPECT_EQ(context.GetDesktopColors(), 32);
    EXPECT_FALSE(context.Create(&window, false, 640, 480, 32, 0)) << "a window is refused";
    EXPECT_TRUE(context.Create(&window, true, 640, 480, 32, 0));
}

TEST_F(TDXContextTest, Create_OutOfVideoMemoryInAWindow_RefusesWindowsFromThenOn) {
    TDXContext context(environment);
    system.Faults().FailCall("CreateSurface", 2, DDERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(context.Create(&window, false, 640, 480, 32, 0));
    EXPECT_TRUE(context.HasNoVideoMemoryForWindow());
    EXPECT_FALSE(context.Create(&window, false, 640, 480, 32, 0));
    EXPECT_TRUE(context.Create(&window, true, 640, 480, 32, 0));
    environment.externalParent = true;
    TDXContext parented(environment);
    EXPECT_TRUE(parented.Create(&window, true, 640, 480, 32, 0));
    EXPECT_FALSE(parented.GetDisplay().GetFrontBuffer() == nullptr);
    EXPECT_TRUE(parented.GetDisplay().IsWindowed()) << "an external parent always gets a window";
}

TEST_F(TDXContextTest, Create_LargeVideoMemoryOnAnExpandingChip_FallsBackTo16Bits) {
    SetSetting(TString("largevramusage"), TString("1"));
    system.Config().identifier.description = "SiS Mirage 3 Graphics";
    TDXContext context(environment);
    ASSERT_TRUE(context.Create(&window, true, 1024, 768, 32, 0));
    EXPECT_TRUE(lowMemoryVideo);
    EXPECT_EQ(context.GetDisplayMode().bitCount, 16u);

    lowMemoryVideo = false;
    environment.pqGiven = true;
    TDXContext hostPage(environment);
    ASSERT_TRUE(hostPage.Create(&window, true, 1024, 768, 32, 0));
    EXPECT_FALSE(lowMemoryVideo);
    EXPECT_EQ(hostPage.GetDisplayMode().bitCount, 32u);
}

TEST_F(TDXContextTest, MouseMutex_IsTakenAgainByItsHolderAndTimesOutForOthers) {
    TDXContext context(environment);
    std::unique_lock held(context.GetMouseMutex());
    ASSERT_TRUE(context.Create(&window, false, 640, 480, 32, 0)) << "no deadlock";
    bool otherGotIt = true;
    std::chrono::steady_clock::duration waited{};
    std::thread other([&] {
        const auto start = std::chrono::steady_clock::now();
        otherGotIt = context.GetMouseMutex().try_lock_for(std::chrono::milliseconds(5));
        waited = std::chrono::steady_clock::now() - start;
        if (otherGotIt)
            context.GetMouseMutex().unlock();
    });
    other.join();
    EXPECT_FALSE(otherGotIt);
    EXPECT_GE(waited, std::chrono::milliseconds(5));
    held.unlock();
    std::thread again([&] {
        otherGotIt = context.GetMouseMutex().try_lock_for(std::chrono::milliseconds(5));
        if (otherGotIt)
            context.GetMouseMutex().unlock();
    });
    again.join();
    EXPECT_TRUE(otherGotIt);
}

TEST(TDXContextHex, HexBytes_UpperCaseTwoDigitsInOrder) {
    EXPECT_EQ(TDXContext::HexBytes({}), "");
    EXPECT_EQ(TDXContext::HexBytes({0x00, 0xAB, 0x0F, 0x10}), "00AB0F10");
}

} // namespace
