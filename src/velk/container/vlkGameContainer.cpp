#include "velk/container/vlkGameContainer.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TWindowAnim.h"
#include "velk/game/vlkGame.h"
#include "velk/globals/GameGlobals.h"

#include <new>

vlkGameContainer::vlkGameContainer(uint32_t forwardMask) {
    mFlags |= kWindowTakesFocus;
    mForwardMouseDown = (forwardMask & kForwardMouseDown) != 0;
    mForwardMouseButton = (forwardMask & kForwardMouseButton) != 0;
    mForwardMouseMove = (forwardMask & kForwardMouseMove) != 0;
    mForwardKeyDown = (forwardMask & kForwardKeyDown) != 0;
    mForwardKeyUp = (forwardMask & kForwardKeyUp) != 0;
    gCurrentContainer = this;
}

vlkGameContainer::~vlkGameContainer() {
    if (mGame) {
        mGame->EmptyHook4();
        delete mGame;
    }
    mGame = nullptr;
    gCurrentGame = nullptr;
    gCurrentContainer = nullptr;
}

TWindow* vlkGameContainer::Create() {
    return new (std::nothrow) vlkGameContainer(0);
}

void vlkGameContainer::Init(TWindowStyle& style) {
    TWindow::Init(style);
    TWindowAnim* animator = GetAnimator();
    mClock = animator ? animator->GetClock() : nullptr;
    mLastUpdate = mClock ? mClock->GetTime() : 0;
}

void vlkGameContainer::Draw() {
    if (mGame)
        mGame->Draw();
}

void vlkGameContainer::InvalidateWholeScreen() {
    InvalidateWindows();
}

bool vlkGameContainer::OnAnimate() {
    InvalidateChanges();
    if (!mClock) {
        // Made before it had a dialog: the task has its clock by now.
        TWindowAnim* animator = GetAnimator();
        mClock = animator ? animator->GetClock() : nullptr;
        if (!mClock)
            return true;
        mLastUpdate = mClock->GetTime();
    }
    const uint32_t now = mClock->GetTime();
    const uint32_t elapsed = now - mLastUpdate;
    mLastUpdate = now;
    if (mGame) {
        mGame->Update(elapsed);
    } else if (!mToldNoGame) {
        // A subclass that made no game: said once, not every frame.
        mToldNoGame = true;
        LogPrintf("Game container '%s' has no game object to update", GetName().CStr());
    }
    return true;
}

bool vlkGameContainer::OnMouseDown(TPoint point) {
    if (mForwardMouseDown && mGame)
        mGame->OnMouseDown(point.x, point.y);
    return true;
}

bool vlkGameContainer::OnMouseButton(TPoint point, int32_t code) {
    if (mForwardMouseButton && mGame)
        mGame->OnMouseButton(point.x, point.y, code);
    return true;
}

bool vlkGameContainer::OnMouseMove(TPoint point) {
    mLastX = point.x;
    mLastY = point.y;
    if (mForwardMouseMove && mGame)
        mGame->OnMouseMove(point.x, point.y);
    return true;
}

bool vlkGameContainer::OnKeyDown(int8_t key, uint32_t modifiers) {
    if (mForwardKeyDown && mGame)
        mGame->OnKeyDown(key, static_cast<int>(modifiers));
    return false;
}

bool vlkGameContainer::OnKeyUp(int8_t key) {
    if (mForwardKeyUp && mGame)
        mGame->OnKeyUp(key);
    return true;
}
