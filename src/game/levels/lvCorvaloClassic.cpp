#include "game/levels/lvCorvaloClassic.h"

#include "framework/script/host/TScript.h"
#include "game/board/BoardActionQueue.h"
#include "game/board/BoardScreen.h"
#include "game/board/BoardTile.h"
#include "game/board/BottomPanel.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/TileKinds.h"
#include "game/gmCorvalo.h"
#include "game/levels/LevelServices.h"
#include "game/state/dtLevelState.h"
#include "game/state/dtUserState.h"
#include "game/timers/IntervalTimer.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"

#include <algorithm>
#include <cmath>

#include <lua.h>

namespace {

// The scripts call the Classic level of the current game, whichever it is
// when they run; nothing when there is none.
lvCorvaloClassic* CurrentClassic() {
    return gCurrentGame ? dynamic_cast<lvCorvaloClassic*>(gCurrentGame->GetLevel()) : nullptr;
}

int ScriptOnNewRow(lua_State*) {
    if (lvCorvaloClassic* level = CurrentClassic())
        level->gfn_onNewRow();
    return 0;
}

int ScriptClassicOnStart(lua_State*) {
    if (lvCorvaloClassic* level = CurrentClassic())
        level->Start();
    return 0;
}

} // namespace

int lvCorvaloClassic::RowPeriod(int timeBar, float factor, int infiniteLevel, bool pastLastLevel,
                                int minTimeBar) {
    double f = 1.0;
    if (pastLastLevel)
        f = std::pow(static_cast<double>(factor), infiniteLevel);
    const long period = std::lround(static_cast<double>(timeBar) * f);
    return static_cast<int>(std::max<long>(period, minTimeBar));
}

lvCorvaloClassic::lvCorvaloClassic(gmCorvalo& game) : lvCorvaloLevel(game, kModeClassic, 16) {
    const TClassicLevelRecord* record = mLevelState ? mLevelState->classic : nullptr;
    Configure(RulesOf(record), record ? record->mode : 0, GetClassicLevelCount());
    if (TScript* script = GetGameScript()) {
        script->RegisterFunction("gfn_onNewRow", &ScriptOnNewRow);
        script->RegisterFunction("gfn_ClassicOnStart", &ScriptClassicOnStart);
    }
    if (!IsPlayable())
        return;
    mPeriod = RowPeriod(record->timeBar, mGeometry->factorDecreaseTime, mUser->infiniteLevel,
                        mPastLastLevel, mGeometry->minTimeBar);
    mRowTimer = std::make_unique<IntervalTimer>(*gGameClock, static_cast<uint32_t>(mPeriod));
    mRowTimer->SetPaused(true);
}

lvCorvaloClassic::~lvCorvaloClassic() = default;

void lvCorvaloClassic::SetupBottomPanel(BottomPanel& panel) {
    panel.SetupClassic(mUser);
    panel.ShowClock(false);
    mNewRowAllowed = false;
    panel.SetNewRowEnabled(false);
}

void lvCorvaloClassic::DealBoard() {
    const int rows =
        mLevelState->classic->initRows < Rows() ? mLevelState->classic->initRows : Rows() - 1;
    DealTiles(Columns(), std::max(0, rows) * Columns());
    mRowTimer->Reset();
}

void lvCorvaloClassic::PauseClock(bool paused) {
    mRowTimer->SetPaused(paused);
}

void lvCorvaloClassic::SetNewRowAllowed(bool allowed) {
    mNewRowAllowed = allowed;
    if (mBottom)
        mBottom->UpdateNewRowEnabled(allowed);
}

void lvCorvaloClassic::OnFreezeTaken() {
    SetNewRowAllowed(false);
    if (mBottom)
        mBottom->ShowNewRowButton(false);
}

void lvCorvaloClassic::OnResolving() {
    mRowTimer->SetPaused(true);
}

bool lvCorvaloClassic::IsClickable(int slot) const {
    const BoardSlots& s = mLevelState->GetSlots();
    if (!s.tile[slot] || s.busy[slot] != 0)
        return false;
    // Power-ups can be taken in any state; an ordinary tile only while it
    // lies face down or faint and has no command waiting.
    const TTileKindRecord* record = GetTileKind(s.kind[slot]);
    if (!record || record->type != kTileTypeGame)
        return true;
    return (s.state[slot] == kTileStateSettled || s.state[slot] == kTileStateFaint) &&
           s.command[slot] == kCmdNone;
}

