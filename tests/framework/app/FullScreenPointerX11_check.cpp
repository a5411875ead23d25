// The game played by mouse on a desktop of another size than its picture:
// started by ctest under xvfb-run on a 1280 x 800 screen
// (tests/platform/run_under_xvfb.sh with CORVALO_XVFB_SCREEN), a fresh
// player's game opens full screen with its 1024 x 768 picture scaled to the
// screen's height and bars at the sides. A click where a button is drawn
// presses it, a click in a bar presses nothing; Alt+Enter gives a centred
// 1024 x 768 window, in which a click on Play opens the board, and so it
// does each time. The game's
// start-up script is told to print each screen that opens and closes
// (tests/data/pointer/layout.sh), and import takes the frames into the
// build's "pointer-frames" folder, to be looked at.

#include "support/XProgram.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>

namespace {

using namespace support;

class FullScreenPointer : public XProgramFixture {
protected:
    void SetUp() override {
        XProgramFixture::SetUp();
        if (IsSkipped())
            return;
        UseGameEnvironment();
        std::filesystem::create_directories(kFrames);
    }

    struct Geometry {
        int x = -1, y = -1, width = 0, height = 0;
    };

    Geometry ReadGeometry() const {
        std::string said;
        Xdotool({"getwindowgeometry", mWindow}, &said);
        Geometry g;
        std::smatch m;
        if (std::regex_search(said, m, std::regex("Position: (-?\\d+),(-?\\d+)")))
            g.x = std::stoi(m[1]), g.y = std::stoi(m[2]);
        if (std::regex_search(said, m, std::regex("Geometry: (\\d+)x(\\d+)")))
            g.width = std::stoi(m[1]), g.height = std::stoi(m[2]);
        return g;
    }

    // Waits until the window has that size.
    // Waits until the window has the size (and, when given, the place: the
    // window manager may move it after it has sized it); the geometry last
    // read.
    Geometry WaitForSize(int width, int height, int x = -1, int y = -1) const {
        const XClock::time_point deadline = XClock::now() + kXOutputWait;
        Geometry g = ReadGeometry();
        const auto arrived = [&] {
            return g.width == width && g.height == height && (x < 0 || g.x == x) &&
                   (y < 0 || g.y == y);
        };
        while (!arrived() && XClock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            g = ReadGeometry();
        }
        return g;
    }

    void ClickAt(int x, int y) {
        ASSERT_EQ(Xdotool({"mousemove", "--window", mWindow, "--sync", std::to_string(x),
                           std::to_string(y)}),
                  0);
        ASSERT_EQ(Xdotool({"click", "1"}), 0);
    }

