#include "game/screens/wndMetamap.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "game/data/MetamapNodes.h"
#include "game/progress/clsMetamap.h"
#include "game/screens/clsMetamapButton.h"
#include "game/state/dtUserState.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkCutsceneTextSequence.h"
#include "velk/particles/vlkParticleFx.h"

#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The world map over the build's assets (its effects, paths and curtains)
// and the shipped node table, with a player's map the test shapes and a
// button per node made as worldmap.lua makes them.
class MetamapTest : public screentest::ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        ClearNameRegistry();
        SetAssetsFolder(TString(CORVALO_BINARY_DIR "/assets"));
        InitFileSystem();
        LoadFxMap(TString("fx.xml"));
        LoadMetamapNodes(TString("metamap.xml"));
        ASSERT_EQ(GetNodeCount(), 56);
        user.SetMetamap(std::make_unique<clsMetamap>(&user));
        fakes.progress.user = &user;
    }
    void TearDown() override {
        ResetMetamapNodes();
        ClearNameRegistry();
        SetAssetsFolder(TString("assets"));
        ScreenTest::TearDown();
    }
    clsMetamap& Map() { return *user.GetMetamap(); }
    // Nodes 0 .. last-1 won and shown; `last` open, new unless shown.
    void Reach(int last, bool shown = false) {
        for (int i = 0; i <= last; ++i) {
            clsNodeMap* node = Map().GetNode(i);
            node->locked = false;
            node->completed = i < last;
            node->unlockNotYetShown = i == last && !shown;
        }
    }
    wndMetamap* Open(int buttons = 56) {
        static const char* kTypes[] = {"", "classic", "strategy", "blitz", "joker", "cradle"};
        map = new wndMetamap();
        map->SetSize(1024, 768);
        screen->AddChild(map);
        for (int n = 1; n <= buttons; ++n) {
            auto* button = static_cast<clsMetamapButton*>(clsMetamapButton::Create());
            button->SetName(TString::Format("mbtn_%d", n));
            button->SetPosition(20 * n % 1000, 40);
            button->SetSize(48, 48);
            map->AddChild(button, false);
            auto style = Table("{ id = " + std::to_string(n) + ", type = '" +
                               kTypes[Map().GetNodeMode(n - 1)] + "' }");
            TWindowStyle buttonStyle(style.get());
            button->PostInit(buttonStyle);
        }
        map->GetAnimator()->SetClock(&clock);
        auto style = Table("{ w = 1024, h = 768 }");
        TWindowStyle windowStyle(style.get());
        map->PostInit(windowStyle);
        return map;
    }
    // Ticks of 16 ms until the condition holds (at most `limit`).
    template <typename Until> int Run(Until until, int limit = 2000) {
        int ticks = 0;
        while (!until() && ticks < limit) {
            now += 16;
            map->Step(now);
            ++ticks;
        }
        return ticks;
    }
    size_t Index(const std::string& statement) const {
        const auto& s = fakes.scripts.statements;
        for (size_t i = 0; i < s.size(); ++i)
            if (s[i] == statement)
                return i;
        return s.size();
    }

    dtUserState user;
    wndMetamap* map = nullptr;
    uint32_t now = 0;
};

TEST_F(MetamapTest, NewPlayer_NodeOneBurstsTheCloudLiftsTheQuestPanelOpens) {
    Open();
    ASSERT_TRUE(map->IsLaidOut());
    EXPECT_EQ(fakes.progress.loads, 1);
    EXPECT_EQ(map->GetUnlockEffectCount(), 1u);
    EXPECT_EQ(fakes.progress.metamapSaves, 1) << "node 1 shown and saved";
    EXPECT_FALSE(Map().GetNode(0)->unlockNotYetShown);
    EXPECT_EQ(map->GetButtons()[0]->GetState(), clsMetamapButton::kOpen);
    EXPECT_EQ(map->GetButtons()[1]->GetState(), clsMetamapButton::kLocked);
    EXPECT_STREQ(map->GetPathName(), "PathM");
    ASSERT_TRUE(map->HasCurtain());

    map->OnButtonPressed(1); // during the opening curtain
    EXPECT_EQ(map->GetCurtainState(), wndMetamap::kOpening);
    Run([&] { return map->GetCurtainState() == wndMetamap::kRunning; });
    ASSERT_EQ(map->GetCurtainState(), wndMetamap::kRunning);
    EXPECT_LT(Index("EnableAllButtons()"), Index("DoModal('scripts/quest_panel.lua')"));
    EXPECT_LT(Index("DoModal('scripts/quest_panel.lua')"), fakes.scripts.statements.size());
    EXPECT_TRUE(map->GetUnlockedCloud()->IsEnabled()) << "the cloud over world 1 lifts";
    map->OnButtonPressed(1); // while it lifts
    EXPECT_EQ(map->GetCurtainState(), wndMetamap::kRunning);

    Run([&] { return !map->GetUnlockedCloud()->IsEnabled() && !map->GetPathEffect()->IsActive(); });
    map->OnButtonPressed(1);
    EXPECT_EQ(map->GetCurtainState(), wndMetamap::kClosingToPlay);
    EXPECT_EQ(Map().GetCurrentNodeIndex(), 0);
    Run([&] { return Index("closeMetamap()") < fakes.scripts.statements.size(); });
    EXPECT_LT(Index("closeMetamap()"), fakes.scripts.statements.size());
}

