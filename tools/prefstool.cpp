// prefstool: reads and writes values of a preferences database
// ("user:prefsdb.dat") from the command line, showing the enciphered bytes
// that are stored next to the text they decipher to.
//
//   prefstool [options] set <key> <value> [player]
//   prefstool [options] get <key> [player]
//   prefstool [options] players
//   prefstool [options] delete-player <player>
//   prefstool [options] quest <completed> <player>
//
// player is the 0-based player index; leave it out (or give -1) for the
// installation's global values.
//
// quest writes a player's quest map as if the first <completed> nodes had
// been won in order, each opening already shown on the world map, and the
// node after them open but not yet shown (the map celebrates it next
// time); the cat and the dog of the reward nodes won are unlocked, and the
// profile is marked as of the game's version, so the game reads it.
// <completed> runs from 0 (a fresh quest) to the node count (every node
// won, the end of the quest not yet celebrated).
//
// Options:
//   --dir <folder>       user data folder (default: the game's own, from its
//                        start-up record: publisher and title)
//   --key <text>         encryption key text (default: the game's own)
//   --install <text>     install key setting (default: the install key the
//                        game used last in that database, or "unknown")
//   --assets <folder>    the game's data for quest (default: "assets")
//
// The exit status is 0 when the command did what it says; 1 when the value
// or the deletion could not be saved (the database is locked, read-only, of
// a newer layout or damaged beyond repair: it was kept in memory only) or
// the database cannot be set up; 2 for a wrong command line.
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TFolder.h"
#include "framework/core/files/TMemoryFile.h"
#include "framework/core/log/TLog.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/core/settings/TSettings.h"
#include "game/data/GameDataLint.h"
#include "game/data/MetamapNodes.h"
#include "game/progress/TokenString.h"
#include "game/progress/clsMetamap.h"
#include "game/progress/dtGameSettings.h"
#include "velk/GameStartup.h"

#include <filesystem>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: prefstool [--dir folder] [--key text] [--install text] command\n"
                         "  set <key> <value> [player]\n"
                         "  get <key> [player]\n"
                         "  players\n"
                         "  delete-player <player>\n"
                         "  quest <completed> <player>   (--assets folder: the game's data)\n");
    return 2;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char digits[4];
    for (uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", b);
        text += digits;
    }
    return text;
}

bool ParsePlayer(const char* text, int& player) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < -1 || value >= TPrefsDB::kMaxUsers) {
        std::fprintf(stderr, "prefstool: \"%s\" is not a player index\n", text);
        return false;
    }
    player = static_cast<int>(value);
    return true;
}

void Show(TPrefsDB& db, const char* key, int player) {
    std::vector<uint8_t> stored;
    const char* table = player < 0 ? "globals" : "player";
    if (!db.GetStoredBytes(key, player, stored)) {
        std::printf("%s %d  %s: (not set)\n", table, player, key);
        return;
    }
    std::printf("%s %d  %s\n  stored (%zu bytes): %s\n  value: \"%s\"\n", table, player, key,
                stored.size(), Hex(stored).c_str(), db.GetValue(key, "", player).CStr());
}

// A change that reached only the copy in memory is lost when the tool ends.
int Unsaved(TPrefsDB& db, const char* what) {
    std::fprintf(stderr, "prefstool: %s was NOT saved: \"%s\" could not be used (see %s)\n", what,
                 db.GetPath().CStr(), GetLogFilePath().CStr());
    return 1;
}

constexpr int kRewardCat = 6;
constexpr int kRewardDog = 7;
// The best score written for each node won.
constexpr int kNodeScore = 1000;

// The quest map of a player who won the first completed nodes in order.
int WriteQuest(TPrefsDB& db, const std::string& assets, const char* count, int player) {
    const std::filesystem::path folder = std::filesystem::absolute(assets).lexically_normal();
    LoadAndLintGameData(TString(("::" + folder.string()).c_str()));
    const int nodes = GetNodeCount();
    if (nodes <= 0) {
        std::fprintf(stderr, "prefstool: no quest nodes in \"%s\" (config.xml, metamap.xml)\n",
                     folder.c_str());
        return 1;
    }
    char* end = nullptr;
    const long completed = std::strtol(count, &end, 10);
    if (!*count || *end || completed < 0 || completed > nodes) {
        std::fprintf(stderr, "prefstool: \"%s\" is not a count of nodes from 0 to %d\n", count,
                     nodes);
        return 2;
    }
    clsMetamap map;
    bool cat = false, dog = false;
    for (int i = 0; i < completed; ++i) {
        map.SetCurrentNode(i);
        map.CompleteCurrentNode(kNodeScore);
        map.GetNode(i)->unlockNotYetShown = false;
        cat = cat || map.GetNode(i)->GetDefinition()->reward == kRewardCat;
        dog = dog || map.GetNode(i)->GetDefinition()->reward == kRewardDog;
    }
    // As in the game, node 1 keeps the lock every node starts with: the
    // map's walk starts there whatever its lock says.
    TokenString text;
    map.Save(text);
    bool stored = db.SetInt("UserDataVersion", dtGameSettings::kProfileVersion, player, false) &&
                  db.SetValue("UserMetamap", text.text, player, false);
    if (stored && cat)
        stored = db.SetInt("UserCatUnlocked", 1, player, false);
    if (stored && dog)
        stored = db.SetInt("UserDogUnlocked", 1, player, false);
    if (!stored || !db.Commit()) {
        db.Rollback();
        std::fprintf(stderr, "prefstool: the quest map was not stored\n");
        return 1;
    }
    std::printf("quest: nodes 1-%ld won, %s\n", completed,
                completed < nodes ? "the next one open" : "every node won");
    Show(db, "UserMetamap", player);
    return db.IsPersistent() ? 0 : Unsaved(db, "the quest map");
}

} // namespace

