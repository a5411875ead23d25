#pragma once

// A child program whose standard output comes through a pipe, one number a
// line (what it reports done), for tests that kill it at a moment of their
// choosing and then check what it reported against what it left behind.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace support {

class ReportingChild {
public:
    // argv[0] is looked up on PATH unless it is a path. With ownGroup the
    // child leads a process group of its own, and Kill ends the whole
    // group (a wrapper such as `timeout` and the program under it).
    explicit ReportingChild(const std::vector<std::string>& argv, bool ownGroup = false)
        : mOwnGroup(ownGroup) {
        int fds[2];
        if (argv.empty() || pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        if (ownGroup) {
            posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
            posix_spawnattr_setpgroup(&attributes, 0);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        if (posix_spawnp(&mPid, args[0], &actions, &attributes, args.data(), environ) != 0)
            mPid = -1;
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        mFd = fds[0];
    }
    ~ReportingChild() {
        Kill();
        if (mFd >= 0)
            close(mFd);
    }
    ReportingChild(const ReportingChild&) = delete;
    ReportingChild& operator=(const ReportingChild&) = delete;

    bool IsRunning() const { return mPid > 0; }

    // Reads until count more numbers were reported; false when the output
    // ended first.
    bool ReadNumbers(size_t count) {
        const size_t target = mNumbers.size() + count;
        while (mNumbers.size() < target) {
            if (!ReadSome())
                return false;
        }
        return true;
    }

    // Kills the child (its group with ownGroup), waits for it and collects
    // what was reported before; the end of the output means every process
    // holding it died. True when the child died by the signal.
    bool Kill() {
        if (mPid <= 0)
            return false;
        kill(mOwnGroup ? -mPid : mPid, SIGKILL);
        int status = 0;
        waitpid(mPid, &status, 0);
        mPid = -1;
        while (ReadSome()) {
        }
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    const std::vector<int>& Numbers() const { return mNumbers; }

private:
    bool ReadSome() {
        char buffer[256];
        const ssize_t got = read(mFd, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        mPending.append(buffer, static_cast<size_t>(got));
        size_t end;
        // Only whole lines count: a number is reported once its line ends.
        while ((end = mPending.find('\n')) != std::string::npos) {
            mNumbers.push_back(std::atoi(mPending.substr(0, end).c_str()));
            mPending.erase(0, end + 1);
        }
        return true;
    }

    bool mOwnGroup;
    pid_t mPid = -1;
    int mFd = -1;
    std::string mPending;
    std::vector<int> mNumbers;
};

} // namespace support
