#pragma once

#include "framework/core/text/TString.h"

class QuestMap;
class dtUserState;

// The services outside the board that the game object and the levels use,
// each as narrow as their calls, so that tests can stand in for them:
// the screens' script, the game's sounds, the game-state registry and the
// player's stored progress. GetLevelServices gives the ones in use; by
// default they reach the real program (the window manager's script, the
// game's asset lists, the registry); the progress store has no default and
// its calls are skipped until the program sets one.

// The window manager's script, in which the screens run.
class GameScripts {
public:
    virtual ~GameScripts() = default;
    // False when there is no script or the statement failed.
    virtual bool RunString(const TString& statement) = 0;
    // A global as text; empty when unset.
    virtual TString GetGlobalString(const char* name) = 0;
};

// The game's named sounds.
class GameSounds {
public:
    virtual ~GameSounds() = default;
    // Looped, or once unless the asset map suppresses the name.
    virtual void Play(const TString& name, bool loop) = 0;
    // Stops every playing instance of the sound.
    virtual void Stop(const TString&) {}
};

// The game-state registry.
class GameStates {
public:
    virtual ~GameStates() = default;
    virtual TString GetValue(const TString& name) = 0;
};

// The current player's stored progress and the record it fills.
class ProgressStore {
public:
    virtual ~ProgressStore() = default;
    // The progress record of the current player; null when none.
    virtual dtUserState* GetUserState() = 0;
    // Reads every value of the current player into the user state.
    virtual void LoadUserData() = 0;
    virtual void SaveUserData() = 0;
    // Stores the quest map only.
    virtual void SaveMetamap() = 0;
    // One value of the current player, committed at once.
    virtual void SetCurrentUserInt(const TString& key, int value) = 0;
};

struct LevelServices {
    GameScripts* scripts = nullptr;
    GameSounds* sounds = nullptr;
    GameStates* states = nullptr;
    ProgressStore* progress = nullptr;
    // The current player's quest map; null when the player has none.
    QuestMap* questMap = nullptr;
};

// The services in use; never null members except the progress store and
// the quest map.
LevelServices& GetLevelServices();

// The program's own services (used when no test replaces them).
GameScripts& GetDefaultGameScripts();
GameSounds& GetDefaultGameSounds();
GameStates& GetDefaultGameStates();

// Swaps in other services for its lifetime; null members keep the ones in
// use.
class ScopedLevelServices {
public:
    explicit ScopedLevelServices(const LevelServices& services);
    ~ScopedLevelServices();
    ScopedLevelServices(const ScopedLevelServices&) = delete;
    ScopedLevelServices& operator=(const ScopedLevelServices&) = delete;

private:
    LevelServices mPrevious;
};

// Thin forms over the services in use.
bool RunLevelScript(const TString& statement);
TString GetScriptGlobal(const char* name);
void PlayLevelSound(const TString& name, bool loop);
void StopLevelSound(const TString& name);
