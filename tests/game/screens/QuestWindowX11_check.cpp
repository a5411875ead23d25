// The quest in the real program, in its own full-screen window on a
// 1280 x 800 X server, played as a player would: the program with the
// build's assets beside it, xdotool clicking at the game's picture places
// through the full-screen fit, the log saying which screens open and
// close, the board trace giving a player with perfect memory every tile,
// and prefstool doctoring the stored quest between runs. Every screen
// reached is kept as a picture in the build's "quest-frames" folder.
// Each test is a ctest entry of its own, so they run side by side.

#include "support/StoredQuestMap.h"
#include "support/XGameWindow.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace support;

// The dark red of the closed curtains.
bool IsCurtain(const std::vector<double>& rgb) {
    return rgb[0] > 0.3 && rgb[1] < 0.15 && rgb[2] < 0.2;
}

class QuestWindow : public XGameWindow {
protected:
    QuestWindow() : XGameWindow(CORVALO_BINARY_DIR "/quest-frames") {}

    void SetUp() override {
        XGameWindow::SetUp();
        if (!IsSkipped())
            LayOut();
    }

    // A first run that registers the player and ends: the profile the
    // doctored tests start from.
    void RegisterAndClose() {
        Launch();
        Register("Ana");
        EndCleanly();
    }

    // A press on a node of the map: the curtains close over it (pressed
    // again while the map's effects still run and ignore it), and the map
    // gives way to the loading screen, then the board.
    void PlayNode(int node, const std::string& prefix) {
        const std::pair<int, int> place = NodePlace(node);
        ASSERT_GE(place.first, 0) << "no node " << node << " in metamap.xml";
        const size_t closed = CountInLog(Closed("worldmap.lua"));
        const size_t loads = CountInLog(Opened("loading.lua"));
        for (int attempt = 0; attempt < 40 && CountInLog(Closed("worldmap.lua")) == closed;
             ++attempt) {
            ClickAt(place.first, place.second);
            // Frames while the map stands: the curtains falling.
            for (int frame = 0; frame < 4 && CountInLog(Closed("worldmap.lua")) == closed;
                 ++frame) {
                Capture(prefix + "-pressed");
                if (IsCurtain(MeanColour(prefix + "-pressed", 480, 300, 64, 64)))
                    Capture(prefix + "-curtains-closing");
            }
        }
        ASSERT_TRUE(WaitForLog(Closed("worldmap.lua"), closed + 1)) << RunLog();
        // The loading screen: frames while it stands (the bar grows one
        // asset a frame, quickly).
        ASSERT_TRUE(WaitForLog(Opened("loading.lua"), loads + 1)) << RunLog();
        for (int frame = 0; frame < 6 && IsOpen("loading.lua"); ++frame)
            Capture(prefix + "-loading-" + std::to_string(frame));
        ASSERT_TRUE(WaitForLog(Closed("loading.lua"), loads + 1)) << RunLog();
        ASSERT_TRUE(WaitForLog(Opened("game.lua"), loads + 1)) << RunLog();
    }

    // The board once it takes clicks; the level's instructions, shown the
    // first time, are closed with OK (instruction_level.lua).
    TracedBoard WaitForBoard() {
        TracedBoard board;
        const XClock::time_point start = XClock::now();
        while (XClock::now() - start < kXOutputWait) {
            if (WaitForPlayableBoard(board, std::chrono::milliseconds(200)))
                break;
            if (IsOpen("instruction_level.lua"))
                ClickUntil(512, 458, Closed("instruction_level.lua"));
        }
        return board;
    }

