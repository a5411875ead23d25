#include "game/screens/wndAchievements.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"
#include "game/board/GetLocalizedString.h"
#include "game/data/GameIds.h"
#include "game/levels/LevelServices.h"
#include "game/screens/wndToolTip.h"
#include "game/state/dtUserState.h"
#include "velk/assets/TAssetLists.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/container/WindowVisibility.h"
#include "velk/display/vlkClip.h"
#include "velk/display/vlkSprite.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

#include <algorithm>
#include <new>

namespace {

using Tuning = TGameTuning;

// The counted achievements 7 to 11: the counter and its threshold.
struct Counted {
    int32_t dtUserState::*counter;
    Tuning::Achievement threshold;
};
constexpr Counted kCounted[] = {
    {&dtUserState::bomb, Tuning::kBomb},         {&dtUserState::freeze, Tuning::kFreeze},
    {&dtUserState::wild, Tuning::kWild},         {&dtUserState::sidewinder, Tuning::kSidewinder},
    {&dtUserState::showtime, Tuning::kShowtime},
};
constexpr int32_t kFirstCounted = 7;
constexpr int32_t kAllDifficulties = 7;

// The least room between the tip and the board's edges.
constexpr int32_t kTipEdge = 8;
constexpr float kMeterHeight = 450.0f;
constexpr float kMeterX = 712.0f;
constexpr float kMeterBottom = 576.0f;
constexpr float kBarHeight = 23.0f;

constexpr const char* kAvatarStyles[] = {"avatar_boy", "avatar_girl", "avatar_dog", "avatar_cat"};
constexpr const char* kAvatarAnimations[] = {"mavatar_stand", "favatar_stand", "davatar_stand",
                                             "cavatar_stand"};

std::unique_ptr<vlkSprite> MakeSprite(const char* name) {
    std::shared_ptr<TTexture> texture =
        gAssetLists ? gAssetLists->GetTexture(TString(name)) : nullptr;
    if (!texture)
        LogPrintf("wndAchievements: no picture \"%s\"", name);
    auto sprite = std::make_unique<vlkSprite>(texture);
    sprite->SetVisible(false);
    return sprite;
}

TImage* FindImage(TWindow* window, const TString& name, int32_t depth) {
    TWindow* found = window->FindChild(name, depth);
    return found && found->IsKindOf(TImage::GetClassId()) ? static_cast<TImage*>(found) : nullptr;
}

TText* FindText(TWindow* window, const char* name, int32_t depth) {
    TWindow* found = window->FindChild(TString(name), depth);
    return found && found->IsKindOf(TText::GetClassId()) ? static_cast<TText*>(found) : nullptr;
}

bool Holds(const TRect& rect, TPoint point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
           point.y < rect.bottom;
}

dtUserState* CurrentUser() {
    ProgressStore* progress = GetLevelServices().progress;
    return progress ? progress->GetUserState() : nullptr;
}

} // namespace

AchievementFlags EvaluateAchievements(const dtUserState& user,
                                      const TGameTuning::Achieve& achieve) {
    const auto& at = achieve.thresholds;
    const auto& quick = user.quickDifficultyBits;
    return {
        user.allQuest == 1,
        user.halfQuest == 1,
        user.combo25 > 0,
        user.combo50 > 0,
        user.chain20 > 0,
        user.scoreAchieved != 0,
        user.bomb >= at[Tuning::kBomb],
        user.freeze >= at[Tuning::kFreeze],
        user.wild >= at[Tuning::kWild],
        user.sidewinder >= at[Tuning::kSidewinder],
        user.showtime >= at[Tuning::kShowtime],
        user.screen1 >= at[Tuning::kScreen1],
        user.screen5 >= at[Tuning::kScreen5],
        quick[kModeBlitz] == kAllDifficulties,
        quick[kModeRome] == kAllDifficulties,
        quick[kModeClassic] == kAllDifficulties,
        quick[kModeStrategy] == kAllDifficulties,
        quick[kModeJoker] == kAllDifficulties,
        user.catUnlocked != 0,
        user.dogUnlocked != 0,
    };
}

