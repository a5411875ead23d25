#pragma once

#include "game/levels/lvCorvaloLevel.h"

#include <memory>

// The rows mode: the board starts partly filled from the bottom and a row
// timer pushes a new row in from below at a fixed period; the space bar or
// the bottom panel's new-row button pushes one early. The level is lost
// when the row timer runs out with a tile in the top row, won when the goal
// counter reaches 0 or the quest task is met. A cleared board gives a bonus
// and three new rows. The scripts call "gfn_onNewRow" and
// "gfn_ClassicOnStart", which reach the current game's Classic level.
class lvCorvaloClassic : public lvCorvaloLevel {
public:
    explicit lvCorvaloClassic(gmCorvalo& game);
    ~lvCorvaloClassic() override;

    void Update(uint32_t elapsed) override;
    void OnKeyDown(int key, int modifiers) override;

    // Pushes a row now when a new row is allowed.
    void gfn_onNewRow();

    // The row period: "timeBar" shortened by the factor to the power of
    // the distance past the level table (only past its end), never below
    // the floor.
    static int RowPeriod(int timeBar, float factor, int infiniteLevel, bool pastLastLevel,
                         int minTimeBar);

    int GetRowPeriod() const { return mPeriod; }
    bool IsNewRowAllowed() const { return mNewRowAllowed; }
    bool IsTopRowOccupied() const;
    IntervalTimer* GetRowTimer() const { return mRowTimer.get(); }

private:
    void SetupBottomPanel(BottomPanel& panel) override;
    void DealBoard() override;
    void PauseClock(bool paused) override;
    void OnFreezeTaken() override;
    void OnGroupScored(int n) override;
    void OnTaskWon() override;
    void OnResolving() override;
    bool IsClickable(int slot) const override;
    bool AddsClearedBonusInScore() const override { return false; }

    void RowCycle();
    void RowOverflow();
    void PushNewRow();
    void UpdateDangerState();
    void ClearedBoardAndChainEnd();
    // The ordinary tiles of rows 1 to `rows` are dealt face up (showtime).
    void RevealNewRows(int rows);
    void SetNewRowAllowed(bool allowed);

    std::unique_ptr<IntervalTimer> mRowTimer;
    int mPeriod = 0;
    bool mNewRowAllowed = false;
    bool mClearedDone = false;
    bool mClearedPending = false;
    bool mLastSpecial = false;
};
