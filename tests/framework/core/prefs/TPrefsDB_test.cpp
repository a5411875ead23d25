#include "framework/core/prefs/TPrefsDB.h"

#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/core/prefs/TCipher.h"
#include "framework/core/settings/TSettings.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "support/SqliteFaults.h"
#include "support/TempFolder.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWhole(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

using Faults = support::SqliteFaults;
Faults& gFaults = support::gSqliteFaults;

class TPrefsDBTest : public testing::Test {
protected:
    void SetUp() override {
        support::InstallSqliteFaults();
        gFaults = Faults();
        mPath = TString((mDir / "prefsdb.dat").string());
        StartLog(mDir.c_str());
        SetSetting(TSettingKey::kEncryptionKey, "unit-test-key");
        SetSetting(TSettingKey::kInstallKey, "");
        GetNameTable().erase("install.txt");
    }
    void TearDown() override {
        gFaults = Faults();
        GetNameTable().erase("install.txt");
        StartLog(nullptr);
    }

    std::string Log() const { return ReadWhole(mDir / "logfile.txt"); }

    // Writes content as the database file and opens it: the file must be
    // set aside whole as "prefsdb.dat.bad1" with the log line, and a fresh
    // database start that keeps what is saved in it. With a reason, the log
    // line must give it.
    void ExpectSetAsideAndFreshStart(const std::string& content, const char* reason = nullptr) {
        WriteWhole(mPath.CStr(), content);
        StartLog(mDir.c_str());
        {
            TPrefsDB db(mPath, true);
            EXPECT_TRUE(db.IsPersistent());
            EXPECT_EQ(db.GetValue("key1", "none", -1).ToStd(), "none");
            EXPECT_TRUE(db.SetValue("fresh", "yes", -1, true));
        }
        fs::path aside = mDir / "prefsdb.dat.bad1";
        ASSERT_TRUE(fs::exists(aside));
        EXPECT_TRUE(ReadWhole(aside) == content) << "the old file is kept as it was";
        const std::string line =
            reason ? std::string("is ") + reason + "; moved it to" : "moved it to";
        EXPECT_NE(Log().find(line), std::string::npos) << Log();
        {
            TPrefsDB reopened(mPath, true);
            EXPECT_TRUE(reopened.IsPersistent());
            EXPECT_EQ(reopened.GetValue("fresh", "", -1).ToStd(), "yes");
        }
        fs::remove(aside);
    }

    // Makes "install.txt" resolve to a file with this content.
    void SetInstallFile(const std::string& content) {
        fs::path file = mDir / "install.txt";
        WriteWhole(file, content);
        GetNameTable()["install.txt"] = TString(file.string());
    }

