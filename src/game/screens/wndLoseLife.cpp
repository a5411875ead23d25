#include "game/screens/wndLoseLife.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"
#include "game/levels/LevelServices.h"
#include "game/screens/ScreenSound.h"
#include "game/state/dtUserState.h"
#include "velk/assets/TAssetLists.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/container/WindowVisibility.h"
#include "velk/display/vlkClip.h"
#include "velk/globals/GameGlobals.h"

#include <new>

namespace {

constexpr const char* kSound = "lose_life";
constexpr uint32_t kTickMs = 16;

std::shared_ptr<TAnimatedTexture> Animation(const char* name) {
    return gAssetLists ? gAssetLists->GetAnimatedTexture(TString(name)) : nullptr;
}

} // namespace

wndLoseLife::wndLoseLife() : mHeart(std::make_unique<vlkClip>()) {
    // Shown once it is placed and playing.
    mHeart->SetVisible(false);
    if (std::shared_ptr<TAnimatedTexture> heart = Animation("HeartB"))
        mHeart->SetAnimation(heart);
    else
        LogPrintf("wndLoseLife: no animation \"HeartB\"; no heart breaks");
    PlayScreenSound(TString(kSound));
}

wndLoseLife::~wndLoseLife() {
    mHeart.reset();
    StopScreenSound(TString(kSound));
    mAvatar.reset();
}

TWindow* wndLoseLife::Create() {
    return new (std::nothrow) wndLoseLife();
}

const char* wndLoseLife::GetAvatarAnimation(int32_t avatar) {
    static const char* const kNames[] = {"mavatar_score_lose", "favatar_score_lose",
                                         "davatar_score_lose", "cavatar_score_lose"};
    return avatar >= 0 && avatar < 4 ? kNames[avatar] : "";
}

void wndLoseLife::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    SetLifeCount(style.GetInt("LifeCount", 2));
    ScheduleAnimation(kTickMs, true, true, false);
    const int32_t x = style.GetInt("avatar_x", 0);
    const int32_t y = style.GetInt("avatar_y", 0);
    ProgressStore* progress = GetLevelServices().progress;
    dtUserState* user = progress ? progress->GetUserState() : nullptr;
    const char* name = GetAvatarAnimation(user ? user->avatar : -1);
    if (!*name)
        return;
    std::shared_ptr<TAnimatedTexture> animation = Animation(name);
    if (!animation) {
        LogPrintf("wndLoseLife: no animation \"%s\"; the pop-up shows without the avatar", name);
        return;
    }
    TWindowAnim* animator = GetAnimator();
    mAvatar = vlkClip::vlkClipFromAnimation(animation, animator ? animator->GetClock() : nullptr);
    mAvatar->SetPosition(static_cast<float>(x), static_cast<float>(y));
    mAvatar->PlayAnimation(TString("DoAnim"));
}

void wndLoseLife::SetLifeCount(int32_t lives) {
    if (lives < 0 || lives > 2)
        return;
    TWindow* hearts[3] = {};
    for (int32_t i = 0; i < 3; ++i) {
        hearts[i] = FindChild(TString::Format("bmp%d", i + 1), int32_t{-1});
        if (i >= lives)
            SetWindowVisible(hearts[i], false);
    }
    TWindow* background = FindChild(TString("bmpBG"), int32_t{-1});
    TWindow* breaking = hearts[lives];
    if (!breaking || !background) {
        LogPrintf("wndLoseLife: no \"%s\"; the breaking heart is not shown",
                  breaking ? "bmpBG" : TString::Format("bmp%d", lives + 1).CStr());
    } else {
        mHeart->SetPosition(
            static_cast<float>(breaking->GetRect().left + background->GetRect().left),
            static_cast<float>(breaking->GetRect().top + background->GetRect().top));
        mHeart->PlayAnimation(TString("DoAnim"));
        mHeart->SetVisible(true);
    }
    if (lives != 0)
        SetChildVisible(this, TString("lblGameOver"), false, int32_t{-1});
}

bool wndLoseLife::OnAnimate() {
    InvalidateWindows();
    const std::shared_ptr<TAnimatedSprite>& sprite = mHeart->GetAnimatedSprite();
    mHeart->SetVisible(sprite && sprite->IsPlaying(-1));
    return true;
}

void wndLoseLife::DrawOverlay() {
    TWindow::DrawOverlay();
    TGraphics* graphics = TGraphics::Exists() ? TGraphics::Get() : nullptr;
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    if (mHeart->IsVisible())
        mHeart->Draw();
    if (mAvatar)
        mAvatar->Draw();
}