bool lvCorvaloClassic::IsTopRowOccupied() const {
    const BoardSlots& s = mLevelState->GetSlots();
    for (int slot = TopRowFirst(); slot < TopRowFirst() + Columns() && slot < s.Size(); ++slot)
        if (s.kind[slot] != 0)
            return true;
    return false;
}

void lvCorvaloClassic::OnKeyDown(int key, int /*modifiers*/) {
    if (key == ' ' && mNewRowAllowed)
        gfn_onNewRow();
}

void lvCorvaloClassic::gfn_onNewRow() {
    if (!mNewRowAllowed || !IsPlayable() || IsTopRowOccupied())
        return;
    PushNewRow();
    if (mShowtimeRunning) {
        RevealNewRows(1);
        return;
    }
    mQueue->PostRevealFirstRow();
    mRevealTimer->Start();
    mRevealPause = true;
    Settle();
    DisableInput();
    SetNewRowAllowed(false);
    if (mBottom)
        mBottom->ShowNewRowButton(false);
}

void lvCorvaloClassic::RevealNewRows(int rows) {
    BoardSlots& s = mLevelState->GetSlots();
    for (int slot = Columns(); slot < (rows + 1) * Columns() && slot < s.Size(); ++slot)
        if (s.kind[slot] != 0 && CategoryOf(s.kind[slot]) == kCategoryOrdinary)
            s.command[slot] = kCmdRevealFaint;
}

void lvCorvaloClassic::PushNewRow() {
    const bool input = mInputEnabled;
    DisableInput();
    mRowTimer->Restart();
    // The top row is empty here, so what comes round into the entry row
    // is nothing.
    PushDealtRowUp();
    BoardSlots& s = mLevelState->GetSlots();
    for (int slot = 0; slot < Columns(); ++slot)
        s.Clear(slot);
    UpdateDangerState();
    PlayLevelSound(TString("gameplay_newrow"), 0);
    mInputEnabled = input;
}

void lvCorvaloClassic::RowOverflow() {
    if (!IsTopRowOccupied())
        return;
    mWaitTimer->Stop();
    mRowTimer->Stop();
    mOutcome = kLost;
    mRowTimer->SetPaused(true);
    SetNewRowAllowed(false);
    if (mBottom)
        mBottom->ShowNewRowButton(false);
}

void lvCorvaloClassic::UpdateDangerState() {
    if (mFinishing)
        return;
    const bool danger = IsTopRowOccupied();
    if (danger)
        SetMood(kMoodScare);
    else if (mMood != kMoodStand && !mAvatarTimer->IsAlarmRunning())
        SetMood(kMoodStand);
    if (!mFreezeTimer->IsAlarmRunning() && !mSettling)
        SetNewRowAllowed(!danger);
}

void lvCorvaloClassic::RowCycle() {
    if (mSettling && !mSettleStarted) {
        mSettleStarted = true;
        mWaitTimer->SetPaused(true);
        mRowTimer->SetPaused(true);
        SetNewRowAllowed(false);
        if (mBottom)
            mBottom->ShowNewRowButton(false);
        return;
    }
    if (mSettling) {
        if (mQueue->IsBusy())
            return;
        mSettling = false;
        mSettleStarted = false;
        mPowerUpRunning = false;
        mRevealPause = false;
    }
    if (IsAnyTileBusy())
        return;
    mWaitTimer->SetPaused(false);
    if (!mChainPending && !mResolutionPending && !mPowerUpRunning)
        mInputEnabled = true;
    if (mFreezeTimer->IsAlarmRunning()) {
        if (mFreezeTimer->HasRun()) {
            if (mScreen)
                mScreen->EndFreeze();
            if (mBottom)
                mBottom->ShowNewRowButton(true);
        }
    } else {
        mRowTimer->SetPaused(false);
    }
    if (mShowtimeRunning && mShowtimeTimer->HasRun()) {
        mShowtimeRunning = false;
        std::vector<uint32_t> keep(mTurn.begin(), mTurn.end());
        mQueue->PostHideAllExcept(keep);
        DisableInput();
        Settle();
        mWaitTimer->SetPaused(true);
        mRowTimer->SetPaused(true);
        return;
    }
    if (mRowTimer->TakeRanOut()) {
        if (IsTopRowOccupied()) {
            RowOverflow();
            return;
        }
        PushNewRow();
        if (mShowtimeRunning) {
            RevealNewRows(1);
        } else {
            mQueue->PostRevealFirstRow();
            Settle();
            DisableInput();
        }
    }
}