    // Runs one query on the stored file and gives the first column of
    // every row as text.
    std::vector<std::string> Query(const std::string& sql) const {
        std::vector<std::string> rows;
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(mPath.CStr(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            rows.push_back(text ? text : "");
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return rows;
    }

    support::TempFolder mTemp{"corvalo-prefs-"};
    const fs::path mDir = mTemp.Path();
    TString mPath;
};

} // namespace

TEST_F(TPrefsDBTest, SetInt_GlobalSeven_StoresEightEncipheredBytesAndReadsBack) {
    {
        TPrefsDB db(mPath, true);
        ASSERT_TRUE(db.IsPersistent());
        EXPECT_TRUE(db.SetInt("level", 7, -1, true));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(db.GetStoredBytes("level", -1, bytes));
        EXPECT_EQ(bytes.size(), 8u);
        EXPECT_EQ(db.GetInt("level", 0, -1), 7);
        EXPECT_EQ(db.GetUserCount(), 0);
    }
    TPrefsDB reopened(mPath, true);
    EXPECT_EQ(reopened.GetInt("level", 0, -1), 7);
    EXPECT_EQ(reopened.GetValue("level", "", -1).ToStd(), "7");
}

TEST_F(TPrefsDBTest, StoredValues_AreEncipheredWithPaddingAndKeysArePlain) {
    struct {
        const char* text;
        size_t storedSize;
    } cases[] = {{"", 8}, {"a", 8}, {"seven77", 8}, {"eight888", 16}, {"a text of 17 byte", 24}};
    TPrefsDB db(mPath, true);
    int n = 0;
    for (const auto& c : cases) {
        TString key = TString::Format("key%d", n++);
        ASSERT_TRUE(db.SetValue(key, c.text, -1, true));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(db.GetStoredBytes(key, -1, bytes));
        EXPECT_EQ(bytes.size(), c.storedSize) << c.text;
        // The stored bytes are the value cipher's raw output.
        TCipherHandle cipher = MakeCipher("unit-test-key");
        std::vector<char> plain(bytes.size() + 1);
        EXPECT_EQ(Decrypt(cipher, bytes.data(), static_cast<int>(bytes.size()), plain.data(),
                          static_cast<int>(plain.size()), false),
                  0);
        EXPECT_EQ(std::string(plain.data(), static_cast<size_t>(LastCipherLength(cipher))), c.text);
        DestroyCipher(cipher);
        // An empty value is a value, not a missing key.
        EXPECT_EQ(db.GetValue(key, "default", -1).ToStd(), c.text);
    }
    db.Commit();
    std::string file = ReadWhole(mPath.CStr());
    EXPECT_NE(file.find("key4"), std::string::npos) << "keys are stored in plain text";
    EXPECT_EQ(file.find("a text of 17 byte"), std::string::npos) << "values never are";
}

TEST_F(TPrefsDBTest, Keys_KeepTheirCase) {
    TPrefsDB db(mPath, true);
    db.SetValue("Name", "upper", -1, true);
    db.SetValue("name", "lower", -1, true);
    EXPECT_EQ(db.GetValue("Name", "", -1).ToStd(), "upper");
    EXPECT_EQ(db.GetValue("name", "", -1).ToStd(), "lower");
    EXPECT_EQ(db.GetValue("NAME", "none", -1).ToStd(), "none");
}

TEST_F(TPrefsDBTest, GetValue_MissingKey_GivesDefaultAndValuesComeBackByValue) {
    TPrefsDB db(mPath, true);
    EXPECT_EQ(db.GetValue("absent", "fallback", -1).ToStd(), "fallback");
    EXPECT_EQ(db.GetInt("absent", -12, -1), -12);
    db.SetValue("a", "first", -1, false);
    db.SetValue("b", "second", -1, false);
    TString a = db.GetValue("a", "", -1);
    TString b = db.GetValue("b", "", -1);
    EXPECT_EQ(a.ToStd(), "first");
    EXPECT_EQ(b.ToStd(), "second");
}

TEST_F(TPrefsDBTest, GetValue_BeyondLastPlayer_AnswersTheDefaultAndAddsNoPlayer) {
    {
        TPrefsDB db(mPath, true);
        db.SetValue("name", "p0", 0, true);
        ASSERT_EQ(db.GetUserCount(), 1);
        for (int index : {1, 3, 500}) {
            EXPECT_EQ(db.GetValue("name", "none", index).ToStd(), "none") << index;
            EXPECT_EQ(db.GetInt("score", 7, index), 7) << index;
            std::vector<uint8_t> bytes;
            EXPECT_FALSE(db.GetStoredBytes("name", index, bytes)) << index;
            EXPECT_EQ(db.GetUserCount(), 1) << index;
        }
        // The next write commits no nameless player before the new one.
        db.SetValue("name", "p1", 1, true);
        EXPECT_EQ(db.GetUserCount(), 2);
        // A write further on still adds the players up to it.
        db.SetInt("score", 5, 3, true);
        EXPECT_EQ(db.GetUserCount(), 4);
    }
    TPrefsDB reopened(mPath, true);
    EXPECT_EQ(reopened.GetUserCount(), 4);
    EXPECT_EQ(reopened.GetValue("name", "", 0).ToStd(), "p0");
    EXPECT_EQ(reopened.GetValue("name", "", 1).ToStd(), "p1");
    EXPECT_EQ(reopened.GetInt("score", 0, 3), 5);
}

TEST_F(TPrefsDBTest, PlayerIndexOutOfRange_IsRefusedWithoutAddingPlayers) {
    TPrefsDB db(mPath, true);
    for (int index : {-2, -100, TPrefsDB::kMaxUsers, 2000000000}) {
        EXPECT_EQ(db.GetValue("k", "default", index).ToStd(), "default") << index;
        EXPECT_FALSE(db.SetValue("k", "v", index, true)) << index;
        EXPECT_EQ(db.GetUserCount(), 0) << index;
    }
    EXPECT_NE(Log().find("no player -2"), std::string::npos);
}

TEST_F(TPrefsDBTest, Commit_WithoutAutoCommit_OnlyExplicitCommitsReachTheFile) {
    {
        TPrefsDB db(mPath, false);
        db.SetValue("kept", "yes", -1, false);
        ASSERT_TRUE(db.Commit());
        // Asked to commit, but the database was made without auto-commit.
        db.SetValue("dropped", "yes", -1, true);
    }
    TPrefsDB reopened(mPath, false);
    EXPECT_EQ(reopened.GetValue("kept", "no", -1).ToStd(), "yes");
    EXPECT_EQ(reopened.GetValue("dropped", "no", -1).ToStd(), "no");
}

TEST_F(TPrefsDBTest, Destructor_WithAutoCommit_CommitsPendingChanges) {
    {
        TPrefsDB db(mPath, true);
        db.SetValue("pending", "yes", -1, false);
        db.SetInt("score", 120, 1, false);
        // Not yet in the file: a second reader sees the last commit.
        EXPECT_TRUE(Query("SELECT key FROM globals WHERE key='pending'").empty());
    }
    TPrefsDB reopened(mPath, true);
    EXPECT_EQ(reopened.GetValue("pending", "no", -1).ToStd(), "yes");
    EXPECT_EQ(reopened.GetInt("score", 0, 1), 120);
    EXPECT_EQ(reopened.GetUserCount(), 2);
}

// A change dropped with the open transaction never reaches the file, not
// even with a later commit; players it added are gone from the list too.
TEST_F(TPrefsDBTest, Rollback_DropsTheOpenTransactionOnly) {
    {
        TPrefsDB db(mPath, true);
        db.SetValue("name", "first", 0, true);
        db.SetValue("name", "changed", 0, false);
        db.SetValue("name", "added", 2, false);
        EXPECT_EQ(db.GetUserCount(), 3);
        ASSERT_TRUE(db.Rollback());
        EXPECT_EQ(db.GetUserCount(), 1);
        EXPECT_EQ(db.GetValue("name", "", 0).ToStd(), "first");
        // The database goes on as before.
        db.SetValue("later", "yes", -1, false);
        ASSERT_TRUE(db.Commit());
    }
    TPrefsDB reopened(mPath, true);
    EXPECT_EQ(reopened.GetValue("name", "", 0).ToStd(), "first");
    EXPECT_EQ(reopened.GetValue("later", "no", -1).ToStd(), "yes");
    EXPECT_EQ(reopened.GetUserCount(), 1);
}

TEST_F(TPrefsDBTest, DeleteUser_MovesLaterPlayersDownAndIgnoresBadIndexes) {
    {
        TPrefsDB db(mPath, true);
        for (int i = 0; i < 3; ++i)
            db.SetValue("name", TString::Format("player%d", i), i, true);
        ASSERT_EQ(db.GetUserCount(), 3);
        EXPECT_EQ(db.DeleteUser(3), 3);
        EXPECT_EQ(db.DeleteUser(-1), 3);
        EXPECT_EQ(db.DeleteUser(0), 2);
        EXPECT_EQ(db.GetValue("name", "", 0).ToStd(), "player1");
        EXPECT_EQ(db.GetValue("name", "", 1).ToStd(), "player2");
    }
    TPrefsDB reopened(mPath, true);
    ASSERT_EQ(reopened.GetUserCount(), 2);
    EXPECT_EQ(reopened.GetValue("name", "", 0).ToStd(), "player1");
    EXPECT_EQ(reopened.GetValue("name", "", 1).ToStd(), "player2");
    // A new player goes to the end of the list, and the removed player's
    // values do not come back with it.
    reopened.SetInt("score", 1, 2, true);
    EXPECT_EQ(reopened.GetValue("name", "new", 2).ToStd(), "new");
    EXPECT_EQ(Query("SELECT count(*) FROM uservalues WHERE key='name'")[0], "2");
}

TEST_F(TPrefsDBTest, InstallKeySetting_SeparatesInstallationsAndKeepsOldRows) {
    SetSetting(TSettingKey::kInstallKey, "Alpha");
    {
        TPrefsDB db(mPath, true);
        db.SetValue("progress", "alpha-data", -1, true);
        db.SetValue("name", "alpha-player", 0, true);
    }
    SetSetting(TSettingKey::kInstallKey, "beta");
    {
        TPrefsDB db(mPath, true);
        EXPECT_EQ(db.GetValue("progress", "none", -1).ToStd(), "none");
        EXPECT_EQ(db.GetUserCount(), 0);
        db.SetValue("progress", "beta-data", -1, true);
    }
    EXPECT_EQ(Query("SELECT count(*) FROM install")[0], "2");
    // The key is lower-cased before it is enciphered.
    SetSetting(TSettingKey::kInstallKey, "ALPHA");
    TPrefsDB db(mPath, true);
    EXPECT_EQ(db.GetValue("progress", "none", -1).ToStd(), "alpha-data");
    EXPECT_EQ(db.GetValue("name", "", 0).ToStd(), "alpha-player");
    TCipherHandle cipher = MakeCipher("unit-test-key");
    EXPECT_EQ(db.GetInstallKey(), EncryptText(cipher, "alpha"));
    DestroyCipher(cipher);
}

TEST_F(TPrefsDBTest, InstallKey_EmptySettingIsUnknownEnciphered) {
    TPrefsDB db(mPath, true);
    TCipherHandle cipher = MakeCipher("unit-test-key");
    EXPECT_EQ(db.GetInstallKey(), EncryptText(cipher, "unknown"));
    DestroyCipher(cipher);
    // "lastkey" holds the key in use with its NUL.
    EXPECT_EQ(Query("SELECT hex(value) FROM metaglobals WHERE key='lastkey'")[0],
              Query("SELECT hex(key || char(0)) FROM install")[0]);
}

TEST_F(TPrefsDBTest, InstallFile_ContentIsTheKeyAndAnEmptyFileReusesTheLastKey) {
    SetInstallFile("Retail-Key\n");
    TString retailKey;
    {
        TPrefsDB db(mPath, true);
        retailKey = db.GetInstallKey();
        TCipherHandle cipher = MakeCipher("unit-test-key");
        EXPECT_EQ(retailKey, EncryptText(cipher, "retail-key\n"));
        DestroyCipher(cipher);
        db.SetValue("progress", "retail", -1, true);
    }
    // The file wins over the setting.
    SetSetting(TSettingKey::kInstallKey, "other");
    SetInstallFile("");
    {
        TPrefsDB db(mPath, true);
        EXPECT_EQ(db.GetInstallKey(), retailKey);
        EXPECT_EQ(db.GetValue("progress", "", -1).ToStd(), "retail");
    }
    // An empty file on a fresh database: the key stays "unknown", as it is.
    fs::remove(mPath.CStr());
    TPrefsDB fresh(mPath, true);
    EXPECT_EQ(fresh.GetInstallKey().ToStd(), "unknown");
}

TEST_F(TPrefsDBTest, MissingEncryptionKey_LogsAndStillWorks) {
    SetSetting(TSettingKey::kEncryptionKey, "");
    TPrefsDB db(mPath, true);
    EXPECT_NE(Log().find("ERROR: No encryption key set before TPrefsDB construction!"),
              std::string::npos);
    db.SetValue("k", "v", -1, true);
    EXPECT_EQ(db.GetValue("k", "", -1).ToStd(), "v");
}

TEST_F(TPrefsDBTest, ValueWithBadPadding_ReadsAsEmpty) {
    {
        TPrefsDB db(mPath, true);
        db.SetValue("negative", "value", -1, true);
        db.SetValue("toolong", "value", -1, true);
        db.SetValue("zero", "value", -1, true);
    }
    // Stored blocks whose deciphered padding count is out of range, and one
    // whose count is 0 (nothing is stripped).
    TCipherHandle cipher = MakeCipher("unit-test-key");
    struct {
        const char* key;
        uint8_t lastByte;
        const char* expected;
    } cases[] = {{"negative", 0x80, ""}, {"toolong", 9, ""}, {"zero", 0, "ABCDEFG"}};
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(mPath.CStr(), &raw), SQLITE_OK);
    for (const auto& c : cases) {
        uint8_t plain[8] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', c.lastByte};
        uint8_t block[8];
        EncryptBlock(cipher, plain, block);
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(
            sqlite3_prepare_v2(raw, "UPDATE globals SET value=?1 WHERE key=?2", -1, &stmt, nullptr),
            SQLITE_OK);
        sqlite3_bind_blob(stmt, 1, block, 8, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, c.key, -1, SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
        sqlite3_finalize(stmt);
    }
    sqlite3_close(raw);
    DestroyCipher(cipher);

    TPrefsDB db(mPath, true);
    for (const auto& c : cases)
        EXPECT_EQ(db.GetValue(c.key, "default", -1).ToStd(), c.expected) << c.key;
}

TEST_F(TPrefsDBTest, FileThatIsNotOurDatabase_IsMovedAsideAndAFreshOneStarts) {
    // A file of this database, cut short.
    std::string truncated;
    {
        TPrefsDB db(mPath, true);
        for (int i = 0; i < 200; ++i)
            db.SetValue(TString::Format("key%d", i), TString(std::string(100, 'x')), -1, false);
    }
    truncated = ReadWhole(mPath.CStr());
    truncated.resize(truncated.size() / 2);
    // Another SQLite file, not ours.
    fs::path foreignPath = mDir / "foreign.db";
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(foreignPath.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"empty", ""},
        {"text", "this is not a database\n"},
        {"random bytes", std::string("\x01\xff\x13\x00\x7f garbage", 14)},
        {"another database", ReadWhole(foreignPath)},
        {"truncated", truncated},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectSetAsideAndFreshStart(c.content);
    }
}

