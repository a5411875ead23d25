#include "game/screens/wndLoading.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/sprite/TSprite.h"
#include "framework/ui/manager/TWindowManager.h"
#include "game/levels/LevelServices.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"
#include "velk/assets/TAssetLists.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/display/vlkClip.h"
#include "velk/display/vlkSprite.h"
#include "velk/game/FxMap.h"
#include "velk/globals/GameGlobals.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/settings/vlkGameSettings.h"

#include <new>

namespace {

// The bar and its background are centred on this point of the screen.
constexpr float kBarX = 512.0f;
constexpr float kBarY = 652.0f;
// Both animations play at this offset.
constexpr float kAnimationX = 0.0f;
constexpr float kAnimationY = 450.0f;

std::unique_ptr<vlkCutscene> LoadScene(const char* effect) {
    auto scene = std::make_unique<vlkCutscene>();
    // A scene that does not load ends at once when played (logged there),
    // so the screen still goes on to the level.
    scene->Load(GetFxPath(TString(effect)));
    scene->SetPosition(kAnimationX, kAnimationY);
    return scene;
}

std::unique_ptr<vlkSprite> MakeSprite(const char* texture) {
    std::shared_ptr<TTexture> picture =
        gAssetLists ? gAssetLists->GetTexture(TString(texture)) : nullptr;
    if (!picture)
        LogPrintf("wndLoading: no picture \"%s\" in the asset lists", texture);
    return std::make_unique<vlkSprite>(picture);
}

} // namespace

wndLoading::wndLoading() {
    CreateParts();
}

wndLoading::~wndLoading() = default;

TWindow* wndLoading::Create() {
    return new (std::nothrow) wndLoading();
}

void wndLoading::CreateParts() {
    mStart = LoadScene("LoadingStart");
    mFinish = LoadScene("LoadingFinish");
    mParticles = std::make_unique<TParticleSystem>();
    mParticles->LoadParticleSystem(GetFxPath(TString("DLoading")));
    mParticles->Mirror();
    mParticles->SetPosition(512.0f, 616.0f, 0.0f);
    mParticles->SetActive(true);
    mParticles->Restart();
    mCurtain = MakeSprite("CurtainClosed");
    mBarBackground = MakeSprite("LoadingBarBackground");
    mBarBackground->SetPosition(kBarX, kBarY);
    mBar = MakeSprite("LoadingBar");
    mBar->SetScaleX(0.0f);
    mBar->SetPosition(kBarX, kBarY + 1.0f);
}

TClock* wndLoading::AnimatorClock() {
    TWindowAnim* animator = GetAnimator();
    return animator ? animator->GetClock() : nullptr;
}

void wndLoading::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    int32_t level = style.GetInt("levelId", 0);
    if (level < 0)
        level = 0;
    mLevelGroup = gAssetLists ? gAssetLists->FindLevelList(level) : nullptr;
    if (!mLevelGroup)
        LogPrintf("wndLoading: the asset lists have no level %d; nothing to load", level);
    CreateAvatar();
    mCurtain->SetPosition(GetWidth() * 0.5f, GetHeight() * 0.5f);
    mStart->Play();
    mStart->Update(0);
    mPhase = kStarting;
    ScheduleAnimation(kFrameMs, true, true, false);
    TClock* clock = AnimatorClock();
    mLastTick = clock ? clock->GetTime() : 0;
}

void wndLoading::CreateAvatar() {
    mAvatar = std::make_unique<vlkClip>(nullptr, AnimatorClock());
    const int avatar = gGameSettings
                           ? gGameSettings->GetUserInt(TString("UserAvatar"), 0,
                                                       gGameSettings->GetCurrentUserIndex())
                           : 0;
    static constexpr const char* kPrefixes[] = {"m", "f", "d", "c"};
    if (avatar < 0 || avatar > 3) {
        // Nothing to show: an avatar without animation is not drawn.
        LogPrintf("wndLoading: avatar %d is none of the four; no avatar shows", avatar);
        mAvatar->SetVisible(false);
        return;
    }
    const TString name = TString(kPrefixes[avatar]) + TString("avatar_score_win");
    if (std::shared_ptr<TAnimatedTexture> animation =
            gAssetLists ? gAssetLists->GetAnimatedTexture(name) : nullptr) {
        mAvatar->SetAnimation(animation);
        mAvatar->PlayAnimation(TString("DoAnim"));
    } else {
        LogPrintf("wndLoading: no animation \"%s\" in the asset lists", name.CStr());
    }
    mAvatar->SetPosition(
        (GetWidth() - mAvatar->GetWidth() * mAvatar->GetScaleX()) * 0.5f - 50.0f,
        (GetHeight() - mAvatar->GetHeight() * mAvatar->GetScaleY()) * 0.5f - 50.0f);
    mAvatar->PlayAnimation(TString("win"));
    mAvatarFadeRate = kAvatarFadeRate;
}

bool wndLoading::OnAnimate() {
    TClock* clock = AnimatorClock();
    Step(clock ? clock->GetTime() : mLastTick);
    return true;
}

void wndLoading::Step(uint32_t now) {
    InvalidateWindows();
    uint32_t elapsed = now - mLastTick;
    mLastTick = now;
    if (mPhase == kStarting) {
        mStart->Update(elapsed);
        if (mStart->IsFinished())
            mPhase = kLoading;
    } else if (mPhase == kLoading) {
        mParticles->Update(elapsed);
        const int32_t entries = mLevelGroup ? static_cast<int32_t>(mLevelGroup->entries.size()) : 0;
        if (mLoadedCount < entries) {
            // One asset a tick; one that fails is logged by the asset lists
            // and counted all the same.
            if (gAssetLists)
                gAssetLists->LoadAsset(mLevelGroup->entries[static_cast<size_t>(mLoadedCount)]);
            ++mLoadedCount;
            mProgress = static_cast<float>(mLoadedCount) / static_cast<float>(entries);
        } else {
            mFinish->Play();
            elapsed = 0;
            mPhase = kFinishing;
        }
    }
    if (mPhase == kFinishing) {
        mFinish->Update(elapsed);
        mAvatar->SetAlpha(mAvatar->GetAlpha() - mAvatarFadeRate * static_cast<float>(elapsed));
        if (mFinish->IsFinished()) {
            mPhase = kDone;
            RunLevelScript(TString("gfn_OnLoaderComplete()"));
        }
    }
}

float wndLoading::BarCentreX(float progress) const {
    // The background picture's own width: a sprite made with its picture
    // does not take the picture's size as its own.
    const std::shared_ptr<TTexture> picture = mBarBackground->GetSprite()->GetTexture();
    const float pictureWidth = picture ? static_cast<float>(picture->GetWidth()) : 0.0f;
    const float width = pictureWidth * mBarBackground->GetScaleX();
    return kBarX - width * 0.5f * (1.0f - progress);
}

void wndLoading::PlaceBar() {
    mBar->SetPosition(BarCentreX(mProgress), kBarY);
    mBar->SetScaleX(mProgress);
}

void wndLoading::DrawOverlay() {
    TWindow::DrawOverlay();
    if (mPhase == kLoading)
        PlaceBar();
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    mCurtain->Draw();
    if (mPhase == kStarting) {
        mStart->Draw();
    } else if (mPhase == kLoading) {
        mParticles->Draw();
        mBarBackground->Draw();
        mBar->Draw();
        mStart->Draw();
    } else if (mPhase == kFinishing) {
        mFinish->Draw();
    }
    mAvatar->Draw();
}