    // The screen's picture as the frames folder's NAME.png, once it shows
    // something (a display that was just set up is black for a while).
    void Capture(const std::string& name) {
        const std::string path = kFrames + "/" + name + ".png";
        const XClock::time_point deadline = XClock::now() + kXOutputWait;
        do {
            ASSERT_EQ(RunProgram({"import", "-window", "root", path}), 0) << path;
            std::string mean;
            RunProgram({"convert", path, "-format", "%[fx:mean]", "info:"}, &mean);
            if (std::atof(mean.c_str()) > 0.1)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (XClock::now() < deadline);
        ADD_FAILURE() << "the screen stays black: " << path;
    }

    size_t Count(const std::string& line) const { return Occurrences(Output(), line); }

    // Waits until the line was printed that many times.
    bool WaitForCount(const std::string& line, size_t times) const {
        const XClock::time_point deadline = XClock::now() + kXOutputWait;
        while (XClock::now() < deadline) {
            if (Count(line) >= times)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    const std::string kFrames = CORVALO_BINARY_DIR "/pointer-frames";
    std::string mWindow;
};

// The 1024 x 768 picture on the 1280 x 800 screen: 1066 x 800 from x = 107.
constexpr int kLeft = 107;
int ScreenX(int x) {
    return kLeft + (2 * x + 1) * 1066 / 2048;
}
int ScreenY(int y) {
    return (2 * y + 1) * 800 / 1536;
}

TEST_F(FullScreenPointer, ClicksLandWhereTheButtonsAreDrawnInFullScreenAndAfterAltEnter) {
    const std::string folder = (mRoot.Path() / "game").string();
    ASSERT_EQ(RunProgram({"sh", CORVALO_TEST_DATA "/pointer/layout.sh", folder, CORVALO_PROGRAM,
                          CORVALO_BINARY_DIR "/assets"}),
              0);
    Start(folder + "/corvalo", nullptr);
    mWindow = FindWindow("^Corvalo$");
    ASSERT_FALSE(mWindow.empty());
    // A fresh profile: the game asks for the first player's name.
    ASSERT_TRUE(WaitForOutput("open scripts/register.lua")) << Output() << Errors();
    const Geometry full = WaitForSize(1280, 800);
    ASSERT_EQ(full.width, 1280) << "a fresh player's game starts full screen";
    ASSERT_EQ(Xdotool({"windowfocus", "--sync", mWindow}), 0);
    // Past the activation click.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    Capture("full-screen-register");
    ASSERT_EQ(Xdotool({"type", "--delay", "40", "Ana"}), 0);

    // OK is drawn at 432,590 (160 x 48) of the picture. The bars hold
    // nothing; read unscaled, the click on the drawn button would land
    // beside it.
    ClickAt(40, 614);
    ClickAt(1240, 614);
    EXPECT_EQ(Count("closed scripts/register.lua"), 0u) << Output();
    ClickAt(ScreenX(512), ScreenY(614));
    ASSERT_TRUE(WaitForOutput("closed scripts/register.lua")) << Output();
    EXPECT_EQ(Count("open scripts/register.lua"), 1u) << Output();
    // The new player's intro; Escape skips it.
    ASSERT_TRUE(WaitForOutput("open scripts/cutscene.lua")) << Output();
    ASSERT_EQ(Xdotool({"key", "Escape"}), 0);
    ASSERT_TRUE(WaitForOutput("closed scripts/cutscene.lua")) << Output();
    Capture("full-screen-menu");

    // Alt+Enter: a window of the picture's size, in the middle of the screen.
    ASSERT_EQ(Xdotool({"key", "alt+Return"}), 0);
    const Geometry window = WaitForSize(1024, 768, (1280 - 1024) / 2, (800 - 768) / 2);
    EXPECT_EQ(window.width, 1024);
    EXPECT_EQ(window.height, 768);
    EXPECT_EQ(window.x, (1280 - 1024) / 2);
    EXPECT_EQ(window.y, (800 - 768) / 2);
    Capture("window-menu");
    // Quick play, at 392,266 (240 x 64), once the menu's curtains have
    // opened and it takes clicks: the quick-play screen opens.
    const XClock::time_point opened = XClock::now() + kXOutputWait;
    while (Count("open scripts/quickplay.lua") == 0 && XClock::now() < opened) {
        ClickAt(512, 298);
        WaitForOutput("open scripts/quickplay.lua", std::chrono::milliseconds(1500));
    }
    ASSERT_EQ(Count("open scripts/quickplay.lua"), 1u) << Output();
    Capture("window-quick-play");

    // Full screen and back again: the same window each time.
    ASSERT_EQ(Xdotool({"key", "alt+Return"}), 0);
    EXPECT_EQ(WaitForSize(1280, 800).width, 1280);
    ASSERT_EQ(Xdotool({"key", "alt+Return"}), 0);
    const Geometry again = WaitForSize(1024, 768, (1280 - 1024) / 2, (800 - 768) / 2);
    EXPECT_EQ(again.width, 1024);
    EXPECT_EQ(again.x, (1280 - 1024) / 2);
    EXPECT_EQ(again.y, (800 - 768) / 2);

    // Alt+F4 asks first; Yes (Enter) once the question stands ends the game.
    ASSERT_EQ(Xdotool({"key", "alt+F4"}), 0);
    ASSERT_TRUE(WaitForOutput("open scripts/quit_verify.lua")) << Output();
    Ending ending;
    const XClock::time_point deadline = XClock::now() + kXExitWait;
    while (ending.kind == Ending::kStillRunning && XClock::now() < deadline) {
        Xdotool({"key", "Return"});
        ending = WaitForExit(std::chrono::seconds(1));
    }
    EXPECT_TRUE(ending.ExitedWith(0)) << ending.Describe() << "\n" << Output() << Errors();
    const std::string errors = Errors();
    EXPECT_EQ(errors.find("AddressSanitizer"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
}

} // namespace
