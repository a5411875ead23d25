#include "game/levels/lvCorvaloLevel.h"

#include "framework/core/log/TLog.h"
#include "framework/ui/window/TWindow.h"
#include "game/board/BoardActionQueue.h"
#include "game/board/BoardScreen.h"
#include "game/board/BoardTile.h"
#include "game/board/BottomPanel.h"
#include "game/board/TopPanel.h"
#include "game/board/clsTile.h"
#include "game/board/guiCorvalo.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/TileKinds.h"
#include "game/gmCorvalo.h"
#include "game/levels/LevelServices.h"
#include "game/levels/MatchScore.h"
#include "game/progress/QuestMap.h"
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

constexpr int kAvatarPeriod = 500;

std::vector<uint32_t> ToSlots(const std::vector<int>& turn) {
    return std::vector<uint32_t>(turn.begin(), turn.end());
}

template <typename T> T* FindBoardChild(TWindow* owner, const char* name) {
    if (!owner)
        return nullptr;
    return dynamic_cast<T*>(owner->FindChild(TString(name), true));
}

const char* ModeKey(int mode) {
    switch (mode) {
    case kModeClassic:
        return "UserClassic";
    case kModeStrategy:
        return "UserStrategy";
    case kModeBlitz:
        return "UserBlitz";
    case kModeJoker:
        return "UserJoker";
    case kModeRome:
        return "UserRome";
    default:
        return "";
    }
}

} // namespace

lvCorvaloLevel::lvCorvaloLevel(gmCorvalo& game, int mode, int modeAchievement)
    : mGame(game), mModeId(mode), mAchievements(modeAchievement) {
    mUser = game.GetUser();
    mLevelState = mUser ? mUser->GetLevelState() : nullptr;
    mStyle = GetScriptGlobal("gGameStyle");
    mQuest = mStyle == TString("quest");
}

void lvCorvaloLevel::Configure(const LevelRules& rules, int recordMode, int tableSize) {
    mRules = rules;
    if (!mUser || !mLevelState || !mRules.deal) {
        LogPrintf("level: no level to play (no player progress or level record)");
        return;
    }
    int difficulty = 3;
    if (mQuest) {
        difficulty = recordMode;
        if (QuestMap* map = GetLevelServices().questMap; map && map->HasCurrentNode())
            mUser->lives = map->GetCurrentNodeLives();
    } else {
        const TString word = GetScriptGlobal("gGameDifficulty");
        difficulty = word == TString("easy") ? 1 : word == TString("medium") ? 2 : 3;
    }
    mLevelState->SetDifficulty(difficulty);
    mDifficulty = mLevelState->GetDifficulty() - 1;
    mGeometry = mLevelState->GetGeometry();
    mPastLastLevel = tableSize <= mUser->level;
    if (!mGeometry || mGeometry->col <= 0 || mGeometry->row <= 0) {
        LogPrintf("level: the board layout %d is missing", mDifficulty);
        return;
    }
    if (!gGameClock) {
        LogPrintf("level: no game clock; the level cannot run");
        return;
    }
    mLevelState->ResizeSlotsToGeometry();
    const TClock& clock = *gGameClock;
    const TGameTuning::Time& time = gGameTuning.time;
    mAvatarTimer = std::make_unique<IntervalTimer>(clock, kAvatarPeriod);
    mWaitTimer = std::make_unique<IntervalTimer>(clock, 0);
    mShowtimeTimer = std::make_unique<IntervalTimer>(clock, time.showtime);
    mFreezeTimer = std::make_unique<IntervalTimer>(clock, time.freeze);
    mRevealTimer = std::make_unique<IntervalTimer>(clock, time.revealWait);
    mTimerSet = std::make_unique<LevelTimerSet>(mDifficulty, *mLevelState);
    mQueue = std::make_unique<BoardActionQueue>(static_cast<uint32_t>(mDifficulty), gGameClock,
                                                mLevelState);
    mQueue->SetMode(mModeId);
    mPlayable = true;
}

lvCorvaloLevel::~lvCorvaloLevel() {
    ReleaseSharedEffects();
    // The board window must not draw the actors of a level state that the
    // next level replaces.
    if (guiCorvalo* board = FindBoardChild<guiCorvalo>(mGame.GetOwner(), "guiCorvalo"))
        board->SetBoard(nullptr);
}

void lvCorvaloLevel::ReleaseSharedEffects() {
    clsTile::ReleaseEffectTemplates();
}

void lvCorvaloLevel::PlayLevelSound(const TString& name, int loop) {
    ::PlayLevelSound(name, loop != 0);
}

// --- start ---------------------------------------------------------------

