#include "framework/ui/TWindowManager.h"

#include "framework/ui/TWindow.h"

namespace {
TWindowManager* gInstance = nullptr;
}

TWindowManager::TWindowManager() {
    gInstance = this;
}

TWindowManager::~TWindowManager() {
    if (gInstance == this) {
        gInstance = nullptr;
    }
    mModalStack.clear();
    delete mMainWindow;
    mScript.reset();
}

TWindowManager* TWindowManager::Instance() {
    return gInstance;
}

bool TWindowManager::SetScriptFlag(bool flag) {
    return mScript ? mSetScriptFlag(mScript.get(), flag) : false;
}

void TWindowManager::SetMainWindow(TWindow* window) {
    mMainWindow = window;
    mModalStack.push_back(window);
    mDirty = true;
}

TRect TWindowManager::GetScreenRect() const {
    return mMainWindow ? mMainWindow->GetRect() : TRect();
}

void TWindowManager::HandleEvent(const TEvent&) {
    ++mHandledEvents;
}
