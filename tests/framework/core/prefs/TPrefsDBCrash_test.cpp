// Kills a process that is committing to a preferences database at random
// moments and checks that every commit it reported survives and that the
// file stays a whole, readable database.
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/core/settings/TSettings.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "support/ReportingChild.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char kWriter[] = CORVALO_BINARY_DIR "/tests/framework/core/prefs/prefs_writer/prefs_writer";

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
        support::ReportingChild writer({kWriter, database, "1000000"});
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
