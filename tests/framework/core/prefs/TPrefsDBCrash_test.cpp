// Kills a process that is committing to a preferences database at random
// moments and checks that every commit it reported survives and that the
// file stays a whole, readable database.
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/core/settings/TSettings.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "support/TempFolder.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char kWriter[] = CORVALO_BINARY_DIR "/tests/framework/core/prefs/prefs_writer/prefs_writer";

// One writer process whose standard output comes through a pipe.
class WriterProcess {
public:
    explicit WriterProcess(const std::string& database) {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        std::string count = "1000000";
        char* argv[] = {const_cast<char*>(kWriter), const_cast<char*>(database.c_str()),
                        count.data(), nullptr};
        if (posix_spawn(&mPid, kWriter, &actions, nullptr, argv, environ) != 0)
            mPid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        mFd = fds[0];
    }
    ~WriterProcess() {
        Kill();
        if (mFd >= 0)
            close(mFd);
    }

    bool IsRunning() const { return mPid > 0; }

    // Reads until count more numbers were reported; false at the end of
    // the output.
    bool ReadNumbers(size_t count) {
        size_t target = mNumbers.size() + count;
        while (mNumbers.size() < target) {
            if (!ReadSome())
                return false;
        }
        return true;
    }

    // Kills the writer, waits for it and collects what it reported before
    // it died. True when it died by the signal.
    bool Kill() {
        if (mPid <= 0)
            return false;
        kill(mPid, SIGKILL);
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
        ssize_t got = read(mFd, buffer, sizeof buffer);
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

    pid_t mPid = -1;
    int mFd = -1;
    std::string mPending;
    std::vector<int> mNumbers;
};

// Opens the file for writing as the game does: a writer killed inside a
// commit leaves a hot journal, which only a connection that may write
// rolls back (a read-only one cannot read the file at all).
std::string IntegrityCheck(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}

} // namespace

TEST(TPrefsDBCrash, KilledWriter_KeepsEveryReportedCommit) {
    ASSERT_TRUE(fs::exists(kWriter)) << kWriter;
    support::TempFolder folder("corvalo-prefs-crash-");
    const fs::path& dir = folder.Path();
    std::string database = (dir / "prefsdb.dat").string();

    const unsigned seed = 20261209;
    std::mt19937 random(seed);
    int highestReported = 0;
    constexpr int kRuns = 30;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run) + ", seed " + std::to_string(seed));
        WriterProcess writer(database);
        ASSERT_TRUE(writer.IsRunning());
        // Some runs die before their first commit, even while the file is
        // being made; the others after a few commits, somewhere inside
        // the next one.
        size_t commits = random() % 6;
        if (commits > 0) {
            ASSERT_TRUE(writer.ReadNumbers(commits)) << "the writer stopped on its own";
        }
        for (volatile unsigned spin = random() % 300000; spin > 0;) {
            spin = spin - 1;
        }
        EXPECT_TRUE(writer.Kill());
        for (int number : writer.Numbers()) {
            EXPECT_GT(number, highestReported) << "numbers only grow across runs";
            highestReported = number;
        }
    }
    ASSERT_GT(highestReported, 0);

    EXPECT_EQ(IntegrityCheck(database), "ok");
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".bad"), std::string::npos)
            << "the database was never set aside: " << entry.path();

    SetSetting(TSettingKey::kEncryptionKey, "crash-test");
    TPrefsDB db(TString(database), true);
    ASSERT_TRUE(db.IsPersistent());
    int counter = db.GetInt("counter", 0, -1);
    EXPECT_GE(counter, highestReported);
    // Every number up to the counter is there, whole, and nothing beyond.
    for (int i = 1; i <= counter; ++i) {
        ASSERT_EQ(db.GetValue(TString::Format("v%d", i), "", -1).ToStd(),
                  "value-" + std::to_string(i));
        ASSERT_EQ(db.GetInt(TString::Format("u%d", i), -1, i % 3), i);
    }
    EXPECT_EQ(db.GetValue(TString::Format("v%d", counter + 1), "absent", -1).ToStd(), "absent");
    EXPECT_EQ(db.GetUserCount(), counter >= 2 ? 3 : 2);
}
