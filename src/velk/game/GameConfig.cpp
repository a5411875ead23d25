#include "velk/game/GameConfig.h"

#include "framework/app/TApplication.h"
#include "velk/assets/TAssetLists.h"
#include "velk/data/DataRange.h"
#include "velk/data/StringSplit.h"
#include "velk/data/vlkXmlData.h"
#include "velk/game/FxMap.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

#include <new>

namespace {

vlkGameSettings* CreatePlainSettings() {
    return new (std::nothrow) vlkGameSettings;
}

GameSettingsCreator gSettingsCreator = CreatePlainSettings;
ConfigTablesReader gConfigTablesReader = nullptr;
ModeFilesReader gModeFilesReader = nullptr;

struct IntField {
    const char* key;
    int* value;
};

// Each value held to lowest..highest where it is read.
void ReadInts(vlkXmlData& data, const char* table, const IntField* fields, size_t count, int lowest,
              int highest) {
    for (size_t i = 0; i < count; ++i) {
        const TString element = TString::Format("%s.%s", table, fields[i].key);
        *fields[i].value =
            ClampDataInt(data.GetFileName().CStr(), element.CStr(),
                         data.GetValue(table, fields[i].key).ToInt(), lowest, highest);
    }
}

template <size_t N>
void ReadInts(vlkXmlData& data, const char* table, const IntField (&fields)[N], int lowest,
              int highest) {
    ReadInts(data, table, fields, N, lowest, highest);
}

int ReadInt(vlkXmlData& data, const char* table, const char* key, int lowest, int highest) {
    const TString element = TString::Format("%s.%s", table, key);
    return ClampDataInt(data.GetFileName().CStr(), element.CStr(),
                        data.GetValue(table, key).ToInt(), lowest, highest);
}

} // namespace

void SetGameSettingsCreator(GameSettingsCreator creator) {
    gSettingsCreator = creator ? creator : CreatePlainSettings;
}

void SetGameDataLoaders(ConfigTablesReader configTables, ModeFilesReader modeFiles) {
    gConfigTablesReader = configTables;
    gModeFilesReader = modeFiles;
}

void ReadGameTuning(vlkXmlData& data) {
    TGameTuning& tuning = gGameTuning;
    TGameTuning::Game& game = tuning.game;
    game.lives = ReadInt(data, "game", "lives", 0, 1000);
    game.bonus = ReadInt(data, "game", "bonus", -kMaxDataCount, kMaxDataCount);
    game.velocity =
        ClampDataFloat(data.GetFileName().CStr(), "game.velocity",
                       data.GetValue("game", "velocity").ToFloat(), 0.0f, 100000.0f, 0.0f);
    game.bonusRound = ReadInt(data, "game", "bonusRound", -kMaxDataCount, kMaxDataCount);
    game.facebook = data.GetValue("game", "facebook");
    game.fx = data.GetValue("game", "fx");

    TGameTuning::Score& score = tuning.score;
    ReadInts(data, "score",
             {{"match", &score.match},
              {"chain", &score.chain},
              {"deltaChain", &score.deltaChain},
              {"combo", &score.combo},
              {"deltaCombo", &score.deltaCombo},
              {"bonus", &score.bonus},
              {"deltaBonus", &score.deltaBonus},
              {"clearedAllTiles", &score.clearedAllTiles},
              {"jokerBonus", &score.jokerBonus}},
             -kMaxDataCount, kMaxDataCount);

    TGameTuning::Time& time = tuning.time;
    ReadInts(data, "time",
             {{"preLevel", &time.preLevel},
              {"initLevel", &time.initLevel},
              {"freeze", &time.freeze},
              {"showtime", &time.showtime},
              {"showCards", &time.showCards},
              {"revealWait", &time.revealWait},
              {"intervalShowCards", &time.intervalShowCards},
              {"intervalHideCards", &time.intervalHideCards},
              {"showGolden", &time.showGolden},
              {"intervalShowGolden", &time.intervalShowGolden},
              {"clearTiles", &time.clearTiles},
              {"goldenAnim", &time.timerPeriods[0]},
              {"standAnim", &time.timerPeriods[1]},
              {"matchAnim", &time.timerPeriods[2]},
              {"bonusMatchAnim", &time.timerPeriods[3]},
              {"vanishAnim", &time.vanishAnim},
              {"hideAnim", &time.hideAnim},
              {"showAnim", &time.showAnim}},
             0, kMaxDataTimeMs);

    // Read in the file's order; stored by achievement number, where
    // showtime comes before sidewinder.
    auto& thresholds = tuning.achieve.thresholds;
    ReadInts(data, "achieve",
             {{"score", &thresholds[TGameTuning::kScore]},
              {"bomb", &thresholds[TGameTuning::kBomb]},
              {"freeze", &thresholds[TGameTuning::kFreeze]},
              {"wild", &thresholds[TGameTuning::kWild]},
              {"sidewinder", &thresholds[TGameTuning::kSidewinder]},
              {"showtime", &thresholds[TGameTuning::kShowtime]},
              {"screen1", &thresholds[TGameTuning::kScreen1]},
              {"screen5", &thresholds[TGameTuning::kScreen5]}},
             0, kMaxDataCount);
    SplitInts(tuning.achieve.unlockInQuestMode, data.GetValue("achieve", "unlockInQuestMode"), ',');

    // The board geometry, the tile kinds and the quest-map nodes are read
    // with the level data; the node file's name is kept for them.
    game.metamap = data.GetValueOr("game", "metamap", TString(""));
    tuning.animation.spritetext =
        ReadInt(data, "animation", "spritetext", -kMaxDataCount, kMaxDataCount);
}

void LoadGameConfig(const TString& configFile, int screenWidth, int screenHeight) {
    vlkXmlData data(configFile);

    delete gAssetLists;
    gAssetLists =
        new (std::nothrow) TAssetLists(data.GetValueOr("game", "gameAssets", "assets.xml"));

    ReadGameTuning(data);
    LoadFxMap(gGameTuning.game.fx);
    if (gConfigTablesReader)
        gConfigTablesReader(data);

    delete gGameSettings;
    gGameSettings = gSettingsCreator();

    if (TApplication* application = TApplication::Get())
        application->SetDisplayMode(screenWidth, screenHeight,
                                    gGameSettings && gGameSettings->IsFullScreen());

    if (gModeFilesReader)
        gModeFilesReader();
}
