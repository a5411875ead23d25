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

// Runs body in a child process and gives its wait status.
template <typename Body> int StatusOfChild(Body body) {
    pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        ADD_FAILURE() << "no child";
        return -1;
    }
    return status;
}

TEST(QuitSignals, FirstSignalRaisesTheFlagOnceSecondEndsTheProcess) {
    for (int signal : {SIGTERM, SIGINT}) {
        // Each child: the first signal is a quit request, taken once; the
        // second, even after the flag was taken, ends it by that signal.
        int status = StatusOfChild([signal] {
            platform::InstallQuitSignals();
            if (platform::TakeQuitSignal())
                _exit(10);
            std::raise(signal);
            if (!platform::TakeQuitSignal() || platform::TakeQuitSignal())
                _exit(11);
            std::raise(signal == SIGTERM ? SIGINT : SIGTERM);
            _exit(12);
        });
        EXPECT_TRUE(WIFSIGNALED(status)) << signal << " status " << status;
        EXPECT_EQ(WTERMSIG(status), signal == SIGTERM ? SIGINT : SIGTERM);
    }
}

TEST(QuitSignals, UninstallingPutsTheDefaultActionBack) {
    platform::InstallQuitSignals();
    std::raise(SIGTERM);
    EXPECT_TRUE(platform::TakeQuitSignal());
    platform::UninstallQuitSignals();
    int status = StatusOfChild([] { std::raise(SIGTERM); });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    // Installed again, one signal is a quit request again.
    platform::InstallQuitSignals();
    std::raise(SIGINT);
    EXPECT_TRUE(platform::TakeQuitSignal());
    platform::UninstallQuitSignals();
}

} // namespace