void lvCorvaloClassic::OnGroupScored(int n) {
    mLastGroup = n;
    mLastSpecial = mSpecialInChain;
    mChainPending = true;
    if (mTask != 0 || mOutcome != kPlaying)
        return;
    if (mUser->quota > n) {
        mUser->quota -= n;
        return;
    }
    // The goal is reached: won at once.
    mUser->quota = 0;
    mOutcome = kWon;
    DisableInput();
    if (mScreen)
        mScreen->StopAlmostThere();
    mRowTimer->SetPaused(true);
    SetNewRowAllowed(false);
    if (mBottom)
        mBottom->ShowNewRowButton(false);
    SetMood(kMoodHappy);
    mAvatarTimer->Start();
    mQueue->PostGolden();
    Settle();
    SetGoalBlink(false);
    if (mScreen)
        mScreen->ShowTilesCompleted();
    PlayLevelSound(TString("popup_finish"), 0);
}

void lvCorvaloClassic::OnTaskWon() {
    mRowTimer->SetPaused(true);
    SetNewRowAllowed(false);
    if (mBottom)
        mBottom->ShowNewRowButton(false);
    SetMood(kMoodHappy);
    mAvatarTimer->Start();
    mQueue->Abort();
    mQueue->PostGolden();
}

void lvCorvaloClassic::ClearedBoardAndChainEnd() {
    if (!mClearedDone && !mClearedPending && IsBoardEmpty()) {
        if (mOutcome != kPlaying) {
            mClearedDone = true;
        } else {
            mQueue->Abort();
            mSettling = false;
            mSettleStarted = false;
        }
        mClearedPending = true;
        if (mScreen)
            mScreen->ShowGridClear();
        if (mQuest) {
            mUser->screen1 = 1;
            mUser->screen5 = std::min(5, mUser->screen5 + 1);
        }
        if (mScreen)
            mScreen->StopGameplayMusic();
        PlayLevelSound(TString("fanfarria_short"), 0);
        const int bonus = gGameTuning.score.clearedAllTiles;
        mUser->levelScore += bonus;
        if (mBottom)
            mBottom->AddScore(bonus);
        if (mOutcome == kPlaying) {
            for (int i = 0; i < 3; ++i)
                PushNewRow();
            if (mShowtimeRunning) {
                RevealNewRows(3);
                mShowtimeTimer->Start();
            } else {
                PostPopupAction(8);
                if (mScreen)
                    mScreen->PlayGameplayMusic();
            }
        }
    }

    // A scored group waits until its tiles have gone; then its pop-up and
    // the goal display.
    if (mChainPending) {
        if (IsRemovalPending())
            return;
        if (mLastGroup > 2) {
            const bool special = mSpecialInChain;
            mSpecialInChain = mLastSpecial;
            ShowComboPopup(mLastGroup);
            mSpecialInChain = special;
        }
        if (mTask == 0 && mOutcome == kPlaying) {
            SetGoalBlink(mUser->quota >= 1 && mUser->quota <= 5);
            if (mUser->quota >= 1 && mUser->quota <= 10)
                ShowAlmostThereOnce();
        }
    }
    if (!mQueue->IsBusy() && mClearedPending)
        mClearedPending = false;
    if (!mChainPending)
        return;
    mChainPending = false;
    if (mOutcome != kPlaying || IsBoardEmpty() || mShowtimeRunning)
        return;
    PostPopupAction(mLastGroup);
}

void lvCorvaloClassic::Update(uint32_t elapsed) {
    if (!IsPlayable() || !mStarted)
        return;
    if (AdvanceBoard(elapsed))
        UpdateDangerState();
    const float progress = mRowTimer->Progress();
    if (mBottom)
        mBottom->UpdateTimeBar(progress);
    CheckAchievements();

    if (mEnded) {
        AvatarCheck();
        return;
    }
    if (!mFinishing) {
        if (mOutcome == kLost) {
            BeginLostSequence();
        } else if (mOutcome == kWon) {
            if (!mQueue->IsBusy() && !IsAnyTileBusy())
                BeginWonSequence();
        } else {
            RowCycle();
            UpdateDangerState();
            if (mAvatarTimer->HasRun() && !IsTopRowOccupied())
                SetMood(kMoodStand);
            if (mOutcome == kPlaying) {
                ClassifyNewEntries();
                ResolveStep();
                TakeClicks();
            }
        }
        ClearedBoardAndChainEnd();
        ScoreReported();
        return;
    }
    if (mOutcome == kWon)
        FinishWon();
    else
        FinishLost();
}
