#include "game/screens/PlayerRecord.h"

#include "framework/core/prefs/TPrefsDB.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

namespace {

constexpr const char* kAvatarNames[] = {"boy", "girl", "dog", "cat"};
constexpr int kGlobal = -1;

// The player the first-start flag belongs to: "vlkUser", 0 when unset.
int FlagOwner(TPrefsDB& prefs) {
    return prefs.GetInt(TString("vlkUser"), 0, kGlobal);
}

} // namespace

bool IsPlayerFirstTime() {
    TPrefsDB* prefs = gGameSettings ? gGameSettings->GetPrefs() : nullptr;
    if (!prefs)
        return false;
    return prefs->GetInt(TString("vlkFirstTime"), 0, FlagOwner(*prefs)) == 0;
}

void ClearPlayerFirstTime() {
    TPrefsDB* prefs = gGameSettings ? gGameSettings->GetPrefs() : nullptr;
    if (prefs)
        prefs->SetInt(TString("vlkFirstTime"), 1, FlagOwner(*prefs), true);
}

void SetCurrentUser(int32_t index) {
    TPrefsDB* prefs = gGameSettings ? gGameSettings->GetPrefs() : nullptr;
    if (prefs && index >= 0 && index < gGameSettings->GetUserCount())
        prefs->SetInt(TString("vlkUser"), index, kGlobal, true);
}

int32_t GetCurrentUserAvatar() {
    if (!gGameSettings)
        return 0;
    return gGameSettings->GetUserInt(TString("UserAvatar"), 0,
                                     gGameSettings->GetCurrentUserIndex());
}

TString GetUserAvatarName(int32_t index) {
    if (!gGameSettings || index < 0 || index >= gGameSettings->GetUserCount())
        return TString();
    return TString(AvatarNameOfCode(gGameSettings->GetUserInt(TString("UserAvatar"), 0, index)));
}

int32_t AvatarCodeOfName(const TString& name) {
    for (int32_t code = 0; code < 4; ++code)
        if (name == TString(kAvatarNames[code]))
            return code;
    return 0;
}

const char* AvatarNameOfCode(int32_t code) {
    return code >= 0 && code < 4 ? kAvatarNames[code] : "";
}
