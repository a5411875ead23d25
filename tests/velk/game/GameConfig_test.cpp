#include "velk/game/GameConfig.h"

#include "framework/app/AppFixture.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "velk/assets/TAssetLists.h"
#include "velk/data/vlkXmlData.h"
#include "velk/game/FxMap.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kConfig[] = R"(<?xml version="1.0"?>
<xmlData>
  <game>
    <lives>4</lives>
    <bonus>2</bonus>
    <velocity>3.5</velocity>
    <bonusRound>6</bonusRound>
    <facebook>https://example.org/corvalo</facebook>
    <gameAssets>lists.xml</gameAssets>
    <fx>effects.xml</fx>
    <metamap>metamap.xml</metamap>
  </game>
  <score>
    <match>10</match><chain>20</chain><deltaChain>3</deltaChain><combo>40</combo>
    <deltaCombo>5</deltaCombo><bonus>60</bonus><deltaBonus>7</deltaBonus>
    <clearedAllTiles>800</clearedAllTiles><jokerBonus>900</jokerBonus>
  </score>
  <time>
    <preLevel>1</preLevel><initLevel>2</initLevel><freeze>3</freeze><showtime>4</showtime>
    <showCards>5</showCards><revealWait>6</revealWait><intervalShowCards>7</intervalShowCards>
    <intervalHideCards>8</intervalHideCards><showGolden>9</showGolden>
    <intervalShowGolden>10</intervalShowGolden><clearTiles>11</clearTiles>
    <goldenAnim>12</goldenAnim><standAnim>13</standAnim><matchAnim>14</matchAnim>
    <bonusMatchAnim>15</bonusMatchAnim><vanishAnim>16</vanishAnim><hideAnim>17</hideAnim>
    <showAnim>18</showAnim>
  </time>
  <achieve>
    <screen5>108</screen5><sidewinder>106</sidewinder><score>101</score><bomb>102</bomb>
    <showtime>105</showtime><wild>104</wild><freeze>103</freeze><screen1>107</screen1>
    <unlockInQuestMode>1, 3,5</unlockInQuestMode>
  </achieve>
  <animation><spritetext>11</spritetext></animation>
</xmlData>
)";

const char kEffects[] = R"(<FXFiles>
  <fx name="Trail" path="Anim/Trail_A.xml"/>
  <fx name="trail" path="anim/trail_b.xml"/>
  <fx name="Bomb" path="anim/bomb.xml"/>
</FXFiles>
)";

const char kLists[] =
    R"(<assets><fixedAssets><image name="logo" path="logo.png"/></fixedAssets></assets>)";

class GameConfigTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        SetSetting(TSettingKey::kEncryptionKey, "KrvdsPomeXXX");
        gGameTuning = TGameTuning();
        ClearFxMap();
    }
    void TearDown() override {
        DestroyGameGlobals();
        SetGameSettingsCreator(nullptr);
        SetGameDataLoaders(nullptr, nullptr);
        gGameTuning = TGameTuning();
        ClearFxMap();
        AppFixture::TearDown();
    }
};

