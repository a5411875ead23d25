// The game played end to end in its own window on a 1280 x 800 X server
// (full screen, the picture scaled with bars): each test is a ctest entry
// of its own, so that they run side by side, and each starts from an empty
// profile, registers a player as a person does and plays on from the menu.
// The frames are kept in the build's "flow-frames" folder.
//  - FirstStart: register, the intro (Space takes it to its end), the
//    menu's greeting; Alt+Enter out of full screen and back in the middle;
//    Alt+F4 at the end.
//  - QuickPlay<Mode>: the mode's easy board from the menu, won by a player
//    with perfect memory (the game's board trace); the score card,
//    Continue, the next level; Pause, Main menu, the question, the menu.
//  - QuickPlayLostByWaiting: a Classic board left alone fills up and is
//    lost; the lost life's pop-up, OK, the next try.
//  - Medium..., Hard...: with "UserDiff*" 6 (prefstool) each mode's medium
//    or hard board opens from the menu.
//  - MenuScreens: the achievement board of a doctored profile, the
//    credits scrolling, Back; a volume set in Options kept after a restart.
//  - PlayersAndPause: a second player, back to the first, the second
//    deleted after its question; Pause in a level, How to play and back.
// Every run ends with Alt+F4: exit code 0, nothing from the sanitizers, no
// script error and no "missing" or "not found" in the log.

#include "support/GameWindowFixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

namespace {

using namespace support;

// Where the top panel places the score card in the picture (the card's own
// script lays out what is on it).
constexpr int kScoreCardX = 194;
constexpr int kScoreCardY = 189;

struct Mode {
    const char* name;
    const char* panel;
    // The profile's key of the difficulties open.
    const char* key;
};
constexpr Mode kModes[] = {{"Classic", "PanelClassic", "UserDiffClassic"},
                           {"Blitz", "PanelBlitz", "UserDiffBlitz"},
                           {"Strategy", "PanelStrategy", "UserDiffStrategy"},
                           {"Rome", "PanelCradleRome", "UserDiffCradle"},
                           {"Joker", "PanelJoker", "UserDiffJoker"}};

class PlayerFlow : public GameWindowFixture {
protected:
    std::string FramesFolder() const override { return CORVALO_BINARY_DIR "/flow-frames"; }

    // From the menu to the board of a mode's difficulty (1 easy, 2 medium,
    // 3 hard); `level` the board trace's level count before it.
    void OpenBoard(const Mode& mode, int difficulty, int level = 0) {
        ASSERT_TRUE(PressUntil("btnQuickPlay", "open scripts/quickplay.lua"));
        const std::string button =
            std::string(mode.panel) + "/btnDifficulty" + std::to_string(difficulty);
        ASSERT_TRUE(PressUntil(button, "closed scripts/quickplay.lua: play"));
        ASSERT_TRUE(WaitForBoard(level)) << mode.name << " " << difficulty;
    }

    // Pause, Main menu, Yes: the board closes and the menu stands again.
    void PauseToMenu(const std::string& name) {
        // The game pauses by itself when its window is not the active one.
        if (Count("open scripts/pause.lua") == Count("closed scripts/pause.lua")) {
            ASSERT_TRUE(PressUntil("btnPause", "open scripts/pause.lua"));
        }
        LeavePause(name);
    }
    void LeavePause(const std::string& name) {
        const size_t menus = Count("menu " + name + " avatar");
        ASSERT_TRUE(PressUntil("btnMainMenu", "open scripts/confirm.lua"));
        Capture("pause-question");
        ASSERT_TRUE(PressUntil("btnYes", "closed scripts/confirm.lua: yes"));
        ASSERT_TRUE(WaitForLine("closed scripts/game.lua")) << Output();
        ASSERT_TRUE(WaitForNext("menu " + name + " avatar", menus)) << Output();
        ASSERT_TRUE(WaitUntil("the board trace closed", [&] { return Board().closed; }));
    }

