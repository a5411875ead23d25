#pragma once

#include "framework/core/text/TString.h"
#include "game/levels/LevelAchievements.h"
#include "game/levels/TurnPatterns.h"
#include "velk/game/vlkGameLevel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CountdownTimer;
class BoardActionQueue;
class BoardScreen;
class BottomPanel;
class IntervalTimer;
class LevelTimerSet;
class QuestMap;
class TClock;
class TopPanel;
class dtLevelState;
class dtUserState;
class gmCorvalo;
struct TGameModeRecord;
struct TTileDeal;

// What a level reads of its level record, whichever mode's record it is.
struct LevelRules {
    const TTileDeal* deal = nullptr;
    int task = 0;
    int goalTask = 0;
    TString tile1;
    TString tile2;
    int timeTile = 0;
    int timeMatch = 0;
    int timeMatchDec = 0;
};

// The rules of a mode's level record (each mode's record has these fields).
template <typename Record> LevelRules RulesOf(const Record* record) {
    LevelRules rules;
    if (!record)
        return rules;
    rules.deal = record;
    rules.task = record->task;
    rules.goalTask = record->goalTask;
    rules.tile1 = record->tile1;
    rules.tile2 = record->tile2;
    rules.timeTile = record->timeTile;
    rules.timeMatch = record->timeMatch;
    rules.timeMatchDec = record->timeMatchDec;
    return rules;
}

// The shared skeleton of the game's levels. It wires a level to the board
// screen and its panels, deals tiles, turns clicks into the turn (the tiles
// picked in order), finds the turn's pattern and acts on it (matches,
// mismatches, wilds, bombs and the other power-ups), resolves and scores
// groups, lets tiles fall toward row 1, watches the quest goals and the
// achievements, pauses, and runs the end sequences of a won or lost level.
// Each mode derives from it and supplies its deal, its clock, its per-frame
// board rule and what a win or a scored group adds; a mode that plays
// without turns (Joker) takes only the wiring, pause and achievements.
//
// Made by the game object, which owns it; the board screen, the panels,
// the user state and the level state belong to others. The level owns its
// timers, its timer set and its board action queue.
class lvCorvaloLevel : public vlkGameLevel {
public:
    // Outcomes.
    enum Outcome { kPlaying = 0, kWon = 1, kLost = 2, kTimeUp = 3 };
    // Avatar moods of the bottom panel.
    enum Mood { kMoodStand = 4, kMoodHappy = 5, kMoodScare = 6 };

    ~lvCorvaloLevel() override;

    // Runs once.
    void Start() override;
    void SetPaused(bool paused) override;
    void OnMouseDown(int x, int y) override;

    // Plays a sound of the game's lists (looped with a non-zero flag).
    static void PlayLevelSound(const TString& name, int loop);
    // Frees the board effects that all tiles share.
    static void ReleaseSharedEffects();

    // The mode id (1-5).
    int GetModeId() const { return mModeId; }
    int GetOutcome() const { return mOutcome; }
    bool IsEnded() const { return mEnded; }
    bool IsFinishing() const { return mFinishing; }
    bool IsInputEnabled() const { return mInputEnabled; }
    int GetPattern() const { return mPattern; }
    const std::vector<int>& GetTurn() const { return mTurn; }
    const std::vector<int>& GetClicks() const { return mClicks; }
    int GetDifficulty() const { return mDifficulty; }
    int GetTask() const { return mTask; }
    int GetMood() const { return mMood; }
    bool IsQuest() const { return mQuest; }
    bool IsShowtimeRunning() const { return mShowtimeRunning; }
    bool IsSettling() const { return mSettling; }
    int GetBoardX() const { return mBoardX; }
    int GetBoardY() const { return mBoardY; }
    const TGameModeRecord* GetGeometry() const { return mGeometry; }
    dtLevelState* GetLevelState() const { return mLevelState; }
    BoardActionQueue* GetQueue() const { return mQueue.get(); }
    // The turn state in one line, for test messages and the log.
    std::string Describe() const;
    // Whether any slot's tile is busy, sliding or falling.
    bool IsAnyTileBusy() const;
    // Whether a click on the slot's tile would be taken now, input open
    // (it has one and is not busy; each mode adds its own rule).
    virtual bool IsClickable(int slot) const;
    // The first slot in play and the number of slots.
    int FirstPlaySlot() const { return Columns(); }
    int SlotCount() const;

protected:
    // `mode` is the mode id (1-5); `modeAchievement` the mode's own
    // achievement number.
    lvCorvaloLevel(gmCorvalo& game, int mode, int modeAchievement);

