#include "game/state/dtUserState.h"

#include "game/data/LevelRecords.h"
#include "game/state/dtLevelState.h"
#include "game/support/GameDataFixture.h"
#include "velk/game/GameTuning.h"

#include <gtest/gtest.h>

namespace {

class UserStateTest : public support::GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        support::LoadGameDataSet();
    }
};

TEST_F(UserStateTest, Defaults_FromTheTuningBlock) {
    dtUserState user;
    EXPECT_EQ(user.lives, 3);
    EXPECT_EQ(user.level, 1);
    EXPECT_EQ(user.roundCounter, 1);
    EXPECT_EQ(user.GetLevelState(), nullptr);
    for (int mode = kModeClassic; mode <= kModeJoker; ++mode)
        EXPECT_EQ(user.modeLevel[mode], (dtUserState::PerDifficulty{1, 1, 1})) << mode;
    EXPECT_EQ(user.modeLevel[kModeRome], (dtUserState::PerDifficulty{1, 2, 2}));
    EXPECT_EQ(user.modeLives[kModeBlitz], (dtUserState::PerDifficulty{3, 3, 3}));
}

// Which record each starter takes: the level plus the offset, less the
// distance the infinite level has gone past the table, clamped into it.
TEST_F(UserStateTest, Starters_TakeTheRecordOfTheLevel) {
    enum Starter { kClassic, kStrategy, kBlitz, kRome };
    const struct {
        Starter starter;
        int level, offset, infinite;
        int userLevel, stateLevel, recordId;
        const char* logged;
    } cases[] = {
        {kClassic, 1, 0, 0, 1, 1, 1, nullptr},
        {kClassic, 1, 1, 0, 2, 2, 2, nullptr},
        {kClassic, 4, 0, 3, 4, 2, 2, nullptr},
        {kClassic, 7, 0, 0, 7, 7, 2, "Classic level 7 is outside the level table (1 to 2)"},
        {kClassic, 0, 0, 0, 0, 0, 1, "Classic level 0 is outside the level table"},
        {kStrategy, 2, 0, 0, 2, 2, 2, nullptr},
        {kBlitz, 1, 1, 0, 2, 2, 2, nullptr},
        {kBlitz, 9, 0, 3, 9, 7, 2, "Blitz level 7 is outside the level table"},
        {kRome, 1, 0, 0, 1, 1, 1, nullptr},
    };
    for (const auto& c : cases) {
        dtUserState user;
        user.infiniteLevel = c.infinite;
        user.levelScore = 99;
        bool started = false;
        int recordId = 0, mode = 0, quota = -1, difficulty = 0;
        switch (c.starter) {
        case kClassic:
            started = user.StartClassicLevel(c.level, c.offset);
            recordId = user.GetLevelState()->classic->id;
            quota = user.GetLevelState()->classic->quota;
            difficulty = user.GetLevelState()->classic->mode;
            mode = kModeClassic;
            break;
        case kStrategy:
            started = user.StartStrategyLevel(c.level, c.offset);
            recordId = user.GetLevelState()->strategy->id;
            quota = user.GetLevelState()->strategy->quota;
            difficulty = user.GetLevelState()->strategy->mode;
            mode = kModeStrategy;
            break;
        case kBlitz:
            started = user.StartBlitzLevel(c.level, c.offset);
            recordId = user.GetLevelState()->blitz->id;
            quota = user.GetLevelState()->blitz->quota;
            difficulty = user.GetLevelState()->blitz->mode;
            mode = kModeBlitz;
            break;
        case kRome:
            started = user.StartRomeLevel(c.level, c.offset);
            recordId = user.GetLevelState()->rome->id;
            quota = 0;
            difficulty = user.GetLevelState()->rome->mode;
            mode = kModeRome;
            break;
        }
        const std::string what = std::to_string(c.starter) + " level " + std::to_string(c.level);
        ASSERT_TRUE(started) << what;
        EXPECT_EQ(user.mode, mode) << what;
        EXPECT_EQ(user.level, c.userLevel) << what;
        EXPECT_EQ(user.levelScore, 0) << what;
        EXPECT_EQ(user.GetLevelState()->GetLevel(), c.stateLevel) << what;
        EXPECT_EQ(recordId, c.recordId) << what;
        EXPECT_EQ(user.quota, quota) << what;
        EXPECT_EQ(user.GetLevelState()->GetDifficulty(), difficulty) << what;
        if (c.logged) {
            EXPECT_TRUE(LogHas(c.logged)) << what;
        }
    }
}

