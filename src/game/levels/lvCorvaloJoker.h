#pragma once

#include "framework/core/tasks/TClock.h"
#include "game/levels/lvCorvaloLevel.h"

#include <memory>
#include <vector>

class JokerTimerSet;
struct TJokerLevelRecord;

// The round mode: a few good cards of one face are dealt among jokers,
// shown, and turned to their bonus backs; the player must click every good
// card without touching a joker. Finding them all wins the round, a joker
// loses it. The level takes the skeleton's board wiring, pause, achievements
// and quick-play record, not its turns: it runs on its own clock, mood
// timer, Joker timer set and round rule. A quest level is played as rounds,
// each a level of its own that the game object makes.
class lvCorvaloJoker : public lvCorvaloLevel {
public:
    // Round results.
    enum RoundResult { kRoundNone = 0, kRoundWon = 1, kRoundLost = 2, kRoundLostLevelWon = 3 };

    explicit lvCorvaloJoker(gmCorvalo& game);
    ~lvCorvaloJoker() override;

    void Start() override;
    void OnMouseDown(int x, int y) override;
    void Update(uint32_t elapsed) override;
    // A card that is not turning away and was not clicked in this round.
    bool IsClickable(int slot) const override;

    // The good cards of a round: quick play "init_tiles" + 1, a quest
    // "init_tiles" + round - 1; at least one.
    static int GoodCards(bool quest, int initTiles, int round);
    // The good cards' kind for a level number: kinds 1 to 8 in turn.
    static int FaceKind(int level) { return level % 8 + 1; }

    int GetGoodCards() const { return mGoodCards; }
    int GetFaceKind() const { return mFaceKind; }
    int GetToFind() const { return mToFind; }
    int GetTotal() const { return mTotal; }
    int GetRoundResult() const { return mRoundResult; }
    bool IsRoundOver() const { return mRoundOver; }
    bool IsIntroRunning() const { return mIntroRunning; }
    bool AreResultsShown() const { return mResultsShown; }
    bool IsJokerBonusGiven() const { return mJokerBonusGiven; }
    int GetLevelScore() const { return mLevelScore; }
    const std::vector<int>& GetClickList() const { return mClickList; }

private:
    // Not used: the round has no turns, deal table or clock to stop.
    void SetupBottomPanel(BottomPanel& panel) override;
    void DealBoard() override;
    void PauseClock(bool) override {}
    void OnGroupScored(int) override {}

    void RoundRule();
    void Judge(int slot);
    // Once the round is over and the queue idle. It may end the level
    // (the game object then deletes it): nothing may follow a call.
    void EndOfRound();

    const TJokerLevelRecord* mRecord = nullptr;
    TClock mClock;
    std::unique_ptr<IntervalTimer> mMoodTimer;
    std::unique_ptr<JokerTimerSet> mJokerTimers;
    int mGoodCards = 0;
    int mFaceKind = 0;
    int mToFind = 0;
    int mTotal = 0;
    int mLevelScore = 0;
    std::vector<int> mClickList;
    size_t mClicksHandled = 0;
    int mClickCount = 0;
    bool mIntroRunning = false;
    int mRoundResult = kRoundNone;
    bool mRoundOver = false;
    bool mResultsShown = false;
    bool mResultHandled = false;
    bool mCelebrationStarted = false;
    bool mJokerBonusGiven = false;
};
