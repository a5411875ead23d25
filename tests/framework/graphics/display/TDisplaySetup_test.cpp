#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/display/TDisplaySetup.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/process/null/RecordingProcessControl.h"
#include "platform/window/null/NullWindow.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace platform;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TDisplaySetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        StartLog(mFolder.Path().string().c_str());
        std::filesystem::create_directories(mFolder.Path() / "common");
        SetCommonDataFolder(TString((mFolder.Path() / "common").string().c_str()));
        WindowSpec spec;
        spec.width = 800;
        spec.height = 600;
        spec.x = 0;
        spec.y = 0;
        ASSERT_TRUE(window.Create(spec));
        environment.system = &system;
        environment.desktop = &desktop;
        host.isActive = [this] { return active; };
        host.releaseAssets = [this] { ++releases; };
        host.restoreAssets = [this] { ++restores; };
        host.now = [this] { return now; };
    }
    void TearDown() override {
        StartLog(nullptr);
        ClearSettings();
    }

    std::unique_ptr<TDisplaySetup> Make() {
        return std::make_unique<TDisplaySetup>(environment, &window, host);
    }
    std::string Log() const { return ReadFile(GetLogFilePath().ToStd()); }
    bool Logged(const std::string& line) const { return Log().find(line) != std::string::npos; }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> boxes;
        for (const std::string& call : desktop.Calls())
            if (call.rfind("ShowMessageBox", 0) == 0)
                boxes.push_back(call.substr(call.find(' ', 15) + 1));
        return boxes;
    }
    // Runs a call that may end the process; gives the exit code, or 1 when
    // it returned.
    template <typename F> int ExitOf(F call) {
        try {
            call();
        } catch (const ProcessExitRequest& exit) {
            return exit.code;
        }
        return 1;
    }

    support::TempFolder mFolder{"corvalo-display-setup-"};
    RecordingProcessControl process;
    NullGraphicsSystem system;
    NullDesktop desktop;
    NullWindow window;
    TDXContextEnvironment environment;
    TDisplayHost host;
    bool active = true;
    int releases = 0;
    int restores = 0;
    uint32_t now = 10000;
};

TEST_F(TDisplaySetupTest, SetDisplay_Windowed_MakesTheDisplayWithItsDefaultState) {
    auto setup = Make();
    setup->SetDisplay(800, 600, false, false, false, false);
    ASSERT_TRUE(setup->IsReady());
    EXPECT_TRUE(setup->CanPresent());
    EXPECT_TRUE(setup->IsDeviceValid());
    EXPECT_FALSE(setup->IsFullScreen());
    int w = 0, h = 0;
    bool full = true;
    setup->GetDisplayMode(w, h, full);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_FALSE(full);
    EXPECT_EQ(setup->GetDisplayDepth(), 32u);
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(GetSetting(TString("monitorfrequency")).ToStd(), "60");
    EXPECT_EQ(GetSetting(TString("dxbroken")).ToStd(), "0");
    int32_t x = 0, y = 0;
    window.GetPosition(x, y);
    EXPECT_EQ(x, (1280 - 800) / 2) << "a window at the corner is centred";
    EXPECT_EQ(y, (1024 - 600) / 2);
    uint32_t value = 0;
    ASSERT_EQ(setup->GetDevice()->GetRenderState(RenderState::AlphaFunc, value), kGfxOk);
    EXPECT_EQ(value, gfx::kCmpGreaterEqual);
    ASSERT_EQ(setup->GetDevice()->GetStageState(0, StageState::MinFilter, value), kGfxOk);
    EXPECT_EQ(value, gfx::kFilterLinear);
    Material material;
    ASSERT_EQ(setup->GetDevice()->GetMaterial(material), kGfxOk);
    EXPECT_EQ(material.ambient, (GfxColor{0.5f, 0.5f, 0.5f, 1}));
    EXPECT_TRUE(Boxes().empty());

    // The same request again only sets ready.
    setup->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(setup->IsReady());
    EXPECT_EQ(releases, 1);
}

TEST_F(TDisplaySetupTest, SetDisplay_MinimisedOrInactive_ChangesNothing) {
    auto setup = Make();
    window.Show(ShowCommand::Minimize);
    setup->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(process.GetSleeps(), std::vector<uint32_t>{100});
    EXPECT_FALSE(setup->IsReady());
    window.Show(ShowCommand::Restore);
    active = false;
    setup->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(releases, 0);
    setup->SetDisplay(800, 600, false, true, false, false);
    EXPECT_TRUE(setup->IsReady()) << "forced";
}