void lvCorvaloLevel::Start() {
    if (mStarted)
        return;
    mStarted = true;
    if (!mPlayable) {
        vlkGameLevel::Start();
        return;
    }
    WireBoard();

    if (mQuest) {
        mTask = mRules.task;
        if (mTask != 0)
            mUser->quota = mRules.goalTask;
        const int kind1 = mRules.tile1.IsEmpty() ? 0 : TileKindFromName(mRules.tile1);
        const int kind2 = mRules.tile2.IsEmpty() ? 0 : TileKindFromName(mRules.tile2);
        if (mTask == 1 || mTask == 2 || mTask == 3)
            mGoalKind1 = std::max(0, kind1);
        if (mTask == 3)
            mGoalKind2 = std::max(0, kind2);
        if (mTask == 4)
            mUser->quota = 0;
    }

    if (mBottom) {
        mBottom->SetPlayInfo(mModeId, mDifficulty, mTask, mStyle);
        SetupBottomPanel(*mBottom);
    }
    if (mTop)
        mTop->SetUserState(mUser);

    // The opening show; input opens once it has ended.
    mQueue->StartGo();
    Settle();

    mWeights = mRules.deal->chances;
    mCaps = mRules.deal->maxCounts;
    const size_t kinds = mRules.deal->kinds.size();
    mWeights.resize(kinds, 0);
    mCaps.resize(kinds, 0);
    DealBoard();

    if (mScreen) {
        mScreen->ShowLives(mUser->lives);
        mScreen->ShowCircle(false);
        mScreen->SetBoardWarning(false);
    }
    SetMood(kMoodStand);

    BeginPlay();
    vlkGameLevel::Start();
}

void lvCorvaloLevel::WireBoard() {
    TWindow* owner = mGame.GetOwner();
    mScreen = mGame.GetBoardScreen();
    mQueue->SetBoardScreen(mScreen);

    if (guiCorvalo* board = FindBoardChild<guiCorvalo>(owner, "guiCorvalo")) {
        board->SetBoard(&mLevelState->GetActors());
        board->SetPosition(mGeometry->window[0], mGeometry->window[1]);
        board->SetSize(mGeometry->window[2], mGeometry->window[3]);
    }
    mBoardX = mGeometry->window[0];
    mBoardY = mGeometry->window[1];
    mBottom = FindBoardChild<BottomPanel>(owner, "btmCorvalo");
    mTop = FindBoardChild<TopPanel>(owner, "topCorvalo");
}

void lvCorvaloLevel::BeginPlay() {
    // The played difficulty: play begins, the achievements start from the
    // player's progress, and quick play records the difficulty.
    if (mScreen)
        mScreen->ResetAchievementPanels();
    LevelAchievements::Context context{mUser, GetLevelServices().questMap, mQuest,
                                       mBottom ? mBottom->GetScore() : 0,
                                       mUser->quickDifficultyBits[mModeId]};
    mAchievements.Init(context);
    if (!mQuest) {
        int32_t& bits = mUser->quickDifficultyBits[mModeId];
        bits |= 1 << mDifficulty;
        if (ProgressStore* store = GetLevelServices().progress)
            store->SetCurrentUserInt(TString(ModeKey(mModeId)), bits);
    }
}

void lvCorvaloLevel::SetPaused(bool paused) {
    vlkGameLevel::SetPaused(paused);
    if (paused && GetLevelServices().states->GetValue(TString("pause")) == TString("0"))
        RunLevelScript(TString("DoModal('scripts/pause.lua')"));
}

// --- clicks ---------------------------------------------------------------

bool lvCorvaloLevel::IsClickable(int slot) const {
    const BoardSlots& s = mLevelState->GetSlots();
    return s.tile[slot] && s.busy[slot] == 0 && s.command[slot] == kCmdNone;
}

void lvCorvaloLevel::OnMouseDown(int x, int y) {
    if (mScreen)
        mScreen->SkipCelebration();
    if (!mPlayable || !mStarted)
        return;
    if (!mInputEnabled) {
        if (mRevealPause && mRevealTimer->HasRun()) {
            mQueue->Abort();
            mRevealTimer->Stop();
            mRevealPause = false;
        }
        return;
    }
    const BoardSlots& s = mLevelState->GetSlots();
    const float px = static_cast<float>(x - mBoardX);
    const float py = static_cast<float>(y - mBoardY);
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot) {
        if (!IsClickable(slot) || !s.tile[slot]->HitTest(px, py))
            continue;
        if (std::find(mClicks.begin(), mClicks.end(), slot) == mClicks.end())
            mClicks.push_back(slot);
        break;
    }
}

void lvCorvaloLevel::TakeClicks() {
    // Each click joins the turn and is looked at before the next one, so
    // that two clicks in one frame are both classified.
    while (mClicksTaken < mClicks.size() && mOutcome == kPlaying) {
        mTurn.push_back(mClicks[mClicksTaken++]);
        ClassifyNewEntries();
    }
}

// --- classification --------------------------------------------------------

