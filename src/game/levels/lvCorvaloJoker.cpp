#include "game/levels/lvCorvaloJoker.h"

#include "framework/core/log/TLog.h"
#include "game/board/BoardActionQueue.h"
#include "game/board/BoardScreen.h"
#include "game/board/BoardTile.h"
#include "game/board/BottomPanel.h"
#include "game/board/TopPanel.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/gmCorvalo.h"
#include "game/levels/LevelServices.h"
#include "game/progress/QuestMap.h"
#include "game/random/GameRandom.h"
#include "game/state/dtLevelState.h"
#include "game/state/dtUserState.h"
#include "game/timers/IntervalTimer.h"
#include "game/timers/JokerTimerSet.h"
#include "velk/game/GameTuning.h"

#include <algorithm>

namespace {

constexpr uint32_t kMoodPeriod = 1000;
// Commands of the Joker timer set: the bonus back, the good card's
// shuffle, and face up.
constexpr int kJokerBonusBack = 101;
constexpr int kJokerFound = 103;
constexpr int kJokerFaceUp = 104;
// A card that is turning away is not taken.
constexpr int kStateTurningAway = 9;

} // namespace

int lvCorvaloJoker::GoodCards(bool quest, int initTiles, int round) {
    return std::max(1, quest ? initTiles + round - 1 : initTiles + 1);
}

lvCorvaloJoker::lvCorvaloJoker(gmCorvalo& game) : lvCorvaloLevel(game, kModeJoker, 18) {
    mRecord = mLevelState ? mLevelState->joker : nullptr;
    if (!mUser || !mRecord) {
        LogPrintf("joker level: no level to play (no player progress or level record)");
        return;
    }
    // A quest record names its board from 1; quick play's own record holds
    // the difficulty index.
    const int index = mQuest ? mRecord->mode - 1 : mRecord->mode;
    if (mQuest) {
        if (QuestMap* map = GetLevelServices().questMap; map && map->HasCurrentNode())
            mUser->lives = map->GetCurrentNodeLives();
    }
    mGoodCards = GoodCards(mQuest, mRecord->initTiles, mUser->roundCounter);
    mFaceKind = FaceKind(mLevelState->GetLevel());
    if (index < 0 || index >= GetGameModeCount()) {
        LogPrintf("joker level %d: the board layout %d is missing", mRecord->id, index);
        return;
    }
    mLevelState->SetDifficulty(index + 1);
    mDifficulty = index;
    mGeometry = mLevelState->GetGeometry();
    if (!mGeometry || mGeometry->col <= 0 || mGeometry->row <= 0) {
        LogPrintf("joker level %d: the board layout %d is missing", mRecord->id, index);
        return;
    }
    mLevelState->ResizeSlotsToGeometry();
    mClock.Reset();
    mClock.Start();
    mMoodTimer = std::make_unique<IntervalTimer>(mClock, kMoodPeriod);
    mJokerTimers = std::make_unique<JokerTimerSet>(index, *mLevelState);
    mQueue = std::make_unique<BoardActionQueue>(static_cast<uint32_t>(index), &mClock, mLevelState);
    mQueue->SetMode(kModeJoker);
    mToFind = mTotal = mGoodCards;
    mUser->extraScore = 0;
    mIntroRunning = true;
    mPlayable = true;
}

lvCorvaloJoker::~lvCorvaloJoker() {
    // The queue runs on this level's clock: it goes first.
    mQueue.reset();
}

void lvCorvaloJoker::SetupBottomPanel(BottomPanel& panel) {
    panel.SetupJoker(mUser, mDifficulty);
}

void lvCorvaloJoker::DealBoard() {
    const int first = FirstPlaySlot();
    const int playSlots = SlotCount() - first;
    if (mGoodCards > playSlots) {
        // More good cards than places would never finish the deal.
        LogPrintf("joker level %d: %d good cards do not fit on %d play slots; %d are dealt",
                  mRecord->id, mGoodCards, playSlots, playSlots);
        mGoodCards = playSlots;
    }
    BoardSlots& s = mLevelState->GetSlots();
    for (int placed = 0; placed < mGoodCards;) {
        const int slot = first + RandomBelow(playSlots);
        if (s.kind[slot] != 0)
            continue;
        s.kind[slot] = mFaceKind;
        ++placed;
    }
    for (int slot = first; slot < SlotCount(); ++slot) {
        const int kind = s.kind[slot] != 0 ? s.kind[slot] : kTileJoker;
        s.kind[slot] = 0;
        if (!mLevelState->CreateTile(mDifficulty, kind, slot))
            continue;
        s.busy[slot] = 0;
        s.state[slot] = 0;
        s.command[slot] = kJokerBonusBack;
    }
    mToFind = mTotal = mGoodCards;
}

void lvCorvaloJoker::Start() {
    if (mStarted)
        return;
    mStarted = true;
    if (!mPlayable) {
        vlkGameLevel::Start();
        return;
    }
    WireBoard();
    DealBoard();
    mUser->quota = mTotal;
    if (mTop)
        mTop->SetUserState(mUser);
    if (mBottom) {
        mBottom->SetPlayInfo(mModeId, mDifficulty, 0, mStyle);
        SetupBottomPanel(*mBottom);
    }
    // A quest level shows the mode's title before its first round only.
    const bool title = !mQuest || mUser->roundCounter == 1;
    const int round = mQuest ? mUser->roundCounter : mUser->level;
    mQueue->SetRoundTitle(title, static_cast<uint32_t>(std::max(0, round)));
    mQueue->PostRound();
    DisableInput();
    SetMood(kMoodStand);
    BeginPlay();
    vlkGameLevel::Start();
}

