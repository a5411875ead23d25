#include "game/progress/clsMetamap.h"

#include "game/data/GameIds.h"
#include "game/data/GameTables.h"
#include "game/data/MetamapNodes.h"
#include "game/progress/TokenString.h"
#include "game/state/dtUserState.h"
#include "game/support/GameDataFixture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The data set's quest map: 0 Classic 1 -> 1; 1 Blitz 1 (wild) -> 2, 3;
// 2 Strategy 2 (goal 2) -> 4; 3 Joker 1 -> 4; 4 Rome 2 (cat), the end.
class MetamapTest : public support::GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        support::LoadGameDataSet();
    }

    static std::string Saved(const clsMetamap& map) {
        TokenString out;
        map.Save(out);
        return out.text.CStr();
    }

    // Replaces the node table by one read from a node file of this text.
    void LoadNodes(const std::string& nodes) {
        const std::string path = mNodeFolder.Write(
            "metamap.xml", "<?xml version=\"1.0\"?>\n<xmlData><nodesmap type=\"multiple\">" +
                               nodes + "</nodesmap></xmlData>\n");
        ResetMetamapNodes();
        LoadMetamapNodes(TString(("::" + path).c_str()));
    }

    support::TempFolder mNodeFolder;
};

TEST_F(MetamapTest, Fresh_EveryNodeLockedWithTheDefaultLives) {
    dtUserState user;
    clsMetamap map(&user);
    ASSERT_EQ(map.GetNodeCount(), 5);
    for (int i = 0; i < 5; ++i) {
        const clsNodeMap* node = map.GetNode(i);
        ASSERT_NE(node, nullptr);
        EXPECT_TRUE(node->locked);
        EXPECT_TRUE(node->unlockNotYetShown);
        EXPECT_FALSE(node->completed);
        EXPECT_EQ(node->lives, 3);
        EXPECT_EQ(node->definition, GetNodeDefinition(i)) << "pointed to, not copied";
    }
    EXPECT_FALSE(map.HasCurrentNode());
    EXPECT_EQ(Saved(map), "6^0^0^5^1^1^0^0^3^1^1^0^0^3^1^1^0^0^3^1^1^0^0^3^1^1^0^0^3^0");
}

TEST_F(MetamapTest, SaveThenLoad_GivesTheSameMap) {
    dtUserState user;
    clsMetamap map(&user);
    ASSERT_TRUE(map.SetCurrentNode(0));
    map.CompleteCurrentNode(420);
    ASSERT_TRUE(map.SetCurrentNode(1));
    map.SetCurrentNodeLives(2);
    map.GetNode(3)->unlockNotYetShown = false;
    map.SetQuestFinished();
    const std::string text = Saved(map);
    EXPECT_EQ(text.rfind("6^1^1^420^5^", 0), 0u) << text;

    clsMetamap loaded(&user);
    TokenString in{TString(text.c_str())};
    ASSERT_TRUE(loaded.Load(in));
    EXPECT_EQ(Saved(loaded), text);
    EXPECT_EQ(loaded.GetCurrentNode(), loaded.GetNode(1));
    EXPECT_EQ(loaded.GetCurrentNodeLives(), 2);
    EXPECT_EQ(loaded.GetQuestTotal(), 420);
    EXPECT_TRUE(loaded.IsQuestFinished());
    EXPECT_TRUE(loaded.GetNode(0)->completed);
    EXPECT_FALSE(loaded.IsNodeLocked(1));
    EXPECT_FALSE(loaded.GetNode(3)->unlockNotYetShown);
}

TEST_F(MetamapTest, CompleteCurrentNode_KeepsTheBestScore) {
    const struct {
        int first, second;
        int best, total;
    } cases[] = {
        {500, 300, 500, 500},
        {500, 800, 800, 800},
        {500, 500, 500, 500},
    };
    for (const auto& c : cases) {
        dtUserState user;
        clsMetamap map(&user);
        map.SetCurrentNode(1);
        map.SetCurrentNodeLives(1);
        map.CompleteCurrentNode(c.first);
        EXPECT_EQ(map.GetQuestTotal(), c.first);
        map.CompleteCurrentNode(c.second);
        EXPECT_EQ(map.GetNode(1)->bestScore, c.best) << c.first << " then " << c.second;
        EXPECT_EQ(map.GetQuestTotal(), c.total) << c.first << " then " << c.second;
        EXPECT_TRUE(map.GetNode(1)->completed);
        EXPECT_EQ(map.GetCurrentNodeLives(), 3);
        // Its two neighbours open, nothing else.
        EXPECT_FALSE(map.IsNodeLocked(2));
        EXPECT_FALSE(map.IsNodeLocked(3));
        EXPECT_TRUE(map.IsNodeLocked(4));
        EXPECT_TRUE(map.IsNodeLocked(0));
        // A power-up reward is the level's, not the map's.
        EXPECT_EQ(map.GetPendingReward(), 0);
    }
}

