// The game program hosted by a test host, as a portal page would host it:
// the host hands the game one end of a socket pair ("-wnd=" and the
// descriptor in hexadecimal), reads the message texts the game posts in
// 8-byte chunks, and answers with codes. The game runs the scripted game of
// tests/data/host over its assets, on an off-screen display.

#include <gtest/gtest.h>

#include "platform/host/HostChannel.h"
#include "support/TempFolder.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(90);

struct Tick {
    long time = 0;
    bool mute = false;
    bool restart = false;
    bool jump = false;
};

// One run of the game with the host's end of the socket; everything the
// game prints and posts is gathered as it comes.
class HostedGame {
public:
    HostedGame(const fs::path& folder, const std::string& options, bool withHost) {
        int ends[2] = {-1, -1};
        if (withHost) {
            EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
            EXPECT_TRUE(mPage.Attach(ends[1]));
        }
        int output[2];
        EXPECT_EQ(pipe(output), 0);
        std::string commandLine = options;
        if (withHost) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%x", ends[0]);
            commandLine += std::string(" -wnd=") + hex;
        }
        mChild = fork();
        if (mChild == 0) {
            dup2(output[1], 1);
            int errors = open((folder / "errors").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(errors, 2);
            if (withHost)
                close(ends[1]);
            setenv("HOME", folder.c_str(), 1);
            setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
            setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
            if (chdir(folder.c_str()) != 0)
                _exit(126);
            const std::string program = (folder / "corvalo").string();
            // The options as one argument each, as a shell would split them.
            std::vector<std::string> words;
            std::istringstream split(commandLine);
            for (std::string word; split >> word;)
                words.push_back(word);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (std::string& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        if (withHost)
            close(ends[0]);
        close(output[1]);
        mOutput = output[0];
        // Read only what has come: a look never waits on the game.
        fcntl(mOutput, F_SETFL, fcntl(mOutput, F_GETFL) | O_NONBLOCK);
        mFolder = folder;
    }
    ~HostedGame() {
        if (mChild > 0 && !mEnded) {
            kill(mChild, SIGKILL);
            waitpid(mChild, nullptr, 0);
        }
        if (mOutput >= 0)
            close(mOutput);
    }

    // Takes what has come, waiting up to ms for more.
    void Gather(int ms) {
        pollfd ready[2] = {{mOutput, POLLIN, 0}, {mPage.GetFd(), POLLIN, 0}};
        if (poll(ready, mPage.GetFd() >= 0 ? 2 : 1, ms) <= 0)
            return;
        if (ready[0].revents & (POLLIN | POLLHUP)) {
            char buffer[4096];
            ssize_t got = read(mOutput, buffer, sizeof buffer);
            if (got > 0)
                mPrinted.append(buffer, static_cast<size_t>(got));
        }
        platform::HostRecord record;
        while (mPage.GetFd() >= 0 && mPage.Receive(record, 0)) {
            EXPECT_EQ(record.message, 0x0400u);
            const uint32_t words[2] = {record.wParam, record.lParam};
            bool ended = false;
            for (uint32_t word : words) {
                for (int byte = 0; byte < 4 && !ended; ++byte) {
                    char c = static_cast<char>((word >> (8 * byte)) & 0xFF);
                    if (c == '\0') {
                        texts.push_back(mPartial);
                        mPartial.clear();
                        ended = true;
                    } else {
                        mPartial += c;
                    }
                }
            }
        }
    }
    // Gathers until the condition holds; false after the patience ran out.
    template <typename Condition> bool WaitFor(Condition condition) {
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            if (condition())
                return true;
            Gather(20);
        }
        return condition();
    }
    bool WaitForText(const std::string& prefix) {
        return WaitFor([&] {
            for (size_t i = mTextsSeen; i < texts.size(); ++i) {
                if (texts[i].rfind(prefix, 0) == 0) {
                    mTextsSeen = i + 1;
                    return true;
                }
            }
            return false;
        });
    }
    bool WaitForLine(const std::string& line) {
        return WaitFor([&] { return mPrinted.find(line + "\n") != std::string::npos; });
    }
    void Code(uint32_t code) {
        platform::HostRecord record;
        record.message = 0x0400;
        record.wParam = code;
        Send(record);
    }
    void Send(const platform::HostRecord& record) { EXPECT_TRUE(mPage.Send(record)); }
    std::vector<Tick> Ticks() const {
        std::vector<Tick> ticks;
        std::istringstream lines(mPrinted);
        for (std::string line; std::getline(lines, line);) {
            char mute[8], restart[8], jump[8];
            Tick tick;
            if (std::sscanf(line.c_str(), "tick %ld %7s %7s %7s", &tick.time, mute, restart,
                            jump) == 4) {
                tick.mute = std::string(mute) == "true";
                tick.restart = std::string(restart) == "true";
                tick.jump = std::string(jump) == "true";
                ticks.push_back(tick);
            }
        }
        return ticks;
    }
    // Gathers until at least n more ticks than now were printed.
    bool MoreTicks(size_t n) {
        const size_t now = Ticks().size();
        return WaitFor([&] { return Ticks().size() >= now + n; });
    }
    void HangUp() { mPage.Close(); }
    // The start of a record whose rest never comes.
    void SendHalfRecord() {
        const uint32_t half[2] = {0x0400, 5};
        EXPECT_EQ(send(mPage.GetFd(), half, sizeof half, 0), static_cast<ssize_t>(sizeof half));
    }

    void Terminate() { kill(mChild, SIGTERM); }
    // The exit status, or -1 for an end by a signal or none in time.
    int Wait() {
        const auto deadline = Clock::now() + kPatience;
        int status = 0;
        while (Clock::now() < deadline) {
            if (waitpid(mChild, &status, WNOHANG) == mChild) {
                mEnded = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            Gather(20);
        }
        return -1;
    }
    std::string Said() const {
        std::ifstream in(mFolder / "errors");
        std::stringstream text;
        text << in.rdbuf();
        return "output:\n" + mPrinted + "\nerrors:\n" + text.str();
    }

    std::vector<std::string> texts;

private:
    pid_t mChild = -1;
    bool mEnded = false;
    int mOutput = -1;
    fs::path mFolder;
    platform::HostChannel mPage;
    std::string mPrinted;
    std::string mPartial;
    size_t mTextsSeen = 0;
};

class HostedGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The program, the build's assets and the scripted game over them.
        fs::copy_file(CORVALO_PROGRAM, folder / "corvalo");
        fs::copy(CORVALO_ASSETS, folder / "assets", fs::copy_options::recursive);
        fs::copy_file(CORVALO_TEST_DATA "/host/scripts/main.lua",
                      folder / "assets" / "scripts" / "main.lua",
                      fs::copy_options::overwrite_existing);
    }
    support::TempFolder root{"corvalo-hosted-"};
    fs::path folder = root.Path();
};

