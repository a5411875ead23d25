#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class BoardScreen;
class IntervalTimer;
class TClock;
class dtLevelState;
struct TGameModeRecord;

// The timed shows of a board, run one at a time in the order they were
// posted: the opening of a level ("Anim_Go") and of a Joker round, the
// reveals of the showtime kind, the clearing of a match with bombs and
// sidewinders, the hint after repeated misses, the golden tiles at the end.
// An action never animates a tile itself: it writes tile commands into the
// level state's board slots and waits, phase by phase, on its own timer and
// on the slots' busy flags. The level owns the queue, calls Update once a
// frame and collects the counts that some actions leave behind.
class BoardActionQueue {
public:
    // Action codes, in the order of the posting operations.
    enum Action : uint32_t {
        kNone = 0,
        kGo = 1,
        kSameKindClear = 2,
        kMatch = 3,
        kHideAllExcept = 4,
        kSidewinder = 5,
        kRevealFirstRow = 6,
        kRevealAlternate = 7,
        kRevealSweep = 8,
        kRevealRows = 9,
        kRevealAll = 10,
        kHint = 11,
        kGolden = 12,
        kCancel = 13,
        kJokerRoundEnd = 14,
        kRound = 15,
        kJokerShowAll = 16,
    };

    // The board geometry is the game data's record at that index; the clock
    // times the phases; the level state holds the slots, records and actors.
    BoardActionQueue(uint32_t geometryIndex, TClock* clock, dtLevelState* levelState);
    BoardActionQueue(const BoardActionQueue&) = delete;
    BoardActionQueue& operator=(const BoardActionQueue&) = delete;
    // Aborts what runs.
    ~BoardActionQueue();

    // Kept only for 1 to 5.
    void SetMode(int32_t mode);
    void SetBoardScreen(BoardScreen* screen) { mBoardScreen = screen; }
    // Read by the round opening: the mode's title first, and the round.
    void SetRoundTitle(bool showModeTitle, uint32_t roundNumber);
    // Per slot, non-zero for the Rome level's special tiles.
    void SetSpecialSlots(const std::vector<uint32_t>& slots) { mSpecialSlots = slots; }

    // The level's opening becomes the current action at once, unqueued.
    void StartGo();
    // Every tile of the kind of slots[referenceIndex] goes with the slots.
    void PostSameKindClear(const std::vector<uint32_t>& slots, uint32_t referenceIndex);
    void PostMatch(const std::vector<uint32_t>& slots);
    void PostHideAllExcept(const std::vector<uint32_t>& slots);
    // The last slot is the sidewinder's.
    void PostSidewinder(const std::vector<uint32_t>& slots);
    void PostRevealFirstRow();
    void PostRevealAlternate();
    void PostRevealSweep();
    void PostRevealRows();
    void PostRevealAll();
    // Shows a matching pair and two more face-down tiles; false (nothing
    // queued) when too few face-down tiles are left for a hint to help.
    bool PostHint(const std::vector<uint32_t>& slots);
    void PostGolden();
    // While an action runs: every queued one is dropped and the board is
    // turned face down. Nothing while idle.
    void Abort();
    void PostJokerRoundEnd();
    void PostRound();
    void PostJokerShowAll();

    // One step of the current action.
    void Update();

    bool IsBusy() const { return !mPending.empty() || mCurrent != kNone; }
    // -1 while any action runs or no result is ready; otherwise the tiles
    // the last such action removed, once.
    int32_t TakeClearedCount();
    int32_t TakeMatchCount();
    int32_t TakeSidewinderCount();
    uint32_t GetGoldenCount() const { return mGoldenCount; }

    uint32_t GetCurrent() const { return mCurrent; }
    uint32_t GetPhase() const { return mPhase; }
    size_t GetPendingCount() const { return mPending.size(); }

private:
    // A posted action with its own copy of the slots it was given, so that
    // two actions of one kind waiting together keep their lists apart.
    struct Posted {
        uint32_t action = kNone;
        std::vector<uint32_t> slots;
        std::vector<uint32_t> candidates;
        uint32_t reference = 0;
    };

    void Post(Posted posted);
    void Begin(Posted& posted);
    void End() { mCurrent = kNone; }
    void Next() { ++mPhase; }

