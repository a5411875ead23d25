#pragma once

#include "framework/core/text/TString.h"

#include <memory>

class TPrefsDB;
struct lua_State;

// The player's progress record that the game's settings class keeps; the
// base of whatever the game stores per player.
class vlkUserProgress {
public:
    virtual ~vlkUserProgress() = default;
};

// The game's settings and its player profiles, kept in the preferences
// database: the current player ("vlkUser"), each player's name ("vlkName"),
// the sound and music volumes ("vlkSound", "vlkMusic"), mute
// ("vlkAudioMute") and full screen ("vlkVideo"). Every write commits. It
// gives the screens the "qvd_" script functions with which they create,
// choose, rename and delete players and read and write the current
// player's values. One instance lives in the settings global for the whole
// run; the game's own settings class derives from it and adds the progress
// record. Main thread only.
class vlkGameSettings {
public:
    // Registers the script functions in the window manager's script, opens
    // the database and applies the stored volumes.
    vlkGameSettings();
    vlkGameSettings(const vlkGameSettings&) = delete;
    vlkGameSettings& operator=(const vlkGameSettings&) = delete;
    // Closes the database and drops the progress record. The script
    // functions that still call this object are removed.
    virtual ~vlkGameSettings();

    // Pops every modal window that has a parent, leaving the lowest one
    // (the screen, where the main menu lives).
    virtual void QuitToMainMenu();

    // "vlkUser", -1 when no player is current.
    int GetCurrentUserIndex();
    // The name of the player "vlkUser" names (player 0 when none).
    TString GetCurrentUserName();
    TString GetUserName(int index);
    // The first player of that name, -1 when none.
    int FindUser(const TString& name);
    // A value of a player's record; 0 for an index that is not a player.
    int GetUserInt(const TString& key, int defaultValue, int index);
    int GetUserCount() const;

    // "vlkVideo" (1 by default) is 1.
    bool IsFullScreen();
    // Stores whether the application is in full screen now.
    void StoreFullScreenState();

    // Kind 1 is "vlkSound", 2 "vlkMusic", 3 "vlkAudioMute"; SetAudioSetting
    // ignores other kinds, GetAudioSetting reads mute for them.
    void SetAudioSetting(int kind, int value);
    int GetAudioSetting(int kind);
    // Applies the stored volumes and mute to the sound groups.
    void LoadSoundSettings();

    TPrefsDB* GetPrefs() const { return mPrefs.get(); }
    vlkUserProgress* GetProgress() const { return mProgress.get(); }

    // The script functions, one per "qvd_" name: arguments from stack
    // position 1, results pushed; each returns its number of results.
    int qvd_getNumUsers(lua_State* L);
    int qvd_createNewUser(lua_State* L);
    int qvd_setCurrentUser(lua_State* L);
    int qvd_changeCurrentUserName(lua_State* L);
    int qvd_deleteUser(lua_State* L);
    int qvd_isNameInUse(lua_State* L);
    int qvd_quitToMainMenu(lua_State* L);
    int qvd_getCurrentUserInt(lua_State* L);
    int qvd_setCurrentUserInt(lua_State* L);
    int qvd_getCurrentUserString(lua_State* L);
    int qvd_setCurrentUserString(lua_State* L);
    int qvd_toggleFullScreen(lua_State* L);
    int qvd_toggleSoundMute(lua_State* L);

protected:
    std::unique_ptr<vlkUserProgress> mProgress;

private:
    void RegisterScriptFunctions();
    void UnregisterScriptFunctions();
    // The master volume for a mute value.
    void ApplyMute(int mute);

    std::unique_ptr<TPrefsDB> mPrefs;
    // The state the script functions were registered in.
    lua_State* mScriptState = nullptr;
};
