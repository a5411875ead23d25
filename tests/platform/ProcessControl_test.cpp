#include "platform/process/ProcessControl.h"
#include "platform/process/QuitSignals.h"
#include "platform/process/null/RecordingProcessControl.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(ProcessControl, RecordingBackEnd_CatchesTheExitAndNotesSleeps) {
    platform::ProcessControl* real = &platform::CurrentProcessControl();
    {
        platform::RecordingProcessControl recording;
        EXPECT_EQ(&platform::CurrentProcessControl(), &recording);
        platform::SleepMs(250);
        platform::SleepMs(1);
        try {
            platform::ExitProcess(-1);
            ADD_FAILURE() << "ExitProcess came back";
        } catch (const platform::ProcessExitRequest& request) {
            EXPECT_EQ(request.code, -1);
        }
        EXPECT_EQ(recording.GetExitCodes(), std::vector<int>{-1});
        EXPECT_EQ(recording.GetSleeps(), (std::vector<uint32_t>{250, 1}));
        EXPECT_EQ(recording.GetSleptMs(), 251u);
    }
    EXPECT_EQ(&platform::CurrentProcessControl(), real);
}

TEST(ProcessControl, RealBackEnd_EndsTheProcessWithTheCode) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::ExitProcess(-1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 255);
}

TEST(QuitSignals, TermAndIntRaiseTheFlagOnce) {
    platform::InstallQuitSignals();
    EXPECT_FALSE(platform::TakeQuitSignal());
    for (int signal : {SIGTERM, SIGINT}) {
        std::raise(signal);
        EXPECT_TRUE(platform::TakeQuitSignal()) << signal;
        EXPECT_FALSE(platform::TakeQuitSignal()) << signal;
    }
    platform::UninstallQuitSignals();
    // The default action is back: a child that raises SIGTERM dies of it.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::raise(SIGTERM);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
}

} // namespace
