#include "game/levels/LevelAchievements.h"

#include "game/support/LevelFixture.h"

#include <gtest/gtest.h>

namespace {

using leveltest::LevelTest;

class AchievementsTest : public LevelTest {
protected:
    int Shown(int number) const {
        return screen->log.Count("ShowAchievement " + LevelAchievements::Label(number).ToStd());
    }
    void OpenClassic(const char* style, const char* difficulty) {
        Open("Classic", style, difficulty);
        ASSERT_NE(nullptr, Level());
        Frame();
    }
};

TEST_F(AchievementsTest, QuickPlayRecordsTheDifficultyAndTheThirdEarnsTheModesOwn) {
    const struct {
        const char* difficulty;
        int bits;
        int ownShown; // in this game's first frame
    } games[] = {
        {"easy", 1, 0}, {"easy", 1, 0}, {"medium", 3, 0}, {"hard", 7, 1}, {"hard", 7, 0},
    };
    for (const auto& g : games) {
        SCOPED_TRACE(g.difficulty);
        screen->log.calls.clear();
        OpenClassic("quick", g.difficulty);
        EXPECT_EQ(g.bits, user->quickDifficultyBits[1]);
        EXPECT_EQ(g.bits, fakes.progress.ints["UserClassic"]);
        EXPECT_EQ(g.ownShown, Shown(16));
        Frames(5);
        EXPECT_EQ(g.ownShown, Shown(16));
    }
}

TEST_F(AchievementsTest, QuestStoresNoDifficulty) {
    OpenClassic("quest", "easy");
    EXPECT_EQ(0, user->quickDifficultyBits[1]);
    EXPECT_EQ(0u, fakes.progress.ints.count("UserClassic"));
}

TEST_F(AchievementsTest, HalfTheQuestMapNeedsExactlyHalf) {
    struct Case {
        int unlocked;
        int halfShown;
        int allShown;
    } const cases[] = {{2, 0, 0}, {3, 1, 0}, {4, 0, 0}, {6, 0, 1}, {7, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unlocked);
        fakes.questMap.locked.assign(7, true);
        for (int i = 0; i < c.unlocked; ++i)
            fakes.questMap.locked[static_cast<size_t>(i)] = false;
        user->allQuest = 0;
        user->halfQuest = 0;
        screen->log.calls.clear();
        OpenClassic("quest", "easy");
        Frames(3);
        EXPECT_EQ(c.halfShown, Shown(2));
        EXPECT_EQ(c.allShown, Shown(1));
        EXPECT_EQ(c.halfShown, user->halfQuest);
        EXPECT_EQ(c.allShown, user->allQuest);
    }
}

TEST_F(AchievementsTest, CountersShowTheirPopUpInTheLevelThatReachesThem) {
    // Already met at the start: no pop-up.
    user->bomb = gGameTuning.achieve.thresholds[TGameTuning::kBomb];
    OpenClassic("quest", "easy");
    Frames(3);
    EXPECT_EQ(0, Shown(7));
    // Reached during the level: one pop-up, in the order of the table.
    user->wild = gGameTuning.achieve.thresholds[TGameTuning::kWild];
    user->sidewinder = gGameTuning.achieve.thresholds[TGameTuning::kSidewinder];
    user->showtime = gGameTuning.achieve.thresholds[TGameTuning::kShowtime];
    user->combo25 = 1;
    user->catUnlocked = 1;
    Frame();
    const CallLog& log = screen->log;
    const int three = log.Find("ShowAchievement Achieve Game 3");
    const int nine = log.Find("ShowAchievement Achieve Game 9");
    const int ten = log.Find("ShowAchievement Achieve Game 10");
    const int eleven = log.Find("ShowAchievement Achieve Game 11");
    const int nineteen = log.Find("ShowAchievement Achieve Game 19");
    ASSERT_GE(three, 0);
    EXPECT_LT(three, nine);
    EXPECT_LT(nine, ten);
    EXPECT_LT(ten, eleven);
    EXPECT_LT(eleven, nineteen);
    Frames(3);
    EXPECT_EQ(1, Shown(9));
    EXPECT_EQ(1, Shown(19));
    // A counter one short stays quiet.
    user->freeze = gGameTuning.achieve.thresholds[TGameTuning::kFreeze] - 1;
    Frames(2);
    EXPECT_EQ(0, Shown(8));
}

TEST_F(AchievementsTest, TheScoreAchievementIsAQuestOne) {
    const int threshold = gGameTuning.achieve.thresholds[TGameTuning::kScore];
    OpenClassic("quick", "easy");
    screen->bottom->score = threshold + 1;
    Frames(3);
    EXPECT_EQ(0, Shown(6));

    screen->bottom->score = 0;
    user->scoreAchieved = 0;
    OpenClassic("quest", "easy");
    screen->bottom->score = threshold;
    Frames(2);
    EXPECT_EQ(0, Shown(6)); // strictly above
    screen->bottom->score = threshold + 1;
    Frames(2);
    EXPECT_EQ(1, Shown(6));
    EXPECT_EQ(1, user->scoreAchieved);
}

TEST_F(AchievementsTest, TheyAreWatchedAfterTheEndToo) {
    OpenClassic("quick", "easy");
    FixBoard({1, 2, 3});
    for (int i = 0; i < 5000 && !Level()->IsEnded(); ++i)
        Frame();
    ASSERT_TRUE(Level()->IsEnded());
    user->dogUnlocked = 1;
    Frame();
    EXPECT_EQ(1, Shown(20));
}

} // namespace
