#include "game/screens/wndQuickPlay.h"

#include "framework/graphics/TGraphics.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindowStyle.h"
#include "game/screens/ScreenCurtain.h"
#include "game/screens/clsPanelModeGame.h"
#include "velk/assets/MenuMusic.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/container/WindowVisibility.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <new>

const wndQuickPlay::ModePanel wndQuickPlay::kPanels[5] = {
    {"PanelClassic",
     0,
     "UserDiffClassic",
     {"UserHighScoreClassicSmall", "UserHighScoreClassicMedium", "UserHighScoreClassicLarge"}},
    {"PanelBlitz",
     3,
     "UserDiffBlitz",
     {"UserHighScoreBlitzSmall", "UserHighScoreBlitzMedium", "UserHighScoreBlitzLarge"}},
    {"PanelStrategy",
     6,
     "UserDiffStrategy",
     {"UserHighScoreStrategySmall", "UserHighScoreStrategyMedium", "UserHighScoreStrategyLarge"}},
    {"PanelCradleRome",
     9,
     "UserDiffCradle",
     {"UserHighScoreRomeSmall", "UserHighScoreRomeMedium", "UserHighScoreRomeLarge"}},
    {"PanelJoker",
     12,
     "UserDiffJoker",
     {"UserHighScoreJokerSmall", "UserHighScoreJokerMedium", "UserHighScoreJokerLarge"}},
};

namespace {

constexpr uint32_t kFrameMs = 16;
// The panels are set up in this order (indexes into kPanels).
constexpr int kSetupOrder[] = {1, 0, 3, 4, 2};
constexpr int32_t kMediumBit = 2;
constexpr int32_t kHardBit = 4;

// A value of the current player's record, 0 without one.
int32_t PlayerValue(const char* key) {
    if (!gGameSettings)
        return 0;
    return gGameSettings->GetUserInt(TString(key), 0, gGameSettings->GetCurrentUserIndex());
}

} // namespace

TWindow* wndQuickPlay::Create() {
    return new (std::nothrow) wndQuickPlay();
}

wndQuickPlay::wndQuickPlay() {
    GameStyleCode = 2;
    TWindowManager* manager = TWindowManager::Instance();
    if (TScript* script = manager ? manager->GetScript() : nullptr) {
        BindScriptFunction(*script, "gfn_onQuickPlayButton_Back", this, &wndQuickPlay::OnBack);
        BindScriptFunction(*script, "gfn_onQuickPlayButton_Play", this, &wndQuickPlay::OnPlay);
    }
    PlayMainMenuMusic();
}

wndQuickPlay::~wndQuickPlay() = default;

clsPanelModeGame* wndQuickPlay::FindPanel(const char* name) const {
    TWindow* panel = FindChild(TString(name), int32_t{-1});
    return panel && panel->IsKindOf(clsPanelModeGame::GetClassId())
               ? static_cast<clsPanelModeGame*>(panel)
               : nullptr;
}

void wndQuickPlay::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    // 1.
    for (int index : kSetupOrder)
        SetupModePanel(kPanels[index].name, PlayerValue(kPanels[index].unlockKey));
    // 2. A flat list x1, y1, x2, y2, ...
    if (std::unique_ptr<TLuaTable> list{style.GetTable("ToolTip_Position")}) {
        const double missing = std::numeric_limits<double>::quiet_NaN();
        for (int k = 1;; k += 2) {
            const double x = list->GetNumberAtIndex(k, missing);
            if (std::isnan(x))
                break;
            mToolTipPositions.emplace_back(
                static_cast<int32_t>(x), static_cast<int32_t>(list->GetNumberAtIndex(k + 1, 0.0)));
        }
    }
    // 3.
    SetChildVisible(this, TString("gpxToolTip"), false, 1);
    // 4.
    StartCurtain();
    // 5.
    mLastTime = WindowAnimatorTime(*this);
    ScheduleAnimation(kFrameMs, true, true, false);
}

