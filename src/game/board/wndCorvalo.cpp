#include "game/board/wndCorvalo.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/graphics/TGraphics.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/manager/TWindowManager.h"
#include "game/board/BoardTheme.h"
#include "game/gmCorvalo.h"
#include "game/levels/LevelServices.h"
#include "game/progress/QuestMap.h"
#include "game/state/dtUserState.h"
#include "velk/assets/TAssetLists.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/container/WindowVisibility.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkCutsceneText.h"
#include "velk/cutscene/vlkCutsceneTextSequence.h"
#include "velk/display/vlkClip.h"
#include "velk/display/vlkLookHash.h"
#include "velk/game/FxMap.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkParticleFx.h"
#include "velk/particles/vlkTrailBurstFx.h"

#include <new>

#include <lua.h>

namespace {

constexpr uint32_t kFrameMs = 16;
constexpr float kCurtainSpeed = 2.0f;

wndCorvalo* CurrentBoard() {
    return dynamic_cast<wndCorvalo*>(gCurrentContainer);
}

// "qvd_CorvaloQuit": the board that lives closes; none, nothing happens.
int ScriptQuit(lua_State*) {
    if (wndCorvalo* board = CurrentBoard())
        board->CloseBoard();
    return 0;
}

TString StateValue(const char* name) {
    GameStates* states = GetLevelServices().states;
    return states ? states->GetValue(TString(name)) : TString();
}

// A curtain cut-scene from its file, every object hidden, played from the
// start at double speed; null, logged, when the file does not load.
std::unique_ptr<vlkCutscene> StartCurtains(const char* path) {
    auto curtains = std::make_unique<vlkCutscene>();
    if (!curtains->Load(TString(path))) {
        LogPrintf("wndCorvalo: the curtains \"%s\" do not load; the board shows without them",
                  path);
        return nullptr;
    }
    curtains->HideAllObjects();
    curtains->SetSpeed(kCurtainSpeed);
    curtains->Play();
    curtains->Update(0);
    return curtains;
}

} // namespace

TString wndCorvalo::LowerGlobal(const char* name) {
    TString value = GetScriptGlobal(name);
    value.ToLower();
    return value;
}

wndCorvalo::wndCorvalo() : vlkGameContainer(kForwardAll) {
    SetName(TString("wndCorvalo"));
    if (TScript* script = GetGameScript())
        script->RegisterFunction("qvd_CorvaloQuit", &ScriptQuit);
    auto* game = new gmCorvalo(this);
    SetGame(game);
    gCurrentGame = game;
    mSpriteText = gGameTuning.animation.spritetext != 0 ? 1 : 0;
    mFireworksStopped = 1;
    MakeScoreTrail();
    mFireworks[0] = std::make_unique<vlkTrailBurstFx>();
    for (int i = 1; i < kFireworks; ++i)
        mFireworks[i] = std::make_unique<vlkTrailBurstFx>(*mFireworks[0]);
}

wndCorvalo::~wndCorvalo() {
    // The board's loops end with it: a board left by Pause and Main menu
    // during a scare would leave the warning playing over the menus.
    StopSound(TString("gameplay_song"));
    StopSound(TString("warning"));
    DeleteEffects();
}

TWindow* wndCorvalo::Create() {
    return new (std::nothrow) wndCorvalo();
}

void wndCorvalo::Init(TWindowStyle& style) {
    vlkGameContainer::Init(style);
    if (mGame)
        mGame->PublishGameClock(GetClock());
}

void wndCorvalo::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    if (auto* game = dynamic_cast<gmCorvalo*>(mGame)) {
        if (dtUserState* user = game->GetUser())
            user->levelOffset = 0;
        game->gfn_CreateLevel();
    }
    ScheduleAnimation(kFrameMs, true, true, false);
    mLastUpdate = GetClock() ? GetClock()->GetTime() : 0;
    OpenCurtains();
    ResetBackground();
    for (int i = 0; i < kPanels; ++i) {
        mPanels[i] = FindChild(TString::Format("bmpAchievePanel%d", i), true);
        SetWindowVisible(mPanels[i], false);
    }
}

void wndCorvalo::OpenCurtains() {
    RunLevelScript(TString("DisableAllButtons()"));
    mOpening = StartCurtains("anim/curtainsopen.xml");
    if (!mOpening)
        RunLevelScript(TString("EnableAllButtons()"));
}

void wndCorvalo::Draw() {
    vlkGameContainer::Draw();
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    DrawParticleLayers();
}

void wndCorvalo::DrawOverlay() {
    TWindow::DrawOverlay();
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    DrawPopups();
    if (mOpening)
        mOpening->Draw();
    if (mClosing)
        mClosing->Draw();
}

