// Usage: prefs_writer <database path> <count>
//
// Opens the preferences database at the path (key text "crash-test"),
// continues from the stored "counter" and commits, for each next number i,
// the global "v<i>" = "value-<i>", the player value "u<i>" = i for player
// i % 3 and "counter" = i, all in one commit. After each commit it prints i
// on its own line, so a reader knows which numbers are safely stored.
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/core/settings/TSettings.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <database path> <count>\n", argv[0]);
        return 2;
    }
    SetSetting(TSettingKey::kEncryptionKey, "crash-test");
    TPrefsDB db(argv[1], true);
    if (!db.IsPersistent()) {
        std::fprintf(stderr, "prefs_writer: database not opened\n");
        return 1;
    }
    int first = db.GetInt("counter", 0, -1) + 1;
    int count = std::atoi(argv[2]);
    for (int i = first; i < first + count; ++i) {
        db.SetValue(TString::Format("v%d", i), TString::Format("value-%d", i), -1, false);
        db.SetInt(TString::Format("u%d", i), i, i % 3, false);
        if (!db.SetInt("counter", i, -1, true)) {
            std::fprintf(stderr, "prefs_writer: commit %d failed\n", i);
            return 1;
        }
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return 0;
}
