#pragma once

#include "game/levels/lvCorvaloLevel.h"

// The memory mode that never empties: the board starts with a few rows
// packed toward row 1, every scored group is refilled at once, and every
// "errorRow" misses push a new row in from the entry row. The level is lost
// when a row would be pushed past the top of the board, won when the goal
// counter reaches 0 or the quest task is met.
class lvCorvaloStrategy : public lvCorvaloLevel {
public:
    explicit lvCorvaloStrategy(gmCorvalo& game);
    ~lvCorvaloStrategy() override;

    void Update(uint32_t elapsed) override;

    int GetRowsInUse() const { return mRowsInUse; }
    int GetErrorCount() const { return mErrors; }
    int GetErrorRow() const { return mErrorRow; }

private:
    void SetupBottomPanel(BottomPanel& panel) override;
    void DealBoard() override;
    // No clock runs in this mode, so a freeze tile plays its snow and
    // stops nothing: there is no time to hold.
    void PauseClock(bool) override {}
    void OnFreezeTaken() override;
    void OnGroupScored(int n) override;
    void OnTaskWon() override;
    void OnMismatch() override { ++mErrors; }

    // The per-frame board rule: the error bar and the new row.
    void BoardRule();
    // Rows in use grow by one: lost past the top, else a row comes in.
    void NewRow();
    // After a scored group: the refill once the board has settled, then
    // the reveal that the group's length earns.
    void RewardStep();
    // Every empty slot of rows 1 to rows in use gets a tile.
    void Refill();

    int mRowsInUse = 0;
    int mErrors = 0;
    int mErrorRow = 1;
};
