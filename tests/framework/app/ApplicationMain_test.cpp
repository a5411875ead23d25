// Start-up and shut-down of the whole frame, run as separate processes: the
// probe program is copied into a folder of its own (with an assets folder
// and, where a test wants them, the harness and plug-in modules beside it)
// and started with its own data and runtime folders.

#include "framework/app/ApplicationMain.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// How long a probe may take to write an awaited line; only a hung probe
// comes near it.
constexpr std::chrono::seconds kLineWait{30};

struct Finished {
    int exitCode = -1000; // -1000: did not exit normally
    std::string output;
    std::string errors; // standard error
};

class ProbeFolder : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(mGame / "assets");
        fs::copy_file(CORVALO_APP_PROBE, mProgram);
        fs::create_directories(mRoot.Path() / "data");
        fs::create_directories(mRoot.Path() / "run");
        setenv("XDG_DATA_HOME", (mRoot.Path() / "data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (mRoot.Path() / "run").c_str(), 1);
        setenv("HOME", mRoot.Path().c_str(), 1);
        unsetenv("CORVALO_PROBE_MODE");
    }

    // Starts the probe with the arguments; its output goes to a file of its
    // own. keepOpen names a descriptor the probe inherits.
    // videoDriver, when given, replaces the SDL video driver.
    pid_t Start(const std::vector<std::string>& arguments, const char* mode = nullptr,
                int keepOpen = -1, const char* videoDriver = nullptr) {
        std::string output = (mRoot.Path() / ("out" + std::to_string(mRuns++))).string();
        pid_t child = fork();
        if (child == 0) {
            int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            int errors = open((output + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(errors, 2);
            if (mode) {
                setenv("CORVALO_PROBE_MODE", mode, 1);
            }
            if (videoDriver) {
                // No X or Wayland display either: a message box there would
                // wait for an answer.
                setenv("SDL_VIDEODRIVER", videoDriver, 1);
                unsetenv("DISPLAY");
                unsetenv("WAYLAND_DISPLAY");
            }
            if (keepOpen >= 0) {
                fcntl(keepOpen, F_SETFD, 0);
            }
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(mProgram.c_str()));
            for (const std::string& argument : arguments) {
                argv.push_back(const_cast<char*>(argument.c_str()));
            }
            argv.push_back(nullptr);
            execv(mProgram.c_str(), argv.data());
            _exit(127);
        }
        mPids.push_back(child);
        mOutputOf[child] = output;
        return child;
    }

    Finished Wait(pid_t child) {
        Finished finished;
        int status = 0;
        if (waitpid(child, &status, 0) == child && WIFEXITED(status)) {
            finished.exitCode = WEXITSTATUS(status);
        }
        auto running = std::find(mPids.begin(), mPids.end(), child);
        if (running != mPids.end()) {
            mPids.erase(running);
        }
        finished.output = Read(mOutputOf[child]);
        finished.errors = Read(mOutputOf[child] + ".err");
        return finished;
    }

    Finished Run(const std::vector<std::string>& arguments) { return Wait(Start(arguments)); }

    static std::string Read(const std::string& path) {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // Waits until the probe's output holds the line; false when the probe
    // ended first or, failing the test, when the line has not come after
    // a generous bound (the probe hangs).
    bool WaitForLine(pid_t child, const std::string& line, std::chrono::seconds bound = kLineWait) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        for (;;) {
            if (Read(mOutputOf[child]).find(line + "\n") != std::string::npos) {
                return true;
            }
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child) {
                mPids.erase(std::find(mPids.begin(), mPids.end(), child));
                return false;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                ADD_FAILURE() << "the probe did not write \"" << line << "\" within "
                              << bound.count() << " s; its output:\n"
                              << Read(mOutputOf[child]);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    void TearDown() override {
        for (pid_t child : mPids) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
    }

    static bool Has(const std::string& output, const std::string& line) {
        return output.find(line + "\n") != std::string::npos;
    }

    support::TempFolder mRoot{"corvalo-app-"};
    fs::path mGame = mRoot.Path() / "Game Folder";
    std::string mProgram = (mGame / "corvalo").string();
    std::map<pid_t, std::string> mOutputOf;
    std::vector<pid_t> mPids;
    int mRuns = 0;
};

TEST(HarnessModulePath, OnlyBesideAKnownProgramFolder) {
    EXPECT_EQ(HarnessModulePath("/opt/game/"), "/opt/game/nbHarness.so");
    EXPECT_EQ(HarnessModulePath("/"), "/nbHarness.so");
    // Neither may come down to a bare name that the loader looks up in the
    // library path.
    EXPECT_EQ(HarnessModulePath(""), "");
    EXPECT_EQ(HarnessModulePath("corvalo"), "");
}

TEST_F(ProbeFolder, StartUpAndShutDownRunInOrder) {
    fs::copy_file(CORVALO_APP_HARNESS, mGame / "nbHarness.so");
    fs::copy_file(CORVALO_APP_PLUGIN, mGame / "assets" / "probe.nbmod");
    Finished run = Run({});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string steps[] = {
        "step harness",
        "step platform",
        "step log",
        "step application",
        "step main window",
        "step sound and graphics",
        "step plug-in loaded",
        "step plug-ins",
        "plug-in state cmdline= options=harness=replaced",
        "plug-in state commondatadir=" +
            (mRoot.Path() / "data" / "common" / "Halvenmark" / "Corvalo").string(),
        "plug-in state userdatadir=" + (mRoot.Path() / "data" / "Halvenmark" / "Corvalo").string(),
        "step callback",
        "step helper thread stopped",
        "step window manager deleted",
        "step sound manager deleted",
        "step game states deleted",
        "step platform deleted",
        "step application deleted",
        "end",
    };
    size_t at = 0;
    for (const std::string& step : steps) {
        size_t found = run.output.find(step + "\n", at);
        ASSERT_NE(found, std::string::npos) << step << " missing or out of order in\n"
                                            << run.output;
        at = found;
    }
    std::string dataFolder = (mRoot.Path() / "data" / "Halvenmark" / "Corvalo").string();
    EXPECT_TRUE(Has(run.output, "userdata " + dataFolder)) << run.output;
    std::string log = Read(dataFolder + "/logfile.txt");
    EXPECT_NE(log.find("Corvalo, version "), std::string::npos) << log;
    // The platform layer's lines reach the log while the frame runs.
    EXPECT_NE(log.find(": platform line from the game\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("platform line after the frame"), std::string::npos) << log;
}

TEST_F(ProbeFolder, HarnessReplacesTheCommandLineAndNamesTheQuitWindow) {
    Finished plain = Run({"-url=x"});
    EXPECT_TRUE(Has(plain.output, "harness 0")) << plain.output;
    EXPECT_TRUE(Has(plain.output, "setting harness absent")) << plain.output;
    fs::copy_file(CORVALO_APP_HARNESS, mGame / "nbHarness.so");
    Finished run = Run({"-url=x"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "cmdline -url=x options=harness=replaced")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting harness=replaced")) << run.output;
    EXPECT_TRUE(Has(run.output, "harness 1234")) << run.output;
}

TEST_F(ProbeFolder, PlugInsLoadFromTheAssetsFolderOnly) {
    fs::copy_file(CORVALO_APP_PLUGIN, mGame / "assets" / "x.nbmod.bak");
    fs::create_directories(mGame / "assets" / "sub");
    fs::copy_file(CORVALO_APP_PLUGIN, mGame / "assets" / "sub" / "deep.nbmod");
    fs::path user = mRoot.Path() / "data" / "Halvenmark" / "Corvalo";
    fs::create_directories(user);
    fs::copy_file(CORVALO_APP_PLUGIN, user / "user.nbmod");
    fs::create_directories(mRoot.Path() / "data" / "common" / "Halvenmark" / "Corvalo");
    fs::copy_file(CORVALO_APP_PLUGIN,
                  mRoot.Path() / "data" / "common" / "Halvenmark" / "Corvalo" / "common.nbmod");
    Finished run = Run({});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "handlers 1")) << run.output;
    size_t loaded = 0;
    for (size_t at = 0; (at = run.output.find("step plug-in loaded\n", at)) != std::string::npos;
         ++at) {
        ++loaded;
    }
    EXPECT_EQ(loaded, 1u) << run.output;
}

TEST_F(ProbeFolder, CommandLineSwitchesReachTheSettings) {
    fs::create_directories(mRoot.Path() / "other place");
    std::string other = fs::canonical(mRoot.Path() / "other place").string();
    Finished run = Run({"-wd=" + other, "-url=http://a/b", "ignored", "--stringtest",
                        "options=a=1&b=2", "c=3", "--cheat"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "cwd " + other)) << run.output;
    EXPECT_TRUE(Has(run.output, "setting downloadurl=http://a/b")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting stringtest=1")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting a=1")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting b=2")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting c=3")) << run.output;
    // "--cheat" as the last word: an empty code, nothing read past the end.
    EXPECT_TRUE(Has(run.output, "setting cheatcode=")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting activex absent")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting gamename=Corvalo")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting publisher=Halvenmark")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting encryptionkey=KrvdsPomeXXX")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting nbgamehandle=Corvalo")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting utf8modeinit=1")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting installkey=" + mGame.string() + "/")) << run.output;
}

