#include "ToolRun.h"

#include "framework/core/files/TFolder.h"
#include "framework/core/log/TLog.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/core/settings/TSettings.h"
#include "velk/GameStartup.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using tools_test::RunTool;

// The tool is run with a data home of its own; the test plays the game's
// part in the same data home, with the game's start-up record.
class PrefstoolTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tools_test::ToolBuilt("prefstool"))
            GTEST_SKIP() << "prefstool is not built";
        home = temp.Path().string();
        environment = {"HOME=" + home, "XDG_DATA_HOME=" + home + "/data"};
        ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
        ApplyStartupRecord(MakeGameStartupRecord());
        gameFolder = GetDataFolder(false, GetSetting(TSettingKey::kGameName)).ToStd();
        ::unsetenv("XDG_DATA_HOME");
        ASSERT_FALSE(gameFolder.empty());
        database = TString((gameFolder + "prefsdb.dat").c_str());
        // The game keys its installation by its program folder.
        SetSetting(TSettingKey::kInstallKey, "/opt/corvalo/");
        StartLog(nullptr);
    }

    tools_test::ToolResult Tool(const std::vector<std::string>& arguments) const {
        return RunTool("prefstool", arguments, environment);
    }

    support::TempFolder temp{"corvalo-prefstool-"};
    std::string home;
    std::vector<std::string> environment;
    std::string gameFolder;
    TString database;
};

// The tool's defaults once opened a database under another publisher, with
// another key and install row: nothing it set reached the game.
TEST_F(PrefstoolTool, DefaultsOpenTheGamesOwnDatabaseKeyAndInstallation) {
    {
        TPrefsDB game(database, true);
        ASSERT_TRUE(game.IsPersistent());
        ASSERT_TRUE(game.SetValue("fromgame", "game value", -1, true));
    }
    tools_test::ToolResult result = Tool({"get", "fromgame"});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("database: " + gameFolder + "prefsdb.dat"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("value: \"game value\""), std::string::npos) << result.output;

    result = Tool({"set", "fromtool", "tool value", "0"});
    EXPECT_EQ(result.status, 0) << result.output;
    TPrefsDB game(database, true);
    EXPECT_EQ(game.GetValue("fromtool", "", 0).ToStd(), "tool value");
    EXPECT_EQ(game.GetValue("fromgame", "", -1).ToStd(), "game value");
}

// A value kept in memory only (here: the file is of a newer layout and
// left alone) was reported with status 0.
TEST_F(PrefstoolTool, ChangesThatCannotBeSavedFailTheCommand) {
    { TPrefsDB game(database, true); }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.CStr(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    tools_test::ToolResult result = Tool({"set", "k", "v"});
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("prefstool: the value was NOT saved"), std::string::npos)
        << result.output;
    result = Tool({"delete-player", "0"});
    EXPECT_EQ(result.status, 0) << "nothing to delete, nothing lost: " << result.output;
    // Reading still works and says the database is not persistent.
    result = Tool({"get", "k"});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("NOT persistent"), std::string::npos) << result.output;
}

} // namespace
