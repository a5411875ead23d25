#include "game/screens/clsAnimWindow.h"

#include "framework/app/TApplication.h"
#include "framework/core/tasks/TClock.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TWindowAnim.h"
#include "velk/motion/TLinearMove.h"

#include <cstdlib>

namespace {

constexpr uint32_t kFrameMs = 16;
constexpr float kBounceDecay = 0.8f;
constexpr float kBounceEnd = 0.05f;

uint32_t AnimatorTime(TWindow& window) {
    TWindowAnim* animator = window.GetAnimator();
    TClock* clock = animator ? animator->GetClock() : nullptr;
    return clock ? clock->GetTime() : 0;
}

} // namespace

clsAnimWindow::clsAnimWindow() : mMove(std::make_unique<TLinearMove>(this)) {
    mMove->SetCallbacks(nullptr, &vlkIMoveEvent::OnMove, &vlkIMoveEvent::OnMoveEnd);
}

clsAnimWindow::~clsAnimWindow() = default;

void clsAnimWindow::Init(TWindowStyle& style) {
    TWindow::Init(style);
    ScheduleAnimation(kFrameMs, true, true, true);
    mLastTime = AnimatorTime(*this);
}

bool clsAnimWindow::OnAnimate() {
    const uint32_t now = AnimatorTime(*this);
    // Only a move changes what the window shows: where it was and where it
    // goes are drawn again, and nothing while it stands.
    const bool moving = IsMoving();
    const TRect before = GetScreenRect();
    Advance(now - mLastTime);
    mLastTime = now;
    if (moving || IsMoving()) {
        InvalidateScreenRect(before);
        InvalidateScreenRect(GetScreenRect());
    }
    return true;
}

void clsAnimWindow::Advance(uint32_t elapsedMs) {
    mMove->Update(elapsedMs);
}

bool clsAnimWindow::IsMoving() const {
    return !mMove->IsDone();
}

bool clsAnimWindow::IsSlideX() const {
    return mDirection == kInFromLeft || mDirection == kInFromRight || mDirection == kOutToLeft ||
           mDirection == kOutToRight;
}

bool clsAnimWindow::IsSlideY() const {
    return mDirection == kInFromTop || mDirection == kInFromBottom || mDirection == kOutToTop ||
           mDirection == kOutToBottom;
}

bool clsAnimWindow::IsScale() const {
    return (mDirection >= kGrowIn && mDirection <= kShrinkIn) ||
           (mDirection >= kShrinkOut && mDirection <= kGrowOut);
}

void clsAnimWindow::StartMove(int32_t direction, float bounce, int32_t timeMs) {
    mBounce = bounce;
    mDirection = direction;
    mBounceTime = static_cast<int32_t>(bounce * static_cast<float>(timeMs));
    if (mDirection == kRandomIn) {
        const uint32_t r = TApplication::Get() ? TApplication::Get()->Random()
                                               : static_cast<uint32_t>(std::rand());
        mDirection = kInFromLeft + static_cast<int32_t>(r % 4);
    }
    // Positions are the parent's, the ones SetPosition takes.
    const float left = static_cast<float>(GetRect().left);
    const float top = static_cast<float>(GetRect().top);
    mWidth = GetWidth();
    mHeight = GetHeight();
    const float w = static_cast<float>(mWidth);
    const float h = static_cast<float>(mHeight);

    float start = 0.0f;
    float end = 0.0f;
    switch (mDirection) {
    case kInFromLeft:
        start = -w, end = left + w * bounce, mFinal = left;
        break;
    case kInFromRight:
        start = w, end = left - w * bounce, mFinal = left;
        break;
    case kInFromTop:
        start = -h, end = top + h * bounce, mFinal = top;
        break;
    case kInFromBottom:
        start = h, end = top - h * bounce, mFinal = top;
        break;
    case kGrowIn:
        start = 0.0f, end = 1.0f + bounce, mFinal = 1.0f;
        break;
    case kShrinkIn:
        start = 2.0f, end = 1.0f - bounce, mFinal = 1.0f;
        break;
    case kOutToLeft:
        start = left, end = -w, mFinal = -w;
        break;
    case kOutToRight:
        start = left, end = w, mFinal = w;
        break;
    case kOutToTop:
        start = top, end = -h, mFinal = -h;
        break;
    case kOutToBottom:
        start = top, end = h, mFinal = h;
        break;
    case kShrinkOut:
        start = 1.0f, end = 0.0f, mFinal = 0.0f;
        break;
    case kGrowOut:
        start = 1.0f, end = 2.0f, mFinal = 2.0f;
        break;
    default:
        break;
    }
    OnMove(mMove.get(), start, 0);
    // A move of no time or no way would never end: the window comes to
    // rest at once.
    if (timeMs <= 0 || start == end) {
        OnMoveFinished();
        return;
    }
    mMove->Set(start, end, static_cast<uint32_t>(timeMs));
    mMove->Start();
}

void clsAnimWindow::OnMove(TLinearMove*, float value, uint32_t) {
    const TRect& r = GetRect();
    if (IsSlideX())
        SetPosition(static_cast<int32_t>(value), r.top);
    else if (IsSlideY())
        SetPosition(r.left, static_cast<int32_t>(value));
    else if (IsScale())
        SetSize(static_cast<int32_t>(static_cast<float>(mWidth) * value),
                static_cast<int32_t>(static_cast<float>(mHeight) * value));
}

void clsAnimWindow::OnMoveEnd(TLinearMove*) {
    mBounce *= kBounceDecay;
    if (mBounce < kBounceEnd || mDirection >= kOutToLeft) {
        OnMoveFinished();
        return;
    }
    float base = 0.0f;
    if (mDirection == kInFromLeft || mDirection == kInFromRight)
        base = static_cast<float>(GetRect().left);
    else if (mDirection == kInFromTop || mDirection == kInFromBottom)
        base = static_cast<float>(GetRect().top);
    else if (mWidth > 0)
        base = static_cast<float>(GetWidth() / mWidth);
    const int32_t leg =
        mBounceTime - static_cast<int32_t>(static_cast<float>(mBounceTime) * mBounce);
    mBounceTime = leg;
    const float end = mFinal + (mFinal - base) * mBounce;
    // A leg of no time or no way would never end: the window rests.
    if (leg <= 0 || end == base) {
        OnMoveFinished();
        return;
    }
    mMove->Set(base, end, static_cast<uint32_t>(leg));
    mMove->Start();
}

void clsAnimWindow::OnMoveFinished() {
    const TRect& r = GetRect();
    if (mDirection == kInFromLeft || mDirection == kInFromRight)
        SetPosition(static_cast<int32_t>(mFinal), r.top);
    else if (mDirection == kInFromTop || mDirection == kInFromBottom)
        SetPosition(r.left, static_cast<int32_t>(mFinal));
    else if (mDirection == kGrowIn || mDirection == kShrinkIn)
        SetSize(mWidth, mHeight);
}
