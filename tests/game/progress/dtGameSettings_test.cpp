#include "game/progress/dtGameSettings.h"

#include "framework/app/AppFixture.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/script/host/TScript.h"
#include "game/data/GameIds.h"
#include "game/progress/TokenString.h"
#include "game/progress/clsMetamap.h"
#include "game/state/dtUserState.h"
#include "game/support/GameDataFixture.h"
#include "support/LogText.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>

namespace {

// An application on a user folder of the test's own, the rules' data set
// (lives 3, Rome start levels 1, 2, 2, bomb threshold 10, five quest
// nodes) and one player, "Ann", current.
class GameSettingsStoreTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        mSavedTuning = gGameTuning;
        SetSetting(TSettingKey::kEncryptionKey, "KrvdsPomeXXX");
        BuildApplication();
        support::LoadGameDataSet();
        mSettings = std::make_unique<dtGameSettings>();
        Prefs().SetValue("vlkName", "Ann", 0, true);
        Prefs().SetInt("vlkUser", 0, -1, true);
    }
    void TearDown() override {
        mSettings.reset();
        ResetGameData();
        gGameTuning = mSavedTuning;
        AppFixture::TearDown();
    }

    TPrefsDB& Prefs() { return *mSettings->GetPrefs(); }
    dtUserState& User() { return *mSettings->GetUserState(); }
    void Style(const char* style) { Script().SetGlobalString("gGameStyle", TString(style)); }
    TScript& Script() { return *GetGameScript(); }
    int Stored(const char* key, int player = 0) { return Prefs().GetInt(key, -999, player); }
    bool Has(const char* key, int player = 0) {
        std::vector<uint8_t> bytes;
        return Prefs().GetStoredBytes(key, player, bytes);
    }
    // The number of keys in player 0's record, its name among them, as
    // the file holds them.
    int KeysInFile() {
        sqlite3* db = nullptr;
        int count = -1;
        if (sqlite3_open_v2(Prefs().GetPath().CStr(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db,
                               "SELECT count(*) FROM uservalues WHERE user = "
                               "(SELECT min(id) FROM users)",
                               -1, &statement, nullptr);
            if (statement && sqlite3_step(statement) == SQLITE_ROW)
                count = sqlite3_column_int(statement, 0);
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
        return count;
    }
    std::string Run(const std::string& statements) {
        EXPECT_TRUE(Script().DoLuaString(TString(("result = nil; " + statements).c_str())))
            << statements;
        return Script().GetGlobalString("result").ToStd();
    }

    TGameTuning mSavedTuning;
    std::unique_ptr<dtGameSettings> mSettings;
};

TEST(ModeNames, BothWays) {
    const struct {
        int index;
        const char* name;
    } modes[] = {{1, "Classic"}, {2, "Strategy"}, {3, "Blitz"}, {4, "Joker"}, {5, "Rome"}};
    for (const auto& mode : modes) {
        EXPECT_STREQ(ModeNameFromIndex(mode.index).CStr(), mode.name);
        EXPECT_EQ(ModeIndexFromName(TString(mode.name)), mode.index);
    }
    EXPECT_EQ(ModeIndexFromName(TString("ROME")), 5);
    for (int index : {0, -1, 6})
        EXPECT_STREQ(ModeNameFromIndex(index).CStr(), "") << index;
    for (const char* name : {"", "cradle", "quick", "Classic "})
        EXPECT_EQ(ModeIndexFromName(TString(name)), -1) << name;
}

// A new player: the defaults, and the save that follows writes version 3
// and the keys of its style only: 88 in quick play, 25 in the quest.
TEST_F(GameSettingsStoreTest, NewPlayer_DefaultsThenOnlyItsStylesKeys) {
    Script().SetGlobalString("gGameMode", TString("Blitz"));
    Style("");
    mSettings->ChangeUserData();
    dtUserState& user = User();
    EXPECT_EQ(user.mode, kModeClassic) << "a fresh profile is Classic whatever the mode";
    EXPECT_EQ(user.lives, 3);
    EXPECT_EQ(user.level, 1);
    EXPECT_EQ(user.modeLevel[kModeRome], (dtUserState::PerDifficulty{1, 2, 2}));
    EXPECT_EQ(user.modeLevel[kModeJoker], (dtUserState::PerDifficulty{1, 1, 1}));
    EXPECT_EQ(user.modeLives[kModeStrategy], (dtUserState::PerDifficulty{3, 3, 3}));
    ASSERT_NE(user.GetMetamap(), nullptr);
    EXPECT_EQ(user.GetMetamap()->GetNodeCount(), 5);

    EXPECT_EQ(Stored("UserDataVersion"), 3);
    EXPECT_EQ(Stored("UserMode"), 1);
    EXPECT_EQ(Stored("ClassicUserLives"), 3);
    EXPECT_EQ(Stored("UserRomeLevelMedium"), 2);
    EXPECT_EQ(Stored("UserBlitzLivesHard"), 3);
    EXPECT_FALSE(Has("UserJokerEasyCombo"));
    for (const char* questKey : {"UserCombo25", "UserBomb", "UserMoney", "UserLevelInstructions",
                                 "UserDiffCradle", "UserCatUnlocked"})
        EXPECT_FALSE(Has(questKey)) << questKey;
    EXPECT_EQ(KeysInFile(), 1 + 88);

    // A second player in the quest.
    Prefs().SetValue("vlkName", "Bo", 1, true);
    Prefs().SetInt("vlkUser", 1, -1, true);
    Style("quest");
    mSettings->ChangeUserData();
    for (const char* quickKey : {"ClassicUserLives", "UserBlitz", "UserJoker",
                                 "UserScoreClassicSmall", "UserRomeLevelEasy"})
        EXPECT_FALSE(Has(quickKey, 1)) << quickKey;
    for (const char* questKey : {"UserDataVersion", "UserMode", "UserAvatar", "UserBomb",
                                 "UserDogUnlocked", "UserHalfQuest", "UserMetamap"})
        EXPECT_TRUE(Has(questKey, 1)) << questKey;
    TokenString map(Prefs().GetValue("UserMetamap", "", 1));
    EXPECT_EQ(map.text.ToStd().rfind("6^0^0^5^1^1^0^0^3", 0), 0u) << map.text.CStr();
}

TEST_F(GameSettingsStoreTest, QuestCountsTheKeysItWrites) {
    Style("quest");
    mSettings->ChangeUserData();
    EXPECT_EQ(KeysInFile(), 1 + 25);
}

// Quick play saves; the quest then reads none of the quick values (the
// per-mode ones stay as a new record has them) but the quick-play bits.
TEST_F(GameSettingsStoreTest, QuickSave_ThenQuestLoad) {
    Style("quick");
    mSettings->ChangeUserData();
    User().level = 4;
    User().bestCombo = 7;
    User().totalScore = 900;
    User().modeLevel[kModeClassic][1] = 3;
    User().score[kModeBlitz][2] = 1234;
    User().quickDifficultyBits[kModeClassic] = 5;
    ASSERT_TRUE(mSettings->Save());
    EXPECT_EQ(Stored("ClassicUserLevel"), 4);
    EXPECT_EQ(Stored("UserScoreBlitzLarge"), 1234);

    mSettings->LoadUserData();
    EXPECT_EQ(User().level, 4) << "quick play reads its values back";
    EXPECT_EQ(User().modeLevel[kModeClassic][1], 3);

    Style("quest");
    mSettings->LoadUserData();
    dtUserState& user = User();
    EXPECT_EQ(user.level, 1);
    EXPECT_EQ(user.bestCombo, 0);
    EXPECT_EQ(user.totalScore, 0) << "the quest's total is the map's";
    EXPECT_EQ(user.lives, 3);
    EXPECT_EQ(user.modeLevel[kModeClassic][1], 1);
    EXPECT_EQ(user.score[kModeBlitz][2], 0);
    EXPECT_EQ(user.quickDifficultyBits[kModeClassic], 5);
}

// The quest load takes its total from the map and its level from the
// current node; quick play never reads the map's level.
TEST_F(GameSettingsStoreTest, QuestLoad_LevelAndTotalFromTheMap) {
    Style("quest");
    mSettings->ChangeUserData();
    clsMetamap* map = User().GetMetamap();
    map->SetCurrentNode(2); // Strategy level 2
    map->CompleteCurrentNode(640);
    map->SetCurrentNodeLives(2);
    mSettings->SaveMetamap();

    mSettings->LoadUserData();
    EXPECT_EQ(User().level, 2);
    EXPECT_EQ(User().totalScore, 640);
    EXPECT_EQ(User().GetMetamap()->GetCurrentNodeIndex(), 2);
    EXPECT_EQ(User().GetMetamap()->GetCurrentNodeLives(), 2);
    EXPECT_EQ(User().questDifficultyBits[kModeStrategy], 0) << "only the map was stored";

    User().GetMetamap()->CompleteCurrentNode(10);
    ASSERT_TRUE(mSettings->Save());
    mSettings->LoadUserData();
    EXPECT_EQ(User().questDifficultyBits[kModeStrategy], 2);
    EXPECT_EQ(User().GetMetamap()->GetCurrentNodeLives(), 3) << "completing gave the lives back";
    EXPECT_EQ(User().totalScore, 640);

    Style("quick");
    mSettings->LoadUserData();
    EXPECT_EQ(User().level, 1);
    EXPECT_EQ(User().GetMetamap()->GetCurrentNodeIndex(), 2) << "the map is read in every style";
}

TEST_F(GameSettingsStoreTest, OneZeroKeys_OnlyOneIsTrue) {
    Style("quest");
    mSettings->ChangeUserData();
    for (int stored : {2, 1, 0, -1}) {
        for (const char* key : {"UserMoney", "UserCatUnlocked", "UserDogUnlocked"})
            Prefs().SetInt(key, stored, 0, true);
        mSettings->LoadUserData();
        const int expected = stored == 1 ? 1 : 0;
        EXPECT_EQ(User().scoreAchieved, expected) << stored;
        EXPECT_EQ(User().catUnlocked, expected) << stored;
        EXPECT_EQ(User().dogUnlocked, expected) << stored;
        ASSERT_TRUE(mSettings->Save());
        EXPECT_EQ(Stored("UserCatUnlocked"), expected) << "written back as 1 or 0";
    }
}

// A counter above its achievement's threshold is written as the threshold;
// the counter itself keeps its value.
TEST_F(GameSettingsStoreTest, PowerUpCounters_WrittenClamped) {
    Style("quest");
    mSettings->ChangeUserData();
    Prefs().SetInt("UserBomb", 99, 0, true);
    Prefs().SetInt("UserWild", 12, 0, true);
    Prefs().SetInt("UserCombo25", 99, 0, true);
    mSettings->LoadUserData();
    EXPECT_EQ(User().bomb, 99);
    ASSERT_TRUE(mSettings->Save());
    EXPECT_EQ(Stored("UserBomb"), 10);
    EXPECT_EQ(Stored("UserWild"), 12) << "below its threshold of 15";
    EXPECT_EQ(Stored("UserCombo25"), 99) << "not a clamped counter";
    EXPECT_EQ(User().bomb, 99);
}

TEST_F(GameSettingsStoreTest, MarkInstructionShown_OnceAlsoAcrossLoads) {
    Style("quest");
    mSettings->ChangeUserData();
    EXPECT_EQ(mSettings->MarkInstructionShown("Classic"), 1);
    EXPECT_EQ(mSettings->MarkInstructionShown("Classic"), 0);
    EXPECT_EQ(Stored("UserLevelInstructions"), 1);
    mSettings->LoadUserData();
    EXPECT_EQ(mSettings->MarkInstructionShown("Classic"), 0);
    EXPECT_EQ(mSettings->MarkInstructionShown("Rome"), 1);
    EXPECT_EQ(Stored("UserLevelInstructions"), 9);
    for (const char* other : {"classic", "Cradle", ""})
        EXPECT_EQ(mSettings->MarkInstructionShown(other), 0) << other;
    EXPECT_EQ(Stored("UserLevelInstructions"), 9);
}

TEST_F(GameSettingsStoreTest, Avatars_ByNameAndStoredCode) {
    mSettings->ChangeUserData();
    const struct {
        const char* name;
        int code;
    } cases[] = {{"cat", 3}, {"girl", 1}, {"", 0}, {"dog", 2}, {"Cat", 0}, {"boy", 0}};
    for (const auto& c : cases) {
        mSettings->ChangeAvatar(c.name);
        EXPECT_EQ(mSettings->GetAvatar(), c.code) << c.name;
        EXPECT_EQ(User().avatar, c.code) << c.name;
        EXPECT_EQ(Stored("UserAvatar"), c.code) << c.name;
    }
    mSettings->ChangeAvatar("dog");
    mSettings->LoadUserData();
    EXPECT_EQ(User().avatar, 2);
    EXPECT_STREQ(mSettings->GetCurrentUserAvatarName().CStr(), "dog");
    Prefs().SetInt("UserAvatar", 7, 0, true);
    EXPECT_STREQ(mSettings->GetUserAvatarName(0).CStr(), "");
    EXPECT_STREQ(mSettings->GetUserAvatarName(3).CStr(), "boy") << "no such player: default 0";
}

// A profile of another version is replaced by the defaults, the avatar of
// this object kept; nothing is stored until the next save.
TEST_F(GameSettingsStoreTest, OtherVersion_GivesTheDefaults) {
    Style("quick");
    mSettings->ChangeUserData();
    mSettings->ChangeAvatar("girl");
    User().modeLevel[kModeBlitz][0] = 6;
    ASSERT_TRUE(mSettings->Save());
    Prefs().SetInt("UserDataVersion", 2, 0, true);
    mSettings->LoadUserData();
    EXPECT_EQ(User().modeLevel[kModeBlitz][0], 1);
    EXPECT_EQ(User().avatar, 1);
    EXPECT_EQ(Stored("UserBlitzLevelEasy"), 6) << "the old keys stay until a save";
}

// A stored map that does not fit: one log line, a fresh map.
TEST_F(GameSettingsStoreTest, CutShortMap_GivesAFreshMap) {
    Style("quest");
    mSettings->ChangeUserData();
    Prefs().SetValue("UserMetamap", "6^1^2^40^5^0^0^1^40^3^0^0", 0, true);
    mSettings->LoadUserData();
    const clsMetamap* map = User().GetMetamap();
    EXPECT_FALSE(map->HasCurrentNode());
    EXPECT_TRUE(map->IsNodeLocked(0));
    EXPECT_EQ(User().totalScore, 0);
    EXPECT_NE(support::ReadLogText().find("clsMetamap: the saved quest map is cut short"),
              std::string::npos);
}

TEST_F(GameSettingsStoreTest, FirstTime_PerPlayer) {
    EXPECT_TRUE(mSettings->IsFirstTime());
    mSettings->ClearFirstTime();
    EXPECT_FALSE(mSettings->IsFirstTime());
    EXPECT_EQ(Stored("vlkFirstTime"), 1);
    Prefs().SetValue("vlkName", "Bo", 1, true);
    Prefs().SetInt("vlkUser", 1, -1, true);
    EXPECT_TRUE(mSettings->IsFirstTime());
}

TEST_F(GameSettingsStoreTest, ScriptFunctions) {
    Style("quest");
    mSettings->ChangeUserData();
    EXPECT_EQ(Run("gnf_changeAvatar('cat'); result = gfn_getCurrentUserAvatar()"), "cat");
    EXPECT_EQ(Stored("UserAvatar"), 3);
    EXPECT_EQ(Run("result = gfn_isShownInstruction('Joker')"), "1");
    EXPECT_EQ(Run("result = gfn_isShownInstruction('Joker')"), "0");
    // The record is read again from the store: what changed in memory only
    // is gone, what was stored comes back.
    User().instructionsShown = 0;
    Run("gfn_changeUserData()");
    EXPECT_EQ(User().instructionsShown, 16) << "the record was not read again";

    mSettings.reset();
    // Forgotten with the object: calling them does nothing.
    EXPECT_EQ(Run("gnf_changeAvatar('dog'); result = gfn_getCurrentUserAvatar()"), "");
}

// The levels reach the record that was loaded last, and its map.
TEST_F(GameSettingsStoreTest, LevelServices_FollowEachLoad) {
    EXPECT_EQ(GetLevelServices().progress, mSettings.get());
    EXPECT_EQ(GetLevelServices().questMap, nullptr);
    mSettings->LoadUserData();
    const QuestMap* first = GetLevelServices().questMap;
    EXPECT_EQ(first, User().GetMetamap());
    mSettings->LoadUserData();
    EXPECT_EQ(GetLevelServices().questMap, User().GetMetamap());
    EXPECT_NE(GetLevelServices().questMap, nullptr);
    mSettings->SetCurrentUserInt("UserClassic", 6);
    EXPECT_EQ(Stored("UserClassic"), 6);
    mSettings.reset();
    EXPECT_EQ(GetLevelServices().progress, nullptr);
    EXPECT_EQ(GetLevelServices().questMap, nullptr);
}

// A store that fails half way through a save ends it: nothing of it
// reaches the file, not even with the next value committed.
TEST_F(GameSettingsStoreTest, FailedStore_LeavesTheLastWholeProfile) {
    Style("quick");
    mSettings->ChangeUserData();
    User().level = 2;
    User().score[kModeClassic][0] = 111;
    User().score[kModeRome][2] = 222;
    ASSERT_TRUE(mSettings->Save());
    const std::string path = Prefs().GetPath().ToStd();
    mSettings.reset();
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db,
                               "CREATE TRIGGER refuse BEFORE INSERT ON uservalues "
                               "WHEN NEW.key = 'UserScoreRomeSmall' "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    mSettings = std::make_unique<dtGameSettings>();
    mSettings->LoadUserData();
    ASSERT_EQ(User().score[kModeClassic][0], 111);
    User().level = 3;
    User().score[kModeClassic][0] = 333;
    User().score[kModeRome][2] = 444;
    EXPECT_FALSE(mSettings->Save());
    mSettings->ChangeAvatar("cat");
    mSettings.reset();

    mSettings = std::make_unique<dtGameSettings>();
    EXPECT_EQ(Stored("ClassicUserLevel"), 2);
    EXPECT_EQ(Stored("UserScoreClassicSmall"), 111);
    EXPECT_EQ(Stored("UserScoreRomeLarge"), 222);
    EXPECT_EQ(Stored("UserAvatar"), 3);
    EXPECT_NE(support::ReadLogText().find("dtGameSettings: the profile of player 0 could not be "
                                          "stored"),
              std::string::npos);
}

} // namespace