TEST_F(ProbeFolder, WorkingFolderWithoutQuotesEndsAtTheFirstBlank) {
    // The arguments as one Windows text: -wd= followed by an unquoted folder.
    fs::create_directories(mRoot.Path() / "a");
    std::string a = fs::canonical(mRoot.Path() / "a").string();
    Finished run = Run({"-wd=" + a, "b"});
    EXPECT_TRUE(Has(run.output, "cwd " + a)) << run.output;
    // Without a folder the working folder stays the program's.
    Finished empty = Run({"-wd="});
    EXPECT_EQ(empty.exitCode, 0) << empty.output;
    EXPECT_TRUE(Has(empty.output, "cwd " + mGame.string())) << empty.output;
}

TEST_F(ProbeFolder, HostSwitchWithoutALiveSocketEndsWithMinusOne) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    char pipeSwitch[32];
    std::snprintf(pipeSwitch, sizeof pipeSwitch, "-wnd=%x", pipeEnds[0]);
    for (const std::string& host : {std::string("-wnd=0"), std::string("-wnd=3ff"),
                                    std::string("-wnd="), std::string(pipeSwitch)}) {
        Finished run = Wait(Start({host}, nullptr, pipeEnds[0]));
        EXPECT_EQ(run.exitCode, 255) << host << "\n" << run.output;
        EXPECT_TRUE(Has(run.output, "step host lost")) << host << "\n" << run.output;
        EXPECT_FALSE(Has(run.output, "step application")) << host << "\n" << run.output;
        // The log does not run yet: standard error says why.
        EXPECT_NE(run.errors.find("cannot run hosted with \"" + host + "\": "), std::string::npos)
            << host << "\n"
            << run.errors;
    }
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

