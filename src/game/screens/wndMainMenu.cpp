#include "game/screens/wndMainMenu.h"

#include "framework/app/TApplication.h"
#include "framework/graphics/TGraphics.h"
#include "framework/host/TSimpleHttp.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"
#include "game/screens/PlayerRecord.h"
#include "game/screens/ScreenCurtain.h"
#include "velk/assets/MenuMusic.h"
#include "velk/assets/TAssetLists.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/display/vlkClip.h"
#include "velk/display/vlkSprite.h"
#include "velk/game/FxMap.h"
#include "velk/game/GameTuning.h"
#include "velk/game/vlkGameLevel.h"
#include "velk/globals/GameGlobals.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/settings/vlkGameSettings.h"

#include <cstdlib>
#include <new>

namespace {

constexpr uint32_t kFrameMs = 16;
constexpr const char* kClosingFile = "anim/curtainsclose.xml";
constexpr const char* kOpeningFile = "anim/curtainsopen.xml";
constexpr const char* kPositionTables[wndMainMenu::kAvatarCount] = {"avatar_boy", "avatar_girl",
                                                                    "avatar_dog", "avatar_cat"};
constexpr float kTitleCardX = 512.0f;
constexpr float kTitleCardY = 384.0f;

// |random| mod n, as the game's random draws are taken.
int32_t RandomBelow(int32_t n) {
    TApplication* application = TApplication::Get();
    const int64_t value = static_cast<int32_t>(application ? application->Random()
                                                           : static_cast<uint32_t>(std::rand()));
    return static_cast<int32_t>((value < 0 ? -value : value) % n);
}

} // namespace

TWindow* wndMainMenu::Create() {
    return new (std::nothrow) wndMainMenu();
}

wndMainMenu::wndMainMenu() {
    OpenCurtains();
    mBackground = std::make_unique<vlkSprite>(
        gAssetLists ? gAssetLists->GetTexture(TString("Background")) : nullptr);
    mPaused = 0;
    PlayMainMenuMusic();
}

wndMainMenu::~wndMainMenu() = default;

TString wndMainMenu::AvatarAnimationName(int32_t avatar, int32_t state) {
    if (avatar < 0 || avatar >= kAvatarCount || (state != kStanding && state != kGreeting))
        return TString();
    return TString("anim_avatar_") + TString(AvatarNameOfCode(avatar)) + TString("_") +
           TString(state == kStanding ? "stand" : "greeting");
}

TVec2 wndMainMenu::GetAvatarPosition(int32_t avatar) const {
    if (avatar < 0 || avatar >= kAvatarCount)
        return TVec2{};
    return mAvatarPositions[static_cast<size_t>(avatar)];
}

void wndMainMenu::PostInit(TWindowStyle& style) {
    // 1.
    TWindow::PostInit(style);
    // 2.
    mFigure = std::make_unique<vlkClip>();
    if (TWindowAnim* animator = GetAnimator())
        mFigure->GetAnimatedSprite()->SetClock(animator->GetClock());
    // 3.
    for (int32_t i = 0; i < kAvatarCount; ++i)
        ReadAvatarPosition(i, style);
    // 4.
    RegisterScriptFunctions();
    // 5.
    mBackground->SetPosition(static_cast<float>(GetWidth()) / 2.0f,
                             static_cast<float>(GetHeight()) / 2.0f);
    // 6.
    StartTitleCard();
    // 7.
    UpdateData();
    // 8.
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->SetAbortDraw(false);
    ScheduleAnimation(kFrameMs, true, true, false);
    mLastTime = WindowAnimatorTime(*this);
}

void wndMainMenu::RegisterScriptFunctions() {
    TWindowManager* manager = TWindowManager::Instance();
    TScript* script = manager ? manager->GetScript() : nullptr;
    if (!script)
        return;
    BindScriptFunction(*script, "gfn_clearPlayerFirstTime", this,
                       &wndMainMenu::ClearPlayerFirstTime);
    BindScriptFunction(*script, "gfn_isPlayerFirstTime", this, &wndMainMenu::IsPlayerFirstTime);
    BindScriptFunction(*script, "gfn_animClose", this, &wndMainMenu::CloseCurtains);
    BindScriptFunction(*script, "gfn_animOpen", this, &wndMainMenu::OpenCurtains);
    BindScriptFunction(*script, "gfn_updateData", this, &wndMainMenu::UpdateData);
    BindScriptFunction(*script, "gfn_post", this, &wndMainMenu::Post);
}

void wndMainMenu::ReadAvatarPosition(int32_t index, TWindowStyle& style) {
    if (index < 0 || index >= kAvatarCount)
        return;
    std::unique_ptr<TLuaTable> table(style.GetTable(kPositionTables[index]));
    if (!table)
        return;
    mAvatarPositions[static_cast<size_t>(index)] =
        TVec2{static_cast<float>(table->GetNumber("x", 0.0)),
              static_cast<float>(table->GetNumber("y", 0.0))};
}

