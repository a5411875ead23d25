#include "game/screens/wndFade.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/window/TWindowAnim.h"

#include <algorithm>

FadeStep StepFade(bool hasPanel, float alpha, uint32_t direction, float rate, uint32_t elapsedMs) {
    const bool toOpaque = direction == wndFade::kToOpaque;
    const float bound = toOpaque ? 1.0f : 0.0f;
    if (!hasPanel || !(rate > 0.0f))
        return {bound, true};
    const float change = rate * static_cast<float>(elapsedMs) / 1000.0f;
    const float next = toOpaque ? alpha + change : alpha - change;
    if (toOpaque ? next >= 1.0f : next <= 0.0f)
        return {bound, true};
    return {next, false};
}

wndFade::wndFade() = default;

wndFade::~wndFade() = default;

void wndFade::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    TWindowAnim* animator = GetAnimator();
    TClock* clock = animator ? animator->GetClock() : nullptr;
    mLastTick = clock ? clock->GetTime() : 0;
    ScheduleAnimation(kTickMs, true, true, false);
    TWindow* panel = FindChild(TString("bmpPanelBlack"), int32_t{1});
    mPanel = panel && panel->IsKindOf(TImage::GetClassId()) ? static_cast<TImage*>(panel) : nullptr;
}

bool wndFade::OnAnimate() {
    TWindowAnim* animator = GetAnimator();
    TClock* clock = animator ? animator->GetClock() : nullptr;
    Tick(clock ? clock->GetTime() : mLastTick);
    return true;
}

void wndFade::StartFade(uint32_t direction, float rate) {
    if (!(rate > 0.0f))
        LogPrintf("%s: a fade at the rate %g ends at once", GetClassName(),
                  static_cast<double>(rate));
    mDirection = direction == kToOpaque ? kToOpaque : kToClear;
    mRate = mDirection == kToOpaque ? rate : -rate;
    mState = kFading;
}

void wndFade::Tick(uint32_t nowMs) {
    InvalidateWindows();
    // Unsigned, so a clock that wrapped still gives the short step.
    const uint32_t elapsed = nowMs - mLastTick;
    mLastTick = nowMs;
    if (mState != kFading)
        return;
    const float rate = mDirection == kToOpaque ? mRate : -mRate;
    const FadeStep step = StepFade(mPanel != nullptr, mPanel ? mPanel->GetAlpha() : mAlpha,
                                   mDirection, rate, elapsed);
    if (mPanel)
        mPanel->SetAlpha(step.alpha);
    mAlpha = step.alpha;
    if (!step.finished)
        return;
    mState = kFinished;
    OnFadeFinished(step.alpha == 1.0f ? kToOpaque : kToClear);
}

void wndFade::OnFadeFinished(uint32_t) {}