TEST_F(UserStateTest, Starters_OnlyTheCurrentModesRecordIsSet) {
    dtUserState user;
    ASSERT_TRUE(user.StartStrategyLevel(1, 0));
    dtLevelState* state = user.GetLevelState();
    EXPECT_NE(state->strategy, nullptr);
    EXPECT_EQ(state->classic, nullptr);
    EXPECT_EQ(state->blitz, nullptr);
    EXPECT_EQ(state->rome, nullptr);
    EXPECT_EQ(state->joker, nullptr);
    ASSERT_TRUE(user.StartClassicLevel(1, 0));
    EXPECT_NE(user.GetLevelState()->classic, nullptr);
    EXPECT_EQ(user.GetLevelState()->strategy, nullptr);
}

TEST_F(UserStateTest, EmptyTable_StartsNothing) {
    ResetGameData();
    dtUserState user;
    EXPECT_FALSE(user.StartClassicLevel(1, 0));
    EXPECT_EQ(user.GetLevelState(), nullptr);
    EXPECT_FALSE(user.StartRomeLevel(1, 0));
    EXPECT_FALSE(user.StartJokerLevel(1));
    EXPECT_EQ(user.GetLevelState(), nullptr);
    EXPECT_TRUE(LogHas("the Classic level table is empty"));
    EXPECT_TRUE(LogHas("the Joker level table is empty"));
}

TEST_F(UserStateTest, Joker_FromTheTableAndOfQuickPlay) {
    dtUserState user;
    ASSERT_TRUE(user.StartJokerLevel(2));
    EXPECT_EQ(user.mode, kModeJoker);
    EXPECT_EQ(user.quota, 3);
    EXPECT_EQ(user.GetLevelState()->GetLevel(), 2);
    EXPECT_EQ(user.GetLevelState()->joker, GetJokerLevel(1));
    EXPECT_EQ(user.GetLevelState()->GetDifficulty(), 3);

    user.levelScore = 40;
    ASSERT_TRUE(user.StartJokerQuickLevel(5, 1));
    const TJokerLevelRecord* custom = user.GetLevelState()->joker;
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(custom, user.GetCustomJokerRecord());
    EXPECT_EQ(custom->id, 5);
    EXPECT_EQ(custom->mode, 1) << "the board layout's index";
    EXPECT_EQ(custom->rounds, 0);
    EXPECT_EQ(custom->roundsToWin, 0);
    EXPECT_EQ(custom->initTiles, 5);
    EXPECT_EQ(user.level, 5);
    EXPECT_EQ(user.quota, 6);
    EXPECT_EQ(user.levelScore, 0);
    EXPECT_EQ(user.GetLevelState()->GetDifficulty(), 2);

    ASSERT_TRUE(user.StartJokerQuickLevel(1, 7));
    EXPECT_EQ(user.GetLevelState()->GetDifficulty(), 3);
    EXPECT_TRUE(LogHas("Joker difficulty 7 is not 0 to 2"));
}

TEST_F(UserStateTest, ResetForNewGame) {
    dtUserState user;
    user.level = 9;
    user.roundCounter = 4;
    user.lives = 0;
    user.bestCombo = 7;
    user.levelScore = 100;
    user.totalScore = 900;
    user.levelOffset = 1;
    user.infiniteLevel = 2;
    user.extraScore = 30;
    user.scoreAchieved = 1;
    gGameTuning.game.lives = 5;
    user.ResetForNewGame();
    EXPECT_EQ(user.level, 1);
    EXPECT_EQ(user.roundCounter, 1);
    EXPECT_EQ(user.lives, 5);
    EXPECT_EQ(user.bestCombo, 0);
    EXPECT_EQ(user.levelScore, 0);
    EXPECT_EQ(user.totalScore, 0);
    EXPECT_EQ(user.levelOffset, 0);
    EXPECT_EQ(user.infiniteLevel, 0);
    EXPECT_EQ(user.extraScore, 0);
    EXPECT_EQ(user.scoreAchieved, 1) << "the other words stay";
}

TEST_F(UserStateTest, AddDifficultyFlag_TakesOnlyOneTwoOrFour) {
    dtUserState user;
    user.AddDifficultyFlag(kModeBlitz, 3);
    user.AddDifficultyFlag(kModeBlitz, 0);
    user.AddDifficultyFlag(kModeBlitz, 8);
    EXPECT_EQ(user.questDifficultyBits[kModeBlitz], 0);
    user.AddDifficultyFlag(kModeBlitz, 1);
    user.AddDifficultyFlag(kModeBlitz, 4);
    user.AddDifficultyFlag(kModeBlitz, 4);
    EXPECT_EQ(user.questDifficultyBits[kModeBlitz], 5);
    user.AddDifficultyFlag(kModeRome, 2);
    EXPECT_EQ(user.questDifficultyBits[kModeRome], 2);
    user.AddDifficultyFlag(0, 1);
    user.AddDifficultyFlag(6, 1);
    EXPECT_EQ(user.questDifficultyBits[0], 0);
}

} // namespace