// A first page damaged after the file header: the header still names this
// database, but the check cannot even be prepared ("database disk image is
// malformed"). Such a file once counted as "could not check" and was kept,
// so no later run saved anything.
TEST_F(TPrefsDBTest, DamagedFirstPage_IsMovedAsideAndAFreshOneStarts) {
    std::string good;
    {
        TPrefsDB db(mPath, true);
        for (int i = 0; i < 50; ++i)
            ASSERT_TRUE(db.SetValue(TString::Format("key%d", i), "value", -1, false));
        ASSERT_TRUE(db.Commit());
    }
    good = ReadWhole(mPath.CStr());
    ASSERT_GT(good.size(), 4096u);
    std::string zeroed = good;
    std::fill(zeroed.begin() + 100, zeroed.begin() + 4096, '\0');
    std::string garbled = good;
    for (size_t i = 100; i < 4096; ++i)
        garbled[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"bytes 100 to 4095 zeroed", zeroed},
        {"bytes 100 to 4095 garbled", garbled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectSetAsideAndFreshStart(c.content, "damaged");
    }
}

TEST_F(TPrefsDBTest, MovingAside_NeverReplacesAnEarlierSetAsideFile) {
    WriteWhole(mDir / "prefsdb.dat.bad1", "first");
    WriteWhole(mPath.CStr(), "second");
    TPrefsDB db(mPath, true);
    EXPECT_EQ(ReadWhole(mDir / "prefsdb.dat.bad1"), "first");
    EXPECT_EQ(ReadWhole(mDir / "prefsdb.dat.bad2"), "second");
}