// The first visit after node 11 opened: the world clear, then the
// achievements, then the path to node 11 and its burst; a later visit
// shows none of it.
TEST_F(MetamapTest, WorldOneCleared_AchievementsThenThePathThenTheNode) {
    Reach(10);
    Open();
    EXPECT_EQ(map->GetMapClearEffectCount(), 10u);
    EXPECT_TRUE(map->IsWorldClearPending());
    EXPECT_STREQ(map->GetPathName(), "PathMF");
    EXPECT_FALSE(map->GetPathEffect()->IsActive()) << "it waits for the world clear text";
    Run([&] {
        return Index("DoModal('scripts/achievement.lua')") < fakes.scripts.statements.size();
    });
    EXPECT_LT(Index("DoModal('scripts/achievement.lua')"), fakes.scripts.statements.size());
    EXPECT_EQ(Index("DoModal('scripts/finish_quest.lua')"), fakes.scripts.statements.size());
    EXPECT_TRUE(map->GetPathEffect()->IsActive()) << "started in the update the text ended";
    EXPECT_EQ(Index("DoModal('scripts/quest_panel.lua')"), fakes.scripts.statements.size());
    screen->RemoveChild(map);
    map->DeleteThis();

    fakes.scripts.statements.clear();
    Open();
    EXPECT_FALSE(map->IsWorldClearPending());
    EXPECT_EQ(map->GetMapClearEffectCount(), 0u);
    EXPECT_STREQ(map->GetPathName(), "PathF");
}

TEST_F(MetamapTest, FinalNode_FinishQuestThenAchievementsOnce) {
    Reach(55);
    Map().GetNode(55)->completed = true;
    Open();
    EXPECT_TRUE(Map().IsQuestFinished());
    EXPECT_EQ(map->GetMapClearEffectCount(), 12u);
    Run([&] {
        return Index("DoModal('scripts/achievement.lua')") < fakes.scripts.statements.size();
    });
    EXPECT_LT(Index("DoModal('scripts/finish_quest.lua')"),
              Index("DoModal('scripts/achievement.lua')"));
    screen->RemoveChild(map);
    map->DeleteThis();
    fakes.scripts.statements.clear();
    Open();
    EXPECT_FALSE(map->IsWorldClearPending()) << "the end is celebrated once";
}

// A number outside the map, or a node the walk did not open, starts no
// level: no save, no curtain.
TEST_F(MetamapTest, PressesOfNodesNotOpen_AreIgnored) {
    Reach(3, true);
    Open();
    Run([&] {
        return map->GetCurtainState() == wndMetamap::kRunning && !map->GetPathEffect()->IsActive();
    });
    const int saves = fakes.progress.metamapSaves;
    for (int n : {0, -4, 57, 6}) {
        map->OnButtonPressed(n);
        EXPECT_EQ(map->GetCurtainState(), wndMetamap::kRunning) << n;
        EXPECT_FALSE(map->HasCurtain()) << n;
    }
    EXPECT_EQ(fakes.progress.metamapSaves, saves);
    EXPECT_FALSE(Map().HasCurrentNode());
    map->OnButtonPressed(2); // completed: played again
    EXPECT_EQ(map->GetCurtainState(), wndMetamap::kClosingToPlay);
}

// A button set short of the node table: a data error in the log, node
// presses ignored, and Back still closes the curtain towards the menu.
// The buttons are let go at the first tick, not while the screen script
// that shuts them (its blocker, laid after the map) is still running.
TEST_F(MetamapTest, ButtonSetThatDoesNotFit_LogsAndBackStillWorks) {
    Open(55);
    EXPECT_FALSE(map->IsLaidOut());
    EXPECT_TRUE(support::ReadLogText().find("data error: 55 node buttons for 56 quest nodes") !=
                std::string::npos);
    EXPECT_EQ(Index("EnableAllButtons()"), fakes.scripts.statements.size());
    now += 16;
    map->Step(now);
    EXPECT_LT(Index("EnableAllButtons()"), fakes.scripts.statements.size());
    map->OnButtonPressed(1);
    EXPECT_FALSE(map->HasCurtain());
    map->OnBack();
    EXPECT_EQ(map->GetCurtainState(), wndMetamap::kClosingToBack);
    Run([&] { return !map->HasCurtain(); });
    EXPECT_FALSE(map->HasCurtain());
    EXPECT_TRUE(manager->IsDrawAborted()) << "drawing suspended on the way to the menu";
    manager->SetAbortDraw(false);
}

TEST_F(MetamapTest, InactiveWindow_HoldsEverything) {
    Open();
    fakes.states.values["WindowActivated"] = "0";
    Run([] { return false; }, 200);
    EXPECT_EQ(map->GetCurtainState(), wndMetamap::kOpening);
    EXPECT_TRUE(map->HasCurtain());
    fakes.states.values["WindowActivated"] = "1";
    Run([&] { return map->GetCurtainState() == wndMetamap::kRunning; });
    EXPECT_EQ(map->GetCurtainState(), wndMetamap::kRunning);
}

} // namespace