void wndMainMenu::StartTitleCard() {
    auto card = std::make_unique<TParticleSystem>();
    if (!card->LoadParticleSystem(GetFxPath(TString("Titlecard"))))
        return;
    card->Mirror();
    card->SetPosition(kTitleCardX, kTitleCardY, 0.0f);
    card->SetActive(true);
    card->Restart();
    mTitleCard = std::move(card);
}

void wndMainMenu::CloseCurtains() {
    RunLuaString(TString("DisableAllButtons()"));
    if (!mClosing)
        mClosing = std::make_unique<ScreenCurtain>(TString(kClosingFile));
    mClosing->Play();
}

void wndMainMenu::OpenCurtains() {
    RunLuaString(TString("DisableAllButtons()"));
    if (!mOpening)
        mOpening = std::make_unique<ScreenCurtain>(TString(kOpeningFile));
    mOpening->Play();
}

void wndMainMenu::UpdateData() {
    TWindow* label = FindChild(TString("lblUserName"), int32_t{3});
    if (label && label->IsKindOf(TText::GetClassId()) && gGameSettings)
        static_cast<TText*>(label)->SetText(gGameSettings->GetCurrentUserName());
    mAvatar = GetCurrentUserAvatar();
    SetAvatarAnimation(kGreeting, true);
}

void wndMainMenu::Post() {
    // The request object lives for the call and sends nothing: the page
    // opens in the player's browser.
    TSimpleHttp request;
    if (TApplication* application = TApplication::Get())
        application->OpenUrl(gGameTuning.game.facebook);
}

bool wndMainMenu::IsPlayerFirstTime() {
    return ::IsPlayerFirstTime();
}

void wndMainMenu::ClearPlayerFirstTime() {
    ::ClearPlayerFirstTime();
}

void wndMainMenu::SetAvatarAnimation(int32_t state, bool force) {
    if ((state == mAvatarState && !force) || !mFigure)
        return;
    if (AvatarAnimationName(mAvatar, state).IsEmpty())
        return;
    ShowFigure(state);
}

void wndMainMenu::ShowFigure(int32_t state) {
    const TString name = AvatarAnimationName(mAvatar, state);
    if (name.IsEmpty() || !mFigure)
        return;
    mAvatarState = state;
    mFigure->SetAnimationAndPlay(gAssetLists ? gAssetLists->GetAnimatedTexture(name) : nullptr);
    const TVec2 at = GetAvatarPosition(mAvatar);
    mFigure->SetPosition(at.x, at.y);
}

bool wndMainMenu::OnAnimate() {
    const uint32_t now = WindowAnimatorTime(*this);
    Step(now - mLastTime);
    mLastTime = now;
    return true;
}

void wndMainMenu::Step(uint32_t elapsedMs) {
    TAnimatedSprite* sprite = mFigure ? mFigure->GetAnimatedSprite().get() : nullptr;
    // 2. An inactive application: everything stands still.
    if (GetGameStateValue(TString("WindowActivated")) == TString("0")) {
        if (sprite)
            sprite->StopScript();
        mPaused = 1;
        InvalidateWindows();
        return;
    }
    // 3.
    if (mPaused) {
        mPaused = 0;
        if (mFigure)
            mFigure->PlayAnimation(TString("DoAnim"));
    }
    if (mAvatarState == kGreeting) {
        if (sprite && !sprite->IsPlaying(0)) {
            mStandTimeLeft = kStandMinMs + RandomBelow(kStandSpreadMs);
            ShowFigure(kStanding);
        }
    } else if (mAvatarState == kStanding) {
        mStandTimeLeft -= static_cast<int32_t>(elapsedMs);
        if (mStandTimeLeft <= 0)
            ShowFigure(kGreeting);
    }
    // 4.
    if (mClosing && mClosing->Update(elapsedMs)) {
        mClosing.reset();
        RunLuaString(TString("closeMainMenu()"));
    }
    if (mOpening && mOpening->Update(elapsedMs)) {
        mOpening.reset();
        RunLuaString(TString("EnableAllButtons()"));
    }
    if (mTitleCard)
        mTitleCard->Update(elapsedMs);
    // 5.
    InvalidateWindows();
}

void wndMainMenu::Draw() {
    TWindow::Draw();
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    mBackground->Draw();
    if (mTitleCard)
        mTitleCard->Draw();
    if (mFigure)
        mFigure->Draw();
}

void wndMainMenu::DrawOverlay() {
    TWindow::DrawOverlay();
    if (!mClosing && !mOpening)
        return;
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    if (mClosing)
        mClosing->Draw();
    if (mOpening)
        mOpening->Draw();
}
