#include "velk/game/vlkGame.h"

#include "velk/game/vlkGameLevel.h"
#include "velk/globals/GameGlobals.h"

vlkGame::~vlkGame() = default;

void vlkGame::SetPaused(bool paused) {
    if (mLevel)
        mLevel->SetPaused(paused);
}

void vlkGame::OnCloseRequest() {
    if (mLevel)
        mLevel->OnCloseRequest();
}

void vlkGame::StartLevel() {
    if (mLevel)
        mLevel->Start();
}

void vlkGame::OnKeyDown(int key, int modifiers) {
    if (mLevel)
        mLevel->OnKeyDown(key, modifiers);
}

void vlkGame::OnKeyUp(int key) {
    if (mLevel)
        mLevel->OnKeyUp(key);
}

void vlkGame::OnMouseDown(int x, int y) {
    if (mLevel)
        mLevel->OnMouseDown(x, y);
}

void vlkGame::OnMouseButton(int x, int y, int code) {
    if (mLevel)
        mLevel->OnMouseButton(x, y, code);
}

void vlkGame::OnMouseMove(int x, int y) {
    if (mLevel)
        mLevel->OnMouseMove(x, y);
}

void vlkGame::Update(uint32_t elapsed) {
    if (mLevel)
        mLevel->Update(elapsed);
}

void vlkGame::Draw() {
    if (mLevel)
        mLevel->Draw();
}

void vlkGame::SetLevel(vlkGameLevel* level) {
    mLevel.reset(level);
}

void vlkGame::PublishGameClock(TClock* ownerClock) {
    gGameClock = ownerClock;
}
