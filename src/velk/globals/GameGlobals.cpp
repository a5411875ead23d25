#include "velk/globals/GameGlobals.h"

#include "framework/app/TApplication.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TTexture.h"
#include "framework/host/TGameState.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/manager/TWindowManager.h"
#include "velk/assets/TAssetLists.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/settings/vlkGameSettings.h"

#include <new>

TApplication* gGameApplication = nullptr;
TGraphics* gGameGraphics = nullptr;
TWindowManager* gGameWindowManager = nullptr;
TStringTable* gGameStringTable = nullptr;
vlkGame* gCurrentGame = nullptr;
vlkGameSettings* gGameSettings = nullptr;
TAssetLists* gAssetLists = nullptr;
TGameAssetMap* gGameAssetMap = nullptr;
TWindow* gCurrentContainer = nullptr;
TClock* gGameClock = nullptr;
std::shared_ptr<TTexture> gGameCursorImage;
int gGameCursorHotX = 0;
int gGameCursorHotY = 0;
int32_t GameStyleCode = 0;

namespace {

TString Locale() {
    return GetSetting("locale", "en");
}

} // namespace

void InitApplication(int textureBudget) {
    gGameApplication = TApplication::Get();
    gGameGraphics = TGraphics::Get();
    gGameWindowManager = TWindowManager::Instance();
    gGameStringTable = gGameApplication ? gGameApplication->GetStringTable() : nullptr;

    SetSetting(kSettingTextureMemoryMax, TString::Format("%d", textureBudget));
    gGameGraphics->SetOption("new_subtractive", "1");
    gGameGraphics->SetOption("new_render_blend", "1");
    gGameGraphics->SetOption("texture_rectangle", "1");
    gGameGraphics->SetOption("fps", "0");
    SetSetting(TSettingKey::kAnimatedParticles, "1");

    if (gGameStringTable) {
        gGameStringTable->LoadFile(TString::Format("loc/%s/strings.xml", Locale().CStr()));
        if (gGameApplication)
            gGameApplication->SetWindowTitle(gGameStringTable->GetString("window_title"));
    }

    if (TScript* script = GetGameScript()) {
        script->SetGlobalNumber("qvd_Debug", 0);
        script->SetGlobalString("qvd_LocalizedPath", TString::Format("loc/%s/", Locale().CStr()));
    }

    gGameAssetMap = new (std::nothrow) TGameAssetMap;
}

TScript* GetGameScript() {
    TWindowManager* manager = TWindowManager::Instance();
    return manager ? manager->GetScript() : nullptr;
}

bool RunLuaFile(const TString& path) {
    TScript* script = GetGameScript();
    return script && script->DoFile(path);
}

void DestroyGameGlobals() {
    delete gGameSettings;
    gGameSettings = nullptr;
    delete gAssetLists;
    gAssetLists = nullptr;
    // The cursor picture goes before the display that holds its texture.
    gGameCursorImage.reset();
}

void SetGameCursor(const TString& imageName, int hotX, int hotY) {
    gGameCursorImage = TTexture::Get(imageName, 0);
    gGameCursorHotX = hotX;
    gGameCursorHotY = hotY;
    if (TApplication* application = TApplication::Get())
        application->SetMouseCursor(gGameCursorImage, hotX, hotY, 1);
}

void SetWindowActivatedState(int value) {
    if (TGameState* state = TGameState::GetInstance())
        state->SetStateInt("WindowActivated", value);
}
