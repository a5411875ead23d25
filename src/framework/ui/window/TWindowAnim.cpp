#include "framework/ui/window/TWindowAnim.h"

#include "framework/ui/window/TWindow.h"

TWindowAnim::~TWindowAnim() {
    if (mWindow && mWindow->mAnimator == this) {
        mWindow->mAnimator = nullptr;
        mWindow->mAnimatorPending = false;
    }
}

bool TWindowAnim::Step() {
    return mWindow && mWindow->OnAnimate();
}