const char kLoad[] = "LoadBroadcast(\"<data><percentcomplete>100</percentcomplete></data>\")";
const char kReady[] = "SessionReady(\"<data></data>\")";
const char kGameReady[] = "GameReady(\"<data><mode>Classic</mode></data>\")";
const char kBreak[] = "GameBreak(\"<data><breakpoint>1</breakpoint></data>\")";
const char kEnd[] = "GameEnd(\"<gamedata></gamedata>\")";

TEST_F(HostedGameTest, Msn_TheHostSeesTheGameAndSteersIt) {
    HostedGame game(folder, "-msn", true);
    // Each waiting message holds the game until the host answers.
    ASSERT_TRUE(game.WaitForText(kLoad)) << game.Said();
    game.Code(5);
    ASSERT_TRUE(game.WaitForText(kReady)) << game.Said();
    game.Code(5);
    ASSERT_TRUE(game.WaitForLine("script: start")) << game.Said();
    game.Code(7);
    ASSERT_TRUE(game.WaitForText(kGameReady)) << game.Said();
    game.Code(5);
    ASSERT_TRUE(game.WaitForText("ScoreBroadcast(\"<game><score>100</score>")) << game.Said();
    ASSERT_TRUE(game.WaitForText(kBreak)) << game.Said();
    game.Code(5);
    ASSERT_TRUE(game.WaitForLine("script: played")) << game.Said();

    // Busy mutes the game, and the end of busy gives the sound back.
    game.Code(2);
    ASSERT_TRUE(game.WaitFor([&] { return !game.Ticks().empty() && game.Ticks().back().mute; }))
        << game.Said();
    game.Code(3);
    ASSERT_TRUE(game.WaitFor([&] { return !game.Ticks().back().mute; })) << game.Said();

    // A wait: the game stands still. A tick may still come while the 4 is
    // on its way; once the host answers 5 the timer goes on where it stood,
    // not 1.5 s later.
    game.Code(4);
    const auto waitStart = Clock::now();
    while (Clock::now() - waitStart < std::chrono::milliseconds(1500))
        game.Gather(50);
    const size_t ticksBefore = game.Ticks().size();
    ASSERT_GT(ticksBefore, 0u);
    const long before = game.Ticks().back().time;
    game.Code(5);
    ASSERT_TRUE(game.MoreTicks(1)) << game.Said();
    const long after = game.Ticks()[ticksBefore].time;
    EXPECT_LT(after - before, 1000) << "the timer stood still during the wait\n" << game.Said();
    EXPECT_GE(after, before);

    // A restart and a return to the menu are each taken once.
    game.Code(8);
    ASSERT_TRUE(game.WaitFor([&] { return game.Ticks().back().restart; })) << game.Said();
    game.Code(1);
    ASSERT_TRUE(game.WaitFor([&] { return game.Ticks().back().jump; })) << game.Said();
    ASSERT_TRUE(game.MoreTicks(3));
    size_t restarts = 0, jumps = 0;
    for (const Tick& tick : game.Ticks()) {
        restarts += tick.restart;
        jumps += tick.jump;
    }
    EXPECT_EQ(restarts, 1u);
    EXPECT_EQ(jumps, 1u);

    game.Code(10);
    ASSERT_TRUE(game.WaitForText("ScoreSubmit(\"<game><score>300</score><time>")) << game.Said();
    ASSERT_TRUE(game.WaitForText(kEnd)) << game.Said();
    game.Code(5);
    ASSERT_TRUE(game.WaitForLine("script: over")) << game.Said();
    // Everything came whole and in order.
    std::vector<std::string> kinds;
    for (const std::string& text : game.texts)
        kinds.push_back(text.substr(0, text.find('(')));
    EXPECT_EQ(kinds,
              (std::vector<std::string>{"LoadBroadcast", "SessionReady", "GameReady",
                                        "ScoreBroadcast", "GameBreak", "ScoreSubmit", "GameEnd"}));
    // The host goes: the game ends with 0.
    game.HangUp();
    EXPECT_EQ(game.Wait(), 0) << game.Said();
}

