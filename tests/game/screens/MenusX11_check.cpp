// The menus in the game's own window on a real X server, started by ctest
// under xvfb-run (tests/platform/run_under_xvfb.sh) from an empty profile: the build's
// program and assets, with a start-up script (tests/data/menus/main.lua)
// that runs the game's own and prints which screen stands. xdotool types
// and clicks as a player would; ImageMagick's import keeps the window's
// pictures in the build's "menu-frames" folder, to be looked at.
//
// The player registers as "Ann" with the girl and the menu greets her;
// the player list's New refuses an empty name and "Ann" with a message;
// "Bob'x\" registers with the dog locked; Ann is chosen again; quick play
// shows Blitz medium and hard locked and the tip over Blitz easy; Back
// returns to the menu; Blitz easy opens the board.

#include "support/XProgram.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace support;
namespace fs = std::filesystem;

const std::string kFrames = CORVALO_BINARY_DIR "/menu-frames";

class MenusWindow : public XProgramFixture {
protected:
    void SetUp() override {
        XProgramFixture::SetUp();
        if (IsSkipped())
            return;
        UseGameEnvironment();
        fs::create_directories(kFrames);
        const fs::path folder = mRoot.Path() / "game";
        fs::create_directories(folder);
        fs::copy_file(CORVALO_PROGRAM, folder / "corvalo");
        fs::copy(CORVALO_BINARY_DIR "/assets", folder / "assets", fs::copy_options::recursive);
        fs::rename(folder / "assets" / "scripts" / "main.lua",
                   folder / "assets" / "scripts" / "game_main.lua");
        fs::copy_file(CORVALO_TEST_DATA "/menus/main.lua",
                      folder / "assets" / "scripts" / "main.lua");
        mProgram = (folder / "corvalo").string();
    }