bool wndCorvalo::OnAnimate() {
    TClock* clock = GetClock();
    Step(clock ? clock->GetTime() : mLastUpdate);
    return true;
}

bool wndCorvalo::AnyEffectPlaying() const {
    if (mOpening || mClosing)
        return true;
    for (const auto* text : {mCountdown.get(), mGridClear1.get(), mGridClear2.get(),
                             mChainedCombo.get(), mSuperCombo.get(), mAlmostThere.get(),
                             mGood.get()})
        if (text && text->IsVisible() && text->IsPlaying() && !text->IsFinished())
            return true;
    if (mCombo && !mCombo->IsDone())
        return true;
    for (const auto& firework : mFireworks)
        if (firework && firework->IsActive())
            return true;
    for (const auto* scene : {mFreeze.get(), mUnfreeze.get(), mLogoFlash.get()})
        if (scene && scene->IsVisible())
            return true;
    for (const auto& panel : mPanelCutscenes)
        if (panel && panel->IsVisible() && panel->IsPlaying())
            return true;
    return false;
}

uint64_t wndCorvalo::EffectsPresent() const {
    vlkLookHash hash;
    for (const auto* text : {mCountdown.get(), mGridClear1.get(), mGridClear2.get(),
                             mChainedCombo.get(), mSuperCombo.get(), mAlmostThere.get(),
                             mGood.get()}) {
        hash.Add(text);
        if (!text)
            continue;
        hash.Add(text->IsVisible());
        hash.Add(text->IsPlaying());
        hash.Add(text->IsFinished());
        hash.Add(text->GetCurrentIndex());
    }
    hash.Add(mCombo.get());
    hash.Add(mCombo && mCombo->IsDone() ? 1 : 0);
    for (const auto& firework : mFireworks)
        hash.Add(firework && firework->IsActive() ? 1 : 0);
    for (const auto* scene : {mFreeze.get(), mUnfreeze.get(), mLogoFlash.get()}) {
        hash.Add(scene);
        hash.Add(scene && scene->IsVisible() ? 1 : 0);
    }
    for (const auto& panel : mPanelCutscenes) {
        hash.Add(panel.get());
        hash.Add(panel && panel->IsVisible() ? 1 : 0);
        hash.Add(panel && panel->IsPlaying() ? 1 : 0);
    }
    hash.Add(mOpening.get());
    hash.Add(mClosing.get());
    return hash.Value();
}

void wndCorvalo::OnBeforeFrame() {
    const TRect screen = GetScreenRect();
    const TPoint offset(screen.left, screen.top);
    // Every part is checked at every step, so that what the last frame
    // showed is known when the next one draws only the changes.
    mClipWatch.Check({mCircle.get(), mWarning.get(), mHeartLoss.get()}, offset);
    // The particles, each where the last frame drew it and where the next
    // one draws it (the window's drawing starts from the identity world).
    std::vector<TRect> boxes;
    for (const auto* system : {mAmbient.get(), mRayOfLight.get(), mLogoParticles.get(),
                               mTilesCompleted.get(), mScoreExplosion.get()})
        if (system)
            system->AddDrawnBounds(TMat4(), boxes);
    const auto addFx = [&boxes](const vlkParticleFx* fx) {
        if (fx && fx->IsVisible() && fx->GetParticleSystem())
            fx->GetParticleSystem()->AddDrawnBounds(TMat4(), boxes);
    };
    addFx(mScoreTrail.get());
    for (const auto& snow : mSnow)
        addFx(snow.get());
    for (TRect& box : boxes) {
        box = TRect(box.left + offset.x - vlkLookWatch::kMargin,
                    box.top + offset.y - vlkLookWatch::kMargin,
                    box.right + offset.x + vlkLookWatch::kMargin,
                    box.bottom + offset.y + vlkLookWatch::kMargin);
        InvalidateScreenRect(box);
    }
    for (const TRect& box : mAmbientBoxes)
        InvalidateScreenRect(box);
    mAmbientBoxes.swap(boxes);
    const uint64_t present = EffectsPresent();
    if (present != mEffectsPresent || AnyEffectPlaying()) {
        mEffectsPresent = present;
        InvalidateWindows();
    }
}

