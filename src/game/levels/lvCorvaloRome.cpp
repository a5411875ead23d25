#include "game/levels/lvCorvaloRome.h"

#include "framework/core/log/TLog.h"
#include "game/board/BoardActionQueue.h"
#include "game/board/BoardScreen.h"
#include "game/board/BottomPanel.h"
#include "game/board/TopPanel.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/TileKinds.h"
#include "game/gmCorvalo.h"
#include "game/levels/MatchScore.h"
#include "game/random/GameRandom.h"
#include "game/state/dtLevelState.h"
#include "game/state/dtUserState.h"
#include "game/timers/CountdownTimer.h"
#include "game/timers/IntervalTimer.h"
#include "game/timers/LevelTimerSet.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"

#include <algorithm>

namespace {

LevelRules RomeRules(const TRomeLevelRecord* record) {
    LevelRules rules;
    if (!record)
        return rules;
    rules.deal = record;
    rules.timeTile = record->timeTile;
    rules.timeMatch = record->timeMatch;
    rules.timeMatchDec = record->timeMatchDec;
    return rules;
}

} // namespace

lvCorvaloRome::lvCorvaloRome(gmCorvalo& game) : lvCorvaloLevel(game, kModeRome, 15) {
    const TRomeLevelRecord* record = mLevelState ? mLevelState->rome : nullptr;
    Configure(RomeRules(record), record ? record->mode : 0, GetRomeLevelCount());
    if (!IsPlayable())
        return;
    mMarks.assign(static_cast<size_t>(SlotCount()), 0);
    if (const std::vector<int>* layout = GetRomeGraphics(record->gpx - 1)) {
        for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
            if (static_cast<size_t>(slot) < layout->size())
                mMarks[static_cast<size_t>(slot)] = (*layout)[static_cast<size_t>(slot)] != 0;
    } else {
        LogPrintf("rome level %d: no marks layout %d; the board has no mark", record->id,
                  record->gpx);
    }
    mUser->quota = MarksLeft();
    mCap = gGameTuning.rome.timer[static_cast<size_t>(mDifficulty)] * 1000;
    mCountdown = std::make_unique<CountdownTimer>(*gGameClock, mCap);
}

lvCorvaloRome::~lvCorvaloRome() = default;

int lvCorvaloRome::MarksLeft() const {
    return static_cast<int>(std::count_if(mMarks.begin(), mMarks.end(), [](int m) { return m; }));
}

void lvCorvaloRome::SetupBottomPanel(BottomPanel& panel) {
    panel.SetupRome(mUser);
    panel.ShowClock(true);
}

int lvCorvaloRome::DrawMarkedKind() {
    const std::vector<int>& kinds = mRules.deal->kinds;
    size_t plain = 0;
    for (int kind : kinds)
        plain += !IsBonusKind(kind);
    int total = 0;
    for (size_t i = 0; i < plain && i < mWeights.size(); ++i)
        total += std::max(0, mWeights[i]);
    if (total <= 0)
        return plain > 0 ? kinds[0] : 0;
    const int r = RandomBelow(total + 1);
    int sum = 0;
    for (size_t i = 0; i < plain && i < mWeights.size(); ++i) {
        if (mWeights[i] <= 0)
            continue;
        sum += mWeights[i];
        if (sum >= r)
            return kinds[i];
    }
    return kinds[plain - 1];
}

void lvCorvaloRome::DealBoard() {
    std::vector<int> kinds;
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
        kinds.push_back(mMarks[static_cast<size_t>(slot)] ? DrawMarkedKind() : DrawTileKind());
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
        PlaceTile(slot, kinds[static_cast<size_t>(slot - FirstPlaySlot())], false);
    mQueue->SetSpecialSlots(std::vector<uint32_t>(mMarks.begin(), mMarks.end()));
    mCountdownNotStarted = true;
}

void lvCorvaloRome::PauseClock(bool paused) {
    if (mCountdownStarted)
        mCountdown->SetPaused(paused);
}

void lvCorvaloRome::OnSettled() {
    if (mCountdownNotStarted) {
        mCountdownNotStarted = false;
        mCountdownStarted = true;
        mCountdown->Start();
        mCountdown->Update();
    }
}

void lvCorvaloRome::OnFreezeTaken() {
    // The freeze tile's gap is filled again like a scored group's.
    mLastGroup = 0;
    mChainPending = true;
}

void lvCorvaloRome::OnGroupScored(int n) {
    ShowComboPopup(n);
    if (mScreen && n > 2 && IsBoardCleared())
        mScreen->ShowGridClear();
    if (mOutcome == kPlaying)
        AddTimeBonus(*mCountdown, mCap, TimeBonusSeconds(n, gGameTuning.rome.combos));
    mLastGroup = n;
    mChainPending = true;
}