    // The number of times a line stands in the program's output.
    size_t Count(const std::string& line) const { return Occurrences(Output(), line); }
    // Waits until the line stands in the output n times.
    bool WaitFor(const std::string& line, size_t n = 1) const {
        const auto start = XClock::now();
        while (XClock::now() - start < kXOutputWait) {
            if (Count(line) >= n)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    void Capture(const std::string& name) {
        const std::string path = kFrames + "/" + name + ".png";
        EXPECT_EQ(RunProgram({"import", "-window", mWindow, path}), 0) << path;
    }
    // The pointer to a point of the game's screen.
    void MoveTo(int x, int y) {
        ASSERT_EQ(Xdotool({"mousemove", "--window", mWindow, "--sync", std::to_string(X(x)),
                           std::to_string(Y(y))}),
                  0);
    }
    void ClickAt(int x, int y) {
        MoveTo(x, y);
        ASSERT_EQ(Xdotool({"click", "1"}), 0);
    }
    void Type(const std::string& text) {
        ASSERT_EQ(Xdotool({"type", "--window", mWindow, "--delay", "60", text}), 0);
    }
    void Key(const std::string& key, int times = 1) {
        for (int i = 0; i < times; ++i)
            ASSERT_EQ(Xdotool({"key", "--window", mWindow, key}), 0);
    }
    // The mean red, green and blue (0 to 1) of a box of the game's screen
    // in a captured frame.
    std::vector<double> MeanColour(const std::string& name, int x, int y, int w, int h) {
        std::string said;
        RunProgram({"convert", kFrames + "/" + name + ".png", "-crop",
                    std::to_string(static_cast<int>(w * mScale)) + "x" +
                        std::to_string(static_cast<int>(h * mScale)) + "+" + std::to_string(X(x)) +
                        "+" + std::to_string(Y(y)),
                    "-format", "%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]", "info:"},
                   &said);
        std::istringstream in(said);
        std::vector<double> rgb(3, -1.0);
        in >> rgb[0] >> rgb[1] >> rgb[2];
        return rgb;
    }
    // How far from grey a box is: the largest difference of its channels.
    double Colourfulness(const std::string& name, int x, int y, int w, int h) {
        const std::vector<double> rgb = MeanColour(name, x, y, w, h);
        return std::max({rgb[0], rgb[1], rgb[2]}) - std::min({rgb[0], rgb[1], rgb[2]});
    }

    // Waits until the game's window keeps one size (a fresh profile plays
    // full screen), and a little more for the first frame in it; from then
    // on points of the game's 1024 x 768 are turned into window points.
    bool WaitForGameSize() {
        const auto start = XClock::now();
        std::string last;
        while (XClock::now() - start < kXOutputWait) {
            std::string geometry;
            Xdotool({"getwindowgeometry", mWindow}, &geometry);
            const size_t at = geometry.find("Geometry: ");
            if (at != std::string::npos && geometry == last) {
                int w = 0, h = 0;
                if (std::sscanf(geometry.c_str() + at, "Geometry: %dx%d", &w, &h) == 2 &&
                    w >= 1024) {
                    mScale = std::min(w / 1024.0, h / 768.0);
                    mLeft = (w - 1024 * mScale) / 2;
                    mTop = (h - 768 * mScale) / 2;
                    std::this_thread::sleep_for(std::chrono::milliseconds(500));
                    return true;
                }
            }
            last = geometry;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return false;
    }
    // Waits until the window shows a picture (the first frames of a slow
    // build may be black).
    bool WaitForPicture() {
        const auto start = XClock::now();
        while (XClock::now() - start < kXOutputWait) {
            Capture("00-waiting");
            const std::vector<double> rgb = MeanColour("00-waiting", 0, 0, 1024, 768);
            if (rgb[0] + rgb[1] + rgb[2] > 0.3)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return false;
    }
    int X(int x) const { return static_cast<int>(mLeft + x * mScale + 0.5); }
    int Y(int y) const { return static_cast<int>(mTop + y * mScale + 0.5); }

    double mScale = 1.0;
    double mLeft = 0.0;
    double mTop = 0.0;
    std::string mProgram;
    std::string mWindow;
};

TEST_F(MenusWindow, APlayersWayThroughTheMenus) {
    Start(mProgram, nullptr);
    mWindow = FindWindow("^Corvalo$");
    ASSERT_FALSE(mWindow.empty()) << Output() << Errors();
    ASSERT_TRUE(WaitFor("open scripts/register.lua")) << Output() << Errors();
    ASSERT_TRUE(WaitForGameSize()) << "the window never took a size";
    ASSERT_EQ(Xdotool({"windowfocus", "--sync", mWindow}), 0);
    ASSERT_TRUE(WaitForPicture()) << "the window stays black";

    // The first player: Ann, the girl.
    Type("Ann");
    ClickAt(350, 358);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Capture("01-register-first");
    ClickAt(512, 612);
    ASSERT_TRUE(WaitFor("closed scripts/register.lua: ok")) << Output();
    // Ann's first visit plays the intro; Escape skips it.
    ASSERT_TRUE(WaitFor("open scripts/cutscene.lua")) << Output();
    Key("Escape");
    ASSERT_TRUE(WaitFor("closed scripts/cutscene.lua: nil")) << Output();
    ASSERT_TRUE(WaitFor("menu Ann avatar 1")) << Output();
    ASSERT_TRUE(WaitFor("blocker false")) << "the curtains did not open\n" << Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Capture("02-menu-ann-girl");
    // The girl stands at the left, in her pink.
    const std::vector<double> figure = MeanColour("02-menu-ann-girl", 160, 460, 90, 130);
    EXPECT_GT(figure[0], figure[2]) << "no girl where the figure stands";

    // The player list, New: an empty name and "Ann" are refused.
    ClickAt(512, 368);
    ASSERT_TRUE(WaitFor("open scripts/changeplayer.lua")) << Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Capture("03-players-ann");
    ClickAt(272, 584);
    ASSERT_TRUE(WaitFor("open scripts/register.lua", 2)) << Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ClickAt(422, 614);
    ASSERT_TRUE(WaitFor("message Please type a name.")) << Output();
    Type("Ann");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Capture("04-register-typed");
    ClickAt(422, 614);
    ASSERT_TRUE(WaitFor("message That name is taken.")) << Output();
    Capture("04-register-taken");
    // "Bob'x\" with the boy; the cat and the dog are locked for a new name.
    Key("BackSpace", 3);
    Type("Bob'x\\");
    Capture("05-register-bob");
    EXPECT_LT(Colourfulness("05-register-bob", 560, 300, 100, 110), 0.12) << "the dog is open";
    EXPECT_LT(Colourfulness("05-register-bob", 430, 300, 100, 110), 0.12) << "the cat is open";
    EXPECT_GT(Colourfulness("05-register-bob", 170, 300, 100, 110), 0.15) << "the boy is missing";
    ClickAt(422, 614);
    ASSERT_TRUE(WaitFor("closed scripts/register.lua: ok", 2)) << Output();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Capture("06-players-two");
    // Back to Ann: her row, OK.
    ClickAt(512, 216);
    ClickAt(612, 584);
    ASSERT_TRUE(WaitFor("closed scripts/changeplayer.lua: ok")) << Output();
    ASSERT_TRUE(WaitFor("menu Ann avatar 1", 2)) << Output();
    ASSERT_TRUE(WaitFor("blocker false", 2)) << Output();

    // Quick play, then Back to the menu.
    ClickAt(512, 298);
    ASSERT_TRUE(WaitFor("open scripts/quickplay.lua")) << Output();
    ASSERT_TRUE(WaitFor("blocker false", 3)) << Output();
    ClickAt(120, 714);
    ASSERT_TRUE(WaitFor("closed scripts/quickplay.lua: nil")) << Output();
    ASSERT_TRUE(WaitFor("menu Ann avatar 1", 3)) << Output();
    ASSERT_TRUE(WaitFor("blocker false", 4)) << Output();

    // Quick play again: Blitz's medium and hard are locked; the tip stands
    // over Blitz easy, which opens the board.
    ClickAt(512, 298);
    ASSERT_TRUE(WaitFor("open scripts/quickplay.lua", 2)) << Output();
    ASSERT_TRUE(WaitFor("blocker false", 5)) << Output();
    MoveTo(314, 314);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    Capture("07-quickplay-tip");
    EXPECT_LT(Colourfulness("07-quickplay-tip", 250, 370, 120, 40), 0.12) << "medium is open";
    EXPECT_LT(Colourfulness("07-quickplay-tip", 250, 448, 120, 40), 0.12) << "hard is open";
    const std::vector<double> tip = MeanColour("07-quickplay-tip", 240, 226, 140, 40);
    EXPECT_GT(tip[0] + tip[1] + tip[2], 2.4) << "no tip over Blitz easy";
    ClickAt(314, 314);
    ASSERT_TRUE(WaitFor("closed scripts/quickplay.lua: play")) << Output();
    ASSERT_TRUE(WaitFor("open scripts/game.lua")) << Output();
    // The board takes its time to stand; until then the menu's last
    // picture stays (its title over the menu's sky).
    const std::vector<double> menuTitle = MeanColour("02-menu-ann-girl", 300, 40, 420, 100);
    bool changed = false;
    for (auto start = XClock::now(); !changed && XClock::now() - start < kXOutputWait;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        Capture("08-board-blitz");
        const std::vector<double> now = MeanColour("08-board-blitz", 300, 40, 420, 100);
        changed = std::abs(now[0] - menuTitle[0]) + std::abs(now[1] - menuTitle[1]) +
                      std::abs(now[2] - menuTitle[2]) >
                  0.08;
    }
    EXPECT_TRUE(changed) << "the board never showed";
    EXPECT_EQ(0u, Count("closed scripts/game.lua")) << "the board did not stay\n" << Output();

    const Ending ending = CloseAndAnswerYes();
    EXPECT_TRUE(ending.ExitedWith(0)) << ending.Describe() << "\n" << Output() << Errors();
    const std::string errors = Errors();
    EXPECT_EQ(errors.find("AddressSanitizer"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
    const std::string log =
        ReadWholeFile((mRoot.Path() / "data" / "Halvenmark" / "Corvalo" / "logfile.txt").string());
    EXPECT_EQ(log.find("Lua error"), std::string::npos) << log;
    EXPECT_EQ(log.find("Lua Error"), std::string::npos) << log;
}

} // namespace
