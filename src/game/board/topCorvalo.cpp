#include "game/board/topCorvalo.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/sprite/TDrawSpec.h"
#include "framework/graphics/text/TTextSprite.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindowAnim.h"
#include "game/board/GetLocalizedString.h"
#include "game/board/wndCorvalo.h"
#include "game/levels/LevelServices.h"
#include "game/progress/QuestMap.h"
#include "game/state/dtUserState.h"
#include "velk/assets/TAssetLists.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/display/vlkClip.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"

#include <new>

#include <lua.h>

namespace {

constexpr float kCardBounce = 0.3f;
constexpr int32_t kCardMoveMs = 400;
constexpr const char* kFanfare = "fanfarria";
constexpr const char* kTextFont = "loc/en/font/helsinki.mvec";
constexpr int32_t kTextWidth = 90;
constexpr int32_t kTextHeight = 30;
constexpr int32_t kTextAlignment = 5;
constexpr int32_t kTextSize = 25;

topCorvalo* sLivePanel = nullptr;

void RunCardScript(TWindow* card, const TString& file) {
    TWindowManager* manager = TWindowManager::Instance();
    if (!manager || !manager->GetScript()) {
        LogPrintf("topCorvalo: no window script; the score card \"%s\" stays empty", file.CStr());
        return;
    }
    manager->RunScriptForWindow(card, file);
}

topCorvalo::CardBuilder& Builder() {
    static topCorvalo::CardBuilder builder = &RunCardScript;
    return builder;
}

// "gfn_ClearTopWindow": the living panel clears its card.
int ScriptClearTopWindow(lua_State*) {
    if (sLivePanel)
        sLivePanel->ClearTopWindow();
    return 0;
}

// A text child of the card; the card's script may leave any out.
void SetCardText(TWindow* card, const char* name, const TString& text) {
    if (auto* label = dynamic_cast<TText*>(card->FindChild(TString(name), true)))
        label->SetText(text);
}

} // namespace

topCorvalo::CardBuilder topCorvalo::SetCardBuilder(CardBuilder builder) {
    CardBuilder previous = std::move(Builder());
    Builder() = builder ? std::move(builder) : CardBuilder(&RunCardScript);
    return previous;
}

topCorvalo::topCorvalo() {
    SetName(TString("topCorvalo"));
    sLivePanel = this;
    if (TScript* script = GetGameScript())
        script->RegisterFunction("gfn_ClearTopWindow", &ScriptClearTopWindow);
}

topCorvalo::~topCorvalo() {
    if (sLivePanel == this)
        sLivePanel = nullptr;
    mAvatarClip.reset();
    DeleteChildren();
    mCard = nullptr;
    mTexts.clear();
}

TWindow* topCorvalo::Create() {
    return new (std::nothrow) topCorvalo();
}

void topCorvalo::PostInit(TWindowStyle& style) {
    clsAnimWindow::PostInit(style);
    RunLevelScript(TString("showAlphaBackground(false)"));
}

void topCorvalo::ShowScoreCard() {
    const int32_t combo = mUser ? mUser->bestCombo : 0;
    ShowCard("scripts/score_card.lua", "lblBestCombo", TString::Format("%d", combo));
}

void topCorvalo::ShowJokerScoreCard(bool bonusEarned) {
    const int32_t bonus = bonusEarned ? gGameTuning.score.jokerBonus : 0;
    ShowCard("scripts/joker_score_card.lua", "lblJokerBonus", TString::Format("%d", bonus));
}

int32_t topCorvalo::GetCardLevel() const {
    const int32_t level = mUser ? mUser->level : 1;
    TString style = GetScriptGlobal("gGameStyle");
    style.ToLower();
    if (style != TString("quest"))
        return level;
    const QuestMap* map = GetLevelServices().questMap;
    if (!map || !map->HasCurrentNode()) {
        LogPrintf("topCorvalo: quest play without a current node; the card shows level %d", level);
        return level;
    }
    return map->GetCurrentNodeLevel() + 1;
}

TString topCorvalo::GetAvatarAnimation(int32_t avatar) {
    static constexpr const char* kAnimations[] = {"mavatar_score_win", "favatar_score_win",
                                                  "davatar_score_win", "cavatar_score_win"};
    if (avatar < 0 || avatar > 3)
        return TString();
    return TString(kAnimations[avatar]);
}

