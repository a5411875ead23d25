#pragma once

// A program on a real X server, with xdotool as its user: the checks that
// run on a virtual X server (tests/platform/run_under_xvfb.sh) start the program
// with its output going to a file, wait for lines of it and for its window,
// and see how it ended. The process is killed at the end of the test if it
// still runs.

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace support {

using XClock = std::chrono::steady_clock;

// How long a program may take to show something or to end. A loaded
// machine is slow, not broken: the waits end as soon as what they wait for
// happens, so only a program that really hangs meets these.
constexpr std::chrono::seconds kXOutputWait(60);
constexpr std::chrono::seconds kXExitWait(60);

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
        return "the program was still running after " + std::to_string(kXExitWait.count()) +
               " s: a time-out (a hang or a very loaded machine), not a crash";
    }
};

// Runs a program and gives its standard output and exit status (-1 when it
// did not exit normally).
inline int RunProgram(std::vector<std::string> arguments, std::string* output = nullptr) {
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

inline int Xdotool(std::vector<std::string> arguments, std::string* output = nullptr) {
    arguments.insert(arguments.begin(), "xdotool");
    return RunProgram(arguments, output);
}

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// How many times piece stands in text (overlapping ones counted).
inline size_t Occurrences(const std::string& text, const std::string& piece) {
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++n;
    return n;
}

// The environment of the game under test on the X server: the X
// libraries' own allocations outlive the program (the game's leaks are
// checked on the offscreen display), and it plays to no sound card.
inline void UseGameEnvironment() {
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

class XProgramFixture : public ::testing::Test {
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

    // Starts a program with its output going to a file of its own and its
    // errors to another; probeMode, when given, goes into
    // "CORVALO_PROBE_MODE".
    void Start(const std::string& program, const char* probeMode) {
        mOutput = (mRoot.Path() / "out.txt").string();
        mErrors = (mRoot.Path() / "errors.txt").string();
        mChild = fork();
        if (mChild == 0) {
            int fd = open(mOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            int errors = open(mErrors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(errors, 2);
            if (probeMode)
                setenv("CORVALO_PROBE_MODE", probeMode, 1);
            execl(program.c_str(), program.c_str(), "--multiple", static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    std::string Output() const { return ReadWholeFile(mOutput); }
    std::string Errors() const { return ReadWholeFile(mErrors); }

    bool WaitForOutput(const std::string& line,
                       std::chrono::milliseconds limit = kXOutputWait) const {
        XClock::time_point start = XClock::now();
        while (XClock::now() - start < limit) {
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
    Ending WaitForExit(XClock::duration limit = kXExitWait) {
        Ending ending;
        const XClock::time_point deadline = XClock::now() + limit;
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
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - XClock::now());
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

    TempFolder mRoot{"corvalo-x11-"};
    std::string mOutput;
    std::string mErrors;
    pid_t mChild = 0;
};

} // namespace support