void lvCorvaloLevel::ClassifyNewEntries() {
    if (mTurn.size() == mTurnClassified)
        return;
    mTurnClassified = mTurn.size();
    if (mTurn.empty())
        return;
    const int last = mTurn.back();
    const int kind = KindAt(last);
    if (kind == kTileSidewinder || kind == kTileShowtime) {
        mPostedWithBonus = true;
        if (kind == kTileSidewinder) {
            mPowerUpRunning = true;
            mQueue->PostSidewinder(ToSlots(mTurn));
            if (mQuest)
                ++mUser->sidewinder;
        } else {
            mShowtimeRunning = true;
            mQueue->PostMatch(ToSlots(mTurn));
            mShowtimeTimer->Start();
            if (mQuest)
                ++mUser->showtime;
        }
        mPattern = 0;
        ClearTurn();
        mWaitTimer->Stop();
        DisableInput();
        Settle();
        return;
    }
    if (kind == kTileFreeze) {
        SetCommand(last, kCmdRemove);
        DropFromTurn(mTurn.size() - 1);
        PauseClock(true);
        mFreezeTimer->Start();
        if (mQuest)
            ++mUser->freeze;
        if (mScreen)
            mScreen->StartFreeze();
        OnFreezeTaken();
        return;
    }
    std::vector<int> categories;
    categories.reserve(mTurn.size());
    for (int slot : mTurn)
        categories.push_back(CategoryOf(KindAt(slot)));
    mPattern = mPatterns.Find(categories, mPattern);
    ActOnPattern();
    if (mPattern != 0 && mPattern != 1 && NoMatchLeft()) {
        Wait(gGameTuning.time.clearTiles);
        DisableInput();
        mResolutionPending = true;
    }
}

void lvCorvaloLevel::ActOnPattern() {
    const size_t n = mTurn.size();
    if (n == 0)
        return;
    const int first = mTurn[0];
    const int last = mTurn[n - 1];
    const int matchWait = MatchWait(mRules.timeMatch, mRules.timeMatchDec, static_cast<int>(n));
    auto matched = [&](int wait) {
        if (IsLastPair()) {
            Wait(gGameTuning.time.clearTiles);
            DisableInput();
            mResolutionPending = true;
        } else {
            Wait(wait);
        }
        SetMood(kMoodHappy);
        mAvatarTimer->Start();
    };
    auto mismatched = [&]() {
        SetCommand(last, kCmdTurnUpStand);
        Wait(mRules.timeTile);
        DisableInput();
        mResolutionPending = true;
        OnMismatch();
    };
    switch (mPattern) {
    case 1:
        SetCommand(first, kCmdTurnUpStand);
        mWaitTimer->Stop();
        break;
    case 2:
        SetCommand(first, kCmdWildMark);
        Wait(mRules.timeMatch);
        mSpecialInChain = true;
        break;
    case 3:
        SetCommand(first, kCmdBombMark);
        Wait(mRules.timeMatch);
        break;
    case 4:
        if (KindAt(first) == KindAt(last)) {
            SetCommand(first, kCmdMatch);
            SetCommand(last, kCmdMatch);
            mMismatches = 0;
            matched(matchWait);
        } else {
            mismatched();
            if (!mShowtimeRunning && ++mMismatches >= 3) {
                mMismatches = 0;
                if (mQueue->PostHint(ToSlots(mTurn))) {
                    ClearTurn();
                    mResolutionPending = false;
                    mWaitTimer->Stop();
                    mPattern = 0;
                    Settle();
                }
            }
        }
        break;
    case 5:
        SetCommand(first, kCmdRedMatch);
        SetCommand(last, kCmdWildMark);
        Wait(mRules.timeMatch);
        mSpecialInChain = true;
        break;
    case 6:
        SetCommand(first, kCmdMatch);
        SetCommand(last, kCmdBombMark);
        Wait(mRules.timeMatch);
        mSpecialInChain = true;
        break;
    case 7:
        SetCommand(last, kCmdRedMatch);
        mWaitTimer->Start();
        break;
    case 8:
    case 9:
    case 11:
    case 12:
        SetCommand(mTurn[n - 2], kCmdFaceUpNow);
        SetCommand(last, kCmdFaceUpNow);
        Resolve(0);
        break;
    case 10:
        SetCommand(last, kCmdTurnUpStand);
        BombActs(n - 1);
        Resolve(0);
        break;
    case 13:
    case 22:
        if (KindAt(mTurn[n - 2]) == KindAt(last)) {
            SetCommand(last, mSpecialInChain ? kCmdRedMatch : kCmdMatch);
            matched(matchWait);
        } else {
            mismatched();
            // The chain's matched tiles are still to be scored: a hint
            // that clears the turn now would lose them, so it is asked for
            // when the turn ends.
            if (CountsChainMisses() && !mShowtimeRunning && ++mMismatches >= 3) {
                mMismatches = 0;
                mHintAfterTurn = true;
            }
        }
        break;
    case 23:
        SetCommand(last, kCmdWildMark);
        Wait(matchWait);
        mSpecialInChain = true;
        break;
    case 14:
        for (size_t i = 0; i + 1 < n; ++i)
            if (CategoryOf(KindAt(mTurn[i])) == kCategoryOrdinary)
                SetCommand(mTurn[i], kCmdRedMatch);
        SetCommand(last, kCmdWildMark);
        Wait(matchWait);
        mSpecialInChain = true;
        break;
    case 15:
    case 24:
        SetCommand(last, kCmdBombMark);
        Wait(matchWait);
        mSpecialInChain = true;
        break;
    case 16:
        SetCommand(last, kCmdRedMatch);
        Wait(matchWait);
        break;
    case 17:
        DropFromTurn(n - 1);
        Resolve(n - 1);
        break;
    case 21:
        DropFromTurn(n - 1);
        BombActs(n - 3);
        Resolve(0);
        break;
    case 18:
    case 20:
        BombActs(n - 3);
        Resolve(0);
        break;
    case 19:
        SetCommand(last, kCmdTurnUpStand);
        BombActs(n - 1);
        Resolve(0);
        break;
    default:
        break;
    }
}

