#include "platform/instance/SingleInstance.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <algorithm>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Result = platform::SingleInstance::Result;

// Runs Acquire in a child process; gives its result as the child's exit
// code (0 first, 1 second, 2 failed).
int AcquireInChild(const std::string& name) {
    pid_t child = fork();
    if (child == 0) {
        // A start that hangs is ended, and counts as a failure.
        alarm(10);
        platform::SingleInstance guard;
        Result result = guard.Acquire(name);
        _exit(result == Result::kFirst ? 0 : result == Result::kSecond ? 1 : 2);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Where the guard lies: the runtime folder, or an abstract name when there
// is none.
class SingleInstanceTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) {
            setenv("XDG_RUNTIME_DIR", mRuntime.Path().c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
    }
    support::TempFolder mRuntime{"corvalo-run-"};
    // Unique per test run, so parallel runs do not meet.
    std::string mName = "test" + std::to_string(getpid()) + "corvalo_MUTEX";
};

TEST_P(SingleInstanceTest, SecondStartAsksTheFirstAndIsToldToEnd) {
    platform::SingleInstance first;
    ASSERT_EQ(first.Acquire(mName), Result::kFirst) << first.GetError();
    EXPECT_TRUE(first.IsHeld());
    EXPECT_EQ(first.GetAddress().front() == '@', !GetParam()) << first.GetAddress();
    EXPECT_EQ(first.PollFrontRequests(), 0);
    EXPECT_EQ(AcquireInChild(mName), 1);
    EXPECT_EQ(AcquireInChild(mName), 1);
    EXPECT_EQ(first.PollFrontRequests(), 2);
    EXPECT_EQ(first.PollFrontRequests(), 0);
    // Another name is another program.
    EXPECT_EQ(AcquireInChild(mName + "2"), 0);
    first.Release();
    EXPECT_FALSE(first.IsHeld());
    EXPECT_EQ(first.MsUntilFrontPoll(0), UINT32_MAX) << "nobody can ask: no look is due";
    EXPECT_EQ(AcquireInChild(mName), 0);
}

TEST_P(SingleInstanceTest, TimedPollLooksOnlyOnceAnIntervalHasPassed) {
    platform::SingleInstance first;
    ASSERT_EQ(first.Acquire(mName), Result::kFirst) << first.GetError();
    constexpr uint32_t kEvery = platform::SingleInstance::kFrontPollIntervalMs;
    // The first call looks; near the top of the counter, so the interval
    // is also measured across the wrap.
    uint32_t start = 0xFFFFFFFFu - kEvery / 2;
    EXPECT_EQ(first.MsUntilFrontPoll(start), 0u) << "nothing looked yet";
    EXPECT_EQ(first.PollFrontRequestsAt(start), 0);
    // The time until the next look agrees with when the poll looks.
    EXPECT_EQ(first.MsUntilFrontPoll(start), kEvery);
    EXPECT_EQ(first.MsUntilFrontPoll(start + kEvery - 1), 1u);
    EXPECT_EQ(first.MsUntilFrontPoll(start + kEvery), 0u);
    EXPECT_EQ(first.MsUntilFrontPoll(start - 5), kEvery) << "a clock that went back";
    EXPECT_EQ(AcquireInChild(mName), 1);
    struct Step {
        uint32_t after; // ms since the first look
        int taken;
    };
    // The request waits until the interval is over, then is taken once.
    for (Step step : {Step{1, 0}, Step{kEvery - 1, 0}, Step{kEvery, 1}, Step{kEvery + 1, 0},
                      Step{2 * kEvery - 1, 0}, Step{2 * kEvery, 0}}) {
        EXPECT_EQ(first.PollFrontRequestsAt(start + step.after), step.taken)
            << step.after << " ms after the first look";
    }
    // A request made in between is taken at the next look.
    EXPECT_EQ(AcquireInChild(mName), 1);
    EXPECT_EQ(first.PollFrontRequestsAt(start + 3 * kEvery - 1), 0);
    EXPECT_EQ(first.PollFrontRequestsAt(start + 3 * kEvery), 1);
}

TEST_P(SingleInstanceTest, AKilledFirstInstanceDoesNotBlockTheNext) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t first = fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        platform::SingleInstance guard;
        char result = guard.Acquire(mName) == Result::kFirst ? 'y' : 'n';
        (void)!write(ready[1], &result, 1);
        for (;;) {
            pause();
        }
    }
    close(ready[1]);
    char result = 0;
    ASSERT_EQ(read(ready[0], &result, 1), 1);
    close(ready[0]);
    ASSERT_EQ(result, 'y');
    EXPECT_EQ(AcquireInChild(mName), 1);
    kill(first, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(first, &status, 0), first);
    // Its socket file (if any) is still there; it does not count.
    platform::SingleInstance next;
    EXPECT_EQ(next.Acquire(mName), Result::kFirst) << next.GetError();
}

