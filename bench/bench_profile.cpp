// Measures the save of a player's profile at the end of a level: one
// SaveUserData of the game's settings object (one transaction, one commit)
// in quick play (88 values) and in the quest (25 values) on a database
// file, beside the same number of values stored with a commit each, as a
// save that commits every value would.
//
//   bench_profile [folder]   (default: a new folder under /tmp)
#include "framework/core/files/TFileSystem.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/core/settings/TSettings.h"
#include "game/data/ModeFiles.h"
#include "game/levels/LevelServices.h"
#include "game/progress/dtGameSettings.h"
#include "game/state/dtUserState.h"
#include "velk/data/vlkXmlData.h"
#include "velk/game/GameConfig.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The style the settings object reads from the script.
class StyleScript : public GameScripts {
public:
    bool RunString(const TString&) override { return true; }
    TString GetGlobalString(const char* name) override {
        return std::string(name) == "gGameStyle" ? style : TString("");
    }
    TString style;
};

template <typename Body> double MedianMs(int runs, Body body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const Clock::time_point start = Clock::now();
        body(i);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    std::string folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        char pattern[] = "/tmp/corvalo-bench-profile-XXXXXX";
        if (!mkdtemp(pattern)) {
            std::perror("mkdtemp");
            return 1;
        }
        folder = pattern;
    }
    SetSetting(TSettingKey::kEncryptionKey, "bench-key");
    SetUserDataFolder(TString(folder.c_str()));
    const TString assets = TString("::") + TString(CORVALO_SOURCE_ASSETS);
    vlkXmlData config(assets + TString("/config.xml"));
    ReadGameTuning(config);
    LoadConfigTables(config, assets);
    LoadModeFiles(assets);

    StyleScript script;
    LevelServices services;
    services.scripts = &script;
    ScopedLevelServices installed(services);

    dtGameSettings settings;
    TPrefsDB& prefs = *settings.GetPrefs();
    if (!prefs.IsPersistent()) {
        std::fprintf(stderr, "bench_profile: cannot open the database in %s\n", folder.c_str());
        return 1;
    }
    prefs.SetValue("vlkName", "Bench", 0, true);
    prefs.SetInt("vlkUser", 0, -1, true);
    constexpr int kRuns = 30;
    std::printf("bench_profile: one save on %s/prefsdb.dat, median of %d\n", folder.c_str(), kRuns);
    const struct {
        const char* style;
        int values;
    } styles[] = {{"quick", 88}, {"quest", 25}};
    for (const auto& s : styles) {
        script.style = TString(s.style);
        settings.ChangeUserData();
        const double save = MedianMs(kRuns, [&](int i) {
            // A value of each style changes, so that every save writes.
            settings.GetUserState()->totalScore = i;
            settings.GetUserState()->combo25 = i;
            settings.SaveUserData();
        });
        const double perValue = MedianMs(kRuns, [&](int i) {
            for (int v = 0; v < s.values; ++v)
                prefs.SetInt(TString::Format("BenchValue%d", v), i, 0, true);
        });
        std::printf("  %-5s SaveUserData (%2d values, one commit): %8.3f ms\n", s.style, s.values,
                    save);
        std::printf("  %-5s %2d values, one commit each:          %8.3f ms\n", s.style, s.values,
                    perValue);
    }
    if (argc <= 1) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return 0;
}
