// Kills a process that saves two players' profiles in turn at chosen
// moments, and checks that each player's stored profile is always one
// whole save: every value from the same save, that save reported or the
// one in flight.
#include "game/progress/dtGameSettings.h"

#include "framework/app/AppFixture.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "game/data/GameIds.h"
#include "game/progress/clsMetamap.h"
#include "game/state/dtUserState.h"
#include "game/support/GameDataFixture.h"

#include <gtest/gtest.h>

#include "support/ReportingChild.h"

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kWriter[] = CORVALO_BINARY_DIR "/tests/game/progress/profile_writer/profile_writer";
const char kKey[] = "KrvdsPomeXXX";

class ProfileKillTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        mSavedTuning = gGameTuning;
        SetSetting(TSettingKey::kEncryptionKey, kKey);
        BuildApplication();
        support::LoadGameDataSet();
    }
    void TearDown() override {
        ResetGameData();
        gGameTuning = mSavedTuning;
        AppFixture::TearDown();
    }

    // The save a player's stored profile comes from, 0 for none; -1 when
    // its values come from more than one save.
    int StoredSave(dtGameSettings& settings, int player) {
        TPrefsDB& prefs = *settings.GetPrefs();
        if (player >= prefs.GetUserCount())
            return 0;
        prefs.SetInt("vlkUser", player, -1, true);
        if (prefs.GetInt("UserDataVersion", -1, player) != 3)
            return 0;
        settings.LoadUserData();
        const dtUserState& u = *settings.GetUserState();
        const int r = u.totalScore;
        std::vector<int> values = {u.avatar,   u.level,     u.lives,        u.bestCombo,
                                   u.allQuest, u.halfQuest, u.infiniteLevel};
        for (int mode = kModeClassic; mode < kModeIdCount; ++mode) {
            values.push_back(u.quickDifficultyBits[mode]);
            for (const dtUserState::PerMode* table :
                 {&u.score, &u.highScore, &u.modeLevel, &u.modeLives})
                for (int value : (*table)[mode])
                    values.push_back(value);
            if (mode != kModeJoker)
                for (int value : u.modeBestCombo[mode])
                    values.push_back(value);
        }
        values.push_back(u.GetMetamap()->GetCurrentNodeLives());
        for (int value : values) {
            if (value != r)
                return -1;
        }
        return r;
    }

    TGameTuning mSavedTuning;
};

TEST_F(ProfileKillTest, KilledMidSave_LeavesOneWholeProfileEachTime) {
    ASSERT_TRUE(std::filesystem::exists(kWriter)) << kWriter;
    const std::string userFolder = UserFolder().string();
    const std::string dataFolder = std::string(CORVALO_TEST_DATA) + "/game";
    const unsigned seed = 20261211;
    std::mt19937 random(seed);
    int lastReported = 0;
    constexpr int kRuns = 8;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run) + ", seed " + std::to_string(seed));
        {
            // Under `timeout`, so that a writer the test fails to kill
            // still ends.
            support::ReportingChild writer(
                {"timeout", "-s", "KILL", "120", kWriter, userFolder, dataFolder, kKey}, true);
            ASSERT_TRUE(writer.IsRunning());
            // After a chosen number of saves, and a chosen moment into the
            // next one.
            const size_t saves = std::uniform_int_distribution<size_t>(1, 6)(random);
            const int micros = std::uniform_int_distribution<int>(0, 4000)(random);
            ASSERT_TRUE(writer.ReadNumbers(saves)) << "the writer ended before its saves";
            std::this_thread::sleep_for(std::chrono::microseconds(micros));
            writer.Kill();
            ASSERT_FALSE(writer.Numbers().empty());
            lastReported = writer.Numbers().back();
        }
        dtGameSettings settings;
        const int inFlight = lastReported + 1;
        for (int player = 0; player < 2; ++player) {
            SCOPED_TRACE("player " + std::to_string(player));
            const int stored = StoredSave(settings, player);
            // The player's last reported save, or its next one when that
            // was in flight and reached its commit.
            const int reported = lastReported % 2 == player ? lastReported : lastReported - 1;
            EXPECT_TRUE(stored == reported || (inFlight % 2 == player && stored == inFlight))
                << "stored " << stored << ", last reported " << lastReported;
        }
    }
}

} // namespace