TEST_F(ProbeFolder, HostSwitchErrorsNameTheReason) {
    struct Case {
        const char* host;
        const char* reason;
    } cases[] = {
        {"-wnd=zz", "the value is not a host's socket descriptor in hexadecimal"},
        {"-wnd=0", "the value is not a host's socket descriptor in hexadecimal"},
        {"-wnd=3fe", "descriptor 1022 is not an open socket to a host"},
    };
    for (const Case& c : cases) {
        Finished run = Run({c.host});
        EXPECT_EQ(run.exitCode, 255) << c.host;
        EXPECT_NE(run.errors.find(c.reason), std::string::npos) << c.host << "\n" << run.errors;
    }
}

// Without a main window the game cannot run: the program ends with -1
// instead of idling without a window, and says why once.
TEST_F(ProbeFolder, NoMainWindowEndsTheProgramAndSaysWhy) {
    // SDL's dummy video driver makes no OpenGL windows.
    Finished run = Wait(Start({}, nullptr, -1, "dummy"));
    EXPECT_EQ(run.exitCode, 255) << run.output << run.errors;
    EXPECT_TRUE(Has(run.output, "step no main window")) << run.output;
    EXPECT_FALSE(Has(run.output, "step callback")) << run.output;
    EXPECT_TRUE(Has(run.output, "step application deleted")) << run.output;
    EXPECT_NE(run.errors.find("Corvalo: cannot create the main window: "), std::string::npos)
        << run.errors;
    std::string log =
        Read((mRoot.Path() / "data" / "Halvenmark" / "Corvalo").string() + "/logfile.txt");
    const std::string line = "Cannot create the main window: ";
    size_t first = log.find(line);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find(line, first + 1), std::string::npos) << "said twice:\n" << log;
    EXPECT_EQ(log.find(line + line), std::string::npos) << log;
    // No display: the message box's text goes to the log.
    EXPECT_NE(log.find("Sorry, but this product isn't compatible with your display."),
              std::string::npos)
        << log;
}