    // Captures until the picture in the box differs from the same box of
    // a kept frame by more than `by` (mean colour, 0 to 3).
    bool WaitForChange(const std::string& from, const std::string& name, int x, int y, int w, int h,
                       double by) {
        const std::vector<double> before = MeanColour(from, x, y, w, h);
        return WaitUntil(name + " differing from " + from, [&] {
            Capture(name);
            return Difference(before, MeanColour(name, x, y, w, h)) > by;
        });
    }
    static double Difference(const std::vector<double>& a, const std::vector<double>& b) {
        return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
    }
    // Where the slider's knob (teal) stands along its rail in a frame; 0
    // when none is seen.
    int KnobX(const std::string& frame, const Place& slider) {
        std::string said;
        RunProgram({"convert", FramePath(frame), "-crop",
                    std::to_string(slider.w) + "x1+" + std::to_string(slider.x) + "+" +
                        std::to_string(slider.CentreY()),
                    "-depth", "8", "txt:-"},
                   &said);
        std::istringstream in(said);
        int sum = 0, count = 0;
        for (std::string line; std::getline(in, line);) {
            int x = 0, y = 0, r = 0, g = 0, b = 0;
            if (std::sscanf(line.c_str(), "%d,%d: (%d,%d,%d", &x, &y, &r, &g, &b) == 5 &&
                g - r > 60 && b - r > 60) {
                sum += x;
                ++count;
            }
        }
        return count ? slider.x + sum / count : 0;
    }
    // The mean saturation of the middle of a medal (64 x 64): a lit medal
    // is coloured, an unlit one grey.
    double Saturation(const std::string& frame, const Place& medal) {
        std::string said;
        RunProgram({"convert", FramePath(frame), "-crop",
                    "32x32+" + std::to_string(medal.x + 16) + "+" + std::to_string(medal.y + 16),
                    "-colorspace", "HSL", "-format", "%[fx:mean.g]", "info:"},
                   &said);
        return std::atof(said.c_str());
    }

    void PlayAndWin(const Mode& mode) {
        Launch();
        Register("Ann", "boy");
        Capture("menu");
        OpenBoard(mode, 1);
        CaptureFirstPicture("board");
        const size_t continues = Count("layout btnContinue ");
        const auto start = XClock::now();
        const int outcome = PlayToTheEnd();
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(XClock::now() - start).count();
        std::printf("%s easy: outcome %d after %d moves in %lld s\n", mode.name, outcome, mMoves,
                    static_cast<long long>(seconds));
        ASSERT_EQ(1, outcome) << mode.name << " easy was not won in " << mMoves << " moves\n"
                              << ReadWholeFile(TracePath());
        Capture("won");
        const int level = Board().level;
        if (std::string(mode.name) != "Joker") {
            // The score card is built once the celebration ends, then
            // slides in; Continue on it starts the next level.
            ASSERT_TRUE(WaitForNext("layout btnContinue ", continues));
            const Place button = Find("btnContinue");
            // Its orange title bar stands once it has slid in.
            ASSERT_TRUE(WaitUntil("the score card on the screen", [&] {
                Capture("score-card");
                const std::vector<double> bar = MeanColour("score-card", 262, 224, 500, 40);
                return bar[0] > 0.75 && bar[2] < 0.45;
            }));
            XClock::time_point next = XClock::now();
            ASSERT_TRUE(WaitUntil("the next level after Continue", [&] {
                if (Board().level > level)
                    return true;
                if (XClock::now() >= next) {
                    ClickAt(kScoreCardX + button.CentreX(), kScoreCardY + button.CentreY());
                    next = XClock::now() + std::chrono::milliseconds(1500);
                }
                return false;
            }));
        }
        ASSERT_TRUE(WaitForBoard(level));
        Capture("next-level");
        PauseToMenu("Ann");
        Capture("menu-again");
        EndCleanly();
    }