void wndCorvalo::Step(uint32_t now) {
    const uint32_t elapsed = now - mLastUpdate;

    if (StateValue("pause") == TString("1")) {
        mLastUpdate = now;
        UpdateAchievementPanels(elapsed);
        UpdateClosing(elapsed);
        return;
    }

    if (mOpening) {
        if (mFirstUpdate) {
            Update();
            mFirstUpdate = 0;
        }
        mOpening->Update(elapsed);
        mLastUpdate = now;
        if (mOpening->IsFinished()) {
            mOpening.reset();
            RunLevelScript(TString("EnableAllButtons()"));
        }
        if (mOpening)
            return;
        AfterOpening();
    }

    Update();
    UpdateCountdown(elapsed);
    UpdatePopups(elapsed);
    UpdateAchievementPanels(elapsed);
    UpdateClosing(elapsed);
    UpdateEffects(elapsed);

    mLastUpdate = now;
    if (mFirstUpdate) {
        mFirstUpdate = 0;
        if (StateValue("WindowActivated") == TString("0") && mGame)
            mGame->SetPaused(true);
    }
}

void wndCorvalo::AfterOpening() {
    auto* game = dynamic_cast<gmCorvalo*>(mGame);
    if (game && LowerGlobal("gGameStyle") == TString("quest")) {
        gmCorvalo::ShowLevelInstructions();
        const int reward = game->GetCurrentNodeReward();
        if (reward != 0 && reward != 6 && reward != 7)
            gmCorvalo::ShowReward(reward);
        const int goal = game->GetCurrentNodeGoal();
        if (goal != 0)
            gmCorvalo::ShowGoalPanel(goal);
    }
    mFirstUpdate = 1;
}

void wndCorvalo::UpdateCountdown(uint32_t elapsed) {
    if (!mCountdown)
        return;
    const size_t before = mCountdown->GetCurrentIndex();
    mCountdown->Update(elapsed);
    const size_t after = mCountdown->GetCurrentIndex();
    const bool finished = mCountdown->IsFinished();
    if (!finished && after != before)
        PlaySound(TString("popup_countdown"), false);
    if (mAwaitingStart && finished) {
        PlaySound(TString("popup_start"), false);
        mAwaitingStart = 0;
    } else if (before == 2 && after > 2) {
        PlaySound(TString("gameplay_intro"), false);
    }
}

void wndCorvalo::UpdateClosing(uint32_t elapsed) {
    if (mClosing) {
        mClosing->Update(elapsed);
        if (mClosing->IsFinished())
            RunLevelScript(TString("closeCorvalo()"));
    }
}

bool wndCorvalo::AnyPanelPlaying() const {
    for (const auto& panel : mPanelCutscenes)
        if (panel && panel->IsEnabled())
            return true;
    return false;
}

void wndCorvalo::CloseBoard() {
    // The curtains already closing go on as they are.
    if (mClosing && !mClosing->IsFinished())
        return;
    RunLevelScript(TString("DisableAllButtons()"));
    if (AnyPanelPlaying()) {
        mClosePending = 1;
        return;
    }
    mClosePending = 0;
    mClosing = StartCurtains("anim/curtainsclose.xml");
    if (!mClosing)
        RunLevelScript(TString("closeCorvalo()"));
}

void wndCorvalo::ResetBackground() {
    auto* game = dynamic_cast<gmCorvalo*>(mGame);
    const dtUserState* user = game ? game->GetUser() : nullptr;
    const int level = user ? user->level : 1;
    if (LowerGlobal("gGameStyle") == TString("quick")) {
        TWindow* root = this;
        while (root->GetParent())
            root = root->GetParent();
        if (root->FindChild(TString("bmpBackground"), true)) {
            const QuickBackground b = GetQuickBackground(level);
            RunLevelScript(TString::Format("selectBackground(%d, %d)", b.background, b.shade));
        }
    }
    SetAmbientTheme();
    ClearFreeze();
}

TPoint wndCorvalo::GetFrameCentre() const {
    TPoint centre(0, 0);
    for (const char* name : kFrameNames) {
        const TWindow* frame = FindChild(TString(name), true);
        if (frame && frame->IsVisible()) {
            const TRect& r = frame->GetRect();
            centre = TPoint(r.left + frame->GetWidth() / 2, r.top + frame->GetHeight() / 2);
        }
    }
    return centre;
}

void wndCorvalo::PlaySound(const TString& name, bool loop) {
    if (!gAssetLists)
        return;
    if (!loop && gGameAssetMap && gGameAssetMap->IsSoundSuppressed(name))
        return;
    // A loop plays once at a time: started again (the warning at each scare,
    // the music at each countdown) it starts over instead of doubling.
    if (loop)
        StopLevelSound(name);
    PlayLevelSound(name, loop);
}

// The name is the one the sound was played by (an asset lists' name), so the
// stop reaches the same sound and every instance of it.
void wndCorvalo::StopSound(const TString& name) {
    if (!gAssetLists)
        return;
    StopLevelSound(name);
}
