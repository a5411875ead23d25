// Usage: profile_writer <user data folder> <game data folder> <encryption key>
//
// Saves the profiles of two players in turn, for ever, through the game's
// settings object over "prefsdb.dat" in the user data folder: save number
// r is player r % 2's, with every value of its progress record set to r
// (mode Classic, quick play) and the quest map's current node 0 with r
// lives. It goes on from the highest number already stored, and prints
// "r" on a line of its own once save r has returned, so that a test that
// kills it knows which saves were whole.
#include "framework/core/files/TFileSystem.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/core/settings/TSettings.h"
#include "game/data/GameIds.h"
#include "game/data/ModeFiles.h"
#include "game/progress/clsMetamap.h"
#include "game/progress/dtGameSettings.h"
#include "game/state/dtUserState.h"
#include "velk/data/vlkXmlData.h"
#include "velk/game/GameConfig.h"

#include <algorithm>
#include <cstdio>

namespace {

void FillRecord(dtUserState& u, int r) {
    u.mode = kModeClassic;
    u.avatar = r;
    for (int32_t* value : {&u.level, &u.lives, &u.bestCombo, &u.totalScore, &u.infiniteLevel,
                           &u.allQuest, &u.halfQuest})
        *value = r;
    u.quickDifficultyBits.fill(r);
    for (dtUserState::PerMode* table :
         {&u.score, &u.highScore, &u.modeLevel, &u.modeBestCombo, &u.modeLives})
        for (auto& row : *table)
            row.fill(r);
    if (clsMetamap* map = u.GetMetamap()) {
        map->SetCurrentNode(0);
        map->SetCurrentNodeLives(r);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <user data folder> <game data folder> <key>\n", argv[0]);
        return 2;
    }
    SetSetting(TSettingKey::kEncryptionKey, argv[3]);
    SetUserDataFolder(TString(argv[1]));
    const TString data = TString("::") + TString(argv[2]);
    vlkXmlData config(data + TString("/config.xml"));
    ReadGameTuning(config);
    LoadConfigTables(config, data);
    LoadModeFiles(data);

    dtGameSettings settings;
    TPrefsDB& prefs = *settings.GetPrefs();
    if (!prefs.IsPersistent()) {
        std::fprintf(stderr, "profile_writer: no database file\n");
        return 1;
    }
    for (int player = prefs.GetUserCount(); player < 2; ++player)
        prefs.SetValue("vlkName", player == 0 ? "A" : "B", player, true);
    int last = 0;
    for (int player = 0; player < 2; ++player)
        last = std::max(last, prefs.GetInt("ClassicUserTotalScore", 0, player));
    for (int r = last + 1;; ++r) {
        prefs.SetInt("vlkUser", r % 2, -1, true);
        settings.LoadUserData();
        FillRecord(*settings.GetUserState(), r);
        if (!settings.Save()) {
            std::fprintf(stderr, "profile_writer: save %d failed\n", r);
            return 1;
        }
        std::printf("%d\n", r);
        std::fflush(stdout);
    }
}