bool lvCorvaloLevel::IsLastPair() const {
    if (mTurn.empty())
        return false;
    const BoardSlots& s = mLevelState->GetSlots();
    const int kind = KindAt(mTurn[0]);
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot) {
        if (s.kind[slot] == 0 || s.command[slot] == kCmdRemove)
            continue;
        if (IsBonusKind(s.kind[slot]))
            return false;
        if (s.kind[slot] == kind && std::find(mTurn.begin(), mTurn.end(), slot) == mTurn.end())
            return false;
    }
    return true;
}

bool lvCorvaloLevel::NoMatchLeft() const {
    if (mTurn.empty())
        return false;
    const int kind = KindAt(mTurn.back());
    if (IsBonusKind(kind))
        return false;
    const BoardSlots& s = mLevelState->GetSlots();
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot) {
        const int k = s.kind[slot];
        if (k == 0 || s.command[slot] == kCmdRemove)
            continue;
        if ((k == kind || k == kTileWild || k == kTileBomb) &&
            std::find(mTurn.begin(), mTurn.end(), slot) == mTurn.end())
            return false;
    }
    return true;
}

// --- resolution ----------------------------------------------------------

void lvCorvaloLevel::ResolveStep() {
    if (mPattern == 0 || IsAnyTileBusy() || !mWaitTimer->HasRun())
        return;
    OnResolving();
    const size_t n = mTurn.size();
    const int turnBack = mShowtimeRunning ? kCmdRevealFaint : kCmdTurnDown;
    auto lastMatched = [&]() {
        const int state = DisplayStateAt(mTurn.back());
        return state == kTileStateMatch || state == kTileStateRedMatch;
    };
    if (n == 0) {
        mPattern = 0;
        return;
    }
    switch (mPattern) {
    case 2:
    case 3:
        SetCommand(mTurn[0], kCmdFaceUpNow);
        Resolve(0);
        break;
    case 4:
        if (lastMatched()) {
            Resolve(n);
        } else {
            for (int slot : mTurn)
                SetCommand(slot, turnBack);
            Resolve(0);
        }
        break;
    case 5:
    case 7:
    case 14:
    case 16:
    case 23:
        Resolve(n);
        break;
    case 6:
    case 15:
    case 24:
        if (n >= 2)
            BombActs(n - 2);
        Resolve(0);
        break;
    case 13:
    case 22:
        if (lastMatched()) {
            Resolve(n);
        } else {
            SetCommand(mTurn.back(), turnBack);
            DropFromTurn(n - 1);
            // Scoring the chain's pair does not end the run of misses that
            // its last tile continued.
            const int misses = mMismatches;
            Resolve(n - 1);
            if (CountsChainMisses())
                mMismatches = misses;
            if (mHintAfterTurn) {
                mHintAfterTurn = false;
                mQueue->PostHint({});
            }
        }
        break;
    default:
        mPattern = 0;
        break;
    }
}

void lvCorvaloLevel::Resolve(size_t k) {
    k = std::min(k, mTurn.size());
    std::vector<int> group(mTurn.begin(), mTurn.begin() + static_cast<std::ptrdiff_t>(k));
    bool withBonus = false;
    for (int slot : group) {
        withBonus = withBonus || IsBonusKind(KindAt(slot));
        SetCommand(slot, kCmdRemove);
    }
    TaskGoals(static_cast<int>(k), group);
    if (k > 0) {
        ScoreGroup(static_cast<int>(k), withBonus);
        // A match ends a run of misses.
        mMismatches = 0;
    }
    mSpecialInChain = false;
    ClearTurn();
    mResolutionPending = false;
    mWaitTimer->Stop();
    mPattern = 0;
}

void lvCorvaloLevel::ClearTurn() {
    mTurn.clear();
    mTurnClassified = 0;
    mClicks.clear();
    mClicksTaken = 0;
}

void lvCorvaloLevel::DropFromTurn(size_t index) {
    if (index >= mTurn.size())
        return;
    const int slot = mTurn[index];
    mTurn.erase(mTurn.begin() + static_cast<std::ptrdiff_t>(index));
    mTurnClassified = mTurn.size();
    auto click = std::find(mClicks.begin(), mClicks.end(), slot);
    if (click != mClicks.end()) {
        if (static_cast<size_t>(click - mClicks.begin()) < mClicksTaken)
            --mClicksTaken;
        mClicks.erase(click);
    }
}

