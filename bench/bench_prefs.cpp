// Measures how many SetValue calls per second the preferences database
// makes with a commit each (every value reaches the disk) and without (the
// values wait in the open transaction), and how many GetValue calls.
//
//   bench_prefs [folder]   (default: a new folder under /tmp)
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/core/settings/TSettings.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Runs body for at least minSeconds (and at least minCalls calls) and
// gives the calls per second.
template <typename Body> double Rate(double minSeconds, int minCalls, Body body) {
    int calls = 0;
    Clock::time_point start = Clock::now();
    double elapsed = 0;
    do {
        body(calls++);
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < minSeconds || calls < minCalls);
    return calls / elapsed;
}

} // namespace

int main(int argc, char** argv) {
    std::string folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        char pattern[] = "/tmp/corvalo-bench-prefs-XXXXXX";
        if (!mkdtemp(pattern)) {
            std::perror("mkdtemp");
            return 1;
        }
        folder = pattern;
    }
    std::string path = folder + "/prefsdb.dat";
    SetSetting(TSettingKey::kEncryptionKey, "bench-key");

    double committed = 0, uncommitted = 0, reads = 0;
    {
        TPrefsDB db(TString(path), true);
        if (!db.IsPersistent()) {
            std::fprintf(stderr, "bench_prefs: cannot open %s\n", path.c_str());
            return 1;
        }
        committed = Rate(2.0, 20, [&](int i) {
            db.SetValue(TString::Format("committed%d", i % 500), TString::Format("value %d", i),
                        i % 4, true);
        });
        uncommitted = Rate(2.0, 1000, [&](int i) {
            db.SetValue(TString::Format("pending%d", i % 500), TString::Format("value %d", i),
                        i % 4, false);
        });
        db.Commit();
        reads = Rate(2.0, 1000,
                     [&](int i) { db.GetValue(TString::Format("pending%d", i % 500), "", i % 4); });
    }

    std::printf("database: %s\n", path.c_str());
    std::printf("SetValue with commit:    %10.0f calls/s\n", committed);
    std::printf("SetValue without commit: %10.0f calls/s\n", uncommitted);
    std::printf("GetValue:                %10.0f calls/s\n", reads);

    if (argc <= 1) {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
    return 0;
}
