// The main window and the event pump on a real X server: started by ctest
// under xvfb-run (tests/platform/run_under_xvfb.sh), it runs the probe
// program (the whole application frame on SDL's x11 driver) and the game
// program itself, has xdotool click and type into their windows as a user
// would, checks the events the probe reports, and closes both windows with
// Alt+F4, after which the probe ends with 0, and the game asks first and
// ends with 0 when the answer is Yes.

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// How long a program may take to show something or to end. A loaded
// machine is slow, not broken: the waits end as soon as what they wait for
// happens, so only a program that really hangs meets these.
constexpr std::chrono::seconds kOutputWait(60);
constexpr std::chrono::seconds kExitWait(60);

// How a started program ended, or that it had not ended yet.
struct Ending {
    enum Kind { kExited, kSignalled, kStillRunning } kind = kStillRunning;
    int value = 0; // exit status or signal number

    bool ExitedWith(int status) const { return kind == kExited && value == status; }
    std::string Describe() const {
        switch (kind) {
        case kExited:
            return "the program exited with status " + std::to_string(value);
        case kSignalled:
            return "the program crashed or was killed: signal " + std::to_string(value);
        case kStillRunning:
            break;
        }
        return "the program was still running after " + std::to_string(kExitWait.count()) +
               " s: a time-out (a hang or a very loaded machine), not a crash";
    }
};

// Runs a program and gives its standard output and exit status (-1 when it
// did not exit normally).
int Run(std::vector<std::string> arguments, std::string* output = nullptr) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string text;
    char buffer[256];
    ssize_t got;
    while (spawned == 0 && (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(got));
    close(pipeEnds[0]);
    if (spawned != 0)
        return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Xdotool(std::vector<std::string> arguments, std::string* output = nullptr) {
    arguments.insert(arguments.begin(), "xdotool");
    return Run(arguments, output);
}

class RealMainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display (run through run_under_xvfb.sh)";
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("XDG_DATA_HOME", (mRoot.Path() / "data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", mRoot.Path().c_str(), 1);
        setenv("HOME", mRoot.Path().c_str(), 1);
    }

    void TearDown() override {
        if (mChild > 0) {
            kill(mChild, SIGKILL);
            waitpid(mChild, nullptr, 0);
        }
    }

    // Starts a program with its output going to a file of its own.
    void Start(const std::string& program, const char* probeMode) {
        mOutput = (mRoot.Path() / "out.txt").string();
        mChild = fork();
        if (mChild == 0) {
            int fd = open(mOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            if (probeMode)
                setenv("CORVALO_PROBE_MODE", probeMode, 1);
            execl(program.c_str(), program.c_str(), "--multiple", static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    std::string Output() const {
        std::ifstream file(mOutput);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    bool WaitForOutput(const std::string& line) const {
        Clock::time_point start = Clock::now();
        while (Clock::now() - start < kOutputWait) {
            if (Output().find(line) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // The X window of the main window: "Nimbrel" until a game names it,
    // the game's title from its string table after.
    std::string FindWindow(const char* title = "^Nimbrel$") const {
        std::string found;
        if (Xdotool({"search", "--sync", "--name", title}, &found) != 0)
            return "";
        return found.substr(0, found.find('\n'));
    }

    // How the program ended: waits for its end itself (a process descriptor
    // that becomes readable when it exits), at most the limit.
    Ending WaitForExit(Clock::duration limit = kExitWait) {
        Ending ending;
        const Clock::time_point deadline = Clock::now() + limit;
        const int exitFd = static_cast<int>(syscall(SYS_pidfd_open, mChild, 0));
        for (;;) {
            int status = 0;
            if (waitpid(mChild, &status, WNOHANG) == mChild) {
                mChild = 0;
                ending.kind = WIFEXITED(status) ? Ending::kExited : Ending::kSignalled;
                ending.value = WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status);
                break;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                break;
            if (exitFd >= 0) {
                pollfd exited{exitFd, POLLIN, 0};
                poll(&exited, 1, static_cast<int>(left.count()));
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        if (exitFd >= 0)
            close(exitFd);
        return ending;
    }

    // Alt+F4 on the game: it asks before it ends and keeps running; Yes,
    // the question's default button, is answered with Enter once the
    // question stands (Enter on the screens below does nothing). How the
    // game ended, or that it went on without asking.
    Ending CloseAndAnswerYes() {
        Xdotool({"key", "alt+F4"});
        Ending ending = WaitForExit(std::chrono::milliseconds(1500));
        if (ending.kind != Ending::kStillRunning) {
            ADD_FAILURE() << "the game ended without asking";
            return ending;
        }
        for (int attempt = 0; attempt < 20 && ending.kind == Ending::kStillRunning; ++attempt) {
            Xdotool({"key", "Return"});
            ending = WaitForExit(std::chrono::milliseconds(500));
        }
        if (ending.kind == Ending::kStillRunning)
            ending = WaitForExit();
        return ending;
    }

    support::TempFolder mRoot{"corvalo-x11-"};
    std::string mOutput;
    pid_t mChild = 0;
};

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
    const Clock::time_point deadline = Clock::now() + kOutputWait;
    while (Clock::now() < deadline) {
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
    ASSERT_EQ(::Run({"sh", CORVALO_MODAL_DEMO "/layout.sh", folder, CORVALO_PROGRAM, CORVALO_ASSETS,
                     "--no-run"}),
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
        const Clock::time_point start = Clock::now();
        while (Clock::now() - start < kOutputWait) {
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
