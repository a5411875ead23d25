#include "game/screens/wndMetamap.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/graphics/TGraphics.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TWindowAnim.h"
#include "game/board/GetLocalizedString.h"
#include "game/data/MetamapNodes.h"
#include "game/levels/LevelServices.h"
#include "game/progress/clsMetamap.h"
#include "game/screens/MetamapDecisions.h"
#include "game/screens/ScreenCurtain.h"
#include "game/screens/clsMetamapButton.h"
#include "game/state/dtUserState.h"
#include "velk/assets/MenuMusic.h"
#include "velk/assets/TAssetLists.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/container/WindowVisibility.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkCutsceneTextSequence.h"
#include "velk/game/FxMap.h"
#include "velk/globals/GameGlobals.h"
#include "velk/particles/TParticleEmitter.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkParticleFx.h"

#include <new>

#include <lua.h>

namespace {

// The map that registered the script functions last.
wndMetamap* gMetamap = nullptr;

int ScriptPressed(lua_State* L) {
    if (gMetamap)
        gMetamap->OnButtonPressed(static_cast<int32_t>(lua_tonumber(L, 1)));
    return 0;
}

int ScriptBack(lua_State*) {
    if (gMetamap)
        gMetamap->OnBack();
    return 0;
}

std::unique_ptr<vlkCutscene> LoadScene(const char* effect) {
    auto scene = std::make_unique<vlkCutscene>();
    scene->Load(GetFxPath(TString(effect)));
    return scene;
}

std::unique_ptr<TParticleSystem> LoadParticles(const char* effect) {
    auto system = std::make_unique<TParticleSystem>();
    system->LoadParticleSystem(GetFxPath(TString(effect)));
    return system;
}

bool IsInactive() {
    GameStates* states = GetLevelServices().states;
    return states && states->GetValue(TString("WindowActivated")) == TString("0");
}

} // namespace

wndMetamap::wndMetamap() {
    GameStyleCode = 1;
    gMetamap = this;
    if (TScript* script = GetGameScript()) {
        script->RegisterFunction("gfn_onMetamapButton_Pressed", &ScriptPressed);
        script->RegisterFunction("gfn_onMetamapButton_Back", &ScriptBack);
    }
    PlayMainMenuMusic();
}

wndMetamap::~wndMetamap() {
    if (gMetamap == this)
        gMetamap = nullptr;
}

TWindow* wndMetamap::Create() {
    return new (std::nothrow) wndMetamap();
}

bool wndMetamap::ButtonsFitModel() const {
    const int nodes = mModel->GetNodeCount();
    const int buttons = static_cast<int>(mButtons.size());
    int differing = -1;
    for (int i = 0; i < std::min(nodes, buttons) && differing < 0; ++i)
        if (mButtons[static_cast<size_t>(i)]->GetMode() != mModel->GetNodeMode(i))
            differing = i;
    if (differing < 0 && nodes == buttons && nodes > 0)
        return true;
    if (differing < 0)
        differing = std::min(nodes, buttons);
    LogPrintf("wndMetamap: data error: %d node buttons for %d quest nodes; node %d differs "
              "(mode %d on the map, %d in the node table); presses are ignored",
              buttons, nodes, differing + 1,
              differing < buttons ? mButtons[static_cast<size_t>(differing)]->GetMode() : 0,
              mModel->GetNodeMode(differing));
    return false;
}

void wndMetamap::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    SetChildVisible(this, TString("lblTestMode"), false, 1);
    ProgressStore* progress = GetLevelServices().progress;
    if (progress)
        progress->LoadUserData();
    for (int n = 1;; ++n) {
        auto* button =
            dynamic_cast<clsMetamapButton*>(FindChild(TString::Format("mbtn_%d", n), int32_t(1)));
        if (!button)
            break;
        mButtons.push_back(button);
    }
    dtUserState* user = progress ? progress->GetUserState() : nullptr;
    mModel = user ? user->GetMetamap() : nullptr;
    if (!mModel)
        LogPrintf("wndMetamap: no player's quest map; the map is not laid out");
    mLaidOut = mModel && ButtonsFitModel();
    if (mLaidOut) {
        for (int i = 0; i < mModel->GetNodeCount(); ++i) {
            const clsNodeMap* node = mModel->GetNode(i);
            const bool goal = node->GetDefinition() && node->GetDefinition()->goal > 0;
            SetChildVisible(this, TString::Format("bmpIconGoal_%d", i + 1), goal, 1);
        }
        CreateAmbientEffects();
        mFrontier = 0;
        mWorldClearPending = 0;
        mFinishQuestPending = 0;
        UpdateNodes();
        StartCurtain();
    } else {
        // Without a layout the map still ticks, so that Back (its curtain
        // and the way to the menu) keeps working; node presses are ignored.
        // The buttons are let go at the first tick, once the script that
        // made the map (and shut its buttons behind a blocker) has run.
        mCurtainState = kRunning;
        ShowBackButton(true);
        mEnableButtonsOnTick = true;
    }
    ScheduleAnimation(kFrameMs, true, true, false);
    TWindowAnim* animator = GetAnimator();
    TClock* clock = animator ? animator->GetClock() : nullptr;
    mLastTick = clock ? clock->GetTime() : 0;
}

