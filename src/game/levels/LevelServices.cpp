#include "game/levels/LevelServices.h"

#include "framework/script/host/TScript.h"
#include "framework/sound/asset/TSound.h"
#include "framework/ui/script/TWindowScript.h"
#include "velk/assets/MenuMusic.h"
#include "velk/assets/TAssetLists.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/game/vlkGameLevel.h"
#include "velk/globals/GameGlobals.h"

namespace {

class WindowScript : public GameScripts {
public:
    bool RunString(const TString& statement) override { return RunLuaString(statement); }
    TString GetGlobalString(const char* name) override {
        TScript* script = GetGameScript();
        return script ? script->GetGlobalString(name) : TString();
    }
};

class AssetListSounds : public GameSounds {
public:
    void Play(const TString& name, bool loop) override {
        if (!gAssetLists)
            return;
        if (!loop && gGameAssetMap && gGameAssetMap->IsSoundSuppressed(name))
            return;
        PlaySoundAsset(gAssetLists->GetSound(name), loop);
    }
    void Stop(const TString& name) override {
        if (!gAssetLists)
            return;
        if (std::shared_ptr<TSound> sound = TSound::Get(name))
            sound->StopAll();
    }
};

class RegistryStates : public GameStates {
public:
    TString GetValue(const TString& name) override { return GetGameStateValue(name); }
};

LevelServices& Current() {
    static LevelServices services{&GetDefaultGameScripts(), &GetDefaultGameSounds(),
                                  &GetDefaultGameStates(), nullptr, nullptr};
    return services;
}

} // namespace

GameScripts& GetDefaultGameScripts() {
    static WindowScript scripts;
    return scripts;
}

GameSounds& GetDefaultGameSounds() {
    static AssetListSounds sounds;
    return sounds;
}

GameStates& GetDefaultGameStates() {
    static RegistryStates states;
    return states;
}

LevelServices& GetLevelServices() {
    return Current();
}

ScopedLevelServices::ScopedLevelServices(const LevelServices& services) : mPrevious(Current()) {
    LevelServices& current = Current();
    if (services.scripts)
        current.scripts = services.scripts;
    if (services.sounds)
        current.sounds = services.sounds;
    if (services.states)
        current.states = services.states;
    if (services.progress)
        current.progress = services.progress;
    if (services.questMap)
        current.questMap = services.questMap;
}

ScopedLevelServices::~ScopedLevelServices() {
    Current() = mPrevious;
}

bool RunLevelScript(const TString& statement) {
    return GetLevelServices().scripts->RunString(statement);
}

TString GetScriptGlobal(const char* name) {
    return GetLevelServices().scripts->GetGlobalString(name);
}

void PlayLevelSound(const TString& name, bool loop) {
    GetLevelServices().sounds->Play(name, loop);
}

void StopLevelSound(const TString& name) {
    GetLevelServices().sounds->Stop(name);
}