int32_t AchievementTier(int32_t won) {
    return won <= 0 ? 1 : (won + 4) / 5;
}

AchievementMeter MeasureAchievementMeter(float ratio) {
    const float h = kMeterHeight * ratio;
    AchievementMeter meter;
    meter.barX = kMeterX;
    meter.barY = kMeterBottom - h / 2.0f;
    meter.barScaleY = h / kBarHeight;
    meter.brainX = kMeterX;
    meter.brainY = kMeterBottom - h;
    meter.brainScale = 0.3f + 0.7f * ratio;
    return meter;
}

TString AchievementProgress(int32_t n, const dtUserState& user,
                            const TGameTuning::Achieve& achieve) {
    const int32_t index = n - kFirstCounted;
    if (index < 0 || index >= static_cast<int32_t>(std::size(kCounted)))
        return TString();
    const Counted& counted = kCounted[index];
    const int32_t needed = achieve.thresholds[counted.threshold];
    return TString::Format(".(%d/%d)", std::min(user.*counted.counter, needed), needed);
}

wndAchievements::wndAchievements()
    : mBrain(MakeSprite("Brain")), mBar(MakeSprite("Memory Bar")), mAvatarPositions(4) {
    SetMeter(0.0f);
    TWindowManager* manager = TWindowManager::Instance();
    if (manager && manager->GetScript())
        BindScriptFunction(*manager->GetScript(), "gfn_OnBackAchievements", this,
                           &wndAchievements::OnBack);
}

wndAchievements::~wndAchievements() {
    if (TWindowManager* manager = TWindowManager::Instance(); manager && mInWindowList) {
        if (GetPanel())
            manager->RemoveFromWindowList(GetPanel());
        if (mToolTip)
            manager->RemoveFromWindowList(mToolTip);
    }
}

TWindow* wndAchievements::Create() {
    return new (std::nothrow) wndAchievements();
}

