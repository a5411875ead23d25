#include "velk/GameStartup.h"

#include "framework/app/TApplication.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/system/TEvent.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TScreen.h"
#include "velk/globals/GameGlobals.h"

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// The screen's colour, behind every window.
constexpr TColor kBackground(0.08f, 0.10f, 0.16f, 1.0f);

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

int GameMain(TApplication* application, const char*) {
    if (!application) {
        return 0;
    }
    application->SetDisplayMode(kScreenWidth, kScreenHeight, false);
    SetGameCursor("gpx/cursor/arrow", 0, 0);
    // The start-up script: the function it returns becomes the screen
    // coroutine.
    RunLuaFile("scripts/main.lua");
    TWindowManager* manager = application->GetWindowManager();
    if (manager && manager->GetMainWindow() &&
        manager->GetMainWindow()->IsKindOf(TScreen::GetClassId())) {
        static_cast<TScreen*>(manager->GetMainWindow())->SetBackgroundColor(kBackground);
    }
    TEvent event;
    for (;;) {
        application->GetEvent(event);
        if (event.type == kEventQuit) {
            break;
        }
        // Nothing asks to keep the game open yet: closing the window ends it.
        if (event.type == kEventCloseRequest) {
            application->PostQuit(0);
        }
        if (manager) {
            manager->HandleEvent(event);
        }
    }
    DestroyGameGlobals();
    return 0;
}

int GameEntry(uintptr_t instance, uintptr_t previousInstance, const char* commandLine,
              int showCommand) {
    ApplyStartupRecord(MakeGameStartupRecord());
    ApplicationMain(instance, previousInstance, commandLine, showCommand, GameMain, false);
    return 0;
}