TEST_F(MetamapTest, CompleteCurrentNode_CatRewardOnlyWhileLocked) {
    dtUserState user;
    clsMetamap map(&user);
    map.SetCurrentNode(4);
    map.CompleteCurrentNode(100);
    EXPECT_EQ(map.GetPendingReward(), 6);
    EXPECT_TRUE(map.IsAvatarUnlockPending());
    EXPECT_EQ(user.catUnlocked, 1);

    // Already unlocked: the pending reward stays what it was.
    map.SetPendingReward(0);
    map.CompleteCurrentNode(200);
    EXPECT_EQ(map.GetPendingReward(), 0);
    EXPECT_FALSE(map.IsAvatarUnlockPending());
    EXPECT_EQ(user.dogUnlocked, 0);
}

TEST_F(MetamapTest, CompleteCurrentNode_RecordsTheLevelsDifficulty) {
    dtUserState user;
    clsMetamap map(&user);
    map.SetCurrentNode(0); // Classic level 1: board 1
    map.CompleteCurrentNode(10);
    map.SetCurrentNode(2); // Strategy level 2: board 2
    map.CompleteCurrentNode(10);
    map.SetCurrentNode(4); // Rome level 2: board 2
    map.CompleteCurrentNode(10);
    EXPECT_EQ(user.questDifficultyBits[kModeClassic], 1);
    EXPECT_EQ(user.questDifficultyBits[kModeStrategy], 2);
    EXPECT_EQ(user.questDifficultyBits[kModeRome], 2);
    EXPECT_EQ(user.questDifficultyBits[kModeBlitz], 0);
}

TEST_F(MetamapTest, WithoutCurrentNode_CompletingAndResettingChangeNothing) {
    dtUserState user;
    clsMetamap map(&user);
    map.SetCurrentNode(0);
    map.CompleteCurrentNode(300);
    map.SetCurrentNodeLives(1);
    const std::string before = Saved(map);

    clsMetamap other(&user);
    TokenString in{TString(before.c_str())};
    ASSERT_TRUE(other.Load(in));
    // The same map without a current node.
    std::string rest = before.substr(std::string("6^1^0^300^5").size());
    TokenString noCurrent{TString(("6^0^300^5" + rest).c_str())};
    ASSERT_TRUE(other.Load(noCurrent));
    ASSERT_FALSE(other.HasCurrentNode());
    other.ResetScoresAndLives();
    other.CompleteCurrentNode(900);
    EXPECT_EQ(other.GetQuestTotal(), 300);
    EXPECT_EQ(other.GetNode(0)->lives, 1);
    EXPECT_EQ(other.GetCurrentNodeLives(), 0);
    EXPECT_EQ(other.GetCurrentNodeReward(), 0);
    EXPECT_EQ(other.GetCurrentNodeGoal(), 0);
    EXPECT_EQ(other.GetCurrentNodeLevel(), -1);

    // With one: scores and every node's lives go back.
    map.SetCurrentNode(2);
    map.GetNode(2)->bestScore = 50;
    map.GetNode(4)->lives = 1;
    map.ResetScoresAndLives();
    EXPECT_EQ(map.GetQuestTotal(), 0);
    EXPECT_EQ(map.GetNode(2)->bestScore, 0);
    EXPECT_EQ(map.GetNode(0)->bestScore, 300) << "only the current node's score";
    for (int i = 0; i < map.GetNodeCount(); ++i)
        EXPECT_EQ(map.GetNode(i)->lives, 3);
}