TEST_F(TDisplaySetupTest, SetDisplay_PalettisedDesktopFailingWindow_RunsFullScreen) {
    system.Config().desktopColors = 256;
    auto setup = Make();
    setup->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(Logged("SetDisplay Forcing Fullscreen (PALLETTED)"));
    EXPECT_TRUE(setup->IsReady());
    EXPECT_TRUE(setup->IsFullScreen());
    EXPECT_FALSE(setup->SetFullScreen(false)) << "a window is refused on this desktop";
}

TEST_F(TDisplaySetupTest, SetDisplay_FailingFullScreen_TriesAWindowThenSaysSo) {
    auto setup = Make();
    system.Faults().FailCall("SetDisplayMode", 1, DDERR_UNSUPPORTEDMODE);
    system.Faults().FailCall("SetDisplayMode", 2, DDERR_UNSUPPORTEDMODE);
    setup->SetDisplay(800, 600, true, false, false, false);
    EXPECT_TRUE(setup->IsReady());
    EXPECT_FALSE(setup->IsFullScreen());
    const std::vector<std::string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].find("isn't compatible with your display"), std::string::npos);
    EXPECT_EQ(boxes[1], "Error: Failed to initialize full screen mode. Your video card is not "
                        "supported. Trying to run in a window.");
}

TEST_F(TDisplaySetupTest, SetDisplay_FailingWindow_TriesFullScreenAfterTheMessage) {
    auto setup = Make();
    system.Faults().FailCall("CreateDevice", 1, E_FAIL);
    setup->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(setup->IsReady());
    EXPECT_TRUE(setup->IsFullScreen());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "Error: Failed to initialize windowed mode. Trying full screen.");
}

TEST_F(TDisplaySetupTest, SetDisplay_FallbackFailing_SaysSoOncePostsQuitAndLaterExits) {
    auto setup = Make();
    system.Faults().FailFrom("CreateDevice", 1, E_FAIL);
    setup->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(Logged("ERROR FALLBACK FAILED"));
    EXPECT_TRUE(setup->IsFatal());
    EXPECT_FALSE(setup->IsReady());
    size_t failures = 0;
    for (const std::string& box : Boxes())
        failures += box.find("Failed to initialize window. Please try") != std::string::npos;
    EXPECT_EQ(failures, 1u);
    EXPECT_EQ(window.CountCalls("PostQuitMessage 0"), 1u);
    EXPECT_EQ(ExitOf([&] { setup->SetDisplay(640, 480, false, true, false, false); }), -1);
}

TEST_F(TDisplaySetupTest, SetDisplay_InactiveBackgroundFailure_MarksBroken) {
    auto setup = Make();
    window.SetForegroundAnswer(false);
    system.Faults().FailCall("CreateDevice", 1, E_FAIL);
    setup->SetDisplay(800, 600, false, true, false, false);
    EXPECT_TRUE(Logged("SetDisplay marking DirectX Broken: ACTIVE, BACKGROUND"));
    EXPECT_TRUE(setup->IsBroken());
    EXPECT_EQ(GetSetting(TString("dxbroken")).ToStd(), "1");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(TDisplaySetupTest, SetDisplay_TooFewColours_IsFatal) {
    system.Config().desktopColors = 16;
    auto setup = Make();
    EXPECT_EQ(ExitOf([&] { setup->SetDisplay(800, 600, true, false, false, false); }), -1);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("256 color mode or higher"), std::string::npos);
    EXPECT_TRUE(setup->IsFatal());
}