    // Plays the node's level to a win, the way a player does: a perfect memory, Continue on the
    // score card; the board closes and the map opens again.
    void WinLevel(const std::string& prefix) {
        const size_t maps = CountInLog(Opened("worldmap.lua"));
        ASSERT_TRUE(WaitForBoard().Playing()) << RunLog();
        EXPECT_EQ(PlayToTheEnd(prefix), 1) << RunLog();
        ASSERT_TRUE(CaptureUntil(
            prefix + "-score-card", 262, 224, 500, 40,
            [](const std::vector<double>& rgb) { return rgb[0] > 0.75 && rgb[2] < 0.45; }));
        ASSERT_TRUE(ClickUntil(638, 526, Opened("worldmap.lua"), maps + 1)) << RunLog();
    }

    // Waits until the map shows (its sea in the top right corner, where
    // the curtains and the menu are red or dusk) and captures it.
    void CaptureOpenMap(const std::string& name) {
        EXPECT_TRUE(CaptureUntil(name, 975, 5, 40, 40, [](const std::vector<double>& rgb) {
            return rgb[2] > 0.55 && rgb[2] > rgb[0] + 0.25;
        })) << "the map does not show";
        EXPECT_TRUE(IsOpen("worldmap.lua")) << RunLog();
    }

    // The end of the quest, opened by the map with the achievements board
    // over it (both in the tick its world clear text ends): Back leaves
    // the board for the fireworks; the message panel comes once the title
    // has played, its button fades to black and back to the map, which
    // keeps the quest finished.
    void WatchTheEndOfTheQuest(const std::string& prefix) {
        ASSERT_TRUE(WaitForLog(Opened("finish_quest.lua"))) << RunLog();
        ASSERT_TRUE(WaitForLog(Opened("achievement.lua"))) << RunLog();
        Capture(prefix + "-achievements");
        ASSERT_TRUE(ClickUntil(512, 708, Closed("achievement.lua"))) << RunLog();
        Capture(prefix + "-fireworks");
        EXPECT_TRUE(CaptureUntil(
            prefix + "-message", 512 - 60, 494 - 12, 120, 24,
            [](const std::vector<double>& rgb) { return rgb[0] > 0.8 && rgb[2] < 0.4; }))
            << "no orange button on the finish panel";
        // The button fades the screen through black and back, then the
        // screen closes: the map's sky goes dark, and the map comes back.
        ClickAt(512, 494);
        EXPECT_TRUE(CaptureUntil(prefix + "-fading", 975, 5, 40, 40,
                                 [](const std::vector<double>& rgb) {
                                     return rgb[0] < 0.15 && rgb[1] < 0.3 && rgb[2] < 0.35;
                                 }))
            << "the map does not go dark";
        ASSERT_TRUE(WaitForLog(Closed("finish_quest.lua"))) << RunLog();
        CaptureOpenMap(prefix + "-map");
        const std::string map = Stored("UserMetamap");
        EXPECT_EQ(map.substr(map.size() - 2), "^1") << "the quest finished";
    }

    // The map's Back (worldmap.lua).
    static constexpr int kBackX = 854 + 80, kBackY = 700 + 24;

    // Whether the achievement board's first row of medals is lit where
    // won and grey where not.
    bool MedalsShow(const std::string& frame, const std::vector<bool>& won) const {
        for (size_t medal = 0; medal < won.size(); ++medal) {
            const double saturation =
                Saturation(MeanColour(frame, 60 + static_cast<int>(medal) * 100 + 4, 164, 48, 48));
            if (won[medal] ? saturation < 0.15 : saturation > 0.1)
                return false;
        }
        return true;
    }

    // The node's place in the stored quest map: locked, not yet shown,
    // completed, best score, lives.
    std::vector<int> StoredNode(int node) const {
        return support::StoredQuestNode(Stored("UserMetamap"), node);
    }
};

