// The player's progress across runs of the real program in its own window
// on an X server (started by ctest under xvfb-run, on a 1280 x 800
// desktop): xdotool plays, ImageMagick's import keeps the window's
// pictures in the build's "progress-frames" folder, and prefstool reads
// and doctors the stored profile between runs.
//  - A won Classic level, Continue, then the game closed (or killed at
//    once): the next run opens level 2, and the store says 2.
//  - The progress screen (tests/data/progress): an avatar and Save are
//    there again after a restart; doctored profiles come back whole.

#include "support/XGameWindow.h"

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

class ProgressWindow : public XGameWindow {
protected:
    ProgressWindow() : XGameWindow(CORVALO_BINARY_DIR "/progress-frames") {}

    void KillNow() {
        kill(mChild, SIGKILL);
        const Ending ending = WaitForExit();
        EXPECT_EQ(ending.kind, Ending::kSignalled) << ending.Describe();
    }

    // Captures again and again until the window shows something (the first
    // frames of a new window are black).
    bool CaptureFirstPicture(const std::string& name) {
        return CaptureUntil(name, 0, 0, 1024, 768,
                            [](const std::vector<double>& rgb) { return Brightness(rgb) > 0.05; });
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

    size_t Count(const std::string& line) const { return Occurrences(Output(), line); }
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
