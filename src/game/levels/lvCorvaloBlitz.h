#pragma once

#include "game/levels/lvCorvaloLevel.h"

#include <memory>

class CountdownTimer;

// The timed mode: the board is dealt full and every gap is filled again at
// once; the player races a countdown that long groups extend (never past
// its starting length). In quick play the level is won when the goal
// counter is 0 at time up; a quest task can win it earlier. The countdown
// starts once the opening show has ended.
class lvCorvaloBlitz : public lvCorvaloLevel {
public:
    explicit lvCorvaloBlitz(gmCorvalo& game);
    ~lvCorvaloBlitz() override;

    void Update(uint32_t elapsed) override;

    // The input block codes.
    enum InputBlock {
        kBlockNone = 0,
        kBlockBomb = 1,
        kBlockChain = 2,
        kBlockPair = 4,
        kBlockDecided = 5
    };

    int GetInputBlock() const override { return mBlock; }
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
    void OnBombActs() override { mBlock = kBlockBomb; }
    void OnSettled() override;

    void TimeUpCheck();
    void ChainEnd();
    // Fills every empty play slot once no tile is busy; true when nothing
    // is left to fill.
    bool Refill();
    // The won steps when the level is decided (outcome 1).
    void DecideWon();
    void DecideLost();
    // The playing steps; clicks only while playing.
    void PlayFrame(bool takeClicks);

    std::unique_ptr<CountdownTimer> mCountdown;
    int mCap = 0;
    bool mCountdownNotStarted = false;
    bool mCountdownStarted = false;
    int mBlock = kBlockNone;
    bool mChainSkip = false;
    bool mWaitRefill = false;
    bool mRefillDone = true;
};
