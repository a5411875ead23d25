// The story and menu screens in the game's own window on a real X server,
// started by ctest under xvfb-run (tests/platform/run_under_xvfb.sh): a
// program folder lays the check's start-up script over the build's assets;
// it opens the intro, the achievement board and the credits in turn and
// prints each screen that opens and closes. xdotool is the player and
// ImageMagick's import takes the window's pictures into the build's
// "screen-frames" folder, to be looked at. The game runs with the
// sanitizers of the test build; what they report fails the check.

#include "support/XPicture.h"
#include "support/XProgram.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace support;

class ScreensWindow : public XProgramFixture {
protected:
    void SetUp() override {
        XProgramFixture::SetUp();
        if (IsSkipped())
            return;
        UseGameEnvironment();
        std::filesystem::create_directories(kFrames);
        const std::string folder = (mRoot.Path() / "game").string();
        ASSERT_EQ(RunProgram({"sh", CORVALO_TEST_DATA "/screens/layout.sh", folder, CORVALO_PROGRAM,
                              CORVALO_BINARY_DIR "/assets"}),
                  0);
        Start(folder + "/corvalo", nullptr);
        mWindow = FindWindow("^Corvalo$");
        ASSERT_FALSE(mWindow.empty());
        ASSERT_EQ(Xdotool({"windowfocus", "--sync", mWindow}), 0);
    }

    void Capture(const std::string& name) {
        const std::string path = kFrames + "/" + name + ".png";
        EXPECT_EQ(RunProgram({"import", "-window", mWindow, path}), 0) << path;
    }

    void MoveTo(int x, int y) {
        ASSERT_EQ(Xdotool({"mousemove", "--window", mWindow, "--sync", std::to_string(x),
                           std::to_string(y)}),
                  0);
    }

    void ClickAt(int x, int y) {
        MoveTo(x, y);
        ASSERT_EQ(Xdotool({"click", "1"}), 0);
    }

    void Key(const char* key) { ASSERT_EQ(Xdotool({"key", "--window", mWindow, key}), 0); }

    // The mean red, green and blue (0 to 1) of a box of a captured frame.
    std::vector<double> MeanColour(const std::string& name, int x, int y, int w, int h) {
        return MeanColourIn(kFrames + "/" + name + ".png", x, y, w, h);
    }

    static void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    // Clicks there until the line is printed: a click that comes while the
    // screen still opens is lost, a second one while it closes is ignored.
    bool ClickUntil(int x, int y, const std::string& line) {
        for (int attempt = 0; attempt < 12; ++attempt) {
            ClickAt(x, y);
            if (WaitForOutput(line, std::chrono::milliseconds(2500)))
                return true;
        }
        return false;
    }

    // Whether the tip's light plate stands under the first medal: the
    // pointer is moved onto the medal again and again (the board takes it
    // only once it has opened) until the plate shows.
    bool ShowsTipOfFirstMedal() {
        for (int attempt = 0; attempt < 40; ++attempt) {
            MoveTo(92 + attempt % 2, 192);
            Wait(400);
            Capture("achievements-tip");
            const std::vector<double> plate = MeanColour("achievements-tip", 20, 236, 140, 24);
            if (plate[0] + plate[1] + plate[2] > 2.4)
                return true;
        }
        return false;
    }

    const std::string kFrames = CORVALO_BINARY_DIR "/screen-frames";
    std::string mWindow;
};

TEST_F(ScreensWindow, IntroAchievementsAndCreditsOpenAndLeaveAsAPlayerWould) {
    // The intro waits at its first stop; Space goes on, Continue goes on,
    // and Skip ends it.
    ASSERT_TRUE(WaitForOutput("open scripts/cutscene.lua")) << Output() << Errors();
    Wait(3500);
    Capture("intro-first-stop");
    Key("space");
    Wait(1200);
    Capture("intro-after-space");
    Wait(1800);
    ClickAt(512, 684);
    Wait(1000);
    Capture("intro-after-continue");
    EXPECT_EQ(Output().find("closed scripts/cutscene.lua"), std::string::npos) << Output();
    ASSERT_TRUE(ClickUntil(920, 724, "closed scripts/cutscene.lua")) << Output() << Errors();

    // The board opens through black; a medal under the pointer gets its
    // tip below it; Back fades the board away.
    ASSERT_TRUE(WaitForOutput("open scripts/achievement.lua")) << Output() << Errors();
    EXPECT_TRUE(ShowsTipOfFirstMedal()) << "no tip in " << kFrames << "/achievements-tip.png";
    ASSERT_TRUE(ClickUntil(512, 708, "closed scripts/achievement.lua")) << Output() << Errors();

    // The credits scroll; Back fades them away.
    ASSERT_TRUE(WaitForOutput("open scripts/credits.lua")) << Output() << Errors();
    Wait(2000);
    Capture("credits-early");
    Wait(3000);
    Capture("credits-later");
    ASSERT_TRUE(ClickUntil(512, 714, "closed scripts/credits.lua")) << Output() << Errors();
    ASSERT_TRUE(WaitForOutput("open scripts/cutscene.lua")) << Output() << Errors();

    const Ending ending = CloseAndAnswerYes();
    EXPECT_TRUE(ending.ExitedWith(0)) << ending.Describe() << "\n" << Output() << Errors();
    const std::string errors = Errors();
    EXPECT_EQ(errors.find("AddressSanitizer"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
    const std::string log =
        ReadWholeFile((mRoot.Path() / "data" / "Halvenmark" / "Corvalo" / "logfile.txt").string());
    EXPECT_EQ(log.find("Lua error"), std::string::npos) << log;
}

} // namespace
