#include "game/screens/wndFinishQuest.h"

#include "framework/app/TApplication.h"
#include "framework/graphics/TGraphics.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/manager/TWindowManager.h"
#include "game/levels/LevelServices.h"
#include "framework/ui/widgets/TImage.h"
#include "game/random/GameRandom.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/container/WindowVisibility.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/game/FxMap.h"
#include "velk/globals/GameGlobals.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkTrailBurstFx.h"

#include <new>

#include <lua.h>

namespace {

// The screen that registered "gfn_onFinishQuest_Back" last.
wndFinishQuest* gFinishQuest = nullptr;

int ScriptBack(lua_State*) {
    if (gFinishQuest)
        gFinishQuest->OnBack();
    return 0;
}

uint32_t TimerNow() {
    TApplication* application = TApplication::Get();
    return application ? application->GetTimer() : 0;
}

} // namespace

wndFinishQuest::wndFinishQuest() {
    gFinishQuest = this;
    if (TScript* script = GetGameScript())
        script->RegisterFunction("gfn_onFinishQuest_Back", &ScriptBack);
    mTitle = std::make_unique<vlkCutscene>();
    // A title that does not load ends at once (logged there): the panel
    // then shows on the first tick.
    mTitle->Load(GetFxPath(TString("FinishQuest")));
    mTitle->SetPosition(0.0f, 0.0f);
    mFireworks[0] = std::make_unique<vlkTrailBurstFx>();
    for (int i = 1; i < kFireworks; ++i)
        mFireworks[i] = std::make_unique<vlkTrailBurstFx>(*mFireworks[0]);
    mTitleParticles = std::make_unique<TParticleSystem>();
    mTitleParticles->LoadParticleSystem(GetFxPath(TString("Titlecard")));
    mTitleParticles->Mirror();
    mTitleParticles->SetPosition(512.0f, 384.0f, 0.0f);
}

wndFinishQuest::~wndFinishQuest() {
    if (gFinishQuest == this)
        gFinishQuest = nullptr;
}

TWindow* wndFinishQuest::Create() {
    return new (std::nothrow) wndFinishQuest();
}

void wndFinishQuest::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    ScheduleAnimation(kFrameMs, true, true, false);
    mTitle->Play();
    for (auto& firework : mFireworks)
        firework->PickRandomFirework();
    Launch(0);
    mTitleParticles->SetActive(true);
    mTitleParticles->Restart();
    mPanel = dynamic_cast<TImage*>(FindChild(TString("bmpPanel"), int32_t(1)));
    SetWindowVisible(mPanel, false);
    mLastTick = TimerNow();
}

TImage* wndFinishQuest::FindFadeImage() const {
    TWindow* parent = GetParent();
    TWindow* grandparent = parent ? parent->GetParent() : nullptr;
    if (!grandparent)
        return nullptr;
    return dynamic_cast<TImage*>(grandparent->FindChild(TString("bmpFade"), true));
}

bool wndFinishQuest::OnAnimate() {
    const uint32_t now = TimerNow();
    const uint32_t elapsed = now - mLastTick;
    mLastTick = now;
    Update(elapsed);
    InvalidateWindows();
    return true;
}

void wndFinishQuest::Update(uint32_t elapsed) {
    UpdateFade(elapsed);
    mTitle->Update(elapsed);
    if (mTitle->IsFinished())
        SetWindowVisible(mPanel, true);
    mTitleParticles->Update(elapsed);
    UpdateFireworks(elapsed);
}

void wndFinishQuest::UpdateFade(uint32_t elapsed) {
    if (!mFading) {
        if (!mFadeImage) {
            mFadeImage = FindFadeImage();
            if (mFadeImage)
                mFadeImage->SetAlpha(0.0f);
        }
        return;
    }
    if (!mFadeImage)
        return;
    float alpha = mFadeImage->GetAlpha() + mFadeRate * static_cast<float>(elapsed);
    if (mFadePhase == kFadingToBlack && alpha >= 1.0f) {
        TurnFade();
    } else if (mFadePhase == kFadingBack && alpha <= 0.0f) {
        // Back at the start: the script leaves the screen, once.
        alpha = 0.0f;
        mFading = 0;
        mFadePhase = kNoFade;
        mFadeImage->SetAlpha(alpha);
        RunLevelScript(TString("FinishQuest_Back()"));
        return;
    }
    mFadeImage->SetAlpha(alpha);
}

void wndFinishQuest::TurnFade() {
    if (!mFadeImage)
        return;
    mFadeRate = -kFadeRate;
    mFading = 1;
    SetWindowVisible(GetParent(), false);
    mFadePhase = kFadingBack;
}

void wndFinishQuest::OnBack() {
    // A second press while the fade runs changes nothing.
    if (mFading)
        return;
    mFadeImage = FindFadeImage();
    if (!mFadeImage) {
        RunLevelScript(TString("FinishQuest_Back()"));
        return;
    }
    mFadeImage->SetAlpha(0.0f);
    mFadeRate = kFadeRate;
    mFading = 1;
    mFadePhase = kFadingToBlack;
}

void wndFinishQuest::Launch(int i) {
    mFireworks[i]->Launch();
    ++mLaunches;
}

void wndFinishQuest::UpdateFireworks(uint32_t elapsed) {
    for (int i = 0; i < kFireworks; ++i) {
        mFireworks[i]->Update(elapsed);
        if (i + 1 < kFireworks) {
            vlkTrailBurstFx& next = *mFireworks[i + 1];
            if (!next.IsDone() && !next.IsActive()) {
                // The next one goes up when this one bursts, or now and
                // then on its own.
                if (mFireworks[i]->IsBursting() || RandomBelow(1000) < 20)
                    Launch(i + 1);
            }
        }
    }
    // The show loops once the seventh has gone off: a new texture makes each
    // firework ready again, and the first goes up.
    if (mFireworks[kFireworks - 2]->IsDone()) {
        for (auto& firework : mFireworks)
            firework->PickRandomFirework();
        Launch(0);
    }
}

void wndFinishQuest::Draw() {
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    mTitleParticles->Draw();
    for (auto& firework : mFireworks)
        firework->Draw();
    mTitle->Draw();
}
