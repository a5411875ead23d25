#include "game/screens/wndAvatarUnlocked.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"
#include "game/board/GetLocalizedString.h"
#include "game/levels/LevelServices.h"
#include "game/progress/QuestMap.h"
#include "velk/assets/TAssetLists.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/container/WindowVisibility.h"
#include "velk/display/vlkClip.h"
#include "velk/globals/GameGlobals.h"

#include <new>

namespace {

struct Unlocked {
    int32_t reward;
    const char* animation;
    const char* x;
    const char* y;
    const char* nameKey;
};
constexpr Unlocked kUnlocked[] = {
    {wndAvatarUnlocked::kCatReward, "cavatar_score_win", "avatar_cat_x", "avatar_cat_y",
     "lblNameAvatarCat"},
    {wndAvatarUnlocked::kDogReward, "davatar_score_win", "avatar_dog_x", "avatar_dog_y",
     "lblNameAvatarDog"},
};

} // namespace

wndAvatarUnlocked::~wndAvatarUnlocked() = default;

TWindow* wndAvatarUnlocked::Create() {
    return new (std::nothrow) wndAvatarUnlocked();
}

void wndAvatarUnlocked::PostInit(TWindowStyle& style) {
    QuestMap* map = GetLevelServices().questMap;
    const int32_t reward = map ? map->GetPendingReward() : 0;
    const Unlocked* unlocked = nullptr;
    for (const Unlocked& candidate : kUnlocked)
        if (candidate.reward == reward)
            unlocked = &candidate;
    if (!unlocked && reward != 0)
        LogPrintf("wndAvatarUnlocked: the pending reward %d unlocks no avatar; no avatar shows",
                  reward);
    std::shared_ptr<TAnimatedTexture> animation =
        unlocked && gAssetLists ? gAssetLists->GetAnimatedTexture(TString(unlocked->animation))
                                : nullptr;
    if (unlocked && !animation)
        LogPrintf("wndAvatarUnlocked: no animation \"%s\"", unlocked->animation);
    if (animation) {
        TWindowAnim* animator = GetAnimator();
        mClip = vlkClip::vlkClipFromAnimation(animation, animator ? animator->GetClock() : nullptr);
        mClip->SetPosition(static_cast<float>(style.GetNumber(unlocked->x, 0.0)),
                           static_cast<float>(style.GetNumber(unlocked->y, 0.0)));
        mClip->PlayAnimation(TString("DoAnim"));
        if (TText* content = FindTextChild(this, TString("lblAvatarUnlockContent"), 2))
            content->SetText(GetLocalizedString(TString("lblAvatarUnlockContent"),
                                                GetLocalizedString(TString(unlocked->nameKey))));
    }
    // Shown once: the reward is used up whether or not the pop-up plays
    // to its end.
    if (map)
        map->ClearPendingReward();
    ScheduleAnimation(kTickMs, true, true, false);
}

bool wndAvatarUnlocked::OnAnimate() {
    InvalidateWindows();
    return true;
}

void wndAvatarUnlocked::DrawOverlay() {
    TGraphics* graphics = TGraphics::Exists() ? TGraphics::Get() : nullptr;
    if (!graphics || !mClip)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    mClip->Draw();
}