// --- bombs and goals ---------------------------------------------------------

void lvCorvaloLevel::BombActs(size_t index) {
    if (index >= mTurn.size())
        return;
    BombGoals(index);
    mPostedWithBonus = true;
    mQueue->PostSameKindClear(ToSlots(mTurn), static_cast<uint32_t>(index));
    if (mQuest)
        ++mUser->bomb;
    OnBombActs();
    Settle();
}

void lvCorvaloLevel::BombGoals(size_t index) {
    if (mOutcome != kPlaying || index >= mTurn.size())
        return;
    const BoardSlots& s = mLevelState->GetSlots();
    const int bombed = KindAt(mTurn[index]);
    auto countOnBoard = [&](int kind) {
        int count = 0;
        for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
            if (s.kind[slot] == kind && s.command[slot] != kCmdRemove)
                ++count;
        return count;
    };
    if (mTask == 1) {
        int count = 0;
        for (int slot : mTurn)
            if (KindAt(slot) == mGoalKind1)
                ++count;
        if (bombed == mGoalKind1) {
            for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
                if (s.kind[slot] == mGoalKind1 && s.command[slot] != kCmdRemove &&
                    std::find(mTurn.begin(), mTurn.end(), slot) == mTurn.end())
                    ++count;
        }
        mUser->quota = std::max(0, mUser->quota - count);
        if (mUser->quota == 0)
            WinNow();
        else
            SetGoalBlink(mUser->quota <= 5);
    } else if (mTask == 2) {
        // The bombed tile must be of the goal kind, when there is one.
        if (mGoalKind1 != 0 && bombed != mGoalKind1)
            return;
        if (countOnBoard(bombed) >= mUser->quota)
            WinNow();
    }
}

void lvCorvaloLevel::TaskGoals(int k, const std::vector<int>& tiles) {
    if (mOutcome != kPlaying)
        return;
    switch (mTask) {
    case 1: {
        const int count = static_cast<int>(std::count_if(
            tiles.begin(), tiles.end(), [&](int slot) { return KindAt(slot) == mGoalKind1; }));
        mUser->quota = std::max(0, mUser->quota - count);
        if (mUser->quota == 0) {
            WinNow();
            return;
        }
        SetGoalBlink(mUser->quota <= 5);
        if (mUser->quota <= 10)
            ShowAlmostThereOnce();
        break;
    }
    case 2: {
        if (k <= 0 || k < mUser->quota)
            return;
        const int kind = mGoalKind1 != 0 ? mGoalKind1 : KindAt(tiles[0]);
        const bool allOfKind =
            std::all_of(tiles.begin(), tiles.end(), [&](int slot) { return KindAt(slot) == kind; });
        if (allOfKind && (mGoalKind1 != 0 || k >= 3))
            WinNow();
        break;
    }
    case 3: {
        if (k <= 0 || k < mUser->quota)
            return;
        bool first = false, second = false, bonus = false, other = false;
        for (int slot : tiles) {
            const int kind = KindAt(slot);
            if (kind == mGoalKind1)
                first = true;
            else if (kind == mGoalKind2)
                second = true;
            else if (IsBonusKind(kind))
                bonus = true;
            else
                other = true;
        }
        if (first && second && bonus && !other)
            WinNow();
        break;
    }
    case 4:
        if (IsBoardCleared())
            WinNow();
        break;
    default:
        break;
    }
}

void lvCorvaloLevel::WinNow() {
    mUser->quota = 0;
    mOutcome = kWon;
    DisableInput();
    if (mScreen)
        mScreen->StopAlmostThere();
    PauseClock(true);
    SetGoalBlink(false);
    if (mScreen)
        mScreen->ShowTilesCompleted();
    PlayLevelSound(TString("popup_finish"), 0);
    OnTaskWon();
}

// --- scoring --------------------------------------------------------------

bool lvCorvaloLevel::ScoreReported() {
    // Each source is read (which clears it); the last with a count wins.
    int32_t count = -1;
    for (int32_t reported :
         {mQueue->TakeClearedCount(), mQueue->TakeMatchCount(), mQueue->TakeSidewinderCount()})
        if (reported >= 0)
            count = reported;
    if (count < 0)
        return false;
    if (count > 0)
        ScoreGroup(count, mPostedWithBonus);
    mPostedWithBonus = false;
    return true;
}