TEST_F(TDisplaySetupTest, SetDisplay_HintAntialias_RetriedWithoutAndStaysOff) {
    auto setup = Make();
    setup->SetHintAntialias(true);
    system.Faults().FailCall("CreateDevice", 1, E_FAIL);
    setup->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(setup->IsReady());
    EXPECT_FALSE(setup->IsFullScreen());
    EXPECT_FALSE(setup->GetHintAntialias());
    EXPECT_FALSE(setup->GetAntialias());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(TDisplaySetupTest, SetDisplay_ReentryFromTheSameThread_SleepsAndReturns) {
    std::unique_ptr<TDisplaySetup> setup;
    TDisplaySetup* inner = nullptr;
    int nested = 0;
    TDisplayHost reentering;
    reentering.releaseAssets = [&] {
        ++nested;
        inner->SetDisplay(640, 480, false, true, false, false);
    };
    setup = std::make_unique<TDisplaySetup>(environment, &window, reentering);
    inner = setup.get();
    setup->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(process.GetSleeps(), std::vector<uint32_t>{50});
    EXPECT_TRUE(setup->IsReady());
    int w = 0, h = 0;
    bool full = false;
    setup->GetDisplayMode(w, h, full);
    EXPECT_EQ(w, 800);
}

TEST_F(TDisplaySetupTest, Restore_EarlyLoss_RebuildsAndLaterLossRestoresSurfaces) {
    auto setup = Make();
    setup->SetDisplay(800, 600, false, false, false, false);
    const uint32_t created = system.Faults().Calls("CreateDevice");
    setup->Restore();
    EXPECT_TRUE(
        Logged("TPlatformData::Restore: Working count too small (0). Calling SetDisplay()"));
    EXPECT_EQ(system.Faults().Calls("CreateDevice"), created + 1);
    EXPECT_TRUE(setup->IsReady());

    for (int frame = 0; frame < 3; ++frame)
        setup->CountWorkingFrame();
    setup->MarkBroken();
    EXPECT_FALSE(setup->IsDeviceValid());
    const int restoresBefore = restores;
    setup->Restore();
    EXPECT_EQ(system.Faults().Calls("RestoreAllSurfaces"), 1u);
    EXPECT_EQ(system.Faults().Calls("CreateDevice"), created + 1) << "not rebuilt";
    EXPECT_TRUE(setup->IsDeviceValid());
    EXPECT_EQ(restores, restoresBefore + 1);
    EXPECT_EQ(setup->GetWorkingCount(), 0u);
}

TEST_F(TDisplaySetupTest, Restore_NoExclusiveMode_RetakesItThenRebuilds) {
    auto setup = Make();
    setup->SetDisplay(800, 600, true, false, false, false);
    ASSERT_TRUE(setup->IsFullScreen());
    system.Faults().FailCall("TestCooperativeLevel", 1, DDERR_NOEXCLUSIVEMODE);
    const uint32_t coop = system.Faults().Calls("SetCooperativeLevel");
    setup->Restore();
    EXPECT_GT(system.Faults().Calls("SetCooperativeLevel"), coop + 1);
    EXPECT_TRUE(Logged("Restore: Test Cooperative level failed. Calling SetDisplay"));
    EXPECT_EQ(process.GetSleeps(), std::vector<uint32_t>{100});
    EXPECT_TRUE(setup->IsReady());
}

TEST_F(TDisplaySetupTest, Restore_InactiveWithFailingTest_ReturnsAndStaysBroken) {
    auto setup = Make();
    setup->SetDisplay(800, 600, true, false, false, false);
    setup->MarkBroken();
    active = false;
    system.Faults().FailCall("TestCooperativeLevel", 1, DDERR_NOEXCLUSIVEMODE);
    setup->Restore();
    EXPECT_TRUE(setup->IsBroken());
    EXPECT_TRUE(process.GetSleeps().empty());
}

TEST_F(TDisplaySetupTest, Restore_GivesUpAfterFiveWaits) {
    auto setup = Make();
    setup->SetDisplay(800, 600, true, false, false, false);
    system.Faults().FailFrom("TestCooperativeLevel", 1, DDERR_NOEXCLUSIVEMODE);
    system.Faults().FailFrom("SetCooperativeLevel", 1, DDERR_NOEXCLUSIVEMODE);
    setup->Restore();
    EXPECT_EQ(process.GetSleeps(), std::vector<uint32_t>(5, 100));
}

TEST_F(TDisplaySetupTest, OutOfVideoMemory_OncePerRun_WritesTheFileReadAtTheNextStart) {
    auto setup = Make();
    setup->SetDisplay(800, 600, false, false, false, false);
    setup->OnOutOfVideoMemory();
    EXPECT_TRUE(setup->IsLowMemoryVideo());
    EXPECT_TRUE(setup->IsBroken());
    EXPECT_TRUE(Logged("OutOfVideoMemory triggered!"));
    const std::string file = (mFolder.Path() / "common" / "display.xml").string();
    const std::string written = ReadFile(file);
    EXPECT_NE(written.find("<Settings"), std::string::npos) << written;
    EXPECT_NE(written.find("LowMemoryVideo=\"1\""), std::string::npos) << written;
    setup->OnOutOfVideoMemory();
    EXPECT_EQ(Log().find("OutOfVideoMemory triggered!"),
              Log().rfind("OutOfVideoMemory triggered!"));

    // The next set-up says why, and runs 16-bit full screen.
    setup->Restore();
    EXPECT_TRUE(setup->IsFullScreen());
    EXPECT_EQ(setup->GetDisplayDepth(), 16u);
    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(Boxes().back().rfind("Reconfiguring: Your video card", 0), 0u);

    auto next = Make();
    EXPECT_TRUE(next->IsLowMemoryVideo());
    EXPECT_TRUE(Logged("Low memory video card setting enabled!"));
    environment.pqGiven = true;
    EXPECT_FALSE(Make()->IsLowMemoryVideo()) << "-pq= does not read the file";
}

TEST_F(TDisplaySetupTest, MarkBrokenThrottled_WaitsAQuarterSecond) {
    auto setup = Make();
    setup->MarkBroken();
    setup->SetDisplay(800, 600, false, false, false, false);
    EXPECT_FALSE(setup->IsBroken());
    now += 100;
    setup->MarkBrokenThrottled();
    EXPECT_FALSE(setup->IsBroken());
    now += 200;
    setup->MarkBrokenThrottled();
    EXPECT_TRUE(setup->IsBroken());
}

} // namespace

