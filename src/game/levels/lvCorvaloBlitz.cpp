#include "game/levels/lvCorvaloBlitz.h"

#include "game/board/BoardActionQueue.h"
#include "game/board/BoardScreen.h"
#include "game/board/BottomPanel.h"
#include "game/board/TopPanel.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/TileKinds.h"
#include "game/gmCorvalo.h"
#include "game/levels/MatchScore.h"
#include "game/state/dtLevelState.h"
#include "game/state/dtUserState.h"
#include "game/timers/CountdownTimer.h"
#include "game/timers/IntervalTimer.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"

lvCorvaloBlitz::lvCorvaloBlitz(gmCorvalo& game) : lvCorvaloLevel(game, kModeBlitz, 14) {
    const TBlitzLevelRecord* record = mLevelState ? mLevelState->blitz : nullptr;
    Configure(RulesOf(record), record ? record->mode : 0, GetBlitzLevelCount());
    if (!IsPlayable())
        return;
    mCap = gGameTuning.blitz.timer[static_cast<size_t>(mDifficulty)] * 1000;
    mCountdown = std::make_unique<CountdownTimer>(*gGameClock, mCap);
}

lvCorvaloBlitz::~lvCorvaloBlitz() = default;

void lvCorvaloBlitz::SetupBottomPanel(BottomPanel& panel) {
    panel.SetupBlitz(mUser);
    panel.ShowClock(true);
}

void lvCorvaloBlitz::DealBoard() {
    DealTiles(Columns(), Rows() * Columns());
    mCountdownNotStarted = true;
}

void lvCorvaloBlitz::PauseClock(bool paused) {
    if (mCountdownStarted)
        mCountdown->SetPaused(paused);
}

void lvCorvaloBlitz::OnFreezeTaken() {
    // The freeze tile is gone: wait for its slot to be filled again.
    mChainSkip = true;
    mWaitRefill = true;
    mChainPending = true;
}

void lvCorvaloBlitz::OnSettled() {
    if (mBlock == kBlockChain)
        mBlock = kBlockNone;
    if (mCountdownNotStarted) {
        mCountdownNotStarted = false;
        mCountdownStarted = true;
        mCountdown->Start();
        mCountdown->Update();
    }
}

void lvCorvaloBlitz::OnGroupScored(int n) {
    ShowComboPopup(n);
    if (mScreen && n > 2 && IsBoardCleared())
        mScreen->ShowGridClear();
    if (mOutcome == kPlaying)
        AddTimeBonus(*mCountdown, mCap, TimeBonusSeconds(n, gGameTuning.blitz.combos));
    if (mTask == 0) {
        const int counter = mUser->quota;
        if (counter > n) {
            const int left = counter - n;
            SetGoalBlink(left >= 1 && left <= 5);
            if (left <= 10)
                ShowAlmostThereOnce();
            mUser->quota = left;
            // The time ran out while this group was pending.
            if (mOutcome == kTimeUp)
                DecideLost();
        } else {
            mUser->quota = 0;
            SetGoalBlink(false);
            if (mOutcome == kTimeUp)
                DecideWon();
        }
    }
    mLastGroup = n;
    mWaitRefill = true;
    mChainPending = true;
    if (n < 3 && mBlock == kBlockNone)
        mBlock = kBlockPair;
}

void lvCorvaloBlitz::DecideWon() {
    mUser->quota = 0;
    mOutcome = kWon;
    DisableInput();
    mBlock = kBlockDecided;
    if (mScreen)
        mScreen->StopAlmostThere();
    PauseClock(true);
    SetGoalBlink(false);
    if (mScreen)
        mScreen->ShowTilesCompleted();
    PlayLevelSound(TString("popup_finish"), 0);
}

void lvCorvaloBlitz::DecideLost() {
    mOutcome = kLost;
    DisableInput();
    mBlock = kBlockDecided;
    PauseClock(true);
}

void lvCorvaloBlitz::TimeUpCheck() {
    if (mCountdownStarted && mCountdown->GetRemaining() == 0) {
        mOutcome = kTimeUp;
        DisableInput();
        SetGoalBlink(false);
        mBlock = kBlockDecided;
    }
    if (mAvatarTimer->HasRun() && mMood != kMoodStand)
        SetMood(kMoodStand);
}

bool lvCorvaloBlitz::Refill() {
    if (IsAnyTileBusy())
        return false;
    std::vector<int> empty;
    const BoardSlots& s = mLevelState->GetSlots();
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
        if (s.kind[slot] == 0)
            empty.push_back(slot);
    if (empty.empty())
        return true;
    std::vector<int> kinds;
    kinds.reserve(empty.size());
    for (size_t i = 0; i < empty.size(); ++i)
        kinds.push_back(DrawTileKind());
    for (size_t i = 0; i < empty.size(); ++i)
        PlaceTile(empty[i], kinds[i], mShowtimeRunning);
    return false;
}

void lvCorvaloBlitz::ChainEnd() {
    if (mWaitRefill && mRefillDone && !IsAnyTileBusy())
        mWaitRefill = false;
    if (!mChainPending)
        return;
    if (mChainSkip)
        mLastGroup = 0;
    else
        DisableInput();
    if (mWaitRefill)
        return;
    mChainPending = false;
    mChainSkip = false;
    if (mLastGroup <= 2) {
        if (mBlock == kBlockPair)
            mBlock = kBlockNone;
    } else if (!mShowtimeRunning) {
        mBlock = kBlockChain;
        PostPopupAction(mLastGroup);
    }
    mLastGroup = 0;
}

void lvCorvaloBlitz::PlayFrame(bool takeClicks) {
    ScoreReported();
    if (mOutcome == kPlaying)
        TimeUpCheck();
    // A bomb's show has ended once the queue is idle again.
    if (mBlock == kBlockBomb && !mQueue->IsBusy() && !mSettling)
        mBlock = kBlockNone;
    SettleCycle();
    mRefillDone = Refill();
    ChainEnd();
    PlayingSteps(takeClicks && mOutcome == kPlaying);
}

void lvCorvaloBlitz::Update(uint32_t elapsed) {
    if (!IsPlayable() || !mStarted)
        return;
    AdvanceBoard(elapsed);
    mCountdown->Update();
    if (mTop)
        mTop->UpdateFloatingTexts();
    if (mBottom)
        mBottom->UpdateClock(mCountdown->GetRemaining());
    CheckAchievements();

    if (EndingSteps())
        return;
    if (mOutcome == kPlaying) {
        PlayFrame(true);
        return;
    }
    // Decided: the pending turn and the refill finish first, without new
    // clicks.
    PlayFrame(false);
    if (mQueue->IsBusy() || mTurn.size() > 1 || IsAnyTileBusy() || !mRefillDone)
        return;
    if (mShowtimeRunning) {
        BoardSlots& s = mLevelState->GetSlots();
        for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
            if (s.kind[slot] != 0 && CategoryOf(s.kind[slot]) == kCategoryOrdinary)
                s.command[slot] = kCmdHideFaint;
    }
    if (mOutcome == kTimeUp) {
        if (mUser->quota != 0)
            DecideLost();
        else
            DecideWon();
    }
    if (mOutcome == kWon)
        BeginWonSequence();
    else
        BeginLostSequence();
}