void lvCorvaloRome::ClearTakenMarks() {
    const BoardSlots& s = mLevelState->GetSlots();
    bool changed = false;
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot) {
        int& mark = mMarks[static_cast<size_t>(slot)];
        if (mark && (s.kind[slot] == 0 || s.command[slot] == kCmdRemove)) {
            mark = 0;
            changed = true;
        }
    }
    if (changed)
        mQueue->SetSpecialSlots(std::vector<uint32_t>(mMarks.begin(), mMarks.end()));
}

void lvCorvaloRome::KeepMarksShown() {
    BoardSlots& s = mLevelState->GetSlots();
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot) {
        if (!mMarks[static_cast<size_t>(slot)])
            continue;
        if (s.command[slot] == kCmdTurnUpStand)
            s.command[slot] = kCmdAppearStand;
        else if (s.command[slot] == kCmdTurnDown)
            s.command[slot] = kCmdDisappearToBonusBack;
    }
}

void lvCorvaloRome::GoalRule() {
    if (!mGoalFrozen)
        mUser->quota = MarksLeft();
    const int goal = mUser->quota;
    if (goal >= 1 && goal <= 3)
        ShowAlmostThereOnce();
    SetGoalBlink(goal >= 1 && goal <= 5);
    if (mCountdown->GetRemaining() == 0) {
        mOutcome = kTimeUp;
        mQueue->Abort();
        DisableInput();
        mGoalFrozen = true;
        SetGoalBlink(false);
    } else if (goal == 0) {
        mGoalFrozen = true;
        DecideWon();
        mSettling = false;
        mSettleStarted = false;
    }
    if (mAvatarTimer->HasRun() && mMood != kMoodStand)
        SetMood(kMoodStand);
}

void lvCorvaloRome::DecideWon() {
    mUser->quota = 0;
    mOutcome = kWon;
    mQueue->Abort();
    DisableInput();
    PauseClock(true);
    SetGoalBlink(false);
    if (mScreen)
        mScreen->ShowTilesCompleted();
    PlayLevelSound(TString("popup_finish"), 0);
}

void lvCorvaloRome::RewardStep() {
    if (!mChainPending)
        return;
    DisableInput();
    // The group's tiles must be gone and the board at rest.
    if (IsRemovalPending() || IsAnyTileBusy() || mQueue->IsBusy())
        return;
    const BoardSlots& s = mLevelState->GetSlots();
    std::vector<int> empty;
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
        if (s.kind[slot] == 0)
            empty.push_back(slot);
    std::vector<int> kinds;
    kinds.reserve(empty.size());
    for (size_t i = 0; i < empty.size(); ++i)
        kinds.push_back(DrawTileKind());
    for (size_t i = 0; i < empty.size(); ++i)
        PlaceTile(empty[i], kinds[i], mShowtimeRunning);
    mChainPending = false;
    if (mOutcome == kPlaying && !mShowtimeRunning)
        PostPopupAction(mLastGroup);
    mLastGroup = 0;
}

void lvCorvaloRome::EndStep() {
    ScoreReported();
    SettleCycle();
    DisableInput();
    RewardStep();
    PlayingSteps(false);
    ClearTakenMarks();
    if (mQueue->IsBusy() || mTurn.size() > 1 || IsAnyTileBusy() || mChainPending)
        return;
    if (mShowtimeRunning) {
        BoardSlots& s = mLevelState->GetSlots();
        for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
            if (s.kind[slot] != 0 && CategoryOf(s.kind[slot]) == kCategoryOrdinary)
                s.command[slot] = kCmdHideFaint;
    }
    if (mOutcome == kTimeUp) {
        // Decided by the marks themselves: the goal was frozen at time up,
        // and a group that finished since may have cleared the last one.
        if (MarksLeft() > 0) {
            mOutcome = kLost;
            mQueue->Abort();
            PauseClock(true);
            SetGoalBlink(false);
        } else {
            DecideWon();
        }
    }
    if (mOutcome == kWon)
        BeginWonSequence();
    else
        BeginLostSequence();
}

void lvCorvaloRome::Update(uint32_t elapsed) {
    if (!IsPlayable() || !mStarted)
        return;
    // Tiles keep their slots here: nothing settles.
    mLevelState->GetActors().Update(elapsed);
    mTimerSet->Update();
    mQueue->Update();
    mCountdown->Update();
    if (mTop)
        mTop->UpdateFloatingTexts();
    if (mBottom)
        mBottom->UpdateClock(mCountdown->GetRemaining());
    CheckAchievements();

    if (EndingSteps())
        return;
    ClearTakenMarks();
    if (mOutcome == kPlaying) {
        ScoreReported();
        ClearTakenMarks();
        if (mCountdownStarted)
            GoalRule();
        if (mOutcome == kPlaying) {
            SettleCycle();
            RewardStep();
            PlayingSteps(true);
        }
    }
    if (mOutcome != kPlaying)
        EndStep();
    KeepMarksShown();
}
