#include "game/gmCorvalo.h"

#include "game/support/LevelFixture.h"

#include <gtest/gtest.h>

namespace {

using leveltest::LevelTest;

// A level that only counts its starts; the game object's bookkeeping is
// what these tests look at.
class CountingLevel : public vlkGameLevel {
public:
    explicit CountingLevel(int& starts) : mStarts(starts) {}
    void Start() override {
        vlkGameLevel::Start();
        ++mStarts;
    }
    void Update(uint32_t) override {}

private:
    int& mStarts;
};

class GameObjectTest : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        mPreviousMaker = gmCorvalo::SetLevelMaker([this](int mode, gmCorvalo&) -> vlkGameLevel* {
            madeModes.push_back(mode);
            return new CountingLevel(starts);
        });
    }
    void TearDown() override {
        gmCorvalo::SetLevelMaker(std::move(mPreviousMaker));
        LevelTest::TearDown();
    }

    std::vector<int> madeModes;
    int starts = 0;
    gmCorvalo::LevelMaker mPreviousMaker;
};

constexpr int E = 0; // easy

TEST_F(GameObjectTest, LoadsThePlayerThroughTheProgressStore) {
    EXPECT_EQ(1, fakes.progress.loads);
    EXPECT_EQ(user.get(), game->GetUser());
    EXPECT_EQ(user->lives, game->GetLivesAtStart());
}

