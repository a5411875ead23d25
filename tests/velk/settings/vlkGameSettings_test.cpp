#include "velk/settings/vlkGameSettings.h"

#include "framework/app/AppFixture.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/script/host/TScript.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TModalWindow.h"
#include "platform/paths/ProgramPath.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/globals/GameGlobals.h"

#include <gtest/gtest.h>

#include "support/SqliteFaults.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// An application on a user folder of the test's own, the game asset map and
// a settings object, driven from the window script.
class GameSettingsTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        SetSetting(TSettingKey::kEncryptionKey, "KrvdsPomeXXX");
        BuildApplication();
        gGameAssetMap = new TGameAssetMap;
        mSettings = std::make_unique<vlkGameSettings>();
    }
    void TearDown() override {
        mSettings.reset();
        DestroyGameAssetMap();
        AppFixture::TearDown();
    }

    TScript* Script() const { return GetGameScript(); }
    // Runs the statements and gives the global "result" as text.
    std::string Run(const std::string& statements) {
        EXPECT_TRUE(Script()->DoLuaString(TString(("result = nil; " + statements).c_str())))
            << statements;
        return Script()->GetGlobalString("result").ToStd();
    }
    int Current() { return mSettings->GetPrefs()->GetInt("vlkUser", -99, -1); }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (int i = 0; i < mSettings->GetUserCount(); ++i)
            names.push_back(mSettings->GetUserName(i).ToStd());
        return names;
    }

    std::unique_ptr<vlkGameSettings> mSettings;
};