void lvCorvaloJoker::OnMouseDown(int x, int y) {
    if (mScreen)
        mScreen->SkipCelebration();
    if (!mPlayable || !mStarted || !mInputEnabled)
        return;
    const BoardSlots& s = mLevelState->GetSlots();
    const float px = static_cast<float>(x - mBoardX);
    const float py = static_cast<float>(y - mBoardY);
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot) {
        if (!IsClickable(slot) || !s.tile[slot]->HitTest(px, py))
            continue;
        mClickList.push_back(slot);
        PlayLevelSound(TString::Format("gameplay_combo%d", mClickCount % 12 + 1), 0);
        ++mClickCount;
        return;
    }
}

bool lvCorvaloJoker::IsClickable(int slot) const {
    const BoardSlots& s = mLevelState->GetSlots();
    return s.kind[slot] != 0 && s.tile[slot] && s.state[slot] != kStateTurningAway &&
           std::find(mClickList.begin(), mClickList.end(), slot) == mClickList.end();
}

void lvCorvaloJoker::Judge(int slot) {
    if (KindAt(slot) != mFaceKind) {
        // A joker ends the round.
        mRoundResult = kRoundLost;
        mOutcome = kLost;
        mRoundOver = true;
        SetMood(kMoodScare);
        mQueue->PostJokerShowAll();
        DisableInput();
        return;
    }
    --mToFind;
    SetCommand(slot, kJokerFound);
    if (mMood != kMoodHappy) {
        SetMood(kMoodHappy);
        mMoodTimer->Start();
    }
    --mUser->quota;
    const int points = gGameTuning.score.bonus;
    mLevelScore += points;
    mUser->levelScore += points;
    if (mBottom)
        mBottom->AddScore(points);
    SetGoalBlink(mToFind >= 1 && mToFind <= 5);
    if (mToFind > 0)
        return;
    if (mScreen) {
        mScreen->ShowTilesCompleted();
        if (mQuest)
            mScreen->ShowGood();
    }
    for (int clicked : mClickList)
        SetCommand(clicked, kJokerFaceUp);
    mRoundResult = kRoundWon;
    mOutcome = kWon;
    mRoundOver = true;
    mQueue->PostJokerRoundEnd();
    DisableInput();
}

void lvCorvaloJoker::RoundRule() {
    if (mMoodTimer->HasRun() && mMood != kMoodStand)
        SetMood(kMoodStand);
    // Each click is judged in turn, so that two in one frame both count.
    while (!mRoundOver && mClicksHandled < mClickList.size())
        Judge(mClickList[mClicksHandled++]);
}

void lvCorvaloJoker::EndOfRound() {
    const bool won = mRoundResult == kRoundWon || mRoundResult == kRoundLostLevelWon;
    if (mResultHandled) {
        if (!won || !mCelebrationStarted || (mScreen && mScreen->IsCelebrating()))
            return;
        mResultsShown = true;
        const int32_t stored = mBottom ? mBottom->StoreScore() : mUser->levelScore;
        if (!mQuest) {
            mGame.onEndLevel();
            return;
        }
        if (mJokerBonusGiven)
            mUser->extraScore = gGameTuning.score.jokerBonus;
        if (mBottom)
            mBottom->SetAvatarVisible(false);
        if (mTop) {
            mTop->SetTotalScore(stored);
            mTop->ShowJokerScoreCard(mJokerBonusGiven);
        }
        return;
    }
    mResultHandled = true;
    if (mRoundResult == kRoundWon) {
        const TJokerLevelRecord* table = GetJokerLevel(mUser->level - 1);
        if (mQuest && table && mUser->roundCounter < table->rounds) {
            // The next round follows at once.
            mGame.onEndLevel();
            return;
        }
        if (mQuest) {
            // The last round of a quest level earns the joker bonus.
            if (mBottom)
                mBottom->AddScore(gGameTuning.score.jokerBonus);
            mJokerBonusGiven = true;
        }
        if (mScreen)
            mScreen->StartCelebration();
        mCelebrationStarted = true;
        return;
    }
    mUser->lives = std::max(0, mUser->lives - 1);
    const TJokerLevelRecord* table = GetJokerLevel(mUser->level - 1);
    if (mQuest && table && mUser->roundCounter > table->roundsToWin) {
        mRoundResult = kRoundLostLevelWon;
        mOutcome = kWon;
        SetMood(kMoodHappy);
        if (mScreen)
            mScreen->StartCelebration();
        mCelebrationStarted = true;
        return;
    }
    if (mScreen)
        mScreen->StopGameplayMusic();
    mResultsShown = true;
    if (mBottom)
        mBottom->SetAvatarVisible(false);
    RunLevelScript(TString::Format("ShowLoseLife(%d)", mUser->lives));
}

void lvCorvaloJoker::Update(uint32_t elapsed) {
    if (!mPlayable || !mStarted)
        return;
    mLevelState->GetActors().Update(elapsed);
    mQueue->Update();
    mJokerTimers->Update(elapsed);
    CheckAchievements();
    if (mBottom && mTotal > 0)
        mBottom->UpdateGoalBar(1.0f - static_cast<float>(mToFind) / static_cast<float>(mTotal));

    if (mResultsShown) {
        AvatarCheck();
        return;
    }
    if (mIntroRunning) {
        // Input opens once the round's opening show has ended.
        if (!mQueue->IsBusy()) {
            mIntroRunning = false;
            mInputEnabled = true;
        }
        return;
    }
    if (!mRoundOver)
        RoundRule();
    if (mRoundOver && !mQueue->IsBusy())
        EndOfRound();
}