    // The steps of the actions; each returns at once when it must wait.
    void StepGo();
    void StepSameKindClear();
    void StepMatch();
    void StepHideAllExcept();
    void StepSidewinder();
    void StepRevealFirstRow();
    void StepRevealAlternate();
    void StepRevealSweep();
    void StepRevealRows();
    void StepRevealAll();
    void StepHint();
    void StepGolden();
    void StepCancel();
    void StepJokerRoundEnd();
    void StepRound();
    void StepJokerShowAll();
    // The Joker shows' sweep: at each ring one column of every play row
    // goes to the bonus back, 150 ms apart; the next phase after the last.
    void StepHideColumns();
    // At the ring every joker turns face up; then the sweep starts.
    void StepShowJokers();

    // Board helpers.
    uint32_t Columns() const;
    uint32_t Rows() const;
    uint32_t SlotCount() const;
    uint32_t KindAt(uint32_t slot) const;
    int32_t TypeAt(uint32_t slot) const;
    bool IsGameTile(uint32_t slot) const;
    int32_t DisplayStateAt(uint32_t slot) const;
    int32_t CommandAt(uint32_t slot) const;
    void SetCommand(uint32_t slot, int32_t command);
    bool IsSpecial(uint32_t slot) const;
    // Commands 114 or 117, 115 or 118.
    void Reveal(uint32_t slot);
    void Hide(uint32_t slot);
    // A game tile neither vanishing nor standing face up.
    bool CanReveal(uint32_t slot) const;
    // Every play slot's game tile that is not vanishing is hidden.
    void HideShownTiles();
    // No play slot busy.
    bool IsSettled() const;
    // No listed slot busy.
    bool NoneBusy(const std::vector<uint32_t>& slots) const;
    // No slot holding a tile busy.
    bool NoTileBusy() const;
    // Every play slot holding a game tile; every slot in row 1..rows.
    std::vector<uint32_t> PlayGameTiles() const;
    // The length of the current level record's tile list (0 in mode 4).
    uint32_t LevelTileCount() const;
    // The first slot after the play rows (bounded by the slot arrays).
    uint32_t PlayEnd() const;
    // The hint's search: a pair of one kind among the candidates, then two
    // more candidates.
    void PickHint();
    // The bomb rule of the match: slots of the kind before a bomb that is
    // next-to-last, not listed; each gets `command` and joins the extra list.
    void AddBombVictims(const std::vector<uint32_t>& listed, int32_t command);
    // Period in ms, then the alarm starts.
    void Arm(uint32_t period);
    void Restart();
    bool Rang();
    // The title of a mode: "<Mode> Upcase" + " " + "Mode" + "_".
    TString ModeTitle() const;

    std::deque<Posted> mPending;
    TClock* mClock = nullptr;
    // Stands in when no clock is given, so the timer always has one.
    std::unique_ptr<TClock> mOwnClock;
    std::unique_ptr<IntervalTimer> mTimer;
    uint32_t mMode = 0;
    uint32_t mPhase = 0;
    uint32_t mCurrent = kNone;
    uint32_t mGeometryIndex = 0;
    const TGameModeRecord* mGeometry = nullptr;
    dtLevelState* mLevelState = nullptr;
    uint32_t mStepIndex = 0;
    uint32_t mGoldenCount = 0;
    std::vector<uint32_t> mWorkList;
    uint32_t mCounter = 0;
    uint32_t mSecondCounter = 0;
    uint8_t mSidewinderReady = 0;
    uint32_t mSidewinderResult = 0;
    std::vector<uint32_t> mSidewinderList;
    uint8_t mMatchReady = 0;
    uint32_t mMatchResult = 0;
    std::vector<uint32_t> mMatchList;
    uint32_t mReferenceIndex = 0;
    uint32_t mClearedResult = 0;
    uint8_t mClearedReady = 0;
    std::vector<uint32_t> mExtraList;
    std::vector<uint32_t> mSameKindList;
    std::vector<uint32_t> mHintPicks;
    std::vector<uint32_t> mHintGiven;
    std::vector<uint32_t> mHintCandidates;
    BoardScreen* mBoardScreen = nullptr;
    std::vector<uint32_t> mSpecialSlots;
    uint8_t mShowModeTitle = 0;
    uint32_t mRoundNumber = 0;
};