void lvCorvaloLevel::ScoreGroup(int n, bool withBonus) {
    const TGameTuning::Score& score = gGameTuning.score;
    int bonus = 0;
    if (AddsClearedBonusInScore() && IsBoardCleared()) {
        if (mScreen)
            mScreen->StopGameplayMusic();
        PlayLevelSound(TString("fanfarria_short"), 0);
        bonus = score.clearedAllTiles;
    }
    const int points = MatchPoints(n, ClassifyGroup(n, withBonus), score) + bonus;
    mUser->levelScore += points;
    if (mBottom)
        mBottom->AddScore(points);
    mUser->bestCombo = std::max(mUser->bestCombo, n);
    if (mQuest && n >= 3) {
        if (mSpecialInChain) {
            ++mUser->wild;
            if (n >= 20)
                ++mUser->chain20;
        } else if (n >= 50) {
            mUser->combo50 = std::max(mUser->combo50, 1);
        } else if (n >= 25) {
            mUser->combo25 = std::max(mUser->combo25, 1);
        }
    }
    OnGroupScored(n);
}

void lvCorvaloLevel::ShowComboPopup(int n) {
    if (!mScreen || n <= 2)
        return;
    if (mSpecialInChain)
        mScreen->ShowChainedCombo(n);
    else if (n >= 6)
        mScreen->ShowSuperCombo(n);
    else
        mScreen->ShowCombo(n);
}

void lvCorvaloLevel::PostPopupAction(int length) {
    if (length < 3)
        return;
    if (length == 3)
        mQueue->PostRevealAlternate();
    else if (length <= 5)
        mQueue->PostRevealSweep();
    else if (length <= 7)
        mQueue->PostRevealRows();
    else
        mQueue->PostRevealAll();
    mRevealTimer->Start();
    mRevealPause = true;
    Settle();
    DisableInput();
}

void lvCorvaloLevel::SetGoalBlink(bool blink) {
    if (blink == mGoalBlink)
        return;
    mGoalBlink = blink;
    if (mScreen)
        mScreen->ShowCircle(blink);
}

void lvCorvaloLevel::ShowAlmostThereOnce() {
    if (mAlmostThereShown)
        return;
    mAlmostThereShown = true;
    if (mScreen)
        mScreen->ShowAlmostThere();
}

void lvCorvaloLevel::SetMood(int mood) {
    if (mBottom)
        mBottom->SetAvatarMood(mood);
    if (mood == mMood)
        return;
    const bool warning = mood == kMoodScare;
    const bool wasWarning = mMood == kMoodScare;
    mMood = mood;
    if (mScreen && warning != wasWarning)
        mScreen->SetBoardWarning(warning);
}

// --- per frame --------------------------------------------------------------

bool lvCorvaloLevel::AdvanceBoard(uint32_t elapsed) {
    mLevelState->GetActors().Update(elapsed);
    mTimerSet->Update();
    bool moved = false;
    if (mOutcome != kPlaying || !mPowerUpRunning)
        moved = ApplyGravity();
    mQueue->Update();
    return moved;
}

void lvCorvaloLevel::CheckAchievements() {
    LevelAchievements::Context context{mUser, GetLevelServices().questMap, mQuest,
                                       mBottom ? mBottom->GetScore() : 0,
                                       mUser->quickDifficultyBits[mModeId]};
    for (const TString& label : mAchievements.Check(context))
        if (mScreen)
            mScreen->ShowAchievement(label);
}

void lvCorvaloLevel::Settle() {
    mSettling = true;
    mSettleStarted = false;
}

bool lvCorvaloLevel::SettleStep() {
    if (mSettling && !mSettleStarted) {
        mSettleStarted = true;
        mWaitTimer->SetPaused(true);
        return false;
    }
    if (mSettling) {
        if (mQueue->IsBusy())
            return false;
        mSettling = false;
        mSettleStarted = false;
        mPowerUpRunning = false;
    }
    if (IsAnyTileBusy())
        return false;
    mWaitTimer->SetPaused(false);
    return true;
}

void lvCorvaloLevel::SettleCycle() {
    if (!SettleStep())
        return;
    if (!mChainPending && !mResolutionPending && !mPowerUpRunning && GetInputBlock() == 0)
        mInputEnabled = true;
    if (mShowtimeRunning && mShowtimeTimer->HasRun()) {
        mShowtimeRunning = false;
        mQueue->PostHideAllExcept(ToSlots(mTurn));
    }
    if (mFreezeTimer->HasRun()) {
        if (mScreen)
            mScreen->EndFreeze();
        PauseClock(false);
    }
    OnSettled();
}

void lvCorvaloLevel::PlayingSteps(bool takeClicks) {
    if (takeClicks)
        TakeClicks();
    ClassifyNewEntries();
    ResolveStep();
}

// --- the end --------------------------------------------------------------

void lvCorvaloLevel::BeginWonSequence() {
    mFinishing = true;
    mUser->levelScore += static_cast<int32_t>(mQueue->GetGoldenCount()) * 100;
    if (mScreen)
        mScreen->StartCelebration();
    SetMood(kMoodStand);
    SetMood(kMoodHappy);
    mAvatarTimer->Start();
}