void wndMetamap::CreateAmbientEffects() {
    mMountainBirds = LoadScene("BirdsMountain");
    mMountainBirds->SetPosition(20.0f, 0.0f);
    mMountainBirds->Play();
    mBeachBirds = LoadScene("BirdsBeach");
    mBeachBirds->SetPosition(700.0f, 0.0f);
    for (int k = 0; k < kWorlds; ++k) {
        mLockedClouds[k] = LoadScene("CloudsLocked");
        mLockedClouds[k]->SetPosition(static_cast<float>(mCloudX[k]),
                                      static_cast<float>(mCloudY[k]));
        mLockedClouds[k]->Play();
        mLockedClouds[k]->Update(0);
    }
    mUnlockedCloud = LoadScene("CloudsUnlocked");
    mUnlockedCloud->SetPosition(static_cast<float>(mCloudX[0]), static_cast<float>(mCloudY[0]));
    mPathEffect = std::make_unique<vlkParticleFx>();
    mWorldClearText = std::make_unique<vlkCutsceneTextSequence>(
        TString("anim/anim_worldclear.xml"), TString("sprite"), TString("gpx/letters/"));
    mWorldClearText->SetText(GetLocalizedString(TString("Anim_WorldClear")));
    mWorldClearText->SetPosition(GetWidth() / 2, GetHeight() / 2);
    mWorldClearText->SetLetterWidth(80);
    mWorldClearText->SetSpacing(-40);
    mWorldClearParticles = LoadParticles("WorldClear");
    mWorldClearParticles->Mirror();
    mWorldClearParticles->SetPosition(GetWidth() * 0.5f, GetHeight() * 0.5f, 1.0f);
    mWorldClearParticles->SetActive(false);
    mWorldClearParticles->SetVisible(false);
}

void wndMetamap::EffectPoint(int k, float& x, float& y) const {
    const TRect rect = mButtons[static_cast<size_t>(k)]->GetRect();
    x = static_cast<float>(rect.left) + static_cast<float>(rect.right - rect.left) * 0.5f + 4.0f;
    y = static_cast<float>(rect.top) + static_cast<float>(rect.bottom - rect.top) * 0.5f + 2.0f;
}

void wndMetamap::UpdateNodes() {
    const metamap::Walk walk = metamap::WalkNodes(*mModel);
    mFrontier = walk.frontier;
    mFrontierNew = walk.frontierNew ? 1 : 0;
    for (int k : walk.completed)
        mButtons[static_cast<size_t>(k)]->SetCompleted();
    for (int k : walk.opened)
        mButtons[static_cast<size_t>(k)]->SetOpen();
    for (int k : walk.unshown)
        ShowNodeUnlocked(k);
    StartPathEffect(walk.frontierNew, walk.frontierCompleted);
    HideClearedClouds();
    PrepareUnlockedCloud();
    CheckWorldClear(walk.frontierNew, walk.frontierCompleted);
}

void wndMetamap::SaveMap() {
    if (ProgressStore* progress = GetLevelServices().progress)
        progress->SaveMetamap();
}

void wndMetamap::ShowNodeUnlocked(int k) {
    float x = 0.0f, y = 0.0f;
    EffectPoint(k, x, y);
    AddUnlockEffect(x, y);
    mModel->GetNode(k)->unlockNotYetShown = false;
    mButtons[static_cast<size_t>(k)]->SetOpen();
    SaveMap();
}

void wndMetamap::AddUnlockEffect(float x, float y) {
    auto burst = LoadParticles("Metamapunlocked");
    burst->Mirror();
    burst->SetPosition(x, y, 1.0f);
    burst->SetActive(true);
    burst->Restart();
    burst->Update(10);
    mUnlockEffects.push_back(std::move(burst));
}

void wndMetamap::AddMapClearEffect(float x, float y) {
    auto burst = LoadParticles("Metamapunlocked");
    if (TParticleEmitter* emitter = burst->GetEmitter(0))
        emitter->SetTexture(GetFxPath(TString("empty")));
    burst->Mirror();
    burst->SetPosition(x, y, 1.0f);
    mMapClearEffects.push_back(std::move(burst));
}