TEST_F(ProbeFolder, LiveHostSocketHostsTheGameAndAllowsASecondInstance) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    char host[32];
    std::snprintf(host, sizeof host, "-wnd=%x", ends[1]);
    pid_t first = Start({}, "wait");
    ASSERT_TRUE(WaitForLine(first, "step callback"));
    Finished run = Wait(Start({host}, nullptr, ends[1]));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "step host")) << run.output;
    EXPECT_TRUE(Has(run.output, "step callback")) << run.output;
    EXPECT_TRUE(Has(run.output, "setting activex=1")) << run.output;
    // Hosted without "-pq=": no log and no data folders.
    EXPECT_FALSE(Has(run.output, "step log")) << run.output;
    EXPECT_TRUE(Has(run.output, "userdata " + mGame.string())) << run.output;
    close(ends[0]);
    close(ends[1]);
    kill(first, SIGTERM);
    EXPECT_EQ(Wait(first).exitCode, 0);
}

TEST_F(ProbeFolder, SecondStartBringsTheFirstForwardAndEnds) {
    pid_t first = Start({}, "wait");
    ASSERT_TRUE(WaitForLine(first, "step callback"));
    Finished second = Run({});
    EXPECT_EQ(second.exitCode, 0) << second.output;
    EXPECT_TRUE(Has(second.output, "step second instance")) << second.output;
    EXPECT_FALSE(Has(second.output, "step callback")) << second.output;
    // The first takes the request in its event loop, which it may not have
    // reached yet; a quit signal before that would leave the request unread.
    EXPECT_TRUE(WaitForLine(first, "front requests taken 1"));
    // "--multiple" lets another one run.
    Finished multiple = Run({"--multiple"});
    EXPECT_EQ(multiple.exitCode, 0) << multiple.output;
    EXPECT_TRUE(Has(multiple.output, "step callback")) << multiple.output;
    kill(first, SIGTERM);
    Finished ended = Wait(first);
    EXPECT_EQ(ended.exitCode, 0) << ended.output;
    EXPECT_TRUE(Has(ended.output, "front 1")) << ended.output;
    EXPECT_TRUE(Has(ended.output, "end")) << ended.output;
}

TEST_F(ProbeFolder, WaitingForALineThatNeverComesFailsInsteadOfHanging) {
    pid_t probe = Start({}, "wait");
    ASSERT_TRUE(WaitForLine(probe, "step callback"));
    // The probe now waits for its quit and writes nothing more.
    EXPECT_NONFATAL_FAILURE(WaitForLine(probe, "never written", std::chrono::seconds(0)),
                            "did not write \"never written\"");
    kill(probe, SIGTERM);
    EXPECT_EQ(Wait(probe).exitCode, 0);
}

TEST_F(ProbeFolder, AKilledFirstInstanceDoesNotBlockTheNextStart) {
    pid_t first = Start({}, "wait");
    ASSERT_TRUE(WaitForLine(first, "step callback"));
    kill(first, SIGKILL);
    Wait(first);
    Finished next = Run({});
    EXPECT_EQ(next.exitCode, 0) << next.output;
    EXPECT_TRUE(Has(next.output, "step callback")) << next.output;
}

} // namespace