void lvCorvaloLevel::BeginLostSequence() {
    mFinishing = true;
    mUser->lives = std::max(0, mUser->lives - 1);
    BoardSlots& s = mLevelState->GetSlots();
    const int columns = Columns();
    for (int slot = 0; slot < s.Size(); ++slot)
        if (s.tile[slot])
            s.tile[slot]->FallTo(static_cast<uint32_t>(slot % columns));
    SetMood(kMoodStand);
    SetMood(kMoodScare);
}

void lvCorvaloLevel::FinishWon() {
    if (mScreen && mScreen->TakeScoreBurst() && mBottom)
        mBottom->AddScore(static_cast<int32_t>(mQueue->GetGoldenCount()) * 100);
    if (mScreen && mScreen->IsCelebrating())
        return;
    if (mBottom)
        mBottom->SetAvatarVisible(false);
    const int32_t total = mBottom ? mBottom->StoreScore() : mUser->levelScore;
    if (mTop) {
        mTop->SetTotalScore(total);
        mTop->ShowScoreCard();
    }
    if (!mQuest) {
        const TString word = GetScriptGlobal("gGameDifficulty");
        const int d = word == TString("easy") ? 0 : word == TString("medium") ? 1 : 2;
        mUser->modeBestCombo[mModeId][d] = mUser->bestCombo;
    }
    mFinishing = false;
    mEnded = true;
}

bool lvCorvaloLevel::IsRemovalPending() const {
    const BoardSlots& s = mLevelState->GetSlots();
    for (int slot = 0; slot < s.Size(); ++slot)
        if (s.kind[slot] != 0 && s.command[slot] == kCmdRemove)
            return true;
    return false;
}

void lvCorvaloLevel::AddTimeBonus(CountdownTimer& countdown, int capMs, int seconds) {
    if (seconds <= 0)
        return;
    countdown.Update();
    countdown.AddTime(CappedTimeBonus(seconds * 1000, capMs, countdown.GetRemaining()));
    countdown.Update();
    if (mTop)
        mTop->ShowFloatingText(TString::Format("+ %d sec", seconds));
}

bool lvCorvaloLevel::EndingSteps() {
    if (mEnded) {
        AvatarCheck();
        return true;
    }
    if (!mFinishing)
        return false;
    if (mOutcome == kWon)
        FinishWon();
    else
        FinishLost();
    return true;
}

void lvCorvaloLevel::FinishLost() {
    const BoardSlots& s = mLevelState->GetSlots();
    for (int slot = 0; slot < s.Size(); ++slot)
        if (s.tile[slot] && s.tile[slot]->IsFalling())
            return;
    if (mScreen)
        mScreen->StopGameplayMusic();
    RunLevelScript(TString::Format("ShowLoseLife(%d)", mUser->lives));
    SetGoalBlink(false);
    if (mScreen)
        mScreen->SetBoardWarning(false);
    if (mBottom)
        mBottom->SetAvatarVisible(false);
    mFinishing = false;
    mEnded = true;
}

void lvCorvaloLevel::AvatarCheck() {
    const QuestMap* map = GetLevelServices().questMap;
    const bool pending = map && map->IsAvatarUnlockPending();
    if (pending && !mAvatarPopupShown) {
        RunLevelScript(TString("DoModal('scripts/avatar_unlocked.lua')"));
        mAvatarPopupShown = true;
        return;
    }
    if (mAvatarPopupShown && !pending) {
        mAvatarPopupShown = false;
        if (mScreen)
            mScreen->CloseBoard();
    }
}

// --- board helpers -----------------------------------------------------------

int lvCorvaloLevel::Columns() const {
    return mGeometry ? mGeometry->col : 0;
}

int lvCorvaloLevel::Rows() const {
    return mGeometry ? mGeometry->row : 0;
}

int lvCorvaloLevel::SlotCount() const {
    return std::min(mLevelState->GetSlots().Size(), (Rows() + 1) * Columns());
}

int lvCorvaloLevel::KindAt(int slot) const {
    const BoardSlots& s = mLevelState->GetSlots();
    return s.Contains(slot) ? s.kind[slot] : 0;
}

int lvCorvaloLevel::DisplayStateAt(int slot) const {
    const BoardSlots& s = mLevelState->GetSlots();
    return s.Contains(slot) ? s.state[slot] : 0;
}

void lvCorvaloLevel::SetCommand(int slot, int command) {
    BoardSlots& s = mLevelState->GetSlots();
    if (s.Contains(slot))
        s.command[slot] = command;
}

bool lvCorvaloLevel::IsBonusKind(int kind) const {
    const TTileKindRecord* record = GetTileKind(kind);
    return record && record->type == kTileTypeBonus;
}

int lvCorvaloLevel::CategoryOf(int kind) const {
    const TTileKindRecord* record = GetTileKind(kind);
    return record ? record->value : kCategoryOther;
}

bool lvCorvaloLevel::IsAnyTileBusy() const {
    const BoardSlots& s = mLevelState->GetSlots();
    for (int slot = 0; slot < s.Size(); ++slot) {
        if (s.busy[slot] != 0)
            return true;
        if (s.tile[slot] && s.tile[slot]->IsMoving())
            return true;
    }
    return false;
}

