#include "velk/GameStartup.h"

#include "framework/app/StartupTrace.h"
#include "framework/app/TApplication.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/system/TEvent.h"
#include "framework/script/engine/LuaState.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "velk/assets/MenuMusic.h"
#include "velk/assets/TAssetLists.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/game/GameConfig.h"
#include "velk/game/vlkGame.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

#include <cstdio>

namespace {

constexpr int kTextureBudget = 192000000;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

std::span<const GameWindowType> gWindowTypes;
int gExitCode = 0;

// The screen coroutine ended in a script error: nothing answers the
// window's buttons any more, the quit question included.
bool ScreenScriptDied() {
    TScript* script = GetGameScript();
    return script && script->CoroutineFailed() && !script->InCoroutine();
}

// What the loop does itself before the window manager gets the event.
// False when the game must end now.
bool ReactToEvent(const TEvent& event) {
    switch (event.type) {
    case kEventCloseRequest:
        if (ScreenScriptDied()) {
            LogPrintf("Closed while the screen script is dead: quitting without the quit question");
            return false;
        }
        if (gCurrentGame)
            gCurrentGame->OnCloseRequest();
        // A number: a boolean or nil reads 0.
        if (TScript* script = GetGameScript();
            script && script->GetGlobalNumber("gQuitVerifyActive") == 0)
            RunLuaString("DoModal('scripts/quit_verify.lua')");
        break;
    case kEventFullScreenToggle:
        if (gGameSettings)
            gGameSettings->StoreFullScreenState();
        break;
    case kEventActivation:
        if (gCurrentGame)
            gCurrentGame->SetPaused(event.code != 1);
        SetWindowActivatedState(event.code);
        break;
    default:
        break;
    }
    return true;
}

} // namespace

StartupRecord MakeGameStartupRecord() {
    StartupRecord record;
    record.title = "Corvalo";
    record.publisher = "Halvenmark";
    record.keyString = "KrvdsPomeXXX";
    record.gameHandle = record.title;
    return record;
}

void ApplyStartupRecord(const StartupRecord& record) {
    auto text = [](const char* value) { return TString(value ? value : ""); };
    SetSetting(TSettingKey::kPublisher, text(record.publisher));
    SetSetting(TSettingKey::kGameName, text(record.title));
    SetSetting(TSettingKey::kUtf8Mode, "1");
    SetSetting(TSettingKey::kAutoMergeMask, "1");
    SetSetting(TSettingKey::kHitTestChildren, "1");
    SetSetting(TSettingKey::kEncryptionKey, text(record.keyString));
    SetSetting(TSettingKey::kNbGameHandle, text(record.gameHandle));
}

void RegisterGameWindowType(const TString& typeName, TWindowCreator creator) {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->RegisterWindowType(typeName, creator);
}

void SetGameWindowTypes(std::span<const GameWindowType> types) {
    gWindowTypes = types;
}

int GameMain(TApplication* application, const char*) {
    if (!application)
        return 0;
    gExitCode = 0;
    InitApplication(kTextureBudget);
    TraceStartup("game settings");
    LoadGameConfig("config.xml", kScreenWidth, kScreenHeight);
    TraceStartup("game config");
    if (gAssetLists)
        gAssetLists->LoadFixedAssets();
    TraceStartup("fixed assets");
    SetGameCursor("gpx/cursor/arrow", 0, 0);
    for (const GameWindowType& type : gWindowTypes)
        RegisterGameWindowType(TString(type.name), type.creator);
    {
        // Holds the menu music for the whole run; nothing plays yet.
        MainMenuMusicHolder menuMusic;
        // The start-up script runs before the loop's first pass: it is
        // timed from here, so one that never returns is stopped too.
        LuaNoteProgress();
        RunLuaFile("scripts/main.lua");
        TraceStartup("start-up script");
        SetWindowActivatedState(1);

        TWindowManager* manager = application->GetWindowManager();
        TEvent event;
        event.x = 0;
        event.y = 0;
        bool deathReported = false;
        for (;;) {
            application->GetEvent(event);
            if (event.type == kEventQuit)
                break;
            if (!deathReported && ScreenScriptDied()) {
                deathReported = true;
                gExitCode = 1;
                const TString error = GetGameScript()->CoroutineError();
                LogPrintf("The screen script ended in an error: %s", error.CStr());
                std::fprintf(stderr,
                             "The screen script ended in an error: %s\n"
                             "The game cannot go on; close its window to quit.\n",
                             error.CStr());
            }
            if (!ReactToEvent(event))
                break;
            if (manager)
                manager->HandleEvent(event);
        }
        DestroyGameGlobals();
        DestroyGameAssetMap();
    }
    return gExitCode;
}

int GameEntry(uintptr_t instance, uintptr_t previousInstance, const char* commandLine,
              int showCommand, std::span<const GameWindowType> windowTypes) {
    ApplyStartupRecord(MakeGameStartupRecord());
    SetGameWindowTypes(windowTypes);
    gExitCode = 0;
    ApplicationMain(instance, previousInstance, commandLine, showCommand, GameMain, false);
    return gExitCode;
}