TEST_F(GameConfigTest, ReadsTheTuningBlockListsAndSettings) {
    WriteAsset("config.xml", kConfig);
    WriteAsset("effects.xml", kEffects);
    WriteAsset("lists.xml", kLists);
    BuildApplication();
    ASSERT_TRUE(mApplication->CreateMainWindow());
    LoadGameConfig("config.xml", 1024, 768);
    const TGameTuning& t = gGameTuning;
    EXPECT_EQ(t.game.lives, 4);
    EXPECT_EQ(t.game.bonus, 2);
    EXPECT_FLOAT_EQ(t.game.velocity, 3.5f);
    EXPECT_EQ(t.game.bonusRound, 6);
    EXPECT_EQ(t.game.facebook.ToStd(), "https://example.org/corvalo");
    EXPECT_EQ(t.game.fx.ToStd(), "effects.xml");
    EXPECT_EQ(t.game.metamap.ToStd(), "metamap.xml");
    const int scores[] = {t.score.match,      t.score.chain,           t.score.deltaChain,
                          t.score.combo,      t.score.deltaCombo,      t.score.bonus,
                          t.score.deltaBonus, t.score.clearedAllTiles, t.score.jokerBonus};
    EXPECT_EQ(std::vector<int>(std::begin(scores), std::end(scores)),
              (std::vector<int>{10, 20, 3, 40, 5, 60, 7, 800, 900}));
    const int times[] = {
        t.time.preLevel,           t.time.initLevel,         t.time.freeze,
        t.time.showtime,           t.time.showCards,         t.time.revealWait,
        t.time.intervalShowCards,  t.time.intervalHideCards, t.time.showGolden,
        t.time.intervalShowGolden, t.time.clearTiles,        t.time.timerPeriods[0],
        t.time.timerPeriods[1],    t.time.timerPeriods[2],   t.time.timerPeriods[3],
        t.time.vanishAnim,         t.time.hideAnim,          t.time.showAnim};
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(times[i], i + 1) << i;
    // By achievement number, whatever the order of the keys in the file:
    // score, bomb, freeze, wild, showtime, sidewinder, screen1, screen5.
    EXPECT_EQ(std::vector<int>(t.achieve.thresholds.begin(), t.achieve.thresholds.end()),
              (std::vector<int>{101, 102, 103, 104, 105, 106, 107, 108}));
    EXPECT_EQ(t.achieve.unlockInQuestMode, (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(t.animation.spritetext, 11);

    // The first effect of a name wins; names and paths are lower-cased.
    EXPECT_EQ(GetFxCount(), 2u);
    EXPECT_EQ(GetFxPath("TRAIL").ToStd(), "anim/trail_a.xml");
    EXPECT_EQ(GetFxPath("bomb").ToStd(), "anim/bomb.xml");
    EXPECT_EQ(GetFxPath("wind").ToStd(), "");

    ASSERT_NE(gAssetLists, nullptr);
    ASSERT_EQ(gAssetLists->GetFixedEntries().size(), 1u);
    EXPECT_EQ(gAssetLists->GetFixedEntries()[0].name.ToStd(), "logo");
    ASSERT_NE(gGameSettings, nullptr);
    int width = 0, height = 0;
    bool full = false;
    mApplication->GetDisplayMode(width, height, full);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_TRUE(full) << "full screen when \"vlkVideo\" was never stored";
}

TEST_F(GameConfigTest, WithoutAGameTableOrFile_EverythingKeepsItsDefault) {
    WriteAsset("config.xml", "<xmlData><score><match>5</match></score></xmlData>");
    WriteAsset("assets.xml", kLists);
    BuildApplication();
    LoadGameConfig("config.xml", 800, 600);
    EXPECT_EQ(gGameTuning.game.lives, 0);
    EXPECT_EQ(gGameTuning.score.match, 5);
    EXPECT_EQ(gGameTuning.game.metamap.ToStd(), "");
    EXPECT_EQ(GetFxCount(), 0u);
    ASSERT_NE(gAssetLists, nullptr);
    EXPECT_EQ(gAssetLists->GetFixedEntries().size(), 1u) << "the lists come from assets.xml";
    EXPECT_NE(gGameSettings, nullptr);

    DestroyGameGlobals();
    gGameTuning = TGameTuning();
    LoadGameConfig("missing.xml", 800, 600);
    EXPECT_EQ(gGameTuning.score.match, 0);
    EXPECT_TRUE(gGameTuning.achieve.unlockInQuestMode.empty());
    EXPECT_NE(gAssetLists, nullptr);
    EXPECT_NE(gGameSettings, nullptr);
}

TEST_F(GameConfigTest, TheSettingsComeBeforeTheScreenWhichFollowsTheirFullScreenValue) {
    WriteAsset("config.xml", kConfig);
    BuildApplication();
    ASSERT_TRUE(mApplication->CreateMainWindow());
    static int widthWhenMade;
    widthWhenMade = -1;
    SetGameSettingsCreator([]() -> vlkGameSettings* {
        int width = 0, height = 0;
        bool full = false;
        TApplication::Get()->GetDisplayMode(width, height, full);
        widthWhenMade = width;
        auto* settings = new vlkGameSettings;
        settings->GetPrefs()->SetInt("vlkVideo", 0, -1, true);
        return settings;
    });
    LoadGameConfig("config.xml", 1024, 768);
    EXPECT_EQ(widthWhenMade, 0) << "the screen was not set yet";
    int width = 0, height = 0;
    bool full = true;
    mApplication->GetDisplayMode(width, height, full);
    EXPECT_EQ(width, 1024);
    EXPECT_FALSE(full) << "\"vlkVideo\" 0 asks for a window";
}

// The game's tables come after the tuning values, from the same data; the
// mode files once the settings object exists and the screen is set.
TEST_F(GameConfigTest, TheGameDataReadersRunInTheirPlaces) {
    WriteAsset("config.xml", kConfig);
    BuildApplication();
    ASSERT_TRUE(mApplication->CreateMainWindow());
    static std::vector<std::string> calls;
    calls.clear();
    SetGameDataLoaders(
        [](const vlkXmlData& config) {
            calls.push_back("tables lives=" + std::to_string(gGameTuning.game.lives) +
                            " metamap=" + config.GetValueOr("game", "metamap", "").ToStd() +
                            (gGameSettings ? " settings" : ""));
        },
        [] {
            int width = 0, height = 0;
            bool full = false;
            TApplication::Get()->GetDisplayMode(width, height, full);
            calls.push_back("modes width=" + std::to_string(width) +
                            (gGameSettings ? " settings" : ""));
        });
    LoadGameConfig("config.xml", 1024, 768);
    EXPECT_EQ(calls, (std::vector<std::string>{"tables lives=4 metamap=metamap.xml",
                                               "modes width=1024 settings"}));
}

} // namespace
