// The main window and the event pump on a real X server: started by ctest
// on a virtual X server (tests/platform/run_under_xvfb.sh), it runs the probe
// program (the whole application frame on SDL's x11 driver) and the game
// program itself, has xdotool click and type into their windows as a user
// would, checks the events the probe reports, and closes both windows with
// Alt+F4, after which the probe ends with 0, and the game asks first and
// ends with 0 when the answer is Yes.

#include "support/XProgram.h"

#include <chrono>
#include <string>
#include <thread>

namespace {

using namespace support;

class RealMainWindow : public XProgramFixture {};

TEST_F(RealMainWindow, TypingAndClickingBecomeEventsAndAltF4Ends) {
    Start(CORVALO_APP_PROBE, "events");
    ASSERT_TRUE(WaitForOutput("ready")) << Output();
    std::string window = FindWindow();
    ASSERT_FALSE(window.empty());
    ASSERT_EQ(Xdotool({"windowfocus", "--sync", window}), 0);
    ASSERT_EQ(Xdotool({"mousemove", "--window", window, "--sync", "50", "60"}), 0);
    // Past the activation click's 400 ms: this click is the game's.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_EQ(Xdotool({"click", "1"}), 0);
    ASSERT_EQ(Xdotool({"type", "--delay", "30", "a"}), 0);
    ASSERT_EQ(Xdotool({"key", "--delay", "30", "shift+Insert"}), 0);
    ASSERT_TRUE(WaitForOutput("event 14 97 0 0 0")) << Output();
    ASSERT_EQ(Xdotool({"key", "alt+F4"}), 0);
    const Ending ending = WaitForExit();
    EXPECT_TRUE(ending.ExitedWith(0)) << ending.Describe() << "\n" << Output();
    std::string output = Output();
    for (const char* line :
         {"event 5 0 50 60 0", "event 7 0 50 60 0", "event 11 65 0 0 0", "event 12 65 0 0 0",
          "event 14 97 0 0 0", "event 11 -124 0 0 9", "event 3 0 0 0 0"}) {
        EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
    }
    EXPECT_NE(output.find("step application deleted"), std::string::npos) << output;
}

TEST_F(RealMainWindow, TheGameOpensItsWindowAsksOnCloseAndEndsWithZeroOnYes) {
    // The sanitizers' leak report would turn the exit code; the probe's run
    // above checks for leaks.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    Start(CORVALO_PROGRAM, nullptr);
    std::string window = FindWindow("^Corvalo$");
    ASSERT_FALSE(window.empty());
    std::string geometry;
    // The game's screen: 1024 by 768, once the game has set its display.
    const XClock::time_point deadline = XClock::now() + kXOutputWait;
    while (XClock::now() < deadline) {
        Xdotool({"getwindowgeometry", window}, &geometry);
        if (geometry.find("1024x768") != std::string::npos)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_NE(geometry.find("1024x768"), std::string::npos) << geometry;
    ASSERT_EQ(Xdotool({"windowfocus", "--sync", window}), 0);
    const Ending ending = CloseAndAnswerYes();
    EXPECT_TRUE(ending.ExitedWith(0)) << ending.Describe();
}

// The game runs the modal-window demo (tests/data/modal_demo) laid out over
// its assets: the demo dialog's buttons, text field, Enter, Escape and hot
// key answer as a player expects, its second dialog opens over it, and
// Alt+F4 and Yes to the game's question end the game with 0.
TEST_F(RealMainWindow, TheGameRunsTheModalDemo) {
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    const std::string folder = (mRoot.Path() / "game").string();
    ASSERT_EQ(RunProgram({"sh", CORVALO_MODAL_DEMO "/layout.sh", folder, CORVALO_PROGRAM,
                          CORVALO_ASSETS, "--no-run"}),
              0);
    Start(folder + "/corvalo", nullptr);
    ASSERT_TRUE(WaitForOutput("demo open")) << Output();
    std::string window = FindWindow("^Corvalo$");
    ASSERT_FALSE(window.empty());
    ASSERT_EQ(Xdotool({"windowfocus", "--sync", window}), 0);
    // Counts the lines of the output that are the line.
    auto count = [this](const std::string& line) {
        const std::string output = Output();
        size_t n = 0;
        for (size_t at = output.find(line + "\n"); at != std::string::npos;
             at = output.find(line + "\n", at + 1)) {
            if (at == 0 || output[at - 1] == '\n')
                ++n;
        }
        return n;
    };
    auto waitFor = [&](const std::string& line, size_t times) {
        const XClock::time_point start = XClock::now();
        while (XClock::now() - start < kXOutputWait) {
            if (count(line) >= times)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    };
    auto click = [&](const char* x, const char* y) {
        ASSERT_EQ(Xdotool({"mousemove", "--window", window, "--sync", x, y}), 0);
        // Past the activation click's 400 ms.
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        ASSERT_EQ(Xdotool({"click", "1"}), 0);
    };
    // OK with an empty field: its command prints the field, the dialog
    // closes with "ok" and opens again.
    click("322", "528");
    ASSERT_TRUE(waitFor("demo open", 2)) << Output();
    EXPECT_EQ(count("edit: "), 1u) << Output();
    EXPECT_EQ(count("demo: ok"), 1u) << Output();
    // The field has the focus: typed letters, Tab (the only field keeps it)
    // and Enter, which presses OK.
    ASSERT_EQ(Xdotool({"type", "--delay", "40", "abc"}), 0);
    ASSERT_EQ(Xdotool({"key", "--delay", "40", "Tab", "Return"}), 0);
    ASSERT_TRUE(waitFor("demo open", 3)) << Output();
    EXPECT_EQ(count("edit: abc"), 1u) << Output();
    EXPECT_EQ(count("demo: ok"), 2u) << Output();
    // Escape presses Cancel, and so does its hot key, Alt+C.
    ASSERT_EQ(Xdotool({"key", "Escape"}), 0);
    ASSERT_TRUE(waitFor("demo open", 4)) << Output();
    ASSERT_EQ(Xdotool({"key", "alt+c"}), 0);
    ASSERT_TRUE(waitFor("demo open", 5)) << Output();
    EXPECT_EQ(count("demo: cancel"), 2u) << Output();
    // More opens the second dialog over the demo; Escape closes it and the
    // demo stays.
    click("512", "528");
    ASSERT_TRUE(waitFor("second open", 1)) << Output();
    ASSERT_EQ(Xdotool({"key", "Escape"}), 0);
    ASSERT_TRUE(waitFor("second: close", 1)) << Output();
    EXPECT_EQ(count("demo open"), 5u) << Output();
    EXPECT_EQ(count("demo: cancel"), 2u) << Output();
    const Ending ending = CloseAndAnswerYes();
    EXPECT_TRUE(ending.ExitedWith(0)) << ending.Describe() << "\n" << Output();
}

} // namespace
