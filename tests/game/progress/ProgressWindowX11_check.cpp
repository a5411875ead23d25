// The player's progress across runs of the real program in its own window
// on an X server (started by ctest under xvfb-run, on a 1280 x 800
// desktop): xdotool plays, ImageMagick's import keeps the window's
// pictures in the build's "progress-frames" folder, and prefstool reads
// and doctors the stored profile between runs.
//  - A won Classic level, Continue, then the game closed (or killed at
//    once): the next run opens level 2, and the store says 2.
//  - The progress screen (tests/data/progress): an avatar and Save are
//    there again after a restart; doctored profiles come back whole.

#include "support/XProgram.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace support;
using std::chrono::milliseconds;

const std::string kFrames = CORVALO_BINARY_DIR "/progress-frames";
const char kPrefsTool[] = CORVALO_BINARY_DIR "/tools/prefstool";

class ProgressWindow : public XProgramFixture {
protected:
    void SetUp() override {
        XProgramFixture::SetUp();
        if (IsSkipped())
            return;
        // The X libraries' own allocations outlive the program; the game's
        // leaks are checked on the offscreen display.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::filesystem::create_directories(kFrames);
    }

    std::string Folder() const { return (mRoot.Path() / "game").string(); }
    std::string UserFolder() const {
        return (mRoot.Path() / "data" / "Halvenmark" / "Corvalo").string();
    }

    // Starts the program laid out in the folder and waits for its window.
    void Launch() {
        Start(Folder() + "/corvalo", nullptr);
        mWindow = FindWindow("^Corvalo$");
        ASSERT_FALSE(mWindow.empty());
        ASSERT_EQ(Xdotool({"windowfocus", "--sync", mWindow}), 0);
    }

    // What prefstool says of a key of player 0: the value's text.
    std::string Stored(const std::string& key) {
        std::string said;
        EXPECT_EQ(RunProgram({kPrefsTool, "--dir", UserFolder(), "get", key, "0"}, &said), 0)
            << said;
        std::smatch m;
        const std::regex value("value: \"([^\"]*)\"");
        return std::regex_search(said, m, value) ? m[1].str() : "(none: " + said + ")";
    }
    void Doctor(const std::string& key, const std::string& value) {
        std::string said;
        EXPECT_EQ(RunProgram({kPrefsTool, "--dir", UserFolder(), "set", key, value, "0"}, &said), 0)
            << said;
    }

    std::string Log() const { return ReadWholeFile(UserFolder() + "/logfile.txt"); }

    // Ended by Alt+F4 and Yes with 0, nothing reported by the sanitizers
    // and no script error.
    void EndCleanly() {
        const Ending ending = CloseAndAnswerYes();
        EXPECT_TRUE(ending.ExitedWith(0)) << ending.Describe() << "\n" << Output() << Errors();
        CheckQuiet();
    }
    void CheckQuiet() {
        const std::string errors = Errors();
        EXPECT_EQ(errors.find("AddressSanitizer"), std::string::npos) << errors;
        EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
        EXPECT_EQ(Log().find("Lua error"), std::string::npos) << Log();
    }
    void KillNow() {
        kill(mChild, SIGKILL);
        const Ending ending = WaitForExit();
        EXPECT_EQ(ending.kind, Ending::kSignalled) << ending.Describe();
    }