TEST_F(MetamapTest, Getters_OutsideTheMap) {
    clsMetamap map;
    for (int index : {-1, map.GetNodeCount()}) {
        EXPECT_TRUE(map.IsNodeLocked(index)) << index;
        EXPECT_EQ(map.GetNode(index), nullptr) << index;
        EXPECT_EQ(map.GetNodeMode(index), 0) << index;
        EXPECT_FALSE(map.SetCurrentNode(index)) << index;
    }
    EXPECT_EQ(map.GetNodeMode(4), kModeRome);
    ASSERT_TRUE(map.SetCurrentNode(2));
    EXPECT_FALSE(map.SetCurrentNode(9));
    EXPECT_EQ(map.GetCurrentNodeIndex(), 2) << "a failed choice keeps the current node";
    EXPECT_EQ(map.GetCurrentNodeGoal(), 2);
    EXPECT_EQ(map.GetCurrentNodeLevel(), 2);
    const clsNodeMap* node = map.GetNode(1);
    EXPECT_EQ(node->GetNeighbour(0), 2);
    EXPECT_EQ(node->GetNeighbour(1), 3);
    EXPECT_EQ(node->GetNeighbour(2), -1);
    EXPECT_EQ(node->GetNeighbour(-1), -1);
    map.SetCurrentNodeLives(0);
    EXPECT_EQ(map.GetCurrentNodeLives(), 1);
}

// A node table with a neighbour past its end, a level past its mode's
// table and a mode with no levels at all.
TEST_F(MetamapTest, StrayNeighbourAndLevelPastTheTable) {
    LoadNodes("<node name=\"1\"><mode>classic</mode><level>9</level>"
              "<neighbors>2,7</neighbors></node>"
              "<node name=\"2\"><mode>blitz</mode><level>1</level><reward>dog</reward></node>");
    ASSERT_EQ(GetNodeCount(), 2);
    dtUserState user;
    clsMetamap map(&user);
    map.SetCurrentNode(0);
    map.CompleteCurrentNode(40);
    EXPECT_FALSE(map.IsNodeLocked(1));
    EXPECT_EQ(map.GetQuestTotal(), 40);
    // Classic level 9 counts as the last record, level 2, of board 3.
    EXPECT_EQ(user.questDifficultyBits[kModeClassic], 4);

    MutableGameTables().blitz.clear();
    map.SetCurrentNode(1);
    map.CompleteCurrentNode(10);
    EXPECT_EQ(user.questDifficultyBits[kModeBlitz], 0) << "an empty table gives no flag";
    EXPECT_EQ(map.GetPendingReward(), 7);
    EXPECT_EQ(user.dogUnlocked, 1);
}

// Texts the map does not fit are refused whole: it stays as fresh as it
// was, and the log says why.
TEST_F(MetamapTest, Load_RejectedTextsChangeNothing) {
    dtUserState user;
    clsMetamap reference(&user);
    reference.SetCurrentNode(3);
    reference.CompleteCurrentNode(70);
    const std::string good = Saved(reference);
    // Cut after the second node's five values.
    size_t cut = 0;
    for (int separators = 0; separators < 4 + 10; ++cut)
        separators += good[cut] == '^';
    const struct {
        std::string text;
        const char* logged;
    } cases[] = {
        {"", "empty"},
        {"5" + good.substr(1), "version 5"},
        {"6^1^3^70^4^1^1^0^0^3^1^1^0^0^3^1^1^0^0^3^1^1^0^0^3^0", "has 4 nodes"},
        {"6^1^99" + good.substr(5), "current node 99"},
        {good.substr(0, cut - 1), "cut short"},
        {good.substr(0, good.rfind('^')), "cut short"},
    };
    for (const auto& c : cases) {
        clsMetamap map(&user);
        const std::string fresh = Saved(map);
        TokenString in{TString(c.text.c_str())};
        EXPECT_FALSE(map.Load(in)) << c.text;
        EXPECT_EQ(Saved(map), fresh) << c.text;
        EXPECT_FALSE(map.HasCurrentNode()) << c.text;
        EXPECT_TRUE(LogHas(c.logged)) << c.text;
    }
    TokenString in{TString(good.c_str())};
    clsMetamap map(&user);
    EXPECT_TRUE(map.Load(in));
    EXPECT_EQ(map.GetCurrentNodeIndex(), 3);
}

} // namespace
