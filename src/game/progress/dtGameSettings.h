#pragma once

#include "game/levels/LevelServices.h"
#include "velk/settings/vlkGameSettings.h"

#include <cstdint>

class clsMetamap;
class dtUserState;

// The game's settings object: the studio layer's settings and player list,
// plus the current player's progress. It owns the progress record
// (dtUserState, which owns the quest map) and moves it to and from the
// player's record in the preferences database, one key per value; a
// profile whose "UserDataVersion" is not 3 is replaced by the defaults.
// The script global "gGameStyle" chooses the keys: quick play (empty or
// "quick") or the quest (anything else).
//
// One instance lives from start-up to exit in the settings global. While
// it lives it is the levels' progress store, and the levels' quest map is
// the one of the record it last loaded; every load replaces the record and
// its map, so holders take them again after a load. Main thread only.
class dtGameSettings : public vlkGameSettings, public ProgressStore {
public:
    // The layout of a stored profile ("UserDataVersion"): a profile of
    // another version is read as a fresh one.
    static constexpr int kProfileVersion = 3;

    // Binds "gfn_changeUserData", "gnf_changeAvatar",
    // "gfn_isShownInstruction" and "gfn_getCurrentUserAvatar".
    dtGameSettings();
    ~dtGameSettings() override;

    // The record loaded last; null before the first load.
    dtUserState* GetUserState() override;
    // Replaces the record by the current player's stored one.
    void LoadUserData() override;
    // Writes the record in one transaction: all of it or, when a store
    // fails, none of it (logged). False then.
    bool Save();
    void SaveUserData() override { Save(); }
    // Load, then save: after the current player changed.
    void ChangeUserData();
    // Stores the quest map alone as "UserMetamap".
    void SaveMetamap() override;
    // One value of the current player, committed at once.
    void SetCurrentUserInt(const TString& key, int value) override;

    // The values of a player without a valid profile; nothing is stored.
    void SetDefaultUserData(dtUserState* state);

    // "boy" 0, "girl" 1, "dog" 2, "cat" 3; anything else 0. Stored at once.
    void ChangeAvatar(const TString& name);
    // The mode's bit in the instructions shown ("Classic" 1, "Blitz" 2,
    // "Strategy" 4, "Rome" 8, "Joker" 16): 1 when it was clear (it is set
    // and stored), 0 when it was set already or the name is none of these.
    int MarkInstructionShown(const TString& modeName);
    // The avatar name a player's "UserAvatar" gives; empty for an unknown
    // code.
    TString GetUserAvatarName(int userIndex);
    TString GetCurrentUserAvatarName();

    // The current player's "vlkFirstTime" (player 0 when none is current).
    void ClearFirstTime();
    bool IsFirstTime();

    int32_t GetAvatar() const { return mAvatar; }

private:
    void ReplaceUserState(dtUserState* state);
    // Whether the script's style is quick play.
    static bool IsQuickStyle();

    int32_t mAvatar = 0;
};

// Mode 1 "Classic", 2 "Strategy", 3 "Blitz", 4 "Joker", 5 "Rome"; other
// indices give the empty text and names compare lower-cased, -1 for others.
int ModeIndexFromName(const TString& name);
TString ModeNameFromIndex(int index);

// Makes the start-up create a dtGameSettings and load the current player's
// profile once the game data is read.
void InstallGameSettings();
