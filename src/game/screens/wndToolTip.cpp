#include "game/screens/wndToolTip.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/graphics/TGraphics.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"
#include "game/board/GetLocalizedString.h"
#include "game/levels/LevelServices.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/container/WindowVisibility.h"

#include <algorithm>
#include <new>

namespace {

const TColor kTextColor(0.25f, 0.01f, 0.23f, 1.0f);
constexpr int32_t kCentred = 5;

} // namespace

wndToolTip::wndToolTip() = default;

wndToolTip::~wndToolTip() {
    if (mText)
        mText->DeleteThis();
}

TWindow* wndToolTip::Create() {
    return new (std::nothrow) wndToolTip();
}

void wndToolTip::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    mMarginX = std::max<int32_t>(1, style.GetInt("margin_x", 1));
    mMarginY = style.GetInt("margin_y", 0);
    const double fadeMs = style.GetNumber("fade_secs", 0.0) * 1000.0;
    if (fadeMs > 0.0)
        mFadeRate = static_cast<float>(1.0 / fadeMs);
    TWindow* label = FindChild(TString("lblToolTip"), int32_t{1});
    // The plate may lie in a frame of its own that cuts it to the text.
    TWindow* background = FindChild(TString("bmpBg"), int32_t{2});
    TWindow* end = FindChild(TString("bmpBgEnd"), int32_t{1});
    mBackgroundEnd =
        end && end->IsKindOf(TImage::GetClassId()) ? static_cast<TImage*>(end) : nullptr;
    mLabel = label && label->IsKindOf(TText::GetClassId()) ? static_cast<TText*>(label) : nullptr;
    mBackground = background && background->IsKindOf(TImage::GetClassId())
                      ? static_cast<TImage*>(background)
                      : nullptr;
    if (mLabel && mBackground) {
        mState = kIdle;
        ScheduleAnimation(kTickMs, true, true, false);
        TWindowAnim* animator = GetAnimator();
        TClock* clock = animator ? animator->GetClock() : nullptr;
        mLastTick = clock ? clock->GetTime() : 0;
    } else {
        LogPrintf("wndToolTip \"%s\": no %s; the tip stays off", GetName().CStr(),
                  mLabel ? "\"bmpBg\" image" : "\"lblToolTip\" text");
        if (mState != kDisabled)
            Show(false, true);
        mEnabled = false;
        mState = kDisabled;
    }
    SetWindowVisible(mLabel, false);
    SetWindowVisible(this, false);
}

void wndToolTip::ShowText(const TString& key, const TString& text, bool show) {
    if (!mEnabled)
        return;
    mKey = key;
    SetTextAndShow(text, show);
}

void wndToolTip::ShowLocalized(const TString& key, bool show) {
    if (!mEnabled)
        return;
    mKey = key;
    SetTextAndShow(GetLocalizedString(key), show);
}

void wndToolTip::Show(bool show, bool clearKey) {
    if (!mEnabled)
        return;
    mShown = show;
    if (clearKey)
        mKey = TString();
    if (show) {
        SetWindowVisible(this, true);
        SetAlpha(0.0f);
        mState = kFadingIn;
    } else {
        mState = kFadingOut;
    }
}

void wndToolTip::SetEnabled(bool enable) {
    if (mState == kDisabled)
        return;
    if (!enable)
        Show(false, true);
    mEnabled = enable;
}

void wndToolTip::SetTextAndShow(const TString& text, bool show) {
    if (!mLabel)
        return;
    mLabel->SetText(text);
    const TRect extent = mLabel->GetTextExtent();
    mLabel->SetPosition(mMarginX, mMarginY);
    SetSize(extent.right + 2 * mMarginX, extent.bottom + 2 * mMarginY);
    if (mBackgroundEnd) {
        const int32_t end = std::max(0, GetWidth() - mBackgroundEnd->GetWidth());
        mBackgroundEnd->SetPosition(end, 0);
        if (mBackground && mBackground->GetParent() != this)
            mBackground->GetParent()->SetSize(end, GetHeight());
    }
    if (mText)
        mText->DeleteThis();
    mText = static_cast<TText*>(TText::Create());
    if (mText) {
        TString font = GetScriptGlobal("TextFont");
        if (font.IsEmpty())
            font = TString("__DEFAULT");
        mText->CreateLayout(text, extent.right - extent.left + 2 * mMarginX,
                            extent.bottom - extent.top + 2 * mMarginY, kCentred, font, kFontSize,
                            kTextColor);
    }
    if (show && mEnabled) {
        mShown = true;
        SetWindowVisible(this, true);
        SetAlpha(0.0f);
        mState = kFadingIn;
    }
}

float wndToolTip::GetAlpha() const {
    return mBackground ? mBackground->GetAlpha() : 0.0f;
}

void wndToolTip::SetAlpha(float alpha) {
    if (mBackground)
        mBackground->SetAlpha(alpha);
    if (mBackgroundEnd)
        mBackgroundEnd->SetAlpha(alpha);
    if (mText)
        mText->SetAlpha(alpha);
}

bool wndToolTip::OnAnimate() {
    TWindowAnim* animator = GetAnimator();
    TClock* clock = animator ? animator->GetClock() : nullptr;
    Tick(clock ? clock->GetTime() : mLastTick);
    return true;
}

void wndToolTip::Tick(uint32_t nowMs) {
    const uint32_t elapsed = nowMs - mLastTick;
    mLastTick = nowMs;
    const float change = mFadeRate * static_cast<float>(elapsed);
    if (mState == kFadingIn) {
        const float alpha = std::min(1.0f, GetAlpha() + change);
        SetAlpha(alpha);
        if (alpha >= 1.0f)
            mState = kIdle;
    } else if (mState == kFadingOut) {
        const float alpha = std::max(0.0f, GetAlpha() - change);
        SetAlpha(alpha);
        if (alpha <= 0.0f) {
            mState = kIdle;
            SetWindowVisible(this, false);
        }
    }
}

void wndToolTip::DrawOverlay() {
    if ((!mShown && mState == kIdle) || !mText)
        return;
    mText->Draw();
}
