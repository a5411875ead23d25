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
#include <fstream>
#include <sstream>
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

    // The game's log beside the database is the game's: a game that runs
    // now goes on writing it.
    std::filesystem::create_directories(gameFolder);
    std::ofstream(gameFolder + "logfile.txt") << "the game's own line\n";
    result = Tool({"set", "fromtool", "tool value", "0"});
    EXPECT_EQ(result.status, 0) << result.output;
    std::ifstream gameLog(gameFolder + "logfile.txt");
    std::string line;
    EXPECT_TRUE(std::getline(gameLog, line));
    EXPECT_EQ(line, "the game's own line");
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

// The values of a stored quest map, split at its separators.
std::vector<int> QuestValues(const std::string& text) {
    std::vector<int> values;
    std::istringstream in(text);
    for (std::string token; std::getline(in, token, '^');)
        values.push_back(std::atoi(token.c_str()));
    return values;
}

// A node's five values (locked, not yet shown, completed, best, lives) in
// a stored map whose head has a current node: version, 1, current, total,
// count.
std::vector<int> NodeValues(const std::vector<int>& map, int node) {
    const size_t at = 5 + 5 * static_cast<size_t>(node);
    if (at + 5 > map.size())
        return {};
    return std::vector<int>(map.begin() + static_cast<long>(at),
                            map.begin() + static_cast<long>(at + 5));
}

// The quest map a check needs, written as a player who won the first n
// nodes in order would have it; the game's own data gives the nodes.
TEST_F(PrefstoolTool, QuestWritesTheMapOfAPlayerWhoWonTheFirstNodes) {
    {
        TPrefsDB game(database, true);
        ASSERT_TRUE(game.SetValue("vlkName", "Ana", 0, true));
    }
    tools_test::ToolResult result = Tool({"--assets", CORVALO_BUILD_ASSETS, "quest", "10", "0"});
    ASSERT_EQ(result.status, 0) << result.output;
    std::vector<int> map;
    {
        TPrefsDB game(database, true);
        EXPECT_EQ(game.GetInt("UserDataVersion", -1, 0), 3);
        EXPECT_EQ(game.GetInt("UserCatUnlocked", 0, 0), 0);
        map = QuestValues(game.GetValue("UserMetamap", "", 0).ToStd());
    }
    ASSERT_EQ(map.size(), 5u + 5u * 56u + 1u);
    // Version, a current node (the last won), the total, the node count.
    EXPECT_EQ(std::vector<int>(map.begin(), map.begin() + 5),
              (std::vector<int>{6, 1, 9, 10000, 56}));
    // Node 1 keeps the lock every node starts with, as in the game.
    EXPECT_EQ(NodeValues(map, 0), (std::vector<int>{1, 0, 1, 1000, 3}));
    for (int node = 1; node < 10; ++node)
        EXPECT_EQ(NodeValues(map, node), (std::vector<int>{0, 0, 1, 1000, 3})) << node;
    EXPECT_EQ(NodeValues(map, 10), (std::vector<int>{0, 1, 0, 0, 3})) << "open, not yet shown";
    EXPECT_EQ(NodeValues(map, 11), (std::vector<int>{1, 1, 0, 0, 3})) << "locked";
    EXPECT_EQ(map.back(), 0) << "the end of the quest not yet celebrated";

    // Past the cat's node (31) the cat is the player's; every node won.
    result = Tool({"--assets", CORVALO_BUILD_ASSETS, "quest", "56", "0"});
    ASSERT_EQ(result.status, 0) << result.output;
    {
        TPrefsDB game(database, true);
        EXPECT_EQ(game.GetInt("UserCatUnlocked", 0, 0), 1);
        EXPECT_EQ(game.GetInt("UserDogUnlocked", 0, 0), 1);
        map = QuestValues(game.GetValue("UserMetamap", "", 0).ToStd());
    }
    ASSERT_EQ(map.size(), 5u + 5u * 56u + 1u);
    EXPECT_EQ(map[2], 55);
    EXPECT_EQ(NodeValues(map, 55), (std::vector<int>{0, 0, 1, 1000, 3}));
    EXPECT_EQ(map.back(), 0);

    // A fresh quest: no current node, nothing won, nothing shown.
    result = Tool({"--assets", CORVALO_BUILD_ASSETS, "quest", "0", "0"});
    ASSERT_EQ(result.status, 0) << result.output;
    {
        TPrefsDB game(database, true);
        map = QuestValues(game.GetValue("UserMetamap", "", 0).ToStd());
    }
    ASSERT_EQ(map.size(), 4u + 5u * 56u + 1u);
    EXPECT_EQ(std::vector<int>(map.begin(), map.begin() + 9),
              (std::vector<int>{6, 0, 0, 56, 1, 1, 0, 0, 3}));

    // Refused, the stored map unchanged: counts outside the map, a player
    // who is not there, data that is not the game's.
    const struct {
        std::vector<std::string> arguments;
        int status;
    } refused[] = {
        {{"--assets", CORVALO_BUILD_ASSETS, "quest", "57", "0"}, 2},
        {{"--assets", CORVALO_BUILD_ASSETS, "quest", "-1", "0"}, 2},
        {{"--assets", CORVALO_BUILD_ASSETS, "quest", "ten", "0"}, 2},
        {{"--assets", CORVALO_BUILD_ASSETS, "quest", "3", "1"}, 1},
        {{"--assets", CORVALO_BUILD_ASSETS, "quest", "3"}, 2},
        {{"--assets", home, "quest", "3", "0"}, 1},
    };
    for (const auto& c : refused) {
        result = Tool(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments[2] << " " << result.output;
    }
    TPrefsDB game(database, true);
    EXPECT_EQ(QuestValues(game.GetValue("UserMetamap", "", 0).ToStd()), map);
    EXPECT_EQ(game.GetUserCount(), 1);
}

} // namespace
