#include "game/levels/lvCorvaloStrategy.h"

#include "framework/core/log/TLog.h"
#include "game/board/BoardActionQueue.h"
#include "game/board/BoardScreen.h"
#include "game/board/BoardTile.h"
#include "game/board/BottomPanel.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/TileKinds.h"
#include "game/gmCorvalo.h"
#include "game/state/dtLevelState.h"
#include "game/state/dtUserState.h"
#include "game/timers/IntervalTimer.h"

#include <algorithm>

lvCorvaloStrategy::lvCorvaloStrategy(gmCorvalo& game) : lvCorvaloLevel(game, kModeStrategy, 17) {
    const TStrategyLevelRecord* record = mLevelState ? mLevelState->strategy : nullptr;
    Configure(RulesOf(record), record ? record->mode : 0, GetStrategyLevelCount());
    if (!IsPlayable())
        return;
    mErrorRow = record->errorRow;
    if (mErrorRow < 1) {
        // 0 would push a row every frame and divide the error bar by 0.
        LogPrintf("strategy level %d: \"errorRow\" %d is below 1; a row comes every miss",
                  record->id, mErrorRow);
        mErrorRow = 1;
    }
}

lvCorvaloStrategy::~lvCorvaloStrategy() = default;

void lvCorvaloStrategy::SetupBottomPanel(BottomPanel& panel) {
    panel.SetupStrategy(mUser);
    // The time bar counts the misses; rows come by themselves, so the
    // new-row button stays away.
    panel.ShowClock(false);
    panel.ShowNewRowButton(false);
}

void lvCorvaloStrategy::DealBoard() {
    mRowsInUse = std::clamp(mLevelState->strategy->initRows, 0, Rows());
    DealTiles(Columns(), mRowsInUse * Columns());
}

void lvCorvaloStrategy::OnFreezeTaken() {
    // The freeze tile's gap is filled again like a scored group's.
    mLastGroup = 0;
    mChainPending = true;
}

void lvCorvaloStrategy::OnGroupScored(int n) {
    ShowComboPopup(n);
    if (mScreen && n > 2 && IsBoardCleared())
        mScreen->ShowGridClear();
    if (mTask == 0 && mOutcome == kPlaying) {
        if (mUser->quota <= n) {
            WinNow();
        } else {
            mUser->quota -= n;
            if (mUser->quota <= 10)
                ShowAlmostThereOnce();
            SetGoalBlink(mUser->quota <= 5);
        }
    }
    if (mOutcome != kPlaying)
        return;
    mLastGroup = n;
    mChainPending = true;
}

void lvCorvaloStrategy::OnTaskWon() {
    mQueue->PostGolden();
    Settle();
}

void lvCorvaloStrategy::BoardRule() {
    if (mErrors >= mErrorRow)
        NewRow();
}

void lvCorvaloStrategy::NewRow() {
    ++mRowsInUse;
    mErrors = 0;
    if (mRowsInUse > Rows()) {
        // The row would not fit on the board.
        mOutcome = kLost;
        DisableInput();
        mWaitTimer->Stop();
        SetMood(kMoodScare);
        return;
    }
    // Rows above the rows in use are empty, so nothing wraps into row 0.
    PushDealtRowUp();
    const int columns = Columns();
    BoardSlots& s = mLevelState->GetSlots();
    PlayLevelSound(TString("gameplay_newrow"), 0);
    if (mShowtimeRunning) {
        for (int slot = columns; slot < 2 * columns && slot < s.Size(); ++slot)
            if (s.kind[slot] != 0 && CategoryOf(s.kind[slot]) == kCategoryOrdinary)
                s.command[slot] = kCmdRevealFaint;
        return;
    }
    Settle();
    DisableInput();
    mQueue->PostRevealFirstRow();
}

void lvCorvaloStrategy::Refill() {
    const BoardSlots& s = mLevelState->GetSlots();
    std::vector<int> empty;
    const int end = std::min(SlotCount(), (mRowsInUse + 1) * Columns());
    for (int slot = FirstPlaySlot(); slot < end; ++slot)
        if (s.kind[slot] == 0)
            empty.push_back(slot);
    std::vector<int> kinds;
    kinds.reserve(empty.size());
    for (size_t i = 0; i < empty.size(); ++i)
        kinds.push_back(DrawTileKind());
    for (size_t i = 0; i < empty.size(); ++i)
        PlaceTile(empty[i], kinds[i], mShowtimeRunning);
}

void lvCorvaloStrategy::RewardStep() {
    if (!mChainPending)
        return;
    DisableInput();
    // The group's tiles must be gone and the board packed again.
    if (IsRemovalPending() || IsAnyTileBusy() || mQueue->IsBusy())
        return;
    Refill();
    mChainPending = false;
    if (!mShowtimeRunning)
        PostPopupAction(mLastGroup);
    mLastGroup = 0;
}

void lvCorvaloStrategy::Update(uint32_t elapsed) {
    if (!IsPlayable() || !mStarted)
        return;
    AdvanceBoard(elapsed);
    if (mBottom)
        mBottom->UpdateTimeBar(static_cast<float>(mErrors) / static_cast<float>(mErrorRow));
    CheckAchievements();

    if (EndingSteps())
        return;
    if (mOutcome == kLost) {
        BeginLostSequence();
        return;
    }
    if (mOutcome == kWon) {
        ScoreReported();
        if (!mQueue->IsBusy() && !IsAnyTileBusy())
            BeginWonSequence();
        return;
    }
    if (mAvatarTimer->HasRun())
        SetMood(kMoodStand);
    BoardRule();
    if (mOutcome != kPlaying)
        return;
    ScoreReported();
    if (mOutcome != kPlaying)
        return;
    SettleCycle();
    RewardStep();
    PlayingSteps(true);
}