TEST_F(TPrefsDBTest, LeftoverFromAnInterruptedCreation_IsIgnored) {
    WriteWhole((mPath + ".new").CStr(), "half-made");
    {
        TPrefsDB db(mPath, true);
        EXPECT_TRUE(db.IsPersistent());
        db.SetValue("k", "v", -1, true);
    }
    EXPECT_FALSE(fs::exists((mPath + ".new").CStr()));
    TPrefsDB reopened(mPath, true);
    EXPECT_EQ(reopened.GetValue("k", "", -1).ToStd(), "v");
}

TEST_F(TPrefsDBTest, UnusableLocation_KeepsValuesInMemoryForTheRun) {
    // A folder stands where the file should be.
    fs::create_directory(mPath.CStr());
    TPrefsDB db(mPath, true);
    EXPECT_FALSE(db.IsPersistent());
    EXPECT_TRUE(db.SetValue("k", "v", 2, true));
    EXPECT_EQ(db.GetValue("k", "", 2).ToStd(), "v");
    EXPECT_TRUE(fs::is_directory(mPath.CStr()));
    EXPECT_NE(Log().find("kept in memory for this run only"), std::string::npos);
    EXPECT_EQ(Log().find("were not saved"), std::string::npos) << "not before the end";
}

TEST_F(TPrefsDBTest, UnsavedRun_SaysSoAtTheEndOnlyWhenSomethingChanged) {
    fs::create_directory(mPath.CStr());
    { TPrefsDB untouched(mPath, true); }
    EXPECT_EQ(Log().find("were not saved"), std::string::npos);
    {
        TPrefsDB db(mPath, true);
        db.SetInt("score", 10, 0, true);
    }
    EXPECT_NE(Log().find("ERROR: the changes of this run were not saved"), std::string::npos);
}

