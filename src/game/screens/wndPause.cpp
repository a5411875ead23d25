#include "game/screens/wndPause.h"

#include "game/levels/LevelServices.h"
#include "game/screens/ScreenSound.h"
#include "velk/container/WindowVisibility.h"

#include <new>

wndPause::~wndPause() = default;

TWindow* wndPause::Create() {
    return new (std::nothrow) wndPause();
}

void wndPause::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    const bool quest = GetScriptGlobal("gGameStyle") == TString("quest");
    SetChildVisible(this, TString("btnAchievements"), quest, int32_t{2});
    SetChildVisible(this, TString("btnAchievementsDisabled"), !quest, int32_t{2});
    PlayScreenSound(TString("PauseUnpauseNode"));
}
