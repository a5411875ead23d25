#include "game/screens/MetamapDecisions.h"

#include "game/data/MetamapNodes.h"
#include "game/progress/clsMetamap.h"

#include "game/support/GameDataFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace metamap;

// The shipped quest of 56 nodes in a chain, as a player's map.
class MetamapDecisionsTest : public support::GameDataTest {
protected:
    void SetUp() override {
        support::GameDataTest::SetUp();
        LoadMetamapNodes(TString("::" CORVALO_SOURCE_DIR "/assets/metamap.xml"));
        ASSERT_EQ(GetNodeCount(), 56);
        map = std::make_unique<clsMetamap>();
    }
    void TearDown() override {
        map.reset();
        ResetMetamapNodes();
        support::GameDataTest::TearDown();
    }
    // Nodes 0 .. last-1 won and shown; `last` open, new unless shown.
    void Reach(int last, bool shown = false) {
        for (int i = 0; i <= last; ++i) {
            clsNodeMap* node = map->GetNode(i);
            node->locked = false;
            node->completed = i < last;
            node->unlockNotYetShown = i == last && !shown;
        }
    }
    std::unique_ptr<clsMetamap> map;
};

TEST_F(MetamapDecisionsTest, NewPlayer_NodeOneOpensInWorldOne) {
    const Walk walk = WalkNodes(*map);
    EXPECT_EQ(walk.frontier, 0) << "node 0 is walked whatever its lock";
    EXPECT_TRUE(walk.frontierNew);
    EXPECT_EQ(walk.opened, std::vector<int>{0});
    EXPECT_EQ(walk.unshown, std::vector<int>{0});
    EXPECT_TRUE(walk.completed.empty());
    EXPECT_STREQ(ChoosePath(0, true, false).path, "PathM");
    EXPECT_EQ(OpenedWorld(walk.frontier), 1) << "the cloud over world 1 lifts";
    EXPECT_FALSE(CheckWorldClear(0, true, false, false).pending);
}

TEST_F(MetamapDecisionsTest, NodeElevenUnlocked_ClearsWorldOneOnce) {
    Reach(10);
    Walk walk = WalkNodes(*map);
    EXPECT_EQ(walk.frontier, 10);
    EXPECT_TRUE(walk.frontierNew);
    EXPECT_EQ(walk.completed.size(), 10u);
    EXPECT_EQ(walk.unshown, std::vector<int>{10});
    const PathChoice path = ChoosePath(walk.frontier, walk.frontierNew, walk.frontierCompleted);
    EXPECT_STREQ(path.path, "PathMF");
    EXPECT_TRUE(path.waits) << "after the world clear text";
    WorldClear clear = CheckWorldClear(walk.frontier, walk.frontierNew, false, false);
    EXPECT_TRUE(clear.pending);
    EXPECT_FALSE(clear.finishQuest);
    EXPECT_EQ(walk.frontier - clear.firstNode, 10) << "ten map-clear bursts, nodes 1 to 10";
    EXPECT_EQ(OpenedWorld(10), 2);

    // The map saved after the visit: the node is shown, nothing more.
    Reach(10, true);
    walk = WalkNodes(*map);
    EXPECT_FALSE(walk.frontierNew);
    EXPECT_TRUE(walk.unshown.empty());
    EXPECT_STREQ(ChoosePath(10, false, false).path, "PathF");
    EXPECT_FALSE(ChoosePath(10, false, false).waits);
    EXPECT_FALSE(CheckWorldClear(10, false, false, false).pending);
}

TEST_F(MetamapDecisionsTest, FinalNodeCompleted_EndsTheQuestOnce) {
    Reach(55);
    map->GetNode(55)->completed = true;
    map->GetNode(55)->unlockNotYetShown = false;
    const Walk walk = WalkNodes(*map);
    EXPECT_EQ(walk.frontier, 55);
    EXPECT_TRUE(walk.frontierCompleted);
    EXPECT_EQ(walk.completed.size(), 56u);
    const PathChoice path = ChoosePath(55, false, true);
    EXPECT_STREQ(path.path, "PathFinish");
    EXPECT_STREQ(path.texture, "ShipLeft");
    WorldClear first = CheckWorldClear(55, false, true, false);
    EXPECT_TRUE(first.pending);
    EXPECT_TRUE(first.finishQuest);
    EXPECT_EQ(first.firstNode, 43) << "bursts on nodes 44 to 55";
    WorldClear again = CheckWorldClear(55, false, true, true);
    EXPECT_FALSE(again.pending);
    EXPECT_FALSE(again.finishQuest);
}

// A locked neighbour stops the walk; an unlocked node behind it is not
// reached.
TEST_F(MetamapDecisionsTest, WalkStopsAtLockedNodes) {
    Reach(3);
    map->GetNode(5)->locked = false; // unlocked, but behind locked node 4
    const Walk walk = WalkNodes(*map);
    EXPECT_EQ(walk.frontier, 3);
    EXPECT_EQ(walk.opened, std::vector<int>{3});
}

TEST_F(MetamapDecisionsTest, EveryPathRow) {
    const struct {
        int frontier;
        bool isNew, completed;
        const char* path;
        const char* texture;
        bool waits;
    } rows[] = {
        {0, true, false, "PathM", nullptr, false},     {9, false, false, "PathM", nullptr, false},
        {10, true, false, "PathMF", nullptr, true},    {10, false, false, "PathF", nullptr, false},
        {20, true, false, "PathF", nullptr, false},    {21, true, false, "PathFC", nullptr, true},
        {21, false, false, "PathC", nullptr, false},   {31, false, false, "PathC", nullptr, false},
        {32, true, false, "PathCB", "CarLeft", true},  {32, false, false, "PathB", nullptr, false},
        {42, true, false, "PathB", nullptr, false},    {43, true, false, "PathBS", "ShipLeft", true},
        {43, false, false, "PathS", "ShipLeft", false}, {54, false, false, "PathS", "ShipLeft", false},
        {55, false, true, "PathFinish", "ShipLeft", false},
        {55, true, false, "PathS", "ShipLeft", false}, {70, false, true, "PathFinish", "ShipLeft", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.frontier) + (row.isNew ? " new" : "") +
                     (row.completed ? " completed" : ""));
        const PathChoice choice = ChoosePath(row.frontier, row.isNew, row.completed);
        EXPECT_STREQ(choice.path, row.path);
        if (row.texture)
            EXPECT_STREQ(choice.texture, row.texture);
        else
            EXPECT_EQ(choice.texture, nullptr);
        EXPECT_EQ(choice.waits, row.waits);
    }
}

TEST_F(MetamapDecisionsTest, CloudsPerFrontier) {
    const struct {
        int frontier;
        int hidden; // clouds 1 .. hidden are hidden
        int opened; // the world whose cloud lifts, 0 none
    } rows[] = {{0, 1, 1},  {5, 1, 0},  {10, 2, 2}, {20, 2, 0}, {21, 3, 3},
                {32, 4, 4}, {43, 5, 5}, {50, 5, 0}, {55, 5, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.frontier);
        for (int k = 1; k <= 5; ++k)
            EXPECT_EQ(IsCloudHidden(k, row.frontier), k <= row.hidden) << "cloud " << k;
        EXPECT_EQ(OpenedWorld(row.frontier), row.opened);
    }
    EXPECT_FALSE(IsCloudHidden(0, 55));
    EXPECT_FALSE(IsCloudHidden(6, 55));
}

} // namespace