TEST_F(GameSettingsTest, ProfilesFromScripts) {
    using NameList = std::vector<std::string>;
    struct Case {
        const char* what;
        const char* statements;
        NameList names;
        int current; // -99: "vlkUser" never stored
    } cases[] = {
        {"fresh database", "", {}, -99},
        {"first player becomes current", "qvd_createNewUser('A')", {"A"}, 0},
        {"second player becomes current", "qvd_createNewUser('B')", {"A", "B"}, 1},
        {"choose a player", "qvd_setCurrentUser(0)", {"A", "B"}, 0},
        {"an index past the players is ignored", "qvd_setCurrentUser(2)", {"A", "B"}, 0},
        {"rename the current player", "qvd_changeCurrentUserName('Ann')", {"Ann", "B"}, 0},
        {"third player", "qvd_createNewUser('C')", {"Ann", "B", "C"}, 2},
        {"deleting player 2 of three makes player 1 current", "qvd_deleteUser(2)", {"Ann", "B"}, 1},
        {"again three", "qvd_createNewUser('D')", {"Ann", "B", "D"}, 2},
        {"deleting player 0 of three makes the last current", "qvd_deleteUser(0)", {"B", "D"}, 1},
        {"deleting past the end changes no player", "qvd_deleteUser(5)", {"B", "D"}, 1},
        // Numbers no index can be: nothing is deleted, the last player is current.
        {"an index of -1e308", "qvd_deleteUser(-1e308)", {"B", "D"}, 1},
        {"an index of -2^31", "qvd_deleteUser(-2^31)", {"B", "D"}, 1},
        {"an index of NaN reads 0", "qvd_createNewUser('E') qvd_deleteUser(0/0)", {"D", "E"}, 1},
        {"an index of 1e308", "qvd_setCurrentUser(1e308) qvd_deleteUser(1e308)", {"D", "E"}, 1},
        {"delete down to one", "qvd_deleteUser(1)", {"D"}, 0},
        {"deleting the only player leaves no current player", "qvd_deleteUser(0)", {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Run(c.statements);
        EXPECT_EQ(Names(), c.names);
        EXPECT_EQ(Current(), c.current);
        EXPECT_EQ(Run("result = qvd_getNumUsers()"), std::to_string(c.names.size()));
    }
}

TEST_F(GameSettingsTest, FreshDatabase_ReadingTheCurrentNameMakesNoPlayer) {
    EXPECT_EQ(mSettings->GetCurrentUserName().ToStd(), "");
    EXPECT_EQ(mSettings->GetCurrentUserIndex(), -1);
    EXPECT_EQ(Run("result = qvd_getCurrentUserString('vlkName', 'none')"), "none");
    EXPECT_EQ(mSettings->GetUserCount(), 0);
    // So the first new player is player 0.
    Run("qvd_createNewUser('First')");
    EXPECT_EQ(Names(), std::vector<std::string>{"First"});
    EXPECT_EQ(mSettings->GetCurrentUserName().ToStd(), "First");
}

TEST_F(GameSettingsTest, NamesInUseAndWideNames) {
    Run("qvd_createNewUser(L\"Zo\\235\")");
    Run("qvd_createNewUser('Max')");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Zo\xC3\xAB", "Max"}));
    EXPECT_EQ(Run("result = qvd_isNameInUse('Max')"), "");
    EXPECT_EQ(Run("result = tostring(qvd_isNameInUse('Max'))"), "true");
    EXPECT_EQ(Run("result = tostring(qvd_isNameInUse(L\"Zo\\235\"))"), "true");
    EXPECT_EQ(Run("result = tostring(qvd_isNameInUse('max'))"), "false");
    EXPECT_EQ(mSettings->FindUser("Max"), 1);
    EXPECT_EQ(mSettings->FindUser("Nobody"), -1);
}

TEST_F(GameSettingsTest, CurrentPlayerValues) {
    Run("qvd_createNewUser('A'); qvd_createNewUser('B')");
    Run("qvd_setCurrentUserInt('UserLevel', 7); qvd_setCurrentUserString('Avatar', 'cat')");
    TPrefsDB* prefs = mSettings->GetPrefs();
    EXPECT_EQ(prefs->GetInt("UserLevel", 0, 1), 7);
    EXPECT_EQ(prefs->GetValue("Avatar", "", 1).ToStd(), "cat");
    EXPECT_EQ(prefs->GetInt("UserLevel", 0, 0), 0);
    EXPECT_EQ(Run("result = qvd_getCurrentUserInt('UserLevel', 3)"), "7");
    EXPECT_EQ(Run("result = qvd_getCurrentUserInt('Other', 3)"), "3");
    EXPECT_EQ(Run("result = qvd_getCurrentUserString('Avatar', 'boy')"), "cat");
    EXPECT_EQ(mSettings->GetUserInt("UserLevel", 0, 1), 7);
    EXPECT_EQ(mSettings->GetUserInt("UserLevel", 9, 0), 9);
    // Indexes that are no player answer 0.
    EXPECT_EQ(mSettings->GetUserInt("UserLevel", 9, 2), 0);
    EXPECT_EQ(mSettings->GetUserInt("UserLevel", 9, -1), 0);
}

TEST_F(GameSettingsTest, WithoutCurrentPlayer_ValuesGoToTheGlobalTableAndRenamingNamesPlayerZero) {
    TPrefsDB* prefs = mSettings->GetPrefs();
    prefs->SetValue("vlkName", "Ann", 0, true);
    ASSERT_EQ(mSettings->GetCurrentUserIndex(), -1);
    Run("qvd_setCurrentUserInt('Seen', 5); qvd_setCurrentUserString('Word', 'hi')");
    EXPECT_EQ(prefs->GetInt("Seen", 0, -1), 5);
    EXPECT_EQ(prefs->GetValue("Word", "", -1).ToStd(), "hi");
    EXPECT_EQ(prefs->GetInt("Seen", 0, 0), 0);
    EXPECT_EQ(Run("result = qvd_getCurrentUserInt('Seen', 0)"), "5");
    EXPECT_EQ(Run("result = qvd_getCurrentUserString('Word', '')"), "hi");
    // The current name reads player 0.
    EXPECT_EQ(mSettings->GetCurrentUserName().ToStd(), "Ann");
    Run("qvd_changeCurrentUserName('Bea')");
    EXPECT_EQ(Names(), std::vector<std::string>{"Bea"});
    EXPECT_EQ(mSettings->GetCurrentUserIndex(), -1);
}

TEST_F(GameSettingsTest, SoundSettingsAndMute) {
    EXPECT_EQ(mSettings->GetAudioSetting(1), 75);
    EXPECT_EQ(mSettings->GetAudioSetting(2), 75);
    EXPECT_EQ(mSettings->GetAudioSetting(3), 0);
    EXPECT_EQ(mSettings->GetAudioSetting(7), 0);
    mSettings->SetAudioSetting(1, 40);
    mSettings->SetAudioSetting(2, 60);
    mSettings->SetAudioSetting(4, 99);
    EXPECT_EQ(mSettings->GetAudioSetting(1), 40);
    EXPECT_EQ(mSettings->GetAudioSetting(2), 60);
    EXPECT_EQ(mSettings->GetPrefs()->GetInt("vlkSound", 0, -1), 40);
    EXPECT_EQ(mSettings->GetAudioSetting(3), 0) << "kind 4 stores nothing";

    ASSERT_TRUE(mApplication->InitSoundManager() || TSoundManager::Instance());
    TSoundManager* sound = TSoundManager::Instance();
    ASSERT_NE(sound, nullptr);
    mSettings->LoadSoundSettings();
    EXPECT_FLOAT_EQ(sound->GetVolume(0), 0.4f);
    EXPECT_FLOAT_EQ(sound->GetVolume(1001), 0.4f);
    EXPECT_FLOAT_EQ(sound->GetVolume(1000), 0.6f);
    EXPECT_FLOAT_EQ(sound->GetMasterVolume(), 1.0f);
    // An absent mute reads 0: the first toggle mutes, the second unmutes.
    Run("qvd_toggleSoundMute()");
    EXPECT_EQ(mSettings->GetAudioSetting(3), 1);
    EXPECT_FLOAT_EQ(sound->GetMasterVolume(), 0.0f);
    Run("qvd_toggleSoundMute()");
    EXPECT_EQ(mSettings->GetAudioSetting(3), 0);
    EXPECT_FLOAT_EQ(sound->GetMasterVolume(), 1.0f);
}

TEST_F(GameSettingsTest, FullScreen) {
    EXPECT_TRUE(mSettings->IsFullScreen()) << "full screen by default";
    // Without a main window the switch fails and nothing is stored.
    EXPECT_EQ(Run("result = tostring(qvd_toggleFullScreen())"), "false");
    EXPECT_EQ(mSettings->GetPrefs()->GetInt("vlkVideo", -5, -1), -5);
    ASSERT_TRUE(mApplication->CreateMainWindow());
    mApplication->SetDisplayMode(1024, 768, false);
    const bool wasFull = mApplication->IsFullScreen();
    EXPECT_EQ(Run("result = tostring(qvd_toggleFullScreen())"), "true");
    EXPECT_EQ(mApplication->IsFullScreen(), !wasFull);
    EXPECT_EQ(mSettings->GetPrefs()->GetInt("vlkVideo", -5, -1), wasFull ? 0 : 1);
    mSettings->StoreFullScreenState();
    EXPECT_EQ(mSettings->IsFullScreen(), mApplication->IsFullScreen());
}

TEST_F(GameSettingsTest, ANewSettingsObjectSeesThePlayersAndTakesTheScriptFunctions) {
    Run("qvd_createNewUser('A'); qvd_createNewUser('B'); qvd_setCurrentUser(0)");
    mSettings.reset();
    // The functions of a deleted object are gone, not left dangling.
    EXPECT_EQ(Run("result = type(qvd_getNumUsers)"), "nil");
    mSettings = std::make_unique<vlkGameSettings>();
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(mSettings->GetCurrentUserName().ToStd(), "A");
    EXPECT_EQ(Run("result = qvd_getNumUsers()"), "2");
    // An older object going away leaves the newer one's functions alone
    // (the newer one works in memory while the older holds the file).
    auto older = std::move(mSettings);
    mSettings = std::make_unique<vlkGameSettings>();
    Run("qvd_createNewUser('Only in the newer')");
    older.reset();
    EXPECT_EQ(Run("result = qvd_getNumUsers()"), std::to_string(mSettings->GetUserCount()));
    EXPECT_EQ(Run("result = tostring(qvd_isNameInUse('Only in the newer'))"), "true");
}

} // namespace

namespace {

TEST_F(GameSettingsTest, QuitToMainMenuLeavesOnlyTheLowestModal) {
    ASSERT_TRUE(mApplication->CreateMainWindow());
    mApplication->SetDisplayMode(1024, 768, false);
    TWindowManager* manager = mApplication->GetWindowManager();
    TWindow* screen = manager->GetTopModal();
    ASSERT_NE(screen, nullptr);
    for (size_t pushed : {0u, 1u, 3u}) {
        SCOPED_TRACE(pushed);
        for (size_t i = 0; i < pushed; ++i)
            manager->PushModal(new TModalWindow);
        EXPECT_EQ(manager->GetModalDepth(), 1 + pushed);
        Run("qvd_quitToMainMenu()");
        EXPECT_EQ(manager->GetModalDepth(), 1u);
        EXPECT_EQ(manager->GetTopModal(), screen);
    }
}

// The player's usual data folder as a folder that cannot be written, for
// the platform (whoever runs the test).
std::string gUnwritable;
bool WritableButTheUsualFolder(const std::string& path) {
    return path.rfind(gUnwritable, 0) != 0 && platform::IsWritableFolder(path);
}

// On a full disk a new player is made, chosen and usable for the run; the
// players saved before stay in the file as they were.
TEST_F(GameSettingsTest, FullDisk_ANewPlayerIsKeptForTheRunAndTheSavedOnesStay) {
    // The settings object opens its database through the faulty layer.
    support::InstallSqliteFaults();
    mSettings.reset();
    mSettings = std::make_unique<vlkGameSettings>();
    Run("qvd_createNewUser('Ann')");
    support::gSqliteFaults.diskFull = true;
    Run("qvd_createNewUser('Bob') qvd_setCurrentUserInt('level', 7)");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(Current(), 1);
    EXPECT_EQ(Run("result = qvd_getCurrentUserInt('level', 0)"), "7");
    EXPECT_NE(ReadFile(GetLogFilePath().ToStd()).find("will not be kept"), std::string::npos);
    // Another settings object on the same file, the disk still full.
    mSettings.reset();
    mSettings = std::make_unique<vlkGameSettings>();
    support::gSqliteFaults = support::SqliteFaults();
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann"}));
    EXPECT_EQ(Current(), 0);
}

// The usual data folder cannot be written, so the log goes elsewhere: the
// players saved there are still the ones the screens list, a new one lives
// for the run, and the file stays as it was.
TEST_F(GameSettingsTest, UnwritableDataFolder_ItsPlayersAreListedAndChangesAreNotKept) {
    Run("qvd_createNewUser('Ann') qvd_createNewUser('Bob')");
    const std::filesystem::path usual(GetUserDataFolderText().ToStd());
    mSettings.reset();
    DestroyApplication();
    gUnwritable = usual.string();
    const std::string before = ReadFile((usual / "prefsdb.dat").string());
    ASSERT_FALSE(before.empty());
    mIsWritableFolder = &WritableButTheUsualFolder;
    // The settings of the same program, as on its next start.
    SetSetting(TSettingKey::kPublisher, "Halvenmark");
    SetSetting(TSettingKey::kGameName, "Corvalo");
    SetSetting(TSettingKey::kEncryptionKey, "KrvdsPomeXXX");
    testing::internal::CaptureStderr();
    BuildApplication();
    mSettings = std::make_unique<vlkGameSettings>();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot be made or written"), std::string::npos) << said;
    EXPECT_NE(said.find("will not be kept"), std::string::npos) << said;
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(Current(), 1);
    Run("qvd_createNewUser('Cy')");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann", "Bob", "Cy"}));
    EXPECT_EQ(Current(), 2);
    mSettings.reset();
    EXPECT_TRUE(ReadFile((usual / "prefsdb.dat").string()) == before);
    EXPECT_FALSE(std::filesystem::exists(mGame / "prefsdb.dat"));
    mIsWritableFolder = nullptr;
}

} // namespace