    // Where the game's 1024 x 768 picture stands in its window: a full
    // screen of another size shows it scaled, with bars at two sides.
    struct PictureFit {
        double scale = 1;
        int left = 0;
        int top = 0;
    };
    PictureFit Fit() {
        std::string said;
        RunProgram({"xdotool", "getwindowgeometry", "--shell", mWindow}, &said);
        int width = 1024, height = 768;
        std::istringstream in(said);
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("WIDTH=", 0) == 0)
                width = std::atoi(line.c_str() + 6);
            if (line.rfind("HEIGHT=", 0) == 0)
                height = std::atoi(line.c_str() + 7);
        }
        PictureFit fit;
        fit.scale = std::min(width / 1024.0, height / 768.0);
        fit.left = static_cast<int>((width - 1024 * fit.scale) / 2);
        fit.top = static_cast<int>((height - 768 * fit.scale) / 2);
        return fit;
    }

    // The window's picture, brought back to the game's 1024 x 768, so that
    // places in it are the game's own.
    void Capture(const std::string& name) {
        const std::string path = kFrames + "/" + name + ".png";
        EXPECT_EQ(RunProgram({"import", "-window", mWindow, path}), 0) << path;
        const PictureFit fit = Fit();
        if (fit.scale == 1 && fit.left == 0 && fit.top == 0)
            return;
        const std::string area = std::to_string(static_cast<int>(1024 * fit.scale)) + "x" +
                                 std::to_string(static_cast<int>(768 * fit.scale)) + "+" +
                                 std::to_string(fit.left) + "+" + std::to_string(fit.top);
        EXPECT_EQ(
            RunProgram({"convert", path, "-crop", area, "+repage", "-resize", "1024x768!", path}),
            0)
            << path;
    }

    std::vector<double> MeanColour(const std::string& name, int x, int y, int w, int h) {
        std::string said;
        RunProgram({"convert", kFrames + "/" + name + ".png", "-crop",
                    std::to_string(w) + "x" + std::to_string(h) + "+" + std::to_string(x) + "+" +
                        std::to_string(y),
                    "-format", "%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]", "info:"},
                   &said);
        std::istringstream in(said);
        std::vector<double> rgb(3, -1.0);
        in >> rgb[0] >> rgb[1] >> rgb[2];
        return rgb;
    }

    // Captures again and again until the window shows something (the first
    // frames of a new window are black).
    bool CaptureFirstPicture(const std::string& name) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            Capture(name);
            const std::vector<double> rgb = MeanColour(name, 0, 0, 1024, 768);
            if (rgb[0] + rgb[1] + rgb[2] > 0.15)
                return true;
            Wait(100);
        }
        return false;
    }

    // The score card's orange title bar.
    bool ShowsScoreCard(const std::string& name) {
        const std::vector<double> rgb = MeanColour(name, 262, 224, 500, 40);
        return rgb[0] > 0.75 && rgb[2] < 0.45 && rgb[0] - rgb[2] > 0.4;
    }

    // Captures until the score card stands (or no longer stands).
    bool WaitForScoreCard(const std::string& name, bool shown) {
        for (int attempt = 0; attempt < 60; ++attempt) {
            Capture(name);
            if (ShowsScoreCard(name) == shown)
                return true;
            Wait(500);
        }
        return false;
    }

    // A click on the place (x, y) of the game's picture.
    void ClickAt(int x, int y) {
        const PictureFit fit = Fit();
        const int screenX = fit.left + static_cast<int>((x + 0.5) * fit.scale);
        const int screenY = fit.top + static_cast<int>((y + 0.5) * fit.scale);
        ASSERT_EQ(Xdotool({"mousemove", "--window", mWindow, "--sync", std::to_string(screenX),
                           std::to_string(screenY)}),
                  0);
        ASSERT_EQ(Xdotool({"click", "1"}), 0);
    }

    size_t Count(const std::string& line) const {
        const std::string output = Output();
        size_t n = 0;
        for (size_t at = output.find(line); at != std::string::npos; at = output.find(line, at + 1))
            ++n;
        return n;
    }
    bool WaitForCount(const std::string& line, size_t count) {
        for (int attempt = 0; attempt < 300; ++attempt) {
            if (Count(line) >= count)
                return true;
            Wait(100);
        }
        return false;
    }
    // The last line of the output that starts with the text, without it.
    std::string LastLine(const std::string& start) const {
        const std::string output = "\n" + Output();
        const size_t at = output.rfind("\n" + start);
        if (at == std::string::npos)
            return "";
        const size_t from = at + 1 + start.size();
        return output.substr(from, output.find('\n', from) - from);
    }

    static void Wait(int ms) { std::this_thread::sleep_for(milliseconds(ms)); }

    std::string mWindow;
};

// A slot's point in the window on the easy board (row 1 is the bottom row
// in play, column 0 the left), from the board's window and slot positions
// in config.xml.
bool EasySlot(int row, int column, std::pair<int, int>& point) {
    const std::string config = ReadWholeFile(CORVALO_BINARY_DIR "/assets/config.xml");
    const std::regex record("<mode name=\"easy\">\\s*<row>\\d+</row><col>\\d+</col>"
                            "<window>(\\d+),(\\d+),\\d+,\\d+</window><position>([\\d.]+),"
                            "([\\d.]+),([\\d.]+),([\\d.]+)</position>");
    std::smatch m;
    if (!std::regex_search(config, m, record))
        return false;
    point = {std::stoi(m[1]) + static_cast<int>(std::stod(m[3]) + column * std::stod(m[5])),
             std::stoi(m[2]) + static_cast<int>(std::stod(m[4]) - row * std::stod(m[6]))};
    return true;
}

class WonLevel : public ProgressWindow, public ::testing::WithParamInterface<bool> {
protected:
    // Wins the first Classic level of the check's levels (any two tiles
    // match) and presses Continue on the score card; the next level opens.
    void WinFirstLevelAndContinue(const std::string& prefix) {
        ASSERT_TRUE(CaptureFirstPicture(prefix + "-curtains")) << "the window stays black";
        ASSERT_TRUE(WaitForOutput("open scripts/game.lua")) << Output() << Errors();
        // The opening: the curtains, the countdown, the cards dealt.
        Wait(6500);
        for (int i = 0; i < 5; ++i) {
            const int row = 1 + (i % 2);
            const int column = (2 * (i / 2)) % 6;
            std::pair<int, int> first, second;
            ASSERT_TRUE(EasySlot(row, column, first) && EasySlot(row, column + 1, second))
                << "no easy board in config.xml";
            ClickAt(first.first, first.second);
            Wait(150);
            ClickAt(second.first, second.second);
            Wait(900);
        }
        ASSERT_TRUE(WaitForScoreCard(prefix + "-score-card", true)) << Output();
        Wait(500);
        ClickAt(638, 526);
        ASSERT_TRUE(WaitForScoreCard(prefix + "-level-2", false)) << Output();
    }
};

