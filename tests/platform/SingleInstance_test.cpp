#include "platform/instance/SingleInstance.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Result = platform::SingleInstance::Result;

// Runs Acquire in a child process; gives its result as the child's exit
// code (0 first, 1 second, 2 failed).
int AcquireInChild(const std::string& name) {
    pid_t child = fork();
    if (child == 0) {
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
    EXPECT_EQ(AcquireInChild(mName), 0);
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
