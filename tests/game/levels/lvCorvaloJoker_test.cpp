#include "game/levels/lvCorvaloJoker.h"

#include "game/support/LevelFixture.h"

#include <gtest/gtest.h>

namespace {

using leveltest::LevelTest;

// The data set's boards have 12 play slots (3 - 14). Its first Joker record
// plays three rounds on the easy board and is won from round 3 on
// ("roundsToWin" 2); its second four rounds on the hard board. Quick play
// deals "init_tiles" (the level) + 1 good cards.
class JokerTest : public LevelTest {
protected:
    lvCorvaloJoker* Joker() const { return dynamic_cast<lvCorvaloJoker*>(Level()); }

    void OpenQuick() {
        Open("Joker", "quick", "easy");
        ASSERT_NE(nullptr, Joker());
    }
    void OpenQuest(int level, int round) {
        user->level = level;
        user->roundCounter = round;
        Open("Joker", "quest", "easy");
        ASSERT_NE(nullptr, Joker());
    }
    std::vector<int> GoodSlots() const { return SlotsOfKind(Joker()->GetFaceKind()); }
    std::vector<int> JokerSlots() const { return SlotsOfKind(kTileJoker); }
    // Clicks the slots one a frame, then lets `frames` pass.
    void ClickAll(const std::vector<int>& slots, int frames = 0) {
        for (int slot : slots) {
            Click(slot);
            Frame();
        }
        Frames(frames);
    }
    // Frames until the round's end has been handled (results shown or the
    // level replaced); false when it does not come.
    // The next round is told by the round counter, never by the level's
    // address: the next round's level may well be made where the last one
    // stood.
    bool PlayRoundOut(int limit = 2000) {
        const int round = user->roundCounter;
        for (int i = 0; i < limit; ++i) {
            if (user->roundCounter != round || (Joker() && Joker()->AreResultsShown()))
                return true;
            Frame();
        }
        return false;
    }
};

TEST_F(JokerTest, GoodCardsAndFaceByStyleLevelAndRound) {
    struct Case {
        const char* style;
        int level;
        int round;
        int good;
        int face;
        int layout;
    } const cases[] = {
        {"quick", 1, 1, 2, 2, 0}, // easy quick play: level 1 only
        {"quest", 1, 1, 2, 2, 0}, // "init_tiles" 2 + round 1 - 1
        {"quest", 1, 3, 4, 2, 0},
        {"quest", 2, 2, 4, 3, 2}, // the second record: 3 + 2 - 1, the hard board
        {"quest", 8, 1, 3, 1, 2}, // past the table: the last record, kind 8 % 8 + 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.style << " level " << c.level << " round " << c.round);
        user->level = c.level;
        user->roundCounter = c.round;
        Open("Joker", c.style, "easy");
        ASSERT_NE(nullptr, Joker());
        EXPECT_EQ(c.good, Joker()->GetGoodCards());
        EXPECT_EQ(c.face, Joker()->GetFaceKind());
        EXPECT_EQ(c.layout, user->GetLevelState()->GetGeometryIndex());
        EXPECT_EQ(c.good, static_cast<int>(GoodSlots().size()));
        EXPECT_EQ(12 - c.good, static_cast<int>(JokerSlots().size()));
        EXPECT_EQ(c.good, user->quota);
        for (int slot = 3; slot < 15; ++slot)
            EXPECT_EQ(101, Slots().command[slot]) << slot;
        EXPECT_EQ(0, user->extraScore);
        game->SetLevel(nullptr);
    }
    EXPECT_EQ(3, lvCorvaloJoker::GoodCards(false, 2, 9));
    EXPECT_EQ(1, lvCorvaloJoker::GoodCards(true, 0, 1));
}

TEST_F(JokerTest, MoreGoodCardsThanSlotsAreCutAndLogged) {
    OpenQuest(1, 20);
    EXPECT_TRUE(LogHas("21 good cards do not fit on 12 play slots"));
    EXPECT_EQ(12, Joker()->GetGoodCards());
    EXPECT_EQ(12, static_cast<int>(GoodSlots().size()));
    EXPECT_EQ(12, Joker()->GetTotal());
}

TEST_F(JokerTest, TheIntroShowsTheRoundAndTakesNoClick) {
    OpenQuick();
    Frame();
    EXPECT_TRUE(Joker()->IsIntroRunning());
    EXPECT_EQ(BoardActionQueue::kRound, Level()->GetQueue()->GetCurrent());
    EXPECT_TRUE(screen->log.Has("SetupJoker"));
    EXPECT_TRUE(screen->log.Has("SetPlayInfo 4 0 0 quick"));
    EXPECT_EQ(1, fakes.progress.ints["UserJoker"]);
    Click(GoodSlots()[0]);
    Frame();
    EXPECT_TRUE(Joker()->GetClickList().empty());
    EXPECT_EQ(0, fakes.sounds.Count("gameplay_combo1"));
    EXPECT_GE(screen->skips, 1);
    ASSERT_TRUE(WaitForInput());
    EXPECT_FALSE(Joker()->IsIntroRunning());
    EXPECT_FLOAT_EQ(0.0f, screen->bottom->goalBar);
}

TEST_F(JokerTest, AQuickRoundWon) {
    OpenQuick();
    ASSERT_TRUE(WaitForInput());
    const std::vector<int> good = GoodSlots();
    ASSERT_EQ(2u, good.size());
    ClickAll({good[0]}, 2);
    EXPECT_EQ(1, Joker()->GetToFind());
    EXPECT_FLOAT_EQ(0.5f, screen->bottom->goalBar);
    EXPECT_TRUE(screen->log.Has("ShowCircle 1"));
    ClickAll({good[1]}, 1);
    EXPECT_EQ(lvCorvaloJoker::kRoundWon, Joker()->GetRoundResult());
    EXPECT_FALSE(Level()->IsInputEnabled());
    EXPECT_EQ(2 * gGameTuning.score.bonus, user->levelScore);
    EXPECT_EQ(0, user->quota);
    EXPECT_TRUE(screen->log.Has("ShowTilesCompleted"));
    EXPECT_FALSE(screen->log.Has("ShowGood"));
    // A click after the round does nothing.
    Click(JokerSlots()[0]);
    Frame();
    EXPECT_EQ(2u, Joker()->GetClickList().size());
    ASSERT_TRUE(PlayRoundOut());
    EXPECT_TRUE(screen->log.Has("StartCelebration"));
    EXPECT_FALSE(screen->log.Has("ShowJokerScoreCard 0"));
    // Quick play goes on through the game object: the easy levels are done.
    EXPECT_TRUE(screen->log.Has("CloseCurtains"));
    EXPECT_EQ(3, user->lives);
}

TEST_F(JokerTest, AQuickRoundLostToAJoker) {
    OpenQuick();
    ASSERT_TRUE(WaitForInput());
    ClickAll({GoodSlots()[0], JokerSlots()[0]});
    EXPECT_EQ(lvCorvaloJoker::kRoundLost, Joker()->GetRoundResult());
    EXPECT_EQ(lvCorvaloLevel::kMoodScare, Level()->GetMood());
    Frame();
    EXPECT_EQ(BoardActionQueue::kJokerShowAll, Level()->GetQueue()->GetCurrent());
    ASSERT_TRUE(PlayRoundOut());
    EXPECT_EQ(2, user->lives);
    EXPECT_EQ(1, fakes.scripts.Count("ShowLoseLife(2)"));
    EXPECT_TRUE(screen->log.Has("SetAvatarVisible 0"));
    EXPECT_FALSE(screen->log.Has("StartCelebration"));
    // Input stays closed after the round's show.
    Frames(100);
    EXPECT_FALSE(Level()->IsInputEnabled());
}

TEST_F(JokerTest, ACardClickedTwiceCountsOnceAndClickSoundsRunInTurn) {
    OpenQuest(1, 3);
    ASSERT_TRUE(WaitForInput());
    const std::vector<int> good = GoodSlots();
    ASSERT_EQ(4u, good.size());
    ClickAll({good[0], good[0], good[1]});
    EXPECT_EQ(2, Joker()->GetToFind());
    EXPECT_EQ(1, fakes.sounds.Count("gameplay_combo1"));
    EXPECT_EQ(1, fakes.sounds.Count("gameplay_combo2"));
    EXPECT_EQ(0, fakes.sounds.Count("gameplay_combo3"));
    // Two clicks in one frame are both judged.
    Click(good[2]);
    Click(good[3]);
    Frame();
    EXPECT_EQ(0, Joker()->GetToFind());
    EXPECT_EQ(lvCorvaloJoker::kRoundWon, Joker()->GetRoundResult());
    EXPECT_TRUE(screen->log.Has("ShowGood"));
}

// A quest level of three rounds: the first two go straight to the next
// round, the last celebrates with the joker bonus and shows the score card,
// and the score card's end completes the quest node with the bonus.
TEST_F(JokerTest, ThreeQuestRounds) {
    OpenQuest(1, 1);
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(round, user->roundCounter);
        ASSERT_TRUE(WaitForInput());
        const int sounds = fakes.sounds.Count("gameplay_combo1");
        ClickAll(GoodSlots());
        // Every new round's sounds start over at 1.
        EXPECT_EQ(sounds + 1, fakes.sounds.Count("gameplay_combo1"));
        ASSERT_TRUE(PlayRoundOut());
    }
    ASSERT_NE(nullptr, Joker());
    EXPECT_TRUE(Joker()->AreResultsShown());
    EXPECT_TRUE(Joker()->IsJokerBonusGiven());
    EXPECT_EQ(gGameTuning.score.jokerBonus, user->extraScore);
    EXPECT_EQ(1, screen->log.Count("ShowJokerScoreCard 1"));
    EXPECT_EQ(1, screen->log.Count("StartCelebration"));
    EXPECT_EQ(1, screen->log.Count("AddScore " + std::to_string(gGameTuning.score.jokerBonus)));
    // 2 + 3 + 4 good cards.
    EXPECT_EQ(9 * gGameTuning.score.bonus, user->levelScore);
    game->onEndLevel();
    ASSERT_EQ(1u, fakes.questMap.completed.size());
    EXPECT_EQ(9 * gGameTuning.score.bonus + gGameTuning.score.jokerBonus,
              fakes.questMap.completed[0]);
}