TEST_P(WonLevel, NextRunOpensLevelTwo) {
    const bool killed = GetParam();
    const std::string prefix = killed ? "killed" : "closed";
    ASSERT_EQ(RunProgram({"sh", CORVALO_TEST_DATA "/board/layout.sh", Folder(), CORVALO_PROGRAM,
                          CORVALO_BINARY_DIR "/assets", "Classic", "quick", "easy"}),
              0);
    // The level the store holds, said before each board opens.
    std::ofstream(Folder() + "/assets/scripts/board_level.lua", std::ios::app)
        << "print('stored level ' .. qvd_getCurrentUserInt('UserClassicLevelEasy', 0))\n";
    Launch();
    WinFirstLevelAndContinue(prefix);
    if (killed) {
        KillNow();
        CheckQuiet();
    } else {
        EndCleanly();
    }
    EXPECT_EQ(Stored("UserClassicLevelEasy"), "2");
    EXPECT_EQ(Stored("UserDataVersion"), "3");

    Launch();
    ASSERT_TRUE(WaitForOutput("stored level 2")) << Output();
    ASSERT_TRUE(CaptureFirstPicture(prefix + "-restart"));
    ASSERT_TRUE(WaitForOutput("open scripts/game.lua")) << Output();
    Wait(7000);
    Capture(prefix + "-restart-level-2");
    EndCleanly();
    EXPECT_EQ(Stored("UserClassicLevelEasy"), "2");
}

INSTANTIATE_TEST_SUITE_P(ClosedOrKilled, WonLevel, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Killed" : "Closed"; });

// The progress screen's buttons, in the window.
constexpr int kCatX = 112 + 610 + 80, kButtonY = 84 + 420 + 24;
constexpr int kSaveX = 112 + 230 + 80, kSaveY = 84 + 500 + 24;

TEST_F(ProgressWindow, AvatarAndQuestKeptAndDoctoredProfilesComeBackWhole) {
    ASSERT_EQ(RunProgram({"sh", CORVALO_TEST_DATA "/progress/layout.sh", Folder(), CORVALO_PROGRAM,
                          CORVALO_BINARY_DIR "/assets", "--no-run"}),
              0);
    Launch();
    ASSERT_TRUE(WaitForCount("progress shown", 1)) << Output() << Errors();
    ASSERT_TRUE(CaptureFirstPicture("progress-first"));
    EXPECT_EQ(LastLine("avatar: "), "boy");
    ClickAt(kCatX, kButtonY);
    ASSERT_TRUE(WaitForCount("progress shown", 2)) << Output();
    ClickAt(kSaveX, kSaveY);
    ASSERT_TRUE(WaitForCount("progress shown", 3)) << Output();
    Wait(500);
    Capture("progress-cat-saved");
    const std::string quest = LastLine("quest: ");
    EXPECT_EQ(quest.rfind("6^0^0^", 0), 0u) << quest;
    EndCleanly();

    Launch();
    ASSERT_TRUE(WaitForCount("progress shown", 1)) << Output();
    ASSERT_TRUE(CaptureFirstPicture("progress-restart"));
    EXPECT_EQ(LastLine("avatar: "), "cat");
    EXPECT_EQ(LastLine("quest: "), quest);
    EndCleanly();

    // A quest map cut short: one log line, and a fresh map stored.
    Doctor("UserMetamap", "6^1^3^500^" + quest.substr(std::string("6^0^0^").size(), 40));
    Launch();
    ASSERT_TRUE(WaitForCount("progress shown", 1)) << Output();
    const std::string log = Log();
    const std::string line = "clsMetamap: the saved quest map is cut short";
    EXPECT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line), log.rfind(line)) << "one line";
    EXPECT_EQ(LastLine("quest: "), quest);
    EXPECT_EQ(LastLine("avatar: "), "cat");
    EndCleanly();

    // Another version: the defaults (the boy), stored as version 3.
    Doctor("UserDataVersion", "2");
    Launch();
    ASSERT_TRUE(WaitForCount("progress shown", 1)) << Output();
    ASSERT_TRUE(CaptureFirstPicture("progress-defaults"));
    EXPECT_EQ(LastLine("avatar: "), "boy");
    EXPECT_EQ(LastLine("version: "), "3");
    EndCleanly();

    // Too many bombs: shown as stored, written back clamped by the quest's
    // save.
    Doctor("UserBomb", "99");
    Launch();
    ASSERT_TRUE(WaitForCount("progress shown", 1)) << Output();
    EXPECT_EQ(LastLine("bomb: "), "99");
    ClickAt(kSaveX, kSaveY);
    ASSERT_TRUE(WaitForCount("progress shown", 2)) << Output();
    EXPECT_EQ(LastLine("bomb: "), "10");
    // The picture only: the next frame draws the new label.
    Wait(500);
    Capture("progress-bombs-clamped");
    EndCleanly();
    EXPECT_EQ(Stored("UserBomb"), "10");
}

} // namespace