// A running instance that does not take its requests (busy, or hung) holds
// up no later start, however many there are.
TEST_P(SingleInstanceTest, StartsDoNotWaitForAnInstanceThatTakesNoRequests) {
    platform::SingleInstance first;
    ASSERT_EQ(first.Acquire(mName), Result::kFirst) << first.GetError();
    for (int i = 0; i < 20; ++i) {
        int result = AcquireInChild(mName);
        // In the runtime folder the lock says that the first one runs; under
        // an abstract name a holder that takes nothing more cannot be told
        // from a stranger, and the start goes on unguarded.
        if (GetParam() || i < 16) {
            EXPECT_EQ(result, 1) << "start " << i;
        } else {
            EXPECT_TRUE(result == 1 || result == 2) << "start " << i << ": " << result;
        }
    }
}

// Many starts at the same moment, in the runtime folder over the socket file
// that a crashed instance left behind: exactly one of them may run, every
// other one is a second start (none may be left unguarded).
TEST_P(SingleInstanceTest, StartsAtTheSameMomentLetExactlyOneRun) {
    constexpr int kStarts = 12;
    if (GetParam()) {
        int stale = socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(stale, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = (mRuntime.Path() / mName).string();
        ASSERT_LT(path.size(), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.c_str(), path.size());
        ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        close(stale);
    }
    int go[2];
    int results[2];
    int hold[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(results), 0);
    ASSERT_EQ(pipe(hold), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kStarts; ++i) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(go[1]);
            close(results[0]);
            close(hold[1]);
            alarm(10);
            char byte;
            (void)!read(go[0], &byte, 1);
            platform::SingleInstance guard;
            Result result = guard.Acquire(mName);
            char answer = result == Result::kFirst ? 'f' : result == Result::kSecond ? 's' : 'x';
            (void)!write(results[1], &answer, 1);
            close(results[1]);
            // Each keeps what it got until every start has answered.
            (void)!read(hold[0], &byte, 1);
            _exit(0);
        }
        children.push_back(child);
    }
    close(go[0]);
    close(results[1]);
    close(hold[0]);
    // Closing the write end lets every child go at once.
    close(go[1]);
    std::string answers;
    char answer;
    while (answers.size() < static_cast<size_t>(kStarts) && read(results[0], &answer, 1) == 1) {
        answers += answer;
    }
    close(hold[1]);
    close(results[0]);
    for (pid_t child : children) {
        waitpid(child, nullptr, 0);
    }
    ASSERT_EQ(answers.size(), static_cast<size_t>(kStarts));
    EXPECT_EQ(std::count(answers.begin(), answers.end(), 'f'), 1) << answers;
    EXPECT_EQ(std::count(answers.begin(), answers.end(), 's'), kStarts - 1) << answers;
}

INSTANTIATE_TEST_SUITE_P(RuntimeFolderOrAbstract, SingleInstanceTest, ::testing::Bool());