bool lvCorvaloLevel::IsBoardEmpty() const {
    const BoardSlots& s = mLevelState->GetSlots();
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
        if (s.kind[slot] != 0)
            return false;
    return true;
}

bool lvCorvaloLevel::IsBoardCleared() const {
    const BoardSlots& s = mLevelState->GetSlots();
    for (int slot = FirstPlaySlot(); slot < SlotCount(); ++slot)
        if (s.kind[slot] != 0 && s.command[slot] != kCmdRemove)
            return false;
    return true;
}

int lvCorvaloLevel::DrawTileKind() {
    const std::vector<int>& kinds = mRules.deal->kinds;
    int total = 0;
    for (int weight : mWeights)
        total += std::max(0, weight);
    if (total <= 0 || kinds.empty()) {
        LogPrintf("level: the level record deals no tile");
        return 0;
    }
    const int r = RandomBelow(total + 1);
    int sum = 0;
    size_t index = kinds.size() - 1;
    for (size_t i = 0; i < mWeights.size(); ++i) {
        // A kind whose chance is gone is never dealt, even for r = 0.
        if (mWeights[i] <= 0)
            continue;
        sum += mWeights[i];
        if (sum >= r) {
            index = i;
            break;
        }
    }
    const int kind = kinds[index];
    if (IsBonusKind(kind) && --mCaps[index] < 1) {
        mWeights[index] = 0;
        mCaps[index] = 0;
    }
    return kind;
}

void lvCorvaloLevel::PlaceTile(int slot, int kind, bool faceUp) {
    if (kind == 0)
        return;
    if (!mLevelState->CreateTile(mDifficulty, kind, slot))
        return;
    const TTileKindRecord* record = GetTileKind(kind);
    const bool ordinary = record && record->type == kTileTypeGame;
    SetCommand(slot, !ordinary ? kCmdFaceUpNow : faceUp ? kCmdRevealFaint : kCmdDealt);
}

void lvCorvaloLevel::PushDealtRowUp() {
    const int columns = Columns();
    DealTiles(0, columns);
    BoardSlots& s = mLevelState->GetSlots();
    for (int slot = 0; slot < s.Size(); ++slot)
        if (s.tile[slot] && slot + columns < s.Size())
            s.tile[slot]->MoveToSlot(static_cast<uint32_t>(slot + columns));
    for (int& slot : mTurn)
        slot += columns;
    for (int& slot : mClicks)
        slot += columns;
    s.Rotate(columns);
}

void lvCorvaloLevel::DealTiles(int firstSlot, int count) {
    std::vector<int> kinds;
    kinds.reserve(static_cast<size_t>(std::max(0, count)));
    for (int i = 0; i < count; ++i)
        kinds.push_back(DrawTileKind());
    for (int i = 0; i < count; ++i)
        PlaceTile(firstSlot + i, kinds[static_cast<size_t>(i)], false);
}

void lvCorvaloLevel::RenumberSlot(int from, int to) {
    std::replace(mTurn.begin(), mTurn.end(), from, to);
    std::replace(mClicks.begin(), mClicks.end(), from, to);
}

bool lvCorvaloLevel::ApplyGravity() {
    BoardSlots& s = mLevelState->GetSlots();
    const int columns = Columns();
    bool moved = false;
    for (int column = 0; column < columns; ++column) {
        int empty = 0;
        for (int row = 1; row <= Rows(); ++row) {
            const int slot = row * columns + column;
            if (!s.Contains(slot))
                break;
            if (s.kind[slot] == 0) {
                ++empty;
                continue;
            }
            if (empty == 0)
                continue;
            const int to = slot - empty * columns;
            s.Move(slot, to);
            if (s.tile[to])
                s.tile[to]->MoveToSlot(static_cast<uint32_t>(to));
            RenumberSlot(slot, to);
            moved = true;
        }
    }
    return moved;
}

void lvCorvaloLevel::Wait(int ms) {
    mWaitTimer->SetPeriod(static_cast<uint32_t>(std::max(0, ms)));
    mWaitTimer->Start();
}

std::string lvCorvaloLevel::Describe() const {
    return "outcome " + std::to_string(mOutcome) + " input " + std::to_string(mInputEnabled) +
           " settling " + std::to_string(mSettling) + "/" + std::to_string(mSettleStarted) +
           " chain " + std::to_string(mChainPending) + " resolution " +
           std::to_string(mResolutionPending) + " power-up " + std::to_string(mPowerUpRunning) +
           " showtime " + std::to_string(mShowtimeRunning) + " reveal " +
           std::to_string(mRevealPause) + " block " + std::to_string(GetInputBlock()) +
           " pattern " + std::to_string(mPattern) + " turn " + std::to_string(mTurn.size()) +
           " wait " + std::to_string(mWaitTimer->IsAlarmRunning()) + "/" +
           std::to_string(mWaitTimer->IsPaused()) + "/" + std::to_string(mWaitTimer->GetPeriod());
}