TEST_F(TPrefsDBTest, LocationThatCannotBeLookedAt_IsNotMadeAnew) {
    // A file stands where a folder of the path should be.
    WriteWhole(mDir / "notafolder", "x");
    TString path((mDir / "notafolder" / "prefsdb.dat").string());
    TPrefsDB db(path, true);
    EXPECT_FALSE(db.IsPersistent());
    EXPECT_NE(Log().find("cannot look at"), std::string::npos);
    EXPECT_EQ(ReadWhole(mDir / "notafolder"), "x");
    EXPECT_TRUE(db.SetValue("k", "v", -1, true));
}

TEST_F(TPrefsDBTest, DefaultConstructor_OpensUserPrefsFileInTheUserDataFolder) {
    TString savedFolder = GetUserDataFolderText();
    SetUserDataFolder(TString((mDir / "user").string()));
    {
        TPrefsDB db(true);
        EXPECT_TRUE(db.IsPersistent());
        EXPECT_EQ(db.GetPath().ToStd(), (mDir / "user" / "prefsdb.dat").string());
        db.SetInt("runs", 1, -1, true);
    }
    EXPECT_TRUE(fs::exists(mDir / "user" / "prefsdb.dat"));
    {
        TPrefsDB db(true);
        EXPECT_EQ(db.GetInt("runs", 0, -1), 1);
    }
    SetUserDataFolder(savedFolder);
}

TEST_F(TPrefsDBTest, JournalWithoutItsDatabase_IsMovedAsideNotPlayedIntoANewOne) {
    WriteWhole((mPath + "-journal").CStr(), std::string(4096, '\x5a'));
    {
        TPrefsDB db(mPath, true);
        EXPECT_TRUE(db.IsPersistent());
        db.SetValue("k", "v", -1, true);
    }
    EXPECT_FALSE(fs::exists((mPath + "-journal").CStr()));
    EXPECT_EQ(ReadWhole(mDir / "prefsdb.dat.bad1-journal"), std::string(4096, '\x5a'));
    TPrefsDB reopened(mPath, true);
    EXPECT_EQ(reopened.GetValue("k", "", -1).ToStd(), "v");
}

TEST_F(TPrefsDBTest, NoUserDataFolder_KeepsValuesInMemoryAndSaysSo) {
    TString savedFolder = GetUserDataFolderText();
    SetUserDataFolder("");
    GetNameTable().erase("user:prefsdb.dat");
    {
        TPrefsDB db(true);
        EXPECT_FALSE(db.IsPersistent());
        EXPECT_TRUE(db.SetValue("k", "v", -1, true));
        EXPECT_EQ(db.GetValue("k", "", -1).ToStd(), "v");
    }
    EXPECT_NE(Log().find("no location for the preferences file"), std::string::npos);
    SetUserDataFolder(savedFolder);
}