void wndQuickPlay::SetupModePanel(const char* name, int32_t bits) {
    clsPanelModeGame* panel = FindPanel(name);
    if (!panel)
        return;
    panel->SetDifficultyLocked(0, false, false);
    panel->SetDifficultyLocked(1, (bits & kMediumBit) == 0, false);
    panel->SetDifficultyLocked(2, (bits & kHardBit) == 0, false);
}

void wndQuickPlay::StartCurtain() {
    if (mCurtain || mCurtainState == kRunning)
        return;
    RunLuaString(TString("DisableAllButtons()"));
    mCurtain = std::make_unique<ScreenCurtain>(
        TString(mCurtainState == kOpening ? "anim/curtainsopen.xml" : "anim/curtainsclose.xml"));
    mCurtain->Play();
}

void wndQuickPlay::OnBack() {
    // The closing curtain cannot start while the opening one still plays:
    // its end would run the opening's course.
    if (mCurtain)
        return;
    mCurtainState = kClosingToBack;
    StartCurtain();
}

void wndQuickPlay::OnPlay() {
    if (mCurtainState != kRunning || mCurtain)
        return;
    mCurtainState = kClosingToPlay;
    StartCurtain();
}

bool wndQuickPlay::OnAnimate() {
    const uint32_t now = WindowAnimatorTime(*this);
    const uint32_t elapsed = now - mLastTime;
    mLastTime = now;
    Step(elapsed);
    return true;
}

void wndQuickPlay::Step(uint32_t elapsedMs) {
    // 1.
    InvalidateWindows();
    // 2.
    if (mCurtain && mCurtain->Update(elapsedMs)) {
        OnCurtainFinished();
        return;
    }
    // 3. and 4.
    UpdateToolTip();
}

void wndQuickPlay::UpdateToolTip() {
    bool noneHovered = true;
    for (const ModePanel& mode : kPanels) {
        clsPanelModeGame* panel = FindPanel(mode.name);
        if (!panel)
            continue;
        for (int32_t d = 0; d < 3; ++d) {
            char name[32];
            std::snprintf(name, sizeof name, "btnDifficulty%d", d + 1);
            TWindow* child = panel->FindChild(TString(name), int32_t{-1});
            if (!child || !child->IsKindOf(TButton::GetClassId()) ||
                static_cast<TButton*>(child)->GetState() != TButton::kRollover)
                continue;
            noneHovered = false;
            const int32_t index = mode.base + d;
            if (mToolTipIndex == index)
                continue;
            mToolTipIndex = index;
            TWindow* tip = FindChild(TString("gpxToolTip"), int32_t{-1});
            if (!tip)
                continue;
            TWindow* score = tip->FindChild(TString("txtScore"), int32_t{-1});
            if (score && score->IsKindOf(TText::GetClassId()))
                static_cast<TText*>(score)->SetText(
                    TString::Format("%d", PlayerValue(mode.scoreKeys[d])));
            // An index without a point keeps the tip where it is.
            if (index < static_cast<int32_t>(mToolTipPositions.size())) {
                const TPoint at = mToolTipPositions[static_cast<size_t>(index)];
                tip->SetPosition(at.x, at.y);
            }
            SetWindowVisible(tip, true);
            ++mToolTipChanges;
        }
    }
    if (noneHovered) {
        mToolTipIndex = kNoTip;
        TWindow* tip = FindChild(TString("gpxToolTip"), int32_t{-1});
        if (tip && tip->IsVisible())
            SetWindowVisible(tip, false);
    }
}

void wndQuickPlay::OnCurtainFinished() {
    mCurtain.reset();
    switch (mCurtainState) {
    case kOpening:
        RunLuaString(TString("EnableAllButtons()"));
        mCurtainState = kRunning;
        break;
    case kClosingToPlay:
        StopMainMenuMusic();
        RunLuaString(TString("closeQuickPlay()"));
        break;
    case kClosingToBack:
        LeaveToMainMenu();
        break;
    default:
        break;
    }
}

void wndQuickPlay::DrawOverlay() {
    TWindow::DrawOverlay();
    TGraphics* graphics = TGraphics::Get();
    if (!mCurtain || !graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    mCurtain->Draw();
}