// A new player's first visit: the curtains open on the map, node 1 bursts
// open, the quest panel explains; node 1 leads through the loading screen
// to its board, a win back to the map with node 2 open. The next run shows
// the same map, lives and scores.
TEST_F(QuestWindow, ANewPlayersFirstNodeWonAndKeptAcrossARestart) {
    Launch();
    Register("Ana");
    OpenQuest();
    Capture("new-curtains");
    ASSERT_TRUE(WaitForLog(Opened("quest_panel.lua"))) << RunLog();
    Capture("new-burst-and-panel");
    ASSERT_TRUE(ClickUntil(512, 508, Closed("quest_panel.lua"))) << RunLog();
    Capture("new-map");
    PlayNode(1, "node1");
    WinLevel("node1");
    CaptureOpenMap("node1-map-again");
    // Node 1 stays locked as every node starts: the map's walk starts
    // there whatever its lock says.
    const std::vector<int> first = StoredNode(1);
    EXPECT_EQ(first, (std::vector<int>{1, 0, 1, first.at(3), 3}));
    EXPECT_GT(first.at(3), 0) << "the node's best score";
    EXPECT_EQ(StoredNode(2).at(0), 0) << "node 2 open";
    const std::string map = Stored("UserMetamap");
    EndCleanly();

    Launch();
    OpenQuest();
    CaptureOpenMap("restart-map");
    EXPECT_EQ(CountInLog(Opened("quest_panel.lua")), 0u) << "the panel is for the first visit";
    EndCleanly();
    EXPECT_EQ(Stored("UserMetamap"), map) << "the map, the lives and the scores as they were";
}

// Nodes 1-10 won, node 11 open and not yet shown: the world is cleared
// (its text, then the achievements board over the profile's counts, a
// medal's tip, Back through black), the path leads to node 11, and node 11
// opens its own level.
TEST_F(QuestWindow, AClearedWorldCelebratesThenLeadsToNodeEleven) {
    RegisterAndClose();
    DoctorQuest(10);
    // Three medals of the first row won: 25 and 50 combos, a chain of 20.
    for (const char* key : {"UserCombo25", "UserCombo50", "UserChain20"})
        Doctor(key, "1");
    Launch();
    OpenQuest();
    CaptureOpenMap("world-clear");
    ASSERT_TRUE(WaitForLog(Opened("achievement.lua"))) << RunLog();
    // The board through black, its medals as the profile has them.
    bool medals = false;
    for (int attempt = 0; attempt < 200 && !medals; ++attempt) {
        Capture("world-clear-achievements");
        medals = MedalsShow("world-clear-achievements", {false, false, true, true, true});
    }
    EXPECT_TRUE(medals) << "the first row of medals is not grey, grey, lit, lit, lit";
    bool tip = false;
    for (int attempt = 0; attempt < 40 && !tip; ++attempt) {
        MoveTo(92 + attempt % 2, 192);
        Wait(300);
        Capture("world-clear-achievements-tip");
        tip = Brightness(MeanColour("world-clear-achievements-tip", 20, 236, 140, 24)) > 0.8;
    }
    EXPECT_TRUE(tip) << "no tip under the first medal";
    ASSERT_TRUE(ClickUntil(512, 708, Closed("achievement.lua"))) << RunLog();
    Capture("world-clear-path");
    PlayNode(11, "node11");
    const TracedBoard board = WaitForBoard();
    EXPECT_EQ(board.mode, 1) << "node 11 is a Classic level";
    Capture("node11-board");
    // The node pressed is the quest's current node.
    std::istringstream map(Stored("UserMetamap"));
    std::string version, hasCurrent, current;
    std::getline(map, version, '^');
    std::getline(map, hasCurrent, '^');
    std::getline(map, current, '^');
    EXPECT_EQ(hasCurrent + " " + current, "1 10");
    EndCleanly();
}