void wndMetamap::StartPathEffect(bool isNew, bool completed) {
    const metamap::PathChoice choice = metamap::ChoosePath(mFrontier, isNew, completed);
    mPathName = choice.path;
    mPathWaits = choice.waits;
    mPathEffect->LoadParticlePath(GetFxPath(TString(choice.path)));
    if (choice.texture)
        if (TParticleSystem* system = mPathEffect->GetParticleSystem())
            if (TParticleEmitter* emitter = system->GetEmitter(0))
                emitter->SetTexture(GetFxPath(TString(choice.texture)));
    mPathEffect->MirrorEmitters();
    if (!choice.waits) {
        mPathEffect->Start();
        mPathEffect->Update(10);
    }
}

void wndMetamap::HideClearedClouds() {
    for (int k = 1; k <= kWorlds; ++k)
        if (metamap::IsCloudHidden(k, mFrontier)) {
            mLockedClouds[k - 1]->SetEnabled(false);
            mLockedClouds[k - 1]->SetVisible(false);
        }
}

void wndMetamap::PrepareUnlockedCloud() {
    const int world = metamap::OpenedWorld(mFrontier);
    if (world == 0 || mUnlockEffects.empty()) {
        mUnlockedCloud->SetEnabled(false);
        mUnlockedCloud->SetVisible(false);
        return;
    }
    mUnlockedCloud->SetPosition(static_cast<float>(mCloudX[world - 1]),
                                static_cast<float>(mCloudY[world - 1]));
    mUnlockedCloud->Play();
    mUnlockedCloud->Update(0);
    // Held on its first frame until the curtain has opened.
    mUnlockedCloud->SetEnabled(false);
    mUnlockedCloud->SetVisible(true);
}

void wndMetamap::CheckWorldClear(bool isNew, bool completed) {
    const metamap::WorldClear clear =
        metamap::CheckWorldClear(mFrontier, isNew, completed, mModel->IsQuestFinished());
    mWorldClearPending = clear.pending ? 1 : 0;
    if (clear.finishQuest) {
        mModel->SetQuestFinished(true);
        SaveMap();
        mFinishQuestPending = 1;
    }
    if (clear.pending)
        for (int k = clear.firstNode; k < mFrontier; ++k) {
            float x = 0.0f, y = 0.0f;
            EffectPoint(k, x, y);
            AddMapClearEffect(x, y);
        }
}

void wndMetamap::StartCurtain() {
    if (mCurtain || mCurtainState == kRunning)
        return;
    const char* file =
        mCurtainState == kOpening ? "anim/curtainsopen.xml" : "anim/curtainsclose.xml";
    mHideBackButton = 1;
    mCurtain = std::make_unique<vlkCutscene>();
    // A curtain that does not load ends at its first update (logged by the
    // cut-scene), so the map never waits on it.
    mCurtain->Load(TString(file));
    mCurtain->Play();
    mCurtain->SetSpeed(2.0f);
    mCurtain->Update(0);
}

bool wndMetamap::OnAnimate() {
    TWindowAnim* animator = GetAnimator();
    TClock* clock = animator ? animator->GetClock() : nullptr;
    Step(clock ? clock->GetTime() : mLastTick);
    return true;
}

void wndMetamap::Step(uint32_t now) {
    const uint32_t elapsed = now - mLastTick;
    mLastTick = now;
    if (mEnableButtonsOnTick) {
        mEnableButtonsOnTick = false;
        RunLevelScript(TString("EnableAllButtons()"));
    }
    if (!IsInactive()) {
        if (mCurtain && mCurtain->IsEnabled()) {
            mCurtain->Update(elapsed);
            if (mCurtain->IsFinished()) {
                mCurtain->SetEnabled(false);
                OnCurtainFinished();
            }
        }
        UpdateEffects(elapsed);
    }
    InvalidateWindows();
}

void wndMetamap::OnCurtainFinished() {
    mCurtain.reset();
    switch (mCurtainState) {
    case kOpening:
        ShowBackButton(true);
        RunLevelScript(TString("EnableAllButtons()"));
        mCurtainState = kRunning;
        MapClear();
        if (mFrontier == 0 && mFrontierNew)
            RunLevelScript(TString("DoModal('scripts/quest_panel.lua')"));
        break;
    case kClosingToPlay:
        StopMainMenuMusic();
        RunLevelScript(TString("closeMetamap()"));
        break;
    case kClosingToBack:
        LeaveToMainMenu();
        break;
    default:
        break;
    }
}