    // With every medium and hard board open (prefstool), each mode's board
    // of the difficulty opens from the menu, in a run of the game of its
    // own, ended by Alt+F4 on the board.
    void OpenEveryBoard(int difficulty, size_t first, size_t end) {
        Launch();
        Register("Ann", "girl");
        ASSERT_TRUE(CloseAndAnswerYes().ExitedWith(0));
        for (const Mode& mode : kModes)
            Doctor(mode.key, "6");
        for (size_t m = first; m < end; ++m) {
            const Mode& mode = kModes[m];
            Launch();
            ASSERT_TRUE(WaitForLine("menu Ann avatar")) << Output();
            OpenBoard(mode, difficulty);
            Capture(std::string(mode.name) + "-board");
            EndCleanly();
        }
    }
};

TEST_F(PlayerFlow, FirstStart) {
    Launch();
    ASSERT_TRUE(WaitForLine("open scripts/register.lua")) << Output();
    Register("Ann", "girl");
    EXPECT_EQ(1u, Count("menu Ann avatar 1")) << Output();
    Capture("menu-greets");
    // The greeting: the name plate holds the name (not the plate's plain
    // colour alone).
    EXPECT_GT(Brightness("menu-greets", 0, 0, 1024, 768), 0.1);

    // Alt+Enter: the picture's own size in a window, then full screen again.
    Key("alt+Return");
    ASSERT_TRUE(WaitUntil("a 1024 x 768 window", [&] {
        const PictureFit fit = Fit();
        return fit.scale == 1 && fit.left == 0 && fit.top == 0;
    }));
    CaptureFirstPicture("windowed");
    ASSERT_TRUE(PressUntil("btnQuickPlay", "open scripts/quickplay.lua"));
    Capture("windowed-quickplay");
    ASSERT_TRUE(PressUntil("btnBack", "closed scripts/quickplay.lua"));
    ASSERT_TRUE(WaitForLine("menu Ann avatar 1", 2)) << Output();
    Key("alt+Return");
    ASSERT_TRUE(WaitUntil("full screen again", [&] { return Fit().scale > 1; }));
    CaptureFirstPicture("full-screen-again");
    EndCleanly();
}

TEST_F(PlayerFlow, QuickPlayClassic) {
    PlayAndWin(kModes[0]);
}
TEST_F(PlayerFlow, QuickPlayBlitz) {
    PlayAndWin(kModes[1]);
}
TEST_F(PlayerFlow, QuickPlayStrategy) {
    PlayAndWin(kModes[2]);
}
TEST_F(PlayerFlow, QuickPlayRome) {
    PlayAndWin(kModes[3]);
}
TEST_F(PlayerFlow, QuickPlayJoker) {
    PlayAndWin(kModes[4]);
}

TEST_F(PlayerFlow, QuickPlayLostByWaiting) {
    Launch();
    Register("Ann", "boy");
    OpenBoard(kModes[0], 1);
    CaptureFirstPicture("board");
    ASSERT_TRUE(WaitUntil("the level lost", [&] { return Board().outcome >= 2; }));
    ASSERT_TRUE(WaitForLine("open scripts/lose_life.lua")) << Output();
    Capture("lost-life");
    ASSERT_TRUE(PressUntil("wndLoseLife/btnOk", "closed scripts/lose_life.lua"));
    ASSERT_TRUE(WaitForBoard(1));
    Capture("second-try");
    PauseToMenu("Ann");
    EndCleanly();
}

// The boards of a difficulty, split in two so that they run side by side.
TEST_F(PlayerFlow, MediumClassicBlitzStrategy) {
    OpenEveryBoard(2, 0, 3);
}
TEST_F(PlayerFlow, MediumRomeJoker) {
    OpenEveryBoard(2, 3, 5);
}
TEST_F(PlayerFlow, HardClassicBlitzStrategy) {
    OpenEveryBoard(3, 0, 3);
}
TEST_F(PlayerFlow, HardRomeJoker) {
    OpenEveryBoard(3, 3, 5);
}

// Achievements from a doctored profile, Credits, Options with a restart.
TEST_F(PlayerFlow, MenuScreens) {
    Launch();
    Register("Ann", "girl");
    ASSERT_TRUE(CloseAndAnswerYes().ExitedWith(0));
    // Every difficulty of Blitz and Rome played: their two medals.
    Doctor("UserBlitz", "7");
    Doctor("UserRome", "7");
    Launch();
    ASSERT_TRUE(WaitForLine("menu Ann avatar")) << Output();
    EXPECT_EQ(1u, Count("menu Ann avatar 1")) << "the girl was not kept\n" << Output();
    CaptureFirstPicture("menu-restarted");

    // The achievement board: medals 14 (Blitz) and 15 (Rome) lit, 13 not;
    // Back fades it away.
    ASSERT_TRUE(PressUntil("btnAchievements", "open scripts/achievement.lua"));
    const Place lit = WaitForPlace("bmpIcon_14_on");
    const Place rome = WaitForPlace("bmpIcon_15_on");
    const Place unlit = WaitForPlace("bmpIcon_13_on");
    ASSERT_TRUE(WaitUntil("medal 14 lit and medal 13 grey on the achievement board", [&] {
        Capture("achievements");
        return Saturation("achievements", lit) > 0.25 && Saturation("achievements", unlit) < 0.15;
    }));
    EXPECT_GT(Saturation("achievements", rome), 0.25);
    ASSERT_TRUE(PressUntil("wndAchievements/btnBack", "closed scripts/achievement.lua"));
    ASSERT_TRUE(WaitForLine("menu Ann avatar", 2)) << Output();

    // The credits scroll; Back fades them out to black, then the menu.
    ASSERT_TRUE(PressUntil("btnCredits", "open scripts/credits.lua"));
    ASSERT_TRUE(WaitUntil("the credits on the screen", [&] {
        Capture("credits");
        return Brightness("credits", 0, 0, 1024, 768) > 0.2;
    }));
    ASSERT_TRUE(WaitForChange("credits", "credits-scrolled", 0, 100, 1024, 500, 0.01));
    // Back: the frames of the fade are kept (a fade quicker than a
    // capture may show in none of them).
    Click("wndCreditsFade/bmpContent/btnBack");
    int fading = 0;
    ASSERT_TRUE(WaitUntil("the credits closed", [&] {
        Capture("credits-fading-" + std::to_string(++fading));
        return Count("closed scripts/credits.lua") > 0;
    }));
    ASSERT_TRUE(WaitForLine("menu Ann avatar", 3)) << Output();

    // Options: the sound slider moved to a tenth and kept after a restart.
    ASSERT_TRUE(PressUntil("btnOptions", "open scripts/options.lua"));
    const Place slider = WaitForPlace("dlgOptions/sliderSoundLevel");
    int knob = 0;
    ASSERT_TRUE(WaitUntil("the options dialog with its sound slider", [&] {
        Capture("options-before");
        knob = KnobX("options-before", slider);
        return knob > 0;
    }));
    // The knob dragged to a tenth of the rail (again, should the dialog not
    // have taken the drag yet).
    const int target = slider.x + slider.w / 10;
    int moved = knob;
    ASSERT_TRUE(WaitUntil("the knob at a tenth of the rail", [&] {
        if (std::abs(moved - target) >= 12) {
            MoveTo(moved, slider.CentreY());
            Xdotool({"mousedown", "1"});
            MoveTo((moved + target) / 2, slider.CentreY());
            MoveTo(target, slider.CentreY());
            Xdotool({"mouseup", "1"});
        }
        Capture("options-changed");
        const int now = KnobX("options-changed", slider);
        moved = now > 0 ? now : moved;
        return now > 0 && std::abs(now - target) < 12;
    }));
    ASSERT_TRUE(PressUntil("dlgOptions/btnOk", "closed scripts/options.lua"));
    ASSERT_TRUE(CloseAndAnswerYes().ExitedWith(0));
    CheckQuiet();
    Launch();
    ASSERT_TRUE(WaitForLine("menu Ann avatar")) << Output();
    ASSERT_TRUE(PressUntil("btnOptions", "open scripts/options.lua"));
    int kept = 0;
    ASSERT_TRUE(WaitUntil("the options after the restart", [&] {
        Capture("options-restarted");
        kept = KnobX("options-restarted", slider);
        return kept > 0;
    }));
    EXPECT_LT(std::abs(kept - moved), 4) << "the sound level was not kept";
    ASSERT_TRUE(PressUntil("dlgOptions/btnOk", "closed scripts/options.lua"));
    EndCleanly();
}

// A second player, back to the first, the second deleted after its
// question; Pause in a level: How to play and back, Main menu.
TEST_F(PlayerFlow, PlayersAndPause) {
    Launch();
    Register("Ann", "girl");
    ASSERT_TRUE(PressUntil("btnChangePlayer", "open scripts/changeplayer.lua"));
    ASSERT_TRUE(PressUntil("btnNew", "open scripts/register.lua"));
    ASSERT_TRUE(WaitForLine("layout edtName", 2));
    Type("Bob");
    Click("btnAvatar_boy");
    ASSERT_TRUE(PressUntil("btnOk", "closed scripts/register.lua: ok"));
    ASSERT_TRUE(CaptureFirstPicture("two-players"));
    Click("btnUser1");
    ASSERT_TRUE(PressUntil("btnOk", "closed scripts/changeplayer.lua: ok"));
    ASSERT_TRUE(WaitForLine("menu Ann avatar 1", 2)) << Output();
    Capture("back-to-ann");

    ASSERT_TRUE(PressUntil("btnChangePlayer", "open scripts/changeplayer.lua"));
    Click("btnUser2");
    ASSERT_TRUE(PressUntil("btnDelete", "open scripts/confirm.lua"));
    Capture("delete-question");
    ASSERT_TRUE(PressUntil("btnYes", "closed scripts/confirm.lua: yes"));
    ASSERT_TRUE(PressUntil("btnOk", "closed scripts/changeplayer.lua: ok"));
    ASSERT_TRUE(WaitForLine("menu Ann avatar 1", 3)) << Output();
    std::string players;
    RunProgram({CORVALO_BINARY_DIR "/tools/prefstool", "--dir", UserFolder(), "players"}, &players);
    EXPECT_NE(players.find("players: 1"), std::string::npos) << players;
    EXPECT_EQ("Ann", Stored("vlkName"));

    OpenBoard(kModes[0], 1);
    ASSERT_TRUE(PressUntil("btnPause", "open scripts/pause.lua"));
    // The panel slides in from above: a click before it rests could meet
    // Main menu passing where How to play will stand.
    ASSERT_TRUE(WaitForStill(212, 184, 600, 400));
    ASSERT_TRUE(PressUntil("btnInstructions", "open scripts/instructions.lua"));
    ASSERT_TRUE(CaptureFirstPicture("instructions"));
    ASSERT_TRUE(PressUntil("btnOk", "closed scripts/instructions.lua"));
    Capture("pause-again");
    LeavePause("Ann");
    EndCleanly();
}

} // namespace