TEST_F(HostedGameTest, Quarrow_NothingWaitsAndPausesAreReported) {
    HostedGame game(folder, "-quarrow", true);
    ASSERT_TRUE(game.WaitForText(kReady)) << game.Said();
    ASSERT_TRUE(game.WaitForLine("script: start")) << game.Said();
    game.Code(7);
    ASSERT_TRUE(game.WaitForLine("script: played")) << game.Said();
    game.Code(10);
    ASSERT_TRUE(game.WaitForLine("script: over")) << game.Said();
    ASSERT_TRUE(game.WaitForText(kEnd)) << game.Said();
    std::vector<std::string> expected = {
        kReady,
        kGameReady,
        "ScoreBroadcast(\"<game><score>100</score><time>0</time></game>\")",
        kBreak,
        "GamePause(\"<data>true</data>\")",
        "GamePause(\"<data>false</data>\")",
    };
    ASSERT_GE(game.texts.size(), expected.size() + 2) << game.Said();
    EXPECT_EQ(std::vector<std::string>(game.texts.begin(), game.texts.begin() + 6), expected);
    EXPECT_EQ(game.texts[6].rfind("ScoreSubmit(\"<game><score>300</score><time>", 0), 0u)
        << game.texts[6];
    EXPECT_NE(game.texts[6].find("</time><level>1</level><sublevel>0</sublevel></game>\")"),
              std::string::npos)
        << game.texts[6];
    EXPECT_EQ(game.texts[7], kEnd);
    game.HangUp();
    EXPECT_EQ(game.Wait(), 0) << game.Said();
}

// Without a host that answers, nothing waits: "-msn" alone and "-aol" alone
// play straight through.
TEST_F(HostedGameTest, WithoutAHost_TheGamePlaysNormally) {
    for (const char* options : {"-msn", "-aol"}) {
        SCOPED_TRACE(options);
        HostedGame game(folder, options, false);
        ASSERT_TRUE(game.WaitForLine("script: over")) << game.Said();
        ASSERT_TRUE(game.MoreTicks(2)) << game.Said();
        game.Terminate();
        EXPECT_EQ(game.Wait(), 0) << game.Said();
    }
}

// A hostile host: unknown records, odd codes, half a record, then it hangs
// up during a wait. The game does not hang and ends with 0. (A hosted run
// keeps no log; the lines these make are checked where the handler and the
// pump are tested.)
TEST_F(HostedGameTest, AHostileHostCannotHangTheGame) {
    HostedGame game(folder, "-msn", true);
    ASSERT_TRUE(game.WaitForText(kLoad)) << game.Said();
    game.Code(0);
    game.Code(0xFFFFFFFFu);
    {
        platform::HostRecord unknown;
        unknown.message = 0x0010; // not a host's to send
        for (int i = 0; i < 50; ++i)
            game.Send(unknown);
    }
    game.Code(5);
    ASSERT_TRUE(game.WaitForText(kReady)) << game.Said();
    game.Code(5);
    ASSERT_TRUE(game.WaitForLine("script: start")) << game.Said();
    game.Code(7);
    ASSERT_TRUE(game.WaitForText(kGameReady)) << game.Said();
    // The game waits for an answer that never comes: half of one, and the
    // host goes.
    game.SendHalfRecord();
    game.HangUp();
    EXPECT_EQ(game.Wait(), 0) << game.Said();
}

} // namespace