TEST_F(JokerTest, ALossPastTheRoundsToWinStillWins) {
    struct Case {
        int round;
        bool won;
    } const cases[] = {{3, true}, {2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.round);
        user->lives = 3;
        fakes.questMap.nodeLives = 3;
        screen->log.calls.clear();
        OpenQuest(1, c.round);
        ASSERT_TRUE(WaitForInput());
        ClickAll({JokerSlots()[0]});
        ASSERT_TRUE(PlayRoundOut());
        EXPECT_EQ(2, user->lives);
        EXPECT_EQ(c.won ? lvCorvaloJoker::kRoundLostLevelWon : lvCorvaloJoker::kRoundLost,
                  Joker()->GetRoundResult());
        EXPECT_EQ(c.won ? 1 : 0, screen->log.Count("StartCelebration"));
        EXPECT_EQ(c.won ? 1 : 0, screen->log.Count("ShowJokerScoreCard 0"));
        EXPECT_EQ(c.won ? 0 : 1, fakes.scripts.Count("ShowLoseLife(2)"));
        EXPECT_EQ(0, user->extraScore);
        game->SetLevel(nullptr);
        fakes.scripts.statements.clear();
    }
}

TEST_F(JokerTest, TheAvatarPopUpThenTheBoardCloses) {
    OpenQuest(1, 3);
    ASSERT_TRUE(WaitForInput());
    ClickAll(GoodSlots());
    ASSERT_TRUE(PlayRoundOut());
    fakes.questMap.avatarPending = true;
    Frames(3);
    EXPECT_EQ(1, fakes.scripts.Count("DoModal('scripts/avatar_unlocked.lua')"));
    fakes.questMap.avatarPending = false;
    Frames(3);
    EXPECT_EQ(1, screen->log.Count("CloseBoard"));
}

TEST_F(JokerTest, PauseOpensTheDialog) {
    OpenQuick();
    game->SetPaused(true);
    EXPECT_EQ(1, fakes.scripts.Count("DoModal('scripts/pause.lua')"));
}

} // namespace