// Node 31 gives the cat: won, the avatar pop-up shows once, and the map
// comes back with node 32 open.
TEST_F(QuestWindow, ARewardNodeShowsItsAvatarOnce) {
    RegisterAndClose();
    DoctorQuest(30);
    Launch();
    OpenQuest();
    CaptureOpenMap("reward-map");
    PlayNode(31, "node31");
    const size_t maps = CountInLog(Opened("worldmap.lua"));
    ASSERT_TRUE(WaitForBoard().Playing()) << RunLog();
    EXPECT_EQ(PlayToTheEnd("node31"), 1) << RunLog();
    ASSERT_TRUE(
        CaptureUntil("node31-score-card", 262, 224, 500, 40, [](const std::vector<double>& rgb) {
            return rgb[0] > 0.75 && rgb[2] < 0.45;
        }));
    ClickUntil(638, 526, Opened("avatar_unlocked.lua"));
    ASSERT_TRUE(WaitForLog(Opened("avatar_unlocked.lua"))) << RunLog();
    Wait(1000);
    Capture("node31-cat-unlocked");
    ASSERT_TRUE(ClickUntil(592, 512, Closed("avatar_unlocked.lua"))) << RunLog();
    ASSERT_TRUE(WaitForLog(Opened("worldmap.lua"), maps + 1)) << RunLog();
    CaptureOpenMap("node31-map-again");
    EXPECT_EQ(CountInLog(Opened("avatar_unlocked.lua")), 1u);
    EXPECT_EQ(Stored("UserCatUnlocked"), "1");
    EXPECT_EQ(StoredNode(31).at(2), 1);
    EXPECT_EQ(StoredNode(32).at(0), 0) << "node 32 open";
    EndCleanly();
}

// Nodes 1-55 won: node 56 won plays the end of the quest, and the map
// shows the quest finished.
TEST_F(QuestWindow, TheLastNodeWonEndsTheQuest) {
    RegisterAndClose();
    DoctorQuest(55);
    Launch();
    OpenQuest();
    CaptureOpenMap("last-map");
    PlayNode(56, "node56");
    WinLevel("node56");
    WatchTheEndOfTheQuest("node56");
    EXPECT_EQ(StoredNode(56).at(2), 1) << "node 56 won";
    EndCleanly();
}

// Every node won, the end not yet celebrated: the map plays it once
// (fireworks, the message, its button fading through black), and not on
// the next visit.
TEST_F(QuestWindow, AFinishedQuestIsCelebratedOnce) {
    RegisterAndClose();
    DoctorQuest(56);
    Launch();
    OpenQuest();
    WatchTheEndOfTheQuest("finished");
    ASSERT_TRUE(ClickUntil(kBackX, kBackY, Closed("worldmap.lua"))) << RunLog();
    OpenQuest(2);
    CaptureOpenMap("finished-again");
    Wait(3000);
    EXPECT_EQ(CountInLog(Opened("finish_quest.lua")), 1u) << RunLog();
    EndCleanly();
}

// A world map short of its last node button: the data error is logged,
// presses are ignored, and Back still leads to the menu, whose Quest opens
// the map again.
TEST_F(QuestWindow, AMapShortOfAButtonLogsTheErrorAndBackStillLeads) {
    const std::string file = Folder() + "/assets/scripts/worldmap.lua";
    std::string script = ReadWholeFile(file);
    const std::string last = "    NodeButton(56, 'classic', 470, 330),\n";
    ASSERT_NE(script.find(last), std::string::npos);
    script.erase(script.find(last), last.size());
    std::ofstream(file) << script;
    Launch();
    Register("Ana");
    OpenQuest();
    CaptureOpenMap("short-map");
    EXPECT_TRUE(WaitForLog("wndMetamap: data error: 55 node buttons for 56 quest nodes"))
        << RunLog();
    const std::pair<int, int> node1 = NodePlace(1);
    ClickAt(node1.first, node1.second);
    Wait(1500);
    EXPECT_TRUE(IsOpen("worldmap.lua")) << "a press on the map is ignored";
    ASSERT_TRUE(ClickUntil(kBackX, kBackY, Closed("worldmap.lua"))) << RunLog();
    Capture("short-back-to-menu");
    OpenQuest(2);
    EndCleanly();
}

} // namespace