void wndAchievements::PostInit(TWindowStyle& style) {
    wndFade::PostInit(style);
    TWindowManager* manager = TWindowManager::Instance();
    TWindow* tip = FindChild(TString("wndToolTip"), int32_t{1});
    mToolTip =
        tip && tip->IsKindOf(wndToolTip::GetClassId()) ? static_cast<wndToolTip*>(tip) : nullptr;
    if (mToolTip) {
        mToolTip->SetEnabled(false);
        if (manager)
            manager->AddToWindowList(mToolTip);
    }
    if (TImage* panel = GetPanel()) {
        panel->SetAlpha(0.0f);
        if (manager)
            manager->AddToWindowList(panel);
    }
    mInWindowList = manager != nullptr;
    TWindow* searchFrom = GetParent() ? GetParent() : this;
    mContent = searchFrom->FindChild(TString("AchieveFade"), int32_t{-1});
    SetWindowVisible(mContent, false);
    StartFade(kToOpaque, kRate);

    dtUserState* user = CurrentUser();
    if (!user)
        LogPrintf("wndAchievements: no player; every achievement shows as not won");
    static const dtUserState kNobody;
    const dtUserState& progress = user ? *user : kNobody;
    const TGameTuning::Achieve& achieve = gGameTuning.achieve;
    const AchievementFlags flags = EvaluateAchievements(progress, achieve);
    const std::vector<int>& inQuest = achieve.unlockInQuestMode;
    for (int32_t n = 1; n <= kAchievementCount; ++n) {
        auto slot = std::make_unique<Slot>();
        slot->achieved = flags[static_cast<size_t>(n - 1)];
        slot->iconOn = FindImage(this, TString::Format("bmpIcon_%d_on", n), 3);
        slot->iconOff = FindImage(this, TString::Format("bmpIcon_%d_off", n), 3);
        if (TImage* shown = slot->achieved ? slot->iconOn : slot->iconOff)
            slot->rect = shown->GetRect();
        slot->label = TString::Format("lblAchievement%d", n);
        if (std::find(inQuest.rbegin(), inQuest.rend(), n) != inQuest.rend()) {
            slot->tip = GetLocalizedString(slot->label);
            slot->tip += GetLocalizedString(TString("lblAchieveQuestModeAsterisk"));
            slot->tip += AchievementProgress(n, progress, achieve);
            slot->questModeNote = true;
        }
        mSlots.push_back(std::move(slot));
    }
    mHoverArea = TRect(mSlots.front()->rect.left, mSlots.front()->rect.top,
                       mSlots.back()->rect.right, mSlots.back()->rect.bottom);
    for (size_t i = 0; i < std::size(kAvatarStyles); ++i) {
        std::unique_ptr<TLuaTable> table(style.GetTable(kAvatarStyles[i]));
        TWindowStyle position(table.get());
        mAvatarPositions[i] =
            TVec2(table ? static_cast<float>(position.GetNumber("x", 0.0)) : 0.0f,
                  table ? static_cast<float>(position.GetNumber("y", 0.0)) : 0.0f);
    }
    int32_t won = 0;
    for (const auto& slot : mSlots) {
        SetWindowVisible(slot->iconOn, slot->achieved);
        SetWindowVisible(slot->iconOff, !slot->achieved);
        won += slot->achieved ? 1 : 0;
    }
    if (TText* quantity = FindText(this, "AchieveQuantity", -1))
        quantity->SetText(TString::Format("%02d/%02d", won, kAchievementCount));
    SetMeter(static_cast<float>(won) / static_cast<float>(kAchievementCount));
    if (TText* name = FindText(this, "name", -1))
        name->SetText(gGameSettings ? gGameSettings->GetCurrentUserName() : TString());
    const int32_t tier = AchievementTier(won);
    const char* const titles[] = {"Achieve Up %d", "Achieve Mid %d", "Achieve Down %d"};
    for (int32_t i = 0; i < 3; ++i)
        if (TText* title = FindText(this, TString::Format("txtAchieve%d", i + 1).CStr(), -1))
            title->SetText(GetLocalizedString(TString::Format(titles[i], tier)));
    MakeAvatarClip(user ? user->avatar : -1);
    mBackground = MakeSprite("Background");
    mBackground->SetPosition(512.0f, 384.0f);
    mMeterBackground = MakeSprite("meter_background");
    mMeterBackground->SetPosition(710.5f, 436.0f);
    mQuestModeLabel = FindText(this, "lblAchieveQuestMode", 2);
    SetWindowVisible(mQuestModeLabel, false);
}

void wndAchievements::MakeAvatarClip(int32_t avatar) {
    if (avatar < 0 || avatar >= static_cast<int32_t>(std::size(kAvatarAnimations)) || !gAssetLists)
        return;
    const TString name(kAvatarAnimations[avatar]);
    if (const TAssetListEntry* entry = gAssetLists->FindFixedEntry(name))
        gAssetLists->LoadAsset(*entry);
    std::shared_ptr<TAnimatedTexture> animation = gAssetLists->GetAnimatedTexture(name);
    if (!animation) {
        LogPrintf("wndAchievements: no animation \"%s\"; the board shows without the avatar",
                  name.CStr());
        return;
    }
    TWindowAnim* animator = GetAnimator();
    mAvatarClip =
        vlkClip::vlkClipFromAnimation(animation, animator ? animator->GetClock() : nullptr);
    const TVec2& at = mAvatarPositions[static_cast<size_t>(avatar)];
    mAvatarClip->SetPosition(at.x, at.y);
    mAvatarClip->PlayAnimation(TString("DoAnim"));
    mAvatarClip->SetVisible(false);
}