TEST(SingleInstance, AFileInTheWayIsNotTakenOver) {
    support::TempFolder runtime{"corvalo-run-"};
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    std::string file = runtime.Write("game_MUTEX", "keep me");
    platform::SingleInstance guard;
    EXPECT_EQ(guard.Acquire("game_MUTEX"), Result::kFailed);
    EXPECT_FALSE(guard.GetError().empty());
    struct stat info;
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

// A runtime folder that others may write to is no private place: anybody
// could put a socket of their own there. The per-user abstract name is
// used instead.
TEST(SingleInstance, ARuntimeFolderOthersMayWriteIsNotUsed) {
    support::TempFolder runtime{"corvalo-run-"};
    ASSERT_EQ(chmod(runtime.Path().c_str(), 0777), 0);
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    platform::SingleInstance guard;
    ASSERT_EQ(guard.Acquire("open_MUTEX"), Result::kFirst) << guard.GetError();
    EXPECT_EQ(guard.GetAddress().front(), '@') << guard.GetAddress();
}

// Another user who takes this user's abstract name first must neither send
// this start away as a second instance nor poke the running one. Needs root
// to act as another user.
TEST(SingleInstance, AnotherUsersSocketIsNotTakenForTheFirstInstance) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    unsetenv("XDG_RUNTIME_DIR");
    std::string name = "stranger" + std::to_string(getpid()) + "_MUTEX";
    platform::SingleInstance probe;
    ASSERT_EQ(probe.Acquire(name), Result::kFirst) << probe.GetError();
    std::string abstractName = probe.GetAddress().substr(1);
    probe.Release();

    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t stranger = fork();
    ASSERT_GE(stranger, 0);
    if (stranger == 0) {
        close(ready[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(3);
        }
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, abstractName.data(), abstractName.size());
        socklen_t length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + abstractName.size());
        char ok = bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(fd, 8) == 0
                      ? 'y'
                      : 'n';
        (void)!write(ready[1], &ok, 1);
        for (;;) {
            pause();
        }
    }
    close(ready[1]);
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    close(ready[0]);
    ASSERT_EQ(ok, 'y');
    platform::SingleInstance guard;
    Result result = guard.Acquire(name);
    kill(stranger, SIGKILL);
    waitpid(stranger, nullptr, 0);
    EXPECT_EQ(result, Result::kFailed);
    EXPECT_NE(guard.GetError().find("another user"), std::string::npos) << guard.GetError();
}

// Requests from other users are not counted by the running instance.
TEST(SingleInstance, RequestsOfAnotherUserAreNotCounted) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    unsetenv("XDG_RUNTIME_DIR");
    std::string name = "asked" + std::to_string(getpid()) + "_MUTEX";
    platform::SingleInstance first;
    ASSERT_EQ(first.Acquire(name), Result::kFirst) << first.GetError();
    pid_t stranger = fork();
    ASSERT_GE(stranger, 0);
    if (stranger == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(3);
        }
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        std::string target = first.GetAddress().substr(1);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, target.data(), target.size());
        socklen_t length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + target.size());
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
            _exit(4);
        }
        (void)!send(fd, platform::SingleInstance::kFrontRequest,
                    sizeof platform::SingleInstance::kFrontRequest, 0);
        close(fd);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(stranger, &status, 0), stranger);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(first.PollFrontRequests(), 0);
    EXPECT_EQ(AcquireInChild(name), 1);
    EXPECT_EQ(first.PollFrontRequests(), 1);
}

TEST(SingleInstance, LongNamesAreFittedAndStayDistinct) {
    support::TempFolder runtime{"corvalo-run-"};
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    std::string stem(300, 'x');
    platform::SingleInstance a;
    platform::SingleInstance b;
    ASSERT_EQ(a.Acquire(stem + "a_MUTEX"), Result::kFirst) << a.GetError();
    ASSERT_EQ(b.Acquire(stem + "b_MUTEX"), Result::kFirst) << b.GetError();
    EXPECT_NE(a.GetAddress(), b.GetAddress());
    EXPECT_LT(a.GetAddress().size(), 108u);
    EXPECT_EQ(AcquireInChild(stem + "a_MUTEX"), 1);
}

} // namespace