namespace {

TEST_F(TDisplaySetupTest, SetDisplay_PortalMode_StaysInAWindowAndQuiet) {
    host.portal = [] { return true; };
    auto setup = Make();
    setup->SetDisplay(800, 600, true, false, false, false);
    ASSERT_TRUE(setup->IsReady());
    EXPECT_FALSE(setup->IsFullScreen()) << "full screen was asked for";
    // A failing window in portal mode shows no box.
    system.Faults().FailFrom("CreateSurface", 1, E_FAIL);
    desktop.ClearCalls();
    setup->SetDisplay(800, 600, false, true, false, false);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(TDisplaySetupTest, SetDisplay_HostGone_LogsAndEnds) {
    environment.externalParent = true;
    host.placeInHost = [] { return true; };
    host.externalParentExists = [] { return false; };
    auto setup = Make();
    EXPECT_EQ(ExitOf([&] { setup->SetDisplay(800, 600, false, false, false, false); }), -1);
    EXPECT_TRUE(Logged("Error: mExternalWindowParent is lost, exiting!"));
    EXPECT_FALSE(setup->IsReady());
}

TEST_F(TDisplaySetupTest, SetDisplay_InAHost_WindowGoesToTheCornerAndIsClippedTo) {
    environment.externalParent = true;
    environment.hosted = true;
    host.placeInHost = [] { return true; };
    host.externalParentExists = [] { return true; };
    window.SetPosition(300, 200);
    auto setup = Make();
    setup->SetDisplay(800, 600, false, false, false, false);
    ASSERT_TRUE(setup->IsReady());
    int32_t x = -1, y = -1;
    window.GetPosition(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST_F(TDisplaySetupTest, SetDisplay_PresentsAgainAndSetsTheDefaultCursorOnce) {
    bool represent = false;
    int defaultCursors = 0;
    host.representFrame = [&] { return represent; };
    host.defaultCursor = [&] { ++defaultCursors; };
    auto setup = Make();
    setup->SetDisplay(800, 600, false, false, false, false);
    ASSERT_TRUE(setup->IsReady());
    EXPECT_EQ(defaultCursors, 1);
    const uint32_t presents = system.Faults().Calls("Blt");
    represent = true;
    setup->SetDisplay(800, 600, false, true, false, false);
    ASSERT_TRUE(setup->IsReady());
    EXPECT_GT(system.Faults().Calls("Blt"), presents) << "the frame was presented again";
    EXPECT_EQ(defaultCursors, 1) << "only once in the process";
}

} // namespace

namespace {

TEST_F(TDisplaySetupTest, HasDeviceAndSurfaces_FollowsTheDisplayWithoutMarkingIt) {
    auto setup = Make();
    EXPECT_FALSE(setup->HasDeviceAndSurfaces());
    EXPECT_FALSE(setup->IsBroken()) << "asking marks nothing";
    setup->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(setup->HasDeviceAndSurfaces());
    setup->GetContext().ReleaseDisplay();
    EXPECT_FALSE(setup->HasDeviceAndSurfaces());
}

} // namespace