    // The rest of the construction, once the mode has its record: the
    // difficulty (quest: the record's board size), the geometry, the board
    // slots, the timers, the timer set and the queue. `tableSize` is the
    // number of records of the mode.
    void Configure(const LevelRules& rules, int recordMode, int tableSize);
    // False when the level cannot be played (no user state, level state,
    // geometry or game clock; logged): it then does nothing.
    bool IsPlayable() const { return mPlayable; }

    // Hooks of the modes.
    // The bottom panel's layout for the mode.
    virtual void SetupBottomPanel(BottomPanel& panel) = 0;
    // The first deal.
    virtual void DealBoard() = 0;
    // The mode's clock: paused by a freeze.
    virtual void PauseClock(bool paused) = 0;
    // A freeze tile was taken.
    virtual void OnFreezeTaken() {}
    // After the shared steps of a scored group of n tiles.
    virtual void OnGroupScored(int n) = 0;
    // A quest task has just been met (after the shared winning steps).
    virtual void OnTaskWon() {}
    // Whether ScoreGroup adds the board-cleared bonus (a mode that
    // handles the cleared board itself adds it there, once).
    virtual bool AddsClearedBonusInScore() const { return true; }
    // A selection is about to resolve.
    virtual void OnResolving() {}
    // A bomb acts.
    virtual void OnBombActs() {}
    // A turned tile did not match the turn (it shows as a miss).
    virtual void OnMismatch() {}
    // Whether a chain whose last tile misses counts toward the three misses
    // in a row that ask for a hint (Rome); else only a missed pair does.
    virtual bool CountsChainMisses() const { return false; }
    // The mode's input block: while not 0 the settle cycle keeps input
    // closed.
    virtual int GetInputBlock() const { return 0; }
    // The settle cycle found the board idle.
    virtual void OnSettled() {}

    // The parts of Start that every mode shares: the board screen, the
    // board window at the layout's place, the board origin and the panels;
    // then, once the board is dealt, the start of play (achievement panels,
    // achievements from the player's progress, the quick-play difficulty).
    void WireBoard();
    void BeginPlay();

    // Shared steps for the modes' Update.
    // Actors, timer set, gravity (unless a power-up runs while playing) and
    // the queue; true when gravity moved a tile.
    bool AdvanceBoard(uint32_t elapsed);
    void CheckAchievements();
    // The ended step: the avatar pop-up, then the board closes once.
    void AvatarCheck();
    // The finishing steps; each ends the level when it is done.
    void FinishWon();
    void FinishLost();
    // Once ended the avatar step, while finishing the won or lost steps;
    // true when one of them took the frame.
    bool EndingSteps();
    // True while a tile still waits to be removed.
    bool IsRemovalPending() const;
    // Adds a time bonus of that many seconds to a countdown, cut at the
    // cap, and shows it over the board; nothing for 0 or less.
    void AddTimeBonus(CountdownTimer& countdown, int capMs, int seconds);
    // Starts the won or lost end sequence.
    void BeginWonSequence();
    void BeginLostSequence();
    // The playing steps: clicks (when asked), classification, resolution.
    void PlayingSteps(bool takeClicks);
    void TakeClicks();
    void ClassifyNewEntries();
    void ResolveStep();
    // Scores a group that a power-up or bomb removed; true when one was.
    bool ScoreReported();
    // The quest winning steps shared by every mode (outcome 1).
    void WinNow();
    // Sets the avatar mood and the warning frame.
    void SetMood(int mood);
    // Starts a settle: the queue must go idle before input opens again.
    void Settle();
    // The settle part of the cycle: false while the settle or a busy tile
    // holds the board.
    bool SettleStep();
    // The whole settle cycle: input, showtime and freeze timers.
    void SettleCycle();
    // The pop-up action of a group length (3; 4-5; 6-7; 8 or more).
    void PostPopupAction(int length);
    // The combo pop-up of a group of n.
    void ShowComboPopup(int n);
    void SetGoalBlink(bool blink);
    // The almost-there pop-up, once per level.
    void ShowAlmostThereOnce();

