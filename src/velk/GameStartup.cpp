#include "velk/GameStartup.h"

#include "framework/app/TApplication.h"
#include "framework/app/TEvent.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/ui/TWindowManager.h"

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// The colour behind everything until the windows draw themselves.
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

bool DrawGameFrame() {
    TGraphics* graphics = TGraphics::Get();
    if (!graphics->BeginDraw())
        return false;
    const TRect viewport = graphics->GetViewport();
    graphics->FillRect(TRect(0, 0, viewport.right - viewport.left, viewport.bottom - viewport.top),
                       kBackground);
    graphics->EndDraw(true);
    return true;
}

int GameMain(TApplication* application, const char*) {
    if (!application) {
        return 0;
    }
    application->SetDisplayMode(kScreenWidth, kScreenHeight, false);
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
        if (TWindowManager* manager = application->GetWindowManager()) {
            manager->HandleEvent(event);
        }
        if (event.type == kEventIdle) {
            DrawGameFrame();
        }
    }
    return 0;
}

int GameEntry(uintptr_t instance, uintptr_t previousInstance, const char* commandLine,
              int showCommand) {
    ApplyStartupRecord(MakeGameStartupRecord());
    ApplicationMain(instance, previousInstance, commandLine, showCommand, GameMain, false);
    return 0;
}