int main(int argc, char** argv) {
    // The game's own publisher, title and key, so that the tool opens the
    // database the game reads.
    ApplyStartupRecord(MakeGameStartupRecord());
    TString folder;
    TString key = GetSetting(TSettingKey::kEncryptionKey);
    TString install;
    bool installGiven = false;
    std::string assets = "assets";
    int arg = 1;
    for (; arg + 1 < argc && std::strncmp(argv[arg], "--", 2) == 0; arg += 2) {
        if (std::strcmp(argv[arg], "--dir") == 0) {
            folder = argv[arg + 1];
        } else if (std::strcmp(argv[arg], "--key") == 0) {
            key = argv[arg + 1];
        } else if (std::strcmp(argv[arg], "--install") == 0) {
            install = argv[arg + 1];
            installGiven = true;
        } else if (std::strcmp(argv[arg], "--assets") == 0) {
            assets = argv[arg + 1];
        } else {
            return Usage();
        }
    }
    if (arg >= argc)
        return Usage();
    std::string command = argv[arg++];
    int rest = argc - arg;

    if (folder.IsEmpty())
        folder = GetDataFolder(false, GetSetting(TSettingKey::kGameName));
    if (folder.IsEmpty()) {
        std::fprintf(stderr, "prefstool: no user data folder; give one with --dir\n");
        return 1;
    }
    SetUserDataFolder(folder);
    // What the database has to say (a file set aside, values kept in
    // memory) goes to a log of the tool's own in that folder: the game's
    // log beside it, which a new log would replace, may belong to a game
    // that runs now.
    std::string logFolder = folder.ToStd();
    if (!logFolder.empty() && logFolder.back() == '/')
        logFolder.pop_back();
    logFolder += "/prefstool";
    StartLog(logFolder.c_str());
    SetSetting(TSettingKey::kEncryptionKey, key);
    SetSetting(TSettingKey::kInstallKey, install);
    // Without --install, an empty "install.txt" makes the database take the
    // install key it recorded last: the game's own installation.
    static const char kEmpty[1] = {0};
    if (!installGiven)
        RegisterMemoryFile("install.txt", kEmpty, 0);

    TPrefsDB db(true);
    std::printf("database: %s%s\ninstall key: %s\n", db.GetPath().CStr(),
                db.IsPersistent() ? "" : " (NOT persistent: see the log)",
                db.GetInstallKey().CStr());
    if (!db.IsPersistent())
        std::printf("log: %s\n", GetLogFilePath().CStr());

    int player = -1;
    if (command == "set" && (rest == 2 || rest == 3)) {
        if (rest == 3 && !ParsePlayer(argv[arg + 2], player))
            return 2;
        if (!db.SetValue(argv[arg], argv[arg + 1], player, true)) {
            std::fprintf(stderr, "prefstool: the value was not stored\n");
            return 1;
        }
        Show(db, argv[arg], player);
        return db.IsPersistent() ? 0 : Unsaved(db, "the value");
    }
    if (command == "get" && (rest == 1 || rest == 2)) {
        if (rest == 2 && !ParsePlayer(argv[arg + 1], player))
            return 2;
        Show(db, argv[arg], player);
        return 0;
    }
    if (command == "players" && rest == 0) {
        std::printf("players: %d\n", db.GetUserCount());
        return 0;
    }
    if (command == "delete-player" && rest == 1) {
        if (!ParsePlayer(argv[arg], player) || player < 0)
            return 2;
        const int before = db.GetUserCount();
        const int after = db.DeleteUser(player);
        std::printf("players: %d\n", after);
        return after == before || db.IsPersistent() ? 0 : Unsaved(db, "the deletion");
    }
    if (command == "quest" && rest == 2) {
        if (!ParsePlayer(argv[arg + 1], player) || player < 0)
            return 2;
        if (player >= db.GetUserCount()) {
            std::fprintf(stderr, "prefstool: there is no player %d (%d players)\n", player,
                         db.GetUserCount());
            return 1;
        }
        return WriteQuest(db, assets, argv[arg], player);
    }
    return Usage();
}