    // Board helpers.
    int Columns() const;
    int Rows() const;
    int TopRowFirst() const { return Rows() * Columns(); }
    int DrawTileKind();
    void DealTiles(int firstSlot, int count);
    // Deals a row into the entry row and moves every tile, the turn and
    // the clicks up one row. The slots rotate, so the row above the top
    // must be empty: it comes round into the entry row.
    void PushDealtRowUp();
    // Makes one tile in an empty slot; the command for it.
    void PlaceTile(int slot, int kind, bool faceUp);
    bool IsBoardEmpty() const;
    // Every play slot empty or removed.
    bool IsBoardCleared() const;
    bool IsBonusKind(int kind) const;
    int CategoryOf(int kind) const;
    int KindAt(int slot) const;
    void SetCommand(int slot, int command);
    int DisplayStateAt(int slot) const;
    // Gravity toward row 1; true when a tile moved.
    bool ApplyGravity();
    void RenumberSlot(int from, int to);
    void Wait(int ms);
    void DisableInput() { mInputEnabled = false; }

    // The quest goals after a resolution of the turn's first k tiles.
    void TaskGoals(int k, const std::vector<int>& tiles);
    void BombGoals(size_t index);
    // The bomb acts on the turn's tile at index.
    void BombActs(size_t index);
    void Resolve(size_t k);
    void ScoreGroup(int n, bool withBonus);
    // Drops a turn entry and its click.
    void DropFromTurn(size_t index);
    void ClearTurn();

    bool IsLastPair() const;
    bool NoMatchLeft() const;
    void ActOnPattern();

    // Fields.
    gmCorvalo& mGame;
    int mModeId;
    int mOutcome = kPlaying;
    bool mEnded = false;
    bool mFinishing = false;
    bool mAvatarPopupShown = false;
    bool mStarted = false;
    bool mPlayable = false;
    bool mChainPending = false;
    int mMood = 0;
    int mDifficulty = 0;
    const TGameModeRecord* mGeometry = nullptr;
    int mBoardX = 0;
    int mBoardY = 0;
    dtUserState* mUser = nullptr;
    dtLevelState* mLevelState = nullptr;
    BoardScreen* mScreen = nullptr;
    BottomPanel* mBottom = nullptr;
    TopPanel* mTop = nullptr;
    std::unique_ptr<LevelTimerSet> mTimerSet;
    std::unique_ptr<BoardActionQueue> mQueue;
    std::unique_ptr<IntervalTimer> mAvatarTimer;
    std::unique_ptr<IntervalTimer> mWaitTimer;
    std::unique_ptr<IntervalTimer> mShowtimeTimer;
    std::unique_ptr<IntervalTimer> mFreezeTimer;
    std::unique_ptr<IntervalTimer> mRevealTimer;

    std::vector<int> mClicks;
    size_t mClicksTaken = 0;
    std::vector<int> mTurn;
    size_t mTurnClassified = 0;
    int mPattern = 0;
    bool mSpecialInChain = false;
    bool mResolutionPending = false;
    bool mPowerUpRunning = false;
    bool mShowtimeRunning = false;
    bool mRevealPause = false;
    bool mInputEnabled = false;
    bool mSettling = false;
    bool mSettleStarted = false;
    int mMismatches = 0;
    // The third miss in a row ended a chain: the hint is asked once the
    // chain's matched tiles are scored.
    bool mHintAfterTurn = false;
    // Whether the group that the queue is removing holds a bonus tile.
    bool mPostedWithBonus = false;

    int mLastGroup = 0;
    bool mAlmostThereShown = false;
    bool mGoalBlink = false;

    int mTask = 0;
    int mGoalKind1 = 0;
    int mGoalKind2 = 0;
    std::vector<int> mWeights;
    std::vector<int> mCaps;
    TString mStyle;
    bool mQuest = false;
    bool mPastLastLevel = false;
    LevelRules mRules;
    TurnPatternTable mPatterns;
    LevelAchievements mAchievements;
};