void topCorvalo::ShowCard(const char* script, const char* lastLabel, const TString& lastValue) {
    // A card still shown goes first: one card at a time.
    if (mCard)
        ClearTopWindow();
    RunLevelScript(TString("showAlphaBackground(true)"));
    wndCorvalo::PlaySound(TString(kFanfare), false);

    auto* card = new (std::nothrow) TWindow(TString("scoreCard"));
    if (!card) {
        LogPrintf("topCorvalo: no memory for the score card");
        return;
    }
    card->SetPosition(kCardX, kCardY);
    card->SetSize(kCardWidth, kCardHeight);
    Builder()(card, TString(script));

    SetCardText(
        card, "Level Complete1",
        GetLocalizedString(TString("Level Complete1"), TString::Format("%d", GetCardLevel())));
    SetCardText(card, "lblScore", TString::Format("%d", mUser ? mUser->levelScore : 0));
    SetCardText(card, "lblTotalScore", TString::Format("%d", mTotalScore));
    SetCardText(card, lastLabel, lastValue);

    mCard = card;
    MakeAvatarClip();
    AddChild(card, false);
    StartMove(kInFromTop, kCardBounce, kCardMoveMs);
}

void topCorvalo::MakeAvatarClip() {
    mAvatarClip.reset();
    const TWindow* spot = mCard->FindChild(TString("Avatar"), true);
    if (!spot) {
        LogPrintf("topCorvalo: the score card has no \"Avatar\" window; it shows without the "
                  "avatar");
        return;
    }
    const int32_t avatar = mUser ? mUser->avatar : -1;
    const TString name = GetAvatarAnimation(avatar);
    if (name.IsEmpty()) {
        LogPrintf("topCorvalo: no score-card avatar for avatar %d", avatar);
        return;
    }
    std::shared_ptr<TAnimatedTexture> animation;
    if (gAssetLists)
        animation = gAssetLists->GetAnimatedTexture(name);
    if (!animation) {
        LogPrintf("topCorvalo: no animation \"%s\"; the card shows without the avatar",
                  name.CStr());
        return;
    }
    // The spot's place inside the card plus the card's place.
    const TRect& inCard = spot->GetRect();
    const TRect& card = mCard->GetRect();
    TWindowAnim* animator = GetAnimator();
    mAvatarClip =
        vlkClip::vlkClipFromAnimation(animation, animator ? animator->GetClock() : nullptr);
    mAvatarClip->SetPosition(static_cast<float>(card.left + inCard.left),
                             static_cast<float>(card.top + inCard.top));
}

void topCorvalo::OnMoveFinished() {
    clsAnimWindow::OnMoveFinished();
    if (mAvatarClip)
        mAvatarClip->PlayAnimation(TString("DoAnim"));
}

void topCorvalo::ClearTopWindow() {
    mAvatarClip.reset();
    wndCorvalo::StopSound(TString(kFanfare));
    DeleteChildren();
    mCard = nullptr;
}

void topCorvalo::DrawOverlay() {
    TWindow::DrawOverlay();
    TGraphics* graphics = TGraphics::Get();
    if (!graphics || (!mAvatarClip && mTexts.empty()))
        return;
    TDraw2dScope scope(graphics->Begin2d());
    if (mAvatarClip)
        mAvatarClip->Draw();
    for (const FloatingText& text : mTexts)
        text.sprite->Draw(TDrawSpec(text.x, text.y, text.alpha, text.scale), -1);
}

void topCorvalo::ShowFloatingText(const TString& text) {
    std::shared_ptr<TTextSprite> sprite =
        TTextSprite::Create(kTextWidth, kTextHeight, kTextAlignment, TString(kTextFont), kTextSize,
                            TColor(1.0f, 1.0f, 1.0f, 1.0f));
    if (!sprite) {
        LogPrintf("topCorvalo: the text \"%s\" cannot be made", text.CStr());
        return;
    }
    sprite->SetText(text);
    FloatingText floating;
    floating.sprite = std::move(sprite);
    mTexts.push_back(std::move(floating));
}

void topCorvalo::UpdateFloatingTexts() {
    constexpr float kRise = (kTextStartY - kTextEndY) / static_cast<float>(kTextLife);
    constexpr float kFade = 1.0f / static_cast<float>(kTextLife);
    for (auto it = mTexts.begin(); it != mTexts.end();) {
        it->alpha -= kFade;
        it->y -= kRise;
        if (--it->life <= 0)
            it = mTexts.erase(it);
        else
            ++it;
    }
}
