#include "game/levels/MatchScore.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TGameTuning::Score ShippedLikeScore() {
    TGameTuning::Score score;
    score.match = 20;
    score.chain = 30;
    score.deltaChain = 10;
    score.combo = 50;
    score.deltaCombo = 20;
    return score;
}

TEST(MatchScore, PointsByGroup) {
    struct Case {
        int size;
        bool bonus;
        int points;
    } const cases[] = {
        {2, false, 20},                      // a pair: score.match
        {3, false, (10 / 2 + 30) * 2},       // 70
        {4, false, ((2 * 10) / 2 + 30) * 3}, // 120
        {5, false, ((3 * 10) / 2 + 30) * 4}, // 15 truncated: 180
        {2, true, 50},                       // a bonus pair is a combo of 2
        {3, true, ((1 * 20) / 2 + 50) * 2},  // 120
        {6, true, ((4 * 20) / 2 + 50) * 5},  // 450
    };
    const TGameTuning::Score score = ShippedLikeScore();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << (c.bonus ? " with bonus" : ""));
        EXPECT_EQ(c.points, MatchPoints(c.size, ClassifyGroup(c.size, c.bonus), score));
    }
}

TEST(MatchScore, OddDeltaTruncatesTowardZero) {
    TGameTuning::Score score = ShippedLikeScore();
    score.deltaChain = 7;
    EXPECT_EQ((7 / 2 + 30) * 2, MatchPoints(3, GroupKind::kChain, score));
    score.deltaChain = -7;
    EXPECT_EQ((-3 + 30) * 2, MatchPoints(3, GroupKind::kChain, score));
}

TEST(MatchScore, ClassifyGroup) {
    EXPECT_EQ(GroupKind::kPair, ClassifyGroup(2, false));
    EXPECT_EQ(GroupKind::kChain, ClassifyGroup(3, false));
    EXPECT_EQ(GroupKind::kWithBonus, ClassifyGroup(2, true));
}

TEST(MatchScore, WaitShrinksPerTileAndNeverReachesZero) {
    EXPECT_EQ(900, MatchWait(900, 50, 2));
    EXPECT_EQ(850, MatchWait(900, 50, 3));
    EXPECT_EQ(100, MatchWait(900, 50, 18));
    EXPECT_EQ(1, MatchWait(900, 50, 20));
    EXPECT_EQ(1, MatchWait(900, 50, 40));
    EXPECT_EQ(1, MatchWait(100, INT_MAX, 40));
}

TEST(MatchScore, TimeBonusByGroupSize) {
    const std::vector<int> combos = {5, 10, 20};
    struct Case {
        int size;
        int seconds;
    } const cases[] = {{2, 0}, {3, 0}, {4, 5}, {6, 5}, {7, 10}, {9, 10}, {10, 20}, {30, 20}};
    for (const auto& c : cases)
        EXPECT_EQ(c.seconds, TimeBonusSeconds(c.size, combos)) << c.size;
    EXPECT_EQ(0, TimeBonusSeconds(10, {5}));
    EXPECT_EQ(5, TimeBonusSeconds(4, {5}));
}

TEST(MatchScore, TimeBonusIsCutAtTheCap) {
    EXPECT_EQ(5000, CappedTimeBonus(5000, 60000, 2000));
    EXPECT_EQ(2000, CappedTimeBonus(5000, 60000, 58000));
    EXPECT_EQ(0, CappedTimeBonus(5000, 60000, 60000));
}

} // namespace