void wndAchievements::SetMeter(float ratio) {
    const AchievementMeter meter = MeasureAchievementMeter(ratio);
    mBar->SetPosition(meter.barX, meter.barY);
    mBar->SetScaleY(meter.barScaleY);
    mBrain->SetPosition(meter.brainX, meter.brainY);
    mBrain->SetScale(meter.brainScale);
}

void wndAchievements::ShowBoard(bool show) {
    SetWindowVisible(mContent, show);
    mBrain->SetVisible(show);
    if (mAvatarClip)
        mAvatarClip->SetVisible(show);
    mBar->SetVisible(show);
    if (mMeterBackground)
        mMeterBackground->SetVisible(show);
    if (mBackground)
        mBackground->SetVisible(show);
}

void wndAchievements::OnFadeFinished(uint32_t finished) {
    if (mStep == kOpen)
        return;
    if (finished == kToOpaque) {
        // Behind the black the board comes or goes; then the black clears.
        ShowBoard(mStep == kOpening);
        StartFade(kToClear, kRate);
    } else if (mStep == kOpening) {
        mStep = kOpen;
        if (mToolTip)
            mToolTip->SetEnabled(true);
    } else if (!RunLevelScript(TString("closeAchievements()"))) {
        LogPrintf("wndAchievements: \"closeAchievements()\" failed");
    }
}

void wndAchievements::OnBack() {
    if (mStep == kClosing)
        return;
    mStep = kClosing;
    SetChildVisible(this, TString("btnBack"), false, int32_t{2});
    StartFade(kToOpaque, kRate);
    if (mToolTip)
        mToolTip->SetEnabled(false);
}

void wndAchievements::HideTip() {
    if (mToolTip->IsTipShown())
        mToolTip->Show(false, true);
    SetWindowVisible(mQuestModeLabel, false);
}

bool wndAchievements::OnMouseMove(TPoint point) {
    if (!mToolTip || !mToolTip->IsEnabled())
        return false;
    if (!Holds(mHoverArea, point)) {
        HideTip();
        return false;
    }
    const Slot* found = nullptr;
    for (auto it = mSlots.rbegin(); it != mSlots.rend() && !found; ++it)
        if (Holds((*it)->rect, point))
            found = it->get();
    if (!found) {
        HideTip();
        return false;
    }
    if (mToolTip->GetKey() == found->label)
        return true;
    SetWindowVisible(mQuestModeLabel, found->questModeNote);
    if (found->questModeNote)
        mToolTip->ShowText(found->label, found->tip);
    else
        mToolTip->ShowLocalized(found->label);
    // Under the medal, centred, and kept whole inside the board (a board
    // without a size of its own bounds only the top and left).
    const auto inside = [](int32_t at, int32_t size, int32_t room) {
        const int32_t far = room > 0 ? room - size - kTipEdge : at;
        return std::clamp(at, kTipEdge, std::max(kTipEdge, far));
    };
    const TRect& r = found->rect;
    const int32_t x = inside(r.left + (r.right - r.left) / 2 - mToolTip->GetWidth() / 2,
                             mToolTip->GetWidth(), GetWidth());
    const int32_t y = inside(r.bottom + 5, mToolTip->GetHeight(), GetHeight());
    mToolTip->SetPosition(x, y);
    return true;
}

void wndAchievements::Draw() {
    TGraphics* graphics = TGraphics::Exists() ? TGraphics::Get() : nullptr;
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    for (vlkSprite* sprite : {mBackground.get(), mMeterBackground.get(), mBar.get()})
        if (sprite && sprite->IsVisible())
            sprite->Draw();
}

void wndAchievements::DrawOverlay() {
    TGraphics* graphics = TGraphics::Exists() ? TGraphics::Get() : nullptr;
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    if (mAvatarClip && mAvatarClip->IsVisible())
        mAvatarClip->Draw();
    if (mBrain->IsVisible())
        mBrain->Draw();
}
