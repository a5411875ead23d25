#include "velk/game/vlkGameLevel.h"

#include "framework/host/TGameState.h"

void vlkGameLevel::Start() {
    mRunning = true;
    mPaused = false;
}

TString GetGameStateValue(const TString& name) {
    TGameState* registry = TGameState::GetInstance();
    return registry ? registry->GetState(name) : TString();
}
