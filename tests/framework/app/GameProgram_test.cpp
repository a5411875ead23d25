// The game program itself, started as a player would start it, on an
// off-screen display: a quit request ends it with status 0, and in the
// sanitizer build the leak checker has nothing to report at the end (the GL
// driver's own allocations are suppressed), so a leak of our own would show.

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Whether the process has a GL driver loaded: its window and context stand.
bool HasGlDriver(pid_t pid) {
    std::string maps = ReadAll("/proc/" + std::to_string(pid) + "/maps");
    return maps.find("/dri/") != std::string::npos || maps.find("_mesa.so") != std::string::npos;
}

TEST(GameProgram, QuitRequestEndsItCleanlyWithoutLeakReport) {
    support::TempFolder root("corvalo-program-");
    std::string errors = (root.Path() / "errors").string();
    pid_t child = fork();
    if (child == 0) {
        int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 2);
        dup2(fd, 1);
        setenv("HOME", root.Path().c_str(), 1);
        setenv("XDG_DATA_HOME", (root.Path() / "data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.Path().c_str(), 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(CORVALO_PROGRAM, CORVALO_PROGRAM, static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool running = false;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(child, nullptr, WNOHANG) == child) {
            FAIL() << "the program ended by itself:\n" << ReadAll(errors);
        }
        if (HasGlDriver(child)) {
            running = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!running) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        GTEST_SKIP() << "no GL driver came up within 60 s (no off-screen GL here?)";
    }
    // Let the first frames pass, then ask it to quit as the desktop would.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(kill(child, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    std::string said = ReadAll(errors);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal:\n" << said;
    EXPECT_EQ(WEXITSTATUS(status), 0) << said;
    EXPECT_EQ(said.find("LeakSanitizer"), std::string::npos) << said;
}

} // namespace