void wndMetamap::MapClear() {
    if (!mLaidOut)
        return;
    mBeachBirds->Play();
    if (mUnlockedCloud->IsVisible())
        mUnlockedCloud->SetEnabled(true);
    if (mWorldClearPending) {
        mWorldClearText->Play();
        mWorldClearParticles->SetVisible(true);
        mWorldClearParticles->SetActive(true);
        mWorldClearParticles->Restart();
        for (auto& burst : mMapClearEffects) {
            burst->SetActive(true);
            burst->Restart();
        }
        PlaySound("MapClear");
    }
}

void wndMetamap::OpenNode() {
    for (auto& burst : mUnlockEffects) {
        burst->SetActive(true);
        burst->Restart();
    }
    if (!mUnlockEffects.empty())
        PlaySound("OpenNode");
}

void wndMetamap::UpdateEffects(uint32_t elapsed) {
    if (mCurtainState != kRunning || !mLaidOut)
        return;
    for (auto& burst : mUnlockEffects)
        burst->Update(elapsed);
    vlkCutscene* ambient[2 + kWorlds] = {mMountainBirds.get(), mBeachBirds.get()};
    for (int k = 0; k < kWorlds; ++k)
        ambient[2 + k] = mLockedClouds[k].get();
    for (vlkCutscene* scene : ambient) {
        scene->Update(elapsed);
        if (scene->IsFinished())
            scene->Play();
    }
    mUnlockedCloud->Update(elapsed);
    if (mUnlockedCloud->IsFinished()) {
        mUnlockedCloud->SetEnabled(false);
        mUnlockedCloud->SetVisible(false);
    }
    mPathEffect->Update(elapsed);
    if (mPathEffect->GetState() == vlkParticleFx::kStatePathEnded)
        mPathEffect->SetActive(false);
    if (mWorldClearPending) {
        mWorldClearText->Update(elapsed);
        if (mWorldClearText->IsFinishedThisFrame()) {
            if (mFinishQuestPending) {
                mFinishQuestPending = 0;
                RunLevelScript(TString("DoModal('scripts/finish_quest.lua')"));
            }
            RunLevelScript(TString("DoModal('scripts/achievement.lua')"));
            if (mPathWaits) {
                mPathEffect->Start();
                OpenNode();
            }
        }
        mWorldClearParticles->Update(elapsed);
    }
    for (auto& burst : mMapClearEffects)
        burst->Update(elapsed);
}

void wndMetamap::OnButtonPressed(int32_t n) {
    if (mCurtain && mCurtain->IsEnabled())
        return;
    if (mLaidOut &&
        (mUnlockedCloud->IsEnabled() || mWorldClearText->IsPlaying() || mPathEffect->IsActive()))
        return;
    if (!mModel || !mLaidOut)
        return;
    // Only a node the walk opened or completed can be played: a number
    // outside the map, or a node not reached (a script's call), is ignored.
    const int index = n - 1;
    const clsNodeMap* node = mModel->GetNode(index);
    if (!node || index >= static_cast<int>(mButtons.size()) ||
        mButtons[static_cast<size_t>(index)]->GetState() == 0) {
        LogPrintf("wndMetamap: node %d cannot be played now; the press is ignored", n);
        return;
    }
    mModel->SetCurrentNode(index);
    SaveMap();
    mCurtainState = kClosingToPlay;
    StartCurtain();
}

void wndMetamap::OnBack() {
    mCurtainState = kClosingToBack;
    StartCurtain();
}

bool wndMetamap::ShowBackButton(bool show) {
    TWindow* parent = GetParent();
    TWindow* back = parent ? parent->FindChild(TString("btnBack"), true) : nullptr;
    if (!back)
        return false;
    SetWindowVisible(back, show);
    return true;
}

void wndMetamap::PlaySound(const char* name) {
    if (!gAssetLists)
        return;
    if (gGameAssetMap && gGameAssetMap->IsSoundSuppressed(TString(name)))
        return;
    PlayLevelSound(TString(name), false);
}

void wndMetamap::Draw() {
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    if (mHideBackButton && ShowBackButton(false))
        mHideBackButton = 0;
}

void wndMetamap::DrawOverlay() {
    TWindow::DrawOverlay();
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    if (mLaidOut)
        DrawEffects();
    if (mCurtain)
        mCurtain->Draw();
}

void wndMetamap::DrawEffects() {
    for (auto& burst : mUnlockEffects)
        burst->Draw();
    mMountainBirds->Draw();
    mBeachBirds->Draw();
    for (auto& cloud : mLockedClouds)
        cloud->Draw();
    mPathEffect->Draw();
    for (auto& burst : mMapClearEffects)
        burst->Draw();
    mUnlockedCloud->Draw();
    mWorldClearParticles->Draw();
    mWorldClearText->Draw();
}