// A database of ours that cannot be read or checked right now (another
// process holds it, the lock or a read fails) may be perfectly good: it is left as it
// is, never set aside, and the run keeps its values in memory.
TEST_F(TPrefsDBTest, LockedOrUnreadableDatabase_IsLeftAloneAndTheRunWorksInMemory) {
    {
        TPrefsDB db(mPath, true);
        ASSERT_TRUE(db.SetValue("progress", "level 12", 0, true));
    }
    const std::string before = ReadWhole(mPath.CStr());
    struct {
        const char* name;
        int locksBeforeFailure;
        int lockError;
        int readsBeforeFailure;
    } cases[] = {
        {"busy", 0, SQLITE_BUSY, -1},
        {"busy after the header was read", 1, SQLITE_BUSY, -1},
        {"lock error", 0, SQLITE_IOERR_LOCK, -1},
        {"read error on the first read", -1, SQLITE_OK, 0},
        // The header reads well; the pages read by the check do not.
        {"read error during the check", -1, SQLITE_OK, 3},
        {"read error late in the check", -1, SQLITE_OK, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartLog(mDir.c_str());
        gFaults.locksBeforeFailure = c.locksBeforeFailure;
        gFaults.lockError = c.lockError;
        gFaults.readsBeforeFailure = c.readsBeforeFailure;
        {
            TPrefsDB db(mPath, true);
            EXPECT_FALSE(db.IsPersistent());
            EXPECT_TRUE(db.SetValue("progress", "in memory", 0, true));
            EXPECT_EQ(db.GetValue("progress", "", 0).ToStd(), "in memory");
        }
        gFaults = Faults();
        EXPECT_NE(Log().find("kept in memory for this run only"), std::string::npos);
        EXPECT_FALSE(fs::exists(mDir / "prefsdb.dat.bad1"));
        EXPECT_TRUE(ReadWhole(mPath.CStr()) == before) << "the file is untouched";
        TPrefsDB db(mPath, true);
        EXPECT_TRUE(db.IsPersistent());
        EXPECT_EQ(db.GetValue("progress", "", 0).ToStd(), "level 12");
    }
}

TEST_F(TPrefsDBTest, DatabaseOfANewerLayout_IsLeftAlone) {
    {
        TPrefsDB db(mPath, true);
        ASSERT_TRUE(db.SetValue("progress", "level 3", -1, true));
    }
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(mPath.CStr(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "PRAGMA user_version=2", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    const std::string before = ReadWhole(mPath.CStr());
    {
        TPrefsDB db(mPath, true);
        EXPECT_FALSE(db.IsPersistent());
        EXPECT_TRUE(db.SetValue("progress", "level 4", -1, true));
    }
    EXPECT_NE(Log().find("written by a newer build (layout 2)"), std::string::npos);
    EXPECT_TRUE(ReadWhole(mPath.CStr()) == before);
    EXPECT_FALSE(fs::exists(mDir / "prefsdb.dat.bad1"));
}

TEST_F(TPrefsDBTest, ReadOnlyDatabase_IsReadAndChangesStayInMemory) {
    {
        TPrefsDB db(mPath, true);
        ASSERT_TRUE(db.SetValue("name", "Ann", 0, true));
    }
    const std::string before = ReadWhole(mPath.CStr());
    gFaults.readOnly = true;
    {
        TPrefsDB db(mPath, true);
        EXPECT_FALSE(db.IsPersistent());
        EXPECT_EQ(db.GetUserCount(), 1);
        EXPECT_EQ(db.GetValue("name", "", 0).ToStd(), "Ann");
        EXPECT_TRUE(db.SetValue("name", "Bob", 0, true));
        EXPECT_EQ(db.GetValue("name", "", 0).ToStd(), "Bob");
    }
    gFaults = Faults();
    EXPECT_NE(Log().find("is read-only"), std::string::npos);
    EXPECT_NE(Log().find("changes are kept for this run only"), std::string::npos);
    EXPECT_TRUE(ReadWhole(mPath.CStr()) == before);
}

// A file that stops taking changes (a full disk, a failing one) keeps what
// it holds; the change that failed, and every later one, are kept for the
// run in memory, and the log says they will not be kept.
TEST_F(TPrefsDBTest, DiskFull_KeepsTheRunsChangesInMemoryAndTheFileAsItWas) {
    const struct {
        const char* name;
        int writeError;
    } cases[] = {{"full", SQLITE_FULL}, {"write error", SQLITE_IOERR_WRITE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(mPath.CStr());
        StartLog(mDir.c_str());
        {
            TPrefsDB db(mPath, true);
            ASSERT_TRUE(db.SetValue("kept", "yes", -1, true));
            ASSERT_TRUE(db.SetValue("name", "Ann", 0, true));
            const std::string before = ReadWhole(mPath.CStr());
            gFaults.diskFull = true;
            gFaults.writeError = c.writeError;
            // A new player, as the register screen makes one.
            EXPECT_TRUE(db.SetValue("name", "Bob", 1, true));
            EXPECT_FALSE(db.IsPersistent());
            EXPECT_EQ(db.GetUserCount(), 2);
            EXPECT_EQ(db.GetValue("name", "", 1).ToStd(), "Bob");
            EXPECT_TRUE(db.SetInt("vlkUser", 1, -1, true));
            EXPECT_EQ(db.DeleteUser(0), 1);
            EXPECT_EQ(db.GetValue("name", "", 0).ToStd(), "Bob");
            EXPECT_EQ(db.GetValue("kept", "", -1).ToStd(), "yes");
            EXPECT_NE(Log().find("cannot save to"), std::string::npos) << Log();
            EXPECT_NE(Log().find("will not be kept"), std::string::npos);
            EXPECT_EQ(Log().find("were lost"), std::string::npos);
            EXPECT_TRUE(ReadWhole(mPath.CStr()) == before) << "the file is as it was";
        }
        EXPECT_NE(Log().find("ERROR: the changes of this run were not saved"), std::string::npos);
        gFaults = Faults();
        EXPECT_FALSE(fs::exists(mDir / "prefsdb.dat.bad1"));
        TPrefsDB db(mPath, true);
        EXPECT_TRUE(db.IsPersistent());
        EXPECT_EQ(db.GetUserCount(), 1);
        EXPECT_EQ(db.GetValue("name", "", 0).ToStd(), "Ann");
        EXPECT_EQ(db.GetValue("vlkUser", "none", -1).ToStd(), "none");
    }
}

// Once the disk has room again, the next commit writes the run's changes
// to the file, and the database is persistent from then on.
TEST_F(TPrefsDBTest, DiskFull_ThenRoom_TheNextCommitSavesTheRunsChanges) {
    {
        TPrefsDB db(mPath, true);
        ASSERT_TRUE(db.SetValue("name", "Ann", 0, true));
        gFaults.diskFull = true;
        EXPECT_TRUE(db.SetValue("name", "Bob", 1, true));
        EXPECT_TRUE(db.SetInt("score", 40, 1, true));
        EXPECT_FALSE(db.IsPersistent());
        gFaults.diskFull = false;
        EXPECT_TRUE(db.SetInt("score", 50, 1, true));
        EXPECT_TRUE(db.IsPersistent());
        EXPECT_NE(Log().find("can be written again"), std::string::npos) << Log();
        EXPECT_TRUE(db.SetValue("after", "yes", -1, true));
    }
    EXPECT_EQ(Log().find("were not saved"), std::string::npos);
    TPrefsDB db(mPath, true);
    EXPECT_EQ(db.GetUserCount(), 2);
    EXPECT_EQ(db.GetValue("name", "", 0).ToStd(), "Ann");
    EXPECT_EQ(db.GetValue("name", "", 1).ToStd(), "Bob");
    EXPECT_EQ(db.GetInt("score", 0, 1), 50);
    EXPECT_EQ(db.GetValue("after", "", -1).ToStd(), "yes");
}

// When the file cannot even be read back after it failed, the run goes on
// on its own changes alone, and those are never written over the file.
TEST_F(TPrefsDBTest, DiskFullAndUnreadable_TheRunsChangesAreNeverWrittenOverTheFile) {
    {
        TPrefsDB db(mPath, true);
        ASSERT_TRUE(db.SetValue("name", "Ann", 0, true));
    }
    const std::string before = ReadWhole(mPath.CStr());
    {
        TPrefsDB db(mPath, true);
        gFaults.diskFull = true;
        gFaults.readsBeforeFailure = 0;
        EXPECT_TRUE(db.SetValue("name", "Bob", 1, true));
        EXPECT_EQ(db.GetValue("name", "", 1).ToStd(), "Bob");
        gFaults = Faults();
        EXPECT_TRUE(db.SetValue("after", "yes", -1, true));
        EXPECT_FALSE(db.IsPersistent());
    }
    EXPECT_NE(Log().find("cannot be read either"), std::string::npos) << Log();
    EXPECT_TRUE(ReadWhole(mPath.CStr()) == before);
}

// Without auto-commit, a save is a run of changes and one commit: a commit
// the disk refuses keeps the whole save for the run, a rollback after it
// drops only what came since, and on a new file the installation's own
// row, part of the first transaction, is there when the changes are
// written back.
TEST_F(TPrefsDBTest, DiskFull_OnACommitOfManyChanges_KeepsThemAllAndTheInstallationRow) {
    TPrefsDB db(mPath, false);
    db.SetValue("first", "1", -1, false);
    db.SetValue("name", "Ann", 0, false);
    db.SetInt("level", 3, 0, false);
    gFaults.diskFull = true;
    EXPECT_TRUE(db.Commit());
    EXPECT_FALSE(db.IsPersistent());
    EXPECT_EQ(db.GetValue("first", "", -1).ToStd(), "1");
    EXPECT_EQ(db.GetInt("level", 0, 0), 3);
    db.SetInt("level", 4, 0, false);
    EXPECT_TRUE(db.Rollback());
    EXPECT_EQ(db.GetInt("level", 0, 0), 3);
    gFaults.diskFull = false;
    ASSERT_TRUE(db.SetValue("second", "2", -1, false));
    ASSERT_TRUE(db.Commit());
    EXPECT_TRUE(db.IsPersistent());
    EXPECT_EQ(Query("SELECT count(*) FROM install")[0], "1");
    EXPECT_EQ(Query("SELECT count(*) FROM globals JOIN install ON install.id=globals.install "
                    "WHERE globals.key IN ('first', 'second')")[0],
              "2");
    EXPECT_EQ(Query("SELECT count(*) FROM metaglobals WHERE key='lastkey'")[0], "1");
    EXPECT_EQ(Query("SELECT count(*) FROM users")[0], "1");
}

// The real file system refusing to let any file grow (the process's file
// size limit, in a child process), as a full disk does: the new player
// lives for the run, the log's lines reach standard error, the file is
// untouched.
TEST_F(TPrefsDBTest, FilesCannotGrow_ANewPlayerLivesForTheRunAndStandardErrorSaysSo) {
    {
        TPrefsDB db(mPath, true);
        ASSERT_TRUE(db.SetValue("vlkName", "Ann", 0, true));
    }
    const std::string before = ReadWhole(mPath.CStr());
    int err[2];
    ASSERT_EQ(pipe(err), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(err[1], 2);
        close(err[0]);
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit;
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 0;
        bool kept = setrlimit(RLIMIT_FSIZE, &limit) == 0;
        {
            TPrefsDB db(mPath, true);
            kept = kept && db.IsPersistent() && db.SetValue("vlkName", "Bob", 1, true) &&
                   db.GetUserCount() == 2 && db.GetValue("vlkName", "", 1).ToStd() == "Bob" &&
                   db.GetValue("vlkName", "", 0).ToStd() == "Ann" && !db.IsPersistent();
        }
        std::fflush(stderr);
        _exit(kept ? 0 : 1);
    }
    close(err[1]);
    std::string said;
    char buffer[512];
    for (ssize_t got; (got = read(err[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<size_t>(got));
    close(err[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    EXPECT_NE(said.find("cannot be written; its lines follow here"), std::string::npos) << said;
    EXPECT_NE(said.find("will not be kept"), std::string::npos) << said;
    EXPECT_TRUE(ReadWhole(mPath.CStr()) == before);
    TPrefsDB db(mPath, true);
    EXPECT_EQ(db.GetUserCount(), 1);
    EXPECT_EQ(db.GetValue("vlkName", "", 0).ToStd(), "Ann");
}

// The player's usual data folder cannot be written and the game saves to
// another: a database of ours there is read (its players are shown) into
// memory, left as it is, and the run says that changes will not be kept.
// Without one, the other folder's database serves as before.
TEST_F(TPrefsDBTest, UnwritableUsualFolder_ItsDatabaseIsReadAndLeftAsItIs) {
    const fs::path usual = mDir / "usual";
    const fs::path other = mDir / "other";
    fs::create_directories(usual);
    const TString savedUser = GetUserDataFolderText();
    SetUserDataFolder(TString(other.string()));
    SetUnwritableUserDataFolder(TString(usual.string()));
    const struct {
        const char* name;
        bool ours;
        const char* content; // for a file that is not a database of ours
        bool readFromUsual;
    } cases[] = {
        {"a database of ours", true, nullptr, true},
        {"no database", false, nullptr, false},
        {"a file that is not ours", false, "not a database at all", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(other);
        fs::remove(usual / "prefsdb.dat");
        GetNameTable().erase("user:prefsdb.dat");
        StartLog(mDir.c_str());
        if (c.ours) {
            TPrefsDB db(TString((usual / "prefsdb.dat").string()), true);
            ASSERT_TRUE(db.SetValue("vlkName", "Ann", 0, true));
            ASSERT_TRUE(db.SetValue("vlkName", "Bob", 1, true));
        } else if (c.content) {
            WriteWhole(usual / "prefsdb.dat", c.content);
        }
        const std::string before = ReadWhole(usual / "prefsdb.dat");
        testing::internal::CaptureStderr();
        {
            TPrefsDB db(true);
            EXPECT_EQ(db.IsPersistent(), !c.readFromUsual);
            EXPECT_EQ(db.GetUserCount(), c.readFromUsual ? 2 : 0);
            EXPECT_EQ(db.GetValue("vlkName", "", 1).ToStd(), c.readFromUsual ? "Bob" : "");
            EXPECT_TRUE(db.SetValue("vlkName", "Cy", db.GetUserCount(), true));
            EXPECT_EQ(db.GetValue("vlkName", "", db.GetUserCount() - 1).ToStd(), "Cy");
        }
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(ReadWhole(usual / "prefsdb.dat") == before) << "left as it is";
        EXPECT_EQ(fs::exists(other / "prefsdb.dat"), !c.readFromUsual);
        const bool told =
            Log().find("changes made in this run will not be kept") != std::string::npos;
        EXPECT_EQ(told, c.readFromUsual) << Log();
        EXPECT_EQ(said.find("will not be kept") != std::string::npos, c.readFromUsual) << said;
    }
    SetUnwritableUserDataFolder("");
    SetUserDataFolder(savedUser);
    GetNameTable().erase("user:prefsdb.dat");
}

// A commit that cannot get the file (another process holds it) fails and is
// logged, but its changes stay pending and reach the file with the next
// commit that can.
TEST_F(TPrefsDBTest, CommitWhileTheFileIsHeld_KeepsTheChangesForTheNextCommit) {
    {
        TPrefsDB db(mPath, true);
        ASSERT_TRUE(db.SetValue("name", "Ann", 0, true));
        gFaults.writeLocked = true;
        EXPECT_FALSE(db.SetValue("score", "900", 0, true));
        EXPECT_FALSE(db.Commit());
        EXPECT_EQ(db.GetValue("score", "", 0).ToStd(), "900");
        gFaults.writeLocked = false;
        EXPECT_NE(Log().find("\"COMMIT\" failed"), std::string::npos);
        EXPECT_EQ(Log().find("were lost"), std::string::npos);
        EXPECT_TRUE(db.Commit());
    }
    TPrefsDB db(mPath, true);
    EXPECT_EQ(db.GetValue("name", "", 0).ToStd(), "Ann");
    EXPECT_EQ(db.GetValue("score", "", 0).ToStd(), "900");
}