TEST_F(GameObjectTest, ModeNames) {
    const struct {
        const char* name;
        int id;
    } cases[] = {{"classic", 1}, {"strategy", 2}, {"blitz", 3},   {"joker", 4},
                 {"cradle", 5},  {"rome", 0},     {"Classic", 0}, {"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.id, gmCorvalo::ModeNameToId(TString(c.name))) << c.name;
}

// Quick play of the modes with a level table: what the fields become
// before the level is made.
TEST_F(GameObjectTest, QuickPlayPreparation) {
    const int N = GetClassicLevelCount();
    ASSERT_EQ(2, N);
    struct Case {
        const char* mode;
        int modeId;
        int level;
        int offset;
        // expected
        int levelField;
        int infinite;
        bool scoresCleared;
    } const cases[] = {
        {"Classic", 1, 1, 0, 1, 0, true},          // a new game clears combo and score
        {"Classic", 1, 1, 1, 2, 1, false},         // after a win: not cleared; the last record
        {"Classic", 1, N + 2, 0, N + 2, 3, false}, // past the table
        {"Blitz", 3, 1, 0, 1, 0, true},
        {"Blitz", 3, N, 1, N + 1, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " L=" << c.level << " step=" << c.offset);
        user->modeLevel[c.modeId][E] = c.level;
        user->levelOffset = c.offset;
        user->modeBestCombo[c.modeId][E] = 7;
        user->score[c.modeId][E] = 900;
        user->modeLives[c.modeId][E] = 2;
        user->infiniteLevel = 99;
        fakes.scripts.SetGame(c.mode, "quick", "easy");
        EXPECT_EQ(c.modeId, game->PrepareLevel());
        EXPECT_EQ(c.levelField, user->modeLevel[c.modeId][E]);
        EXPECT_EQ(c.levelField, user->level);
        EXPECT_EQ(c.infinite, user->infiniteLevel);
        EXPECT_EQ(c.scoresCleared ? 0 : 7, user->modeBestCombo[c.modeId][E]);
        EXPECT_EQ(c.scoresCleared ? 0 : 900, user->score[c.modeId][E]);
        EXPECT_EQ(user->modeBestCombo[c.modeId][E], user->bestCombo);
        EXPECT_EQ(2, user->lives);
        EXPECT_EQ(c.modeId, user->mode);
    }
}

TEST_F(GameObjectTest, QuestPreparationRestartsPastTheTable) {
    user->level = GetClassicLevelCount() + 3;
    user->infiniteLevel = 0;
    fakes.scripts.SetGame("Classic", "quest", "easy");
    EXPECT_EQ(1, game->PrepareLevel());
    EXPECT_EQ(1, user->level);
}

TEST_F(GameObjectTest, RomeAndJokerQuickPreparation) {
    // Rome easy at its start index with no step clears its combo and score;
    // the level number is not recomputed for easy.
    const int start = gGameTuning.rome.index[E];
    user->modeLevel[5][E] = start;
    user->levelOffset = 0;
    user->modeBestCombo[5][E] = 5;
    user->score[5][E] = 300;
    user->level = 42;
    fakes.scripts.SetGame("Rome", "quick", "easy");
    EXPECT_EQ(5, game->PrepareLevel());
    EXPECT_EQ(0, user->modeBestCombo[5][E]);
    EXPECT_EQ(0, user->score[5][E]);
    EXPECT_EQ(start, user->modeLevel[5][E]);

    // Joker at its limit starts over at 1 with no step.
    user->modeLevel[4][E] = gGameTuning.joker.index[E];
    user->levelOffset = 1;
    user->score[4][E] = 77;
    fakes.scripts.SetGame("Joker", "quick", "easy");
    EXPECT_EQ(4, game->PrepareLevel());
    EXPECT_EQ(1, user->modeLevel[4][E]);
    EXPECT_EQ(0, user->score[4][E]);
}

TEST_F(GameObjectTest, UnknownModeMakesNoLevel) {
    fakes.scripts.SetGame("Chess", "quick", "easy");
    game->gfn_CreateLevel();
    EXPECT_EQ(nullptr, game->GetLevel());
    EXPECT_TRUE(madeModes.empty());
    // Forwards without a level do nothing.
    game->OnMouseDown(10, 10);
    game->Update(16);
    EXPECT_TRUE(LogHas("Chess"));
}

// The end of a quick-play level: outcome → fields and what follows.
TEST_F(GameObjectTest, QuickPlayEndOfLevel) {
    struct Case {
        const char* name;
        int livesAtStart;
        int livesNow;
        gmCorvalo::NextStep next;
        int offset;
        int levelField;
        int livesField;
    } const cases[] = {
        {"won", 3, 3, gmCorvalo::NextStep::kNextQuickLevel, 1, 2, 3},
        {"life lost", 3, 2, gmCorvalo::NextStep::kNextQuickLevel, 0, 2, 2},
        {"game over", 1, 0, gmCorvalo::NextStep::kEndSequence, 0, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes.scripts.SetGame("Classic", "quick", "easy");
        user->modeLevel[1][E] = 2;
        user->modeLives[1][E] = c.livesAtStart;
        user->score[1][E] = 500;
        user->highScore[1][E] = 400;
        user->lives = c.livesNow;
        game->SetLivesAtStart(c.livesAtStart);
        EXPECT_EQ(c.next, game->BookEndOfLevel());
        EXPECT_EQ(c.offset, user->levelOffset);
        EXPECT_EQ(c.levelField, user->modeLevel[1][E]);
        EXPECT_EQ(c.livesField, user->modeLives[1][E]);
        EXPECT_EQ(c.livesAtStart == c.livesNow ? 500 : 400, user->highScore[1][E]);
        if (c.livesNow == 0) {
            EXPECT_EQ(gGameTuning.game.lives, user->lives);
        }
    }
}

// Rome quick play walks each difficulty's range of the one table to its
// last record (for hard, the table's last), and winning that ends the game.
TEST_F(GameObjectTest, RomeQuickPlayPlaysTheLastRecordOfEachRange) {
    // The shipped table, whose three ranges hold several records each.
    support::LoadGameDataSet(
        TString(("::" + std::string(CORVALO_TEST_DATA) + "/../../assets").c_str()));
    const auto& start = gGameTuning.rome.index;
    const int count = GetRomeLevelCount();
    ASSERT_LT(start[2], count);
    const char* names[3] = {"easy", "medium", "hard"};
    for (int d = 0; d < 3; ++d) {
        SCOPED_TRACE(names[d]);
        const int last = d < 2 ? start[d + 1] - 1 : count;
        fakes.scripts.SetGame("Rome", "quick", names[d]);
        // Won the one before the last: the last follows.
        user->modeLevel[5][d] = last - 1;
        user->modeLives[5][d] = 3;
        user->lives = 3;
        game->SetLivesAtStart(3);
        EXPECT_EQ(gmCorvalo::NextStep::kNextQuickLevel, game->BookEndOfLevel());
        EXPECT_EQ(5, game->PrepareLevel());
        EXPECT_EQ(last, user->modeLevel[5][d]);
        // Won the last: the range starts over and the game ends.
        user->lives = 3;
        game->SetLivesAtStart(3);
        EXPECT_EQ(gmCorvalo::NextStep::kEndSequence, game->BookEndOfLevel());
        EXPECT_EQ(start[d], user->modeLevel[5][d]);
    }
}

TEST_F(GameObjectTest, QuickPlayEndActsOnWhatFollows) {
    fakes.scripts.SetGame("Classic", "quick", "easy");
    game->gfn_CreateLevel();
    ASSERT_EQ(1, starts);
    // Won: the next level, a new background, progress saved.
    game->onEndLevel();
    EXPECT_EQ(2, starts);
    EXPECT_TRUE(screen->log.Has("ResetBackground"));
    EXPECT_EQ(1, fakes.progress.saves);
    EXPECT_EQ(1, fakes.scripts.Count("showAlphaBackground(false)"));
    // The last life lost: saved, the curtains close, no level follows.
    user->lives = 0;
    game->onEndLevel();
    EXPECT_EQ(2, starts);
    EXPECT_EQ(2, fakes.progress.saves);
    EXPECT_EQ(1, screen->log.Count("CloseCurtains"));
}

TEST_F(GameObjectTest, QuestEndOfLevel) {
    fakes.scripts.SetGame("Classic", "quest", "easy");
    user->levelScore = 300;
    user->extraScore = 20;
    // Won: the node is completed with both scores; the board closes.
    user->lives = 3;
    game->SetLivesAtStart(3);
    game->onEndLevel();
    ASSERT_EQ(1u, fakes.questMap.completed.size());
    EXPECT_EQ(320, fakes.questMap.completed[0]);
    EXPECT_EQ(1, screen->log.Count("CloseCurtains"));
    // With a reward pending the board stays for the reward.
    fakes.questMap.pendingReward = 6;
    game->onEndLevel();
    EXPECT_EQ(1, screen->log.Count("CloseCurtains"));
    // A life lost with lives left: the node keeps them, the level again.
    user->lives = 2;
    game->onEndLevel();
    EXPECT_EQ(2, fakes.questMap.nodeLives);
    EXPECT_EQ(1, fakes.progress.metamapSaves);
    EXPECT_EQ(2, game->GetLivesAtStart());
    EXPECT_EQ(1, starts);
    // The last life: the quest's scores and lives start over.
    user->lives = 0;
    game->onEndLevel();
    EXPECT_EQ(1, fakes.questMap.resets);
    EXPECT_EQ(2, screen->log.Count("CloseCurtains"));
}

TEST_F(GameObjectTest, QuestWithoutAMapDoesNothing) {
    ScopedLevelServices noMap(LevelServices{});
    GetLevelServices().questMap = nullptr;
    fakes.scripts.SetGame("Classic", "quest", "easy");
    EXPECT_EQ(gmCorvalo::NextStep::kNothing, game->BookEndOfLevel());
}

TEST_F(GameObjectTest, QuestJokerPlaysItsRoundsBeforeTheNode) {
    fakes.scripts.SetGame("Joker", "quest", "easy");
    user->level = 1;
    const TJokerLevelRecord* record = GetJokerLevel(0);
    ASSERT_NE(nullptr, record);
    ASSERT_GE(record->rounds, 2);
    user->roundCounter = 1;
    user->lives = 3;
    game->SetLivesAtStart(3);
    EXPECT_EQ(gmCorvalo::NextStep::kCreateLevel, game->BookEndOfLevel());
    EXPECT_TRUE(fakes.questMap.completed.empty());
    user->roundCounter = record->rounds;
    EXPECT_EQ(gmCorvalo::NextStep::kNodeCompleted, game->BookEndOfLevel());
    EXPECT_EQ(1u, fakes.questMap.completed.size());
}

// A quest level's constructor takes the lives from the node; the lives at
// start are read after it, so a won first level is a won level.
TEST_F(GameObjectTest, QuestLivesAtStartComeFromTheNode) {
    gmCorvalo::SetLevelMaker([this](int, gmCorvalo& g) -> vlkGameLevel* {
        // What the quest levels' constructors do.
        g.GetUser()->lives = 2;
        return new CountingLevel(starts);
    });
    user->lives = 3;
    fakes.scripts.SetGame("Classic", "quest", "easy");
    game->gfn_CreateLevel();
    EXPECT_EQ(2, game->GetLivesAtStart());
    EXPECT_EQ(gmCorvalo::NextStep::kNodeCompleted, game->BookEndOfLevel());
}

// Winning on and on from the first record: the levels past the table run
// on the last record and count how far past they are.
TEST_F(GameObjectTest, QuickPlayRunsPastTheTable) {
    const int N = GetClassicLevelCount();
    fakes.scripts.SetGame("Classic", "quick", "easy");
    user->modeLevel[1][E] = 1;
    user->modeLives[1][E] = 3;
    game->gfn_CreateLevel();
    for (int played = 1; played <= N + 3; ++played) {
        const int level = user->modeLevel[1][E];
        EXPECT_EQ(played, level);
        EXPECT_EQ(std::max(0, level - N + 1), user->infiniteLevel) << "level " << level;
        ASSERT_NE(nullptr, user->GetLevelState());
        EXPECT_EQ(GetClassicLevel(std::min(level, N) - 1), user->GetLevelState()->classic)
            << "level " << level;
        game->onEndLevel(); // won: lives unchanged
    }
    EXPECT_EQ(N + 4, starts);
}

} // namespace
