#include "game/screens/ScreenCurtain.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/FrameworkTime.h"
#include "framework/core/tasks/TClock.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TWindow.h"
#include "framework/ui/window/TWindowAnim.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

namespace {

constexpr float kCurtainSpeed = 2.0f;

} // namespace

ScreenCurtain::ScreenCurtain(const TString& file)
    : mFile(file), mScene(std::make_unique<vlkCutscene>()) {
    mLoaded = mScene->Load(file);
    if (!mLoaded)
        LogPrintf("The curtain \"%s\" did not load; it counts as finished", file.CStr());
}

ScreenCurtain::~ScreenCurtain() = default;

void ScreenCurtain::Play() {
    mEnded = false;
    if (!mLoaded) {
        mEnded = true;
        return;
    }
    mScene->Play();
    mScene->SetSpeed(kCurtainSpeed);
    mScene->Update(0);
    mEnded = mScene->IsFinished();
}

bool ScreenCurtain::Update(uint32_t elapsedMs) {
    if (mLoaded) {
        mScene->Update(elapsedMs);
        mEnded = mEnded || mScene->IsFinished();
    }
    const bool ended = mEnded;
    mEnded = false;
    return ended;
}

void ScreenCurtain::Draw() {
    if (mLoaded)
        mScene->Draw();
}

uint32_t WindowAnimatorTime(TWindow& window) {
    TWindowAnim* animator = window.GetAnimator();
    TClock* clock = animator ? animator->GetClock() : nullptr;
    return clock ? clock->GetTime() : GetFrameworkTime();
}

void LeaveToMainMenu() {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->SetAbortDraw(true);
    if (gGameSettings)
        gGameSettings->QuitToMainMenu();
}
