#pragma once

#include "game/levels/lvCorvaloLevel.h"

#include <memory>
#include <vector>

class CountdownTimer;

// The marked-slots mode: the board is dealt full and some of its slots are
// marked; every scored group is refilled at once. The player must clear
// every mark, by matching the tiles that lie on them, before a countdown
// runs out; long groups give time back (never past the starting length).
// The last mark cleared wins at once; at time up the pending turn finishes
// first and the level is won only when no mark is left.
class lvCorvaloRome : public lvCorvaloLevel {
public:
    explicit lvCorvaloRome(gmCorvalo& game);
    ~lvCorvaloRome() override;

    void Update(uint32_t elapsed) override;

    // Per slot, non-zero while the slot is marked.
    const std::vector<int>& GetMarks() const { return mMarks; }
    int MarksLeft() const;
    const CountdownTimer* GetCountdown() const { return mCountdown.get(); }
    bool IsCountdownStarted() const { return mCountdownStarted; }
    // The countdown's length and cap in ms.
    int GetCap() const { return mCap; }

private:
    void SetupBottomPanel(BottomPanel& panel) override;
    void DealBoard() override;
    void PauseClock(bool paused) override;
    void OnFreezeTaken() override;
    void OnGroupScored(int n) override;
    void OnSettled() override;
    bool CountsChainMisses() const override { return true; }

    // A marked slot draws among the record's kinds that are not bonus
    // kinds (listed first).
    int DrawMarkedKind();
    // Marks of slots whose tile is being removed or gone are cleared; the
    // queue learns the marks when they change.
    void ClearTakenMarks();
    void GoalRule();
    // The refill of every empty play slot once the board has settled, then
    // (while playing) the reveal that the group's length earns.
    void RewardStep();
    // A missed or turned back marked tile keeps its mark in sight.
    void KeepMarksShown();
    // Once decided: the pending turn and the refill finish without new
    // clicks, then the end sequence begins.
    void EndStep();
    void DecideWon();

    std::vector<int> mMarks;
    std::unique_ptr<CountdownTimer> mCountdown;
    int mCap = 0;
    bool mCountdownNotStarted = false;
    bool mCountdownStarted = false;
    bool mGoalFrozen = false;
};
