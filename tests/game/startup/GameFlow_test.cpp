// The whole game from the build's assets with an empty profile, run by
// GameMain on the null window under a hand clock, and played as a person
// plays it: clicks at the drawn buttons and keys. A new player registers,
// the intro plays once, and every button of the main menu reaches its screen
// and comes back; a quick-play level opens, pause's buttons do their work
// and Main menu ends the game; the quest opens on its map, the first node
// leads through the loading screen to its level and pause offers the medals.
// On a game that also draws (a display kept in memory), a player with
// perfect memory wins each quick-play mode's easy level (the score card,
// Continue, the next level, the menu) and the quest's first node (back to
// the map, the next node open in the profile). The log holds no Lua error
// and no missing file.

#include "game/startup/ShippedGameFixture.h"

#include "framework/core/prefs/TPrefsDB.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/display/TDisplaySetup.h"
#include "framework/ui/manager/TWindowManager.h"
#include "game/board/clsTile.h"
#include "game/progress/dtGameSettings.h"
#include "platform/graphics/null/NullDevice.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowMessage.h"
#include "velk/GameStartup.h"

#include "support/BoardTraceReader.h"
#include "support/StoredQuestMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <deque>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// One thing the player does and what it leads to. The action is done again
// when nothing came of it after its retryMs of game time (a click that fell
// while the curtains still moved), at most kTries times.
struct Step {
    std::string what;
    std::function<void()> act;
    std::function<bool()> done;
    // Game time between two tries of the action.
    uint32_t retryMs = 3000;
};

constexpr int kTries = 5;
// The whole flow's budget of idle waits: far more than it takes.
constexpr int kWaitLimit = 60000;

class GameFlowTest : public ShippedGameFixture {
protected:
    void SetUp() override {
        ShippedGameFixture::SetUp();
        UseBuildAssets(Assets::kLinked);
        // As the program's entry sets the game up: its data tables, the
        // settings object with the player's progress, the board's tiles.
        InstallGameSettings();
        clsTile::InstallAsBoardTileMaker();
        ApplyStartupRecord(MakeGameStartupRecord());
        if (Draws()) {
            // The game draws as on a screen, on a display kept in memory:
            // what finishes once drawn (the particle effects of a won
            // level) finishes here too.
            BuildPlatform()->SetGraphicsBackEnd(std::make_unique<platform::NullGraphicsSystem>());
            mDrawing = true;
        }
        OpenGameWindow();
    }
    // Whether the game draws; without it nothing is drawn, and an effect
    // that ends in its first drawing after its last particle died never
    // ends.
    virtual bool Draws() const { return false; }

    // Every pass: the draws the display recorded are dropped (nobody reads
    // them), and once the game stands the window is told it is not the
    // foreground one, so that it draws five frames a second as a window in
    // the background does rather than one a pass: the ticks are the same.
    void KeepDrawingLight() {
        TRenderer* renderer = TRenderer::Get();
        TDisplaySetup* setup = renderer ? renderer->GetDisplaySetup() : nullptr;
        if (setup && setup->GetDevice())
            static_cast<platform::NullDevice&>(*setup->GetDevice()).ClearDraws();
        if (Top())
            mWindow->SetForegroundAnswer(false);
    }

    TWindowManager* Manager() const { return mApplication->GetWindowManager(); }
    TWindow* Top() const { return Manager()->GetTopModal(); }
    std::string TopName() const {
        TWindow* top = Top();
        return top ? top->GetName().ToStd() : "(none)";
    }
    TWindow* Find(const char* name) const {
        TWindow* top = Top();
        return top ? top->FindChild(TString(name), int32_t{-1}) : nullptr;
    }
    // The first window of the class in the tree, or null.
    static TWindow* OfClass(TWindow* root, const std::string& kind) {
        if (!root)
            return nullptr;
        if (kind == root->GetClassName())
            return root;
        for (TWindow* child : root->GetChildren())
            if (TWindow* found = OfClass(child, kind))
                return found;
        return nullptr;
    }
    // The screen SCRIPT stands on top, made of a window of class KIND.
    bool Shows(const std::string& script, const std::string& kind) const {
        return TopName() == script && (kind.empty() || OfClass(Top(), kind) != nullptr);
    }
    // The main menu stands in the screen with nothing over it and takes
    // clicks (its curtains are open).
    bool MenuReady() const {
        TWindow* top = Top();
        if (!top || top->GetParent())
            return false;
        TWindow* menu = top->FindChild(TString("mainmenu"), int32_t{1});
        TWindow* blocker = menu ? menu->FindChild(TString("btnBlocker"), int32_t{1}) : nullptr;
        return blocker && !blocker->IsVisible();
    }

    // Input as the player gives it, one message per pass of the loop.
    void ClickOn(const char* name) {
        TWindow* window = Find(name);
        if (!window) {
            mProblems.push_back(std::string("no ") + name + " on " + TopName());
            return;
        }
        const TRect rect = window->GetScreenRect();
        ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    }
    void ClickAt(int x, int y) {
        const intptr_t at = platform::MakeLParam(x, y);
        mInput.push_back([this, x, y, at] {
            mWindow->SetPointerPosition(x, y, true);
            mWindow->Inject(platform::kWmMouseMove, 0, at);
        });
        mInput.push_back(
            [this, at] { mWindow->Inject(platform::kWmLButtonDown, platform::kMkLButton, at); });
        mInput.push_back([this, at] { mWindow->Inject(platform::kWmLButtonUp, 0, at); });
    }
    void Key(uint32_t key, char character = 0) {
        mInput.push_back([this, key, character] {
            mWindow->Inject(platform::kWmKeyDown, key);
            if (character)
                mWindow->Inject(platform::kWmChar, static_cast<uintptr_t>(character));
            mWindow->Inject(platform::kWmKeyUp, key);
        });
    }
    void Type(const std::string& text) {
        for (char c : text)
            mInput.push_back(
                [this, c] { mWindow->Inject(platform::kWmChar, static_cast<uintptr_t>(c)); });
    }

    // Plays the steps, then asks to close and answers Yes. True when every
    // step came to what it leads to.
    bool Play(std::vector<Step> steps) {
        steps.push_back({"the close question", [this] { mWindow->Inject(platform::kWmClose); },
                         [this] { return TopName() == "scripts/quit_verify.lua"; }});
        steps.push_back({"Yes ends the game", [this] { Key(platform::kVkReturn, '\r'); },
                         [] { return false; }});
        platform::ManualTimeSource clock(5000);
        platform::ScopedTimeSource scope(clock);
        mClock = &clock;
        size_t next = 0;
        int tries = 0;
        uint32_t actedAt = 0;
        int waits = 0;
        mWindow->SetWaitHook([&](uint32_t timeout) {
            if (mDrawing)
                KeepDrawingLight();
            clock.Advance(std::clamp<uint32_t>(timeout, 1, 16));
            const uint32_t now = clock.NowMs();
            if (++waits > kWaitLimit) {
                mProblems.push_back("the flow ran out of time at: " + steps[next].what);
                mWindow->Inject(platform::kWmQuit);
                return;
            }
            // The screens opened over the main screen, in turn.
            if (Top() && Top()->GetParent() && (mScreens.empty() || mScreens.back() != TopName()))
                mScreens.push_back(TopName());
            if (!mInput.empty()) {
                mInput.front()();
                mInput.pop_front();
                return;
            }
            if (next >= steps.size())
                return;
            if (!mProblems.empty()) {
                mWindow->Inject(platform::kWmQuit);
                next = steps.size();
                return;
            }
            if (tries > 0 && steps[next].done()) {
                mReached.push_back(steps[next].what);
                ++next;
                tries = 0;
                return;
            }
            if (tries == 0 || now - actedAt >= steps[next].retryMs) {
                if (tries == kTries) {
                    TWindow* blocker = Find("btnBlocker");
                    mProblems.push_back(
                        "nothing came of: " + steps[next].what + " (top: " + TopName() +
                        ", input " + (blocker && blocker->IsVisible() ? "blocked" : "open") + ")");
                    mWindow->Inject(platform::kWmQuit);
                    next = steps.size();
                    return;
                }
                ++tries;
                actedAt = now;
                steps[next].act();
            }
        });
        const int code = GameMain(mApplication, "");
        mWindow->SetWaitHook(nullptr);
        mClock = nullptr;
        EXPECT_EQ(code, 0);
        mLog = ReadFile((UserFolder() / "logfile.txt").string());
        return mProblems.empty() && next + 1 >= steps.size();
    }

    // The log's lines that tell of a fault.
    std::string LogFaults() const {
        std::istringstream lines(mLog);
        std::string line, faults;
        while (std::getline(lines, line)) {
            std::string lower = line;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (lower.find("lua error") != std::string::npos ||
                lower.find("missing") != std::string::npos ||
                lower.find("not found") != std::string::npos ||
                lower.find("cannot open") != std::string::npos)
                faults += line + "\n";
        }
        return faults;
    }
    std::string Report() const {
        std::string text = "reached:";
        for (const std::string& step : mReached)
            text += "\n  " + step;
        text += "\nscreens:";
        for (const std::string& screen : mScreens)
            text += " " + screen;
        for (const std::string& problem : mProblems)
            text += "\nproblem: " + problem;
        return text;
    }

    // A menu button: its screen of that class opens, and the way back
    // leads to the menu again.
    void MenuButton(std::vector<Step>& steps, const char* button, const std::string& script,
                    const std::string& kind, std::function<void()> back) {
        steps.push_back({std::string("menu ") + button + " opens " + script,
                         [this, button] { ClickOn(button); },
                         [this, script, kind] { return Shows(script, kind); }});
        steps.push_back({"back from " + script, std::move(back), [this] { return MenuReady(); }});
    }
    std::function<void()> Click(const char* name) {
        return [this, name] { ClickOn(name); };
    }
    // Pause's Main menu, then Yes once the question stands: the menu again.
    Step MainMenuYes(const char* what) {
        return {what,
                [this] {
                    ClickOn("btnMainMenu");
                    mInput.push_back([this] { mYesPending = true; });
                },
                [this] {
                    if (mYesPending && TopName() == "scripts/confirm.lua" && Find("btnYes")) {
                        mYesPending = false;
                        ClickOn("btnYes");
                    }
                    return MenuReady();
                }};
    }
    // An empty profile: the register screen; a name, the girl, OK; the
    // intro, which Skip ends at the menu.
    void FirstStart(std::vector<Step>& steps) {
        steps.push_back({"the register screen", [] {},
                         [this] { return Shows("scripts/register.lua", "wndRegisterUser"); }});
        steps.push_back({"a name and the girl",
                         [this] {
                             Type("Ana");
                             ClickOn("btnAvatar_girl");
                         },
                         [this] { return Find("btnOk") != nullptr; }});
        steps.push_back({"OK plays the intro", Click("btnOk"),
                         [this] { return Shows("scripts/cutscene.lua", "wndCutscene"); }});
        steps.push_back({"Space goes on in the intro", Press(platform::kVkSpace, ' '),
                         [this] { return TopName() == "scripts/cutscene.lua"; }});
        steps.push_back(
            {"Skip ends the intro at the menu", Click("btnSkip"), [this] { return MenuReady(); }});
    }
    // The quest from the menu: the map (its first visit tells what the
    // quest is), node 1, the loading screen, the level and its
    // instructions, closed with OK.
    void QuestNodeOne(std::vector<Step>& steps) {
        steps.push_back({"menu Quest: the map's first visit tells what the quest is",
                         Click("btnQuest"),
                         [this] { return Shows("scripts/quest_panel.lua", "wndQuestPanel"); }});
        steps.push_back({"Continue: the map", Click("btnContinue"), [this] { return MapReady(); }});
        steps.push_back({"node 1 leads to its level",
                         [this] {
                             TWindow* node = Find("mbtn_1");
                             TWindow* button =
                                 node ? node->FindChild(TString("btnMetamap"), int32_t{1})
                                      : nullptr;
                             if (!button)
                                 return mProblems.push_back("no node 1");
                             ClickAtCentre(button);
                         },
                         [this] { return Shows("scripts/game.lua", "wndCorvalo"); }});
        steps.push_back(
            {"the mode's instructions", [] {},
             [this] { return Shows("scripts/instruction_level.lua", "wndInstructionLevel"); }});
        steps.push_back({"OK: the board", Click("btnOk"), [this] { return BoardReady(); }});
    }
    // Quick play from the menu: a mode's easy board through the loading
    // screen.
    void QuickPlayEasy(std::vector<Step>& steps, const char* panelName) {
        steps.push_back({"menu Quick play", Click("btnQuickPlay"),
                         [this] { return Shows("scripts/quickplay.lua", "wndQuickPlay"); }});
        steps.push_back({std::string(panelName) + " easy opens the board",
                         [this, panelName] {
                             TWindow* panel = Find(panelName);
                             TWindow* easy =
                                 panel ? panel->FindChild(TString("btnDifficulty1"), int32_t{1})
                                       : nullptr;
                             if (!easy)
                                 return mProblems.push_back(std::string("no easy in ") + panelName);
                             ClickAtCentre(easy);
                         },
                         [this] { return Shows("scripts/game.lua", "wndCorvalo"); }});
        steps.push_back({"the board takes clicks", [] {}, [this] { return BoardReady(); }});
    }
    void ClickAtCentre(TWindow* window) {
        const TRect r = window->GetScreenRect();
        ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // The world map stands and takes clicks.
    bool MapReady() const {
        TWindow* blocker = Find("btnBlocker");
        return Shows("scripts/worldmap.lua", "wndMetamap") && blocker && !blocker->IsVisible();
    }
    // The board screen takes clicks (its curtains are open).
    bool BoardReady() const {
        TWindow* blocker = Find("btnBlocker");
        return TopName() == "scripts/game.lua" && blocker && !blocker->IsVisible();
    }
    bool PauseOpen() const { return Shows("scripts/pause.lua", "wndPause"); }
    std::function<void()> Press(uint32_t key, char character) {
        return [this, key, character] { Key(key, character); };
    }

    std::deque<std::function<void()>> mInput;
    std::vector<std::string> mScreens;
    std::vector<std::string> mReached;
    std::vector<std::string> mProblems;
    std::string mLog;
    // Main menu was pressed in pause; Yes is pressed once the question stands.
    bool mYesPending = false;
    // The game draws (Draws()).
    bool mDrawing = false;
    // The hand clock while Play runs.
    platform::ManualTimeSource* mClock = nullptr;
};

TEST_F(GameFlowTest, AFreshPlayerReachesEveryScreenAndComesBack) {
    std::vector<Step> steps;
    FirstStart(steps);

    MenuButton(steps, "btnAchievements", "scripts/achievement.lua", "wndAchievements",
               Click("btnBack"));
    MenuButton(steps, "btnCredits", "scripts/credits.lua", "wndCreditsFade", Click("btnBack"));
    MenuButton(steps, "btnInstructions", "scripts/instructions.lua", "wndInstructions",
               Click("btnOk"));
    MenuButton(steps, "btnOptions", "scripts/options.lua", "vlkOptionsDialog", Click("btnOk"));
    MenuButton(steps, "btnChangePlayer", "scripts/changeplayer.lua", "wndChangePlayer",
               Click("btnCancel"));
    MenuButton(steps, "btnMoreGames", "scripts/xsell.lua", "TXSellWindow", Click("btnBack"));
    MenuButton(steps, "btnQuit", "scripts/quit_verify.lua", "", Click("btnNo"));
    steps.push_back({"Community opens the page through the browser", Click("btnCommunity"), [this] {
                         const std::vector<std::string>& calls = mDesktop->Calls();
                         return std::any_of(calls.begin(), calls.end(), [](const std::string& c) {
                             return c.rfind("OpenUrl", 0) == 0;
                         });
                     }});

    const auto boardReady = [this] { return BoardReady(); };
    const auto pauseOpen = [this] { return PauseOpen(); };
    // The quest's first level; pause offers the medals.
    QuestNodeOne(steps);
    steps.push_back({"quest Pause", Click("btnPause"), pauseOpen});
    steps.push_back({"pause Medals", Click("btnAchievements"),
                     [this] { return Shows("scripts/achievement.lua", "wndAchievements"); }});
    steps.push_back({"back to pause", Click("btnBack"), pauseOpen});
    steps.push_back(MainMenuYes("Main menu, Yes: the menu"));
    // Quick play: Classic easy; pause's buttons.
    QuickPlayEasy(steps, "PanelClassic");
    steps.push_back({"Pause", Click("btnPause"), pauseOpen});
    steps.push_back({"pause How to play", Click("btnInstructions"),
                     [this] { return Shows("scripts/instructions.lua", "wndInstructions"); }});
    steps.push_back({"back to pause", Click("btnOk"), pauseOpen});
    steps.push_back({"pause Options", Click("btnOptions"),
                     [this] { return Shows("scripts/options.lua", "vlkOptionsDialog"); }});
    steps.push_back({"back to pause", Click("btnOk"), pauseOpen});
    steps.push_back({"pause Main menu asks first", Click("btnMainMenu"),
                     [this] { return TopName() == "scripts/confirm.lua"; }});
    steps.push_back({"No keeps the game", Click("btnNo"), pauseOpen});
    steps.push_back({"Resume", Click("btnResume"), boardReady});
    steps.push_back({"Pause again", Click("btnPause"), pauseOpen});
    steps.push_back(MainMenuYes("Main menu, Yes: the game ends at the menu"));

    // The intro was the player's first visit only.
    steps.push_back({"no second intro", [] {},
                     [this] {
                         return std::count(mScreens.begin(), mScreens.end(),
                                           "scripts/cutscene.lua") == 1;
                     }});

    EXPECT_TRUE(Play(steps)) << Report();
    EXPECT_EQ(LogFaults(), "") << Report();
    // Both ways into a level pass the loading screen.
    for (const char* chooser : {"scripts/worldmap.lua", "scripts/quickplay.lua"}) {
        const std::vector<std::string> level = {chooser, "scripts/loading.lua", "scripts/game.lua"};
        EXPECT_NE(std::search(mScreens.begin(), mScreens.end(), level.begin(), level.end()),
                  mScreens.end())
            << chooser << ": " << Report();
    }
}

// The same flow, played to a win on a game that draws: a player with perfect
// memory, fed by the board trace the game writes, wins quick play's Classic
// easy level and the quest's first node.
class GameFlowWinTest : public GameFlowTest {
protected:
    void SetUp() override {
        mTracePath = (mRoot.Path() / "board.trace").string();
        setenv("CORVALO_BOARD_TRACE", mTracePath.c_str(), 1);
        GameFlowTest::SetUp();
    }
    void TearDown() override {
        unsetenv("CORVALO_BOARD_TRACE");
        GameFlowTest::TearDown();
    }
    bool Draws() const override { return true; }

    support::TracedBoard Board() const { return support::ParseBoardTrace(ReadFile(mTracePath)); }

    // Each pass: on a still board that takes clicks, the next move of a
    // player who knows every face, once the last one changed the board (or
    // after a while, should a click have fallen through). True once the
    // level is won; a lost level is a problem.
    bool PlayToWin() {
        const std::string text = ReadFile(mTracePath);
        const support::TracedBoard board = support::ParseBoardTrace(text);
        if (!board.read || board.closed || board.none)
            return false;
        if (board.outcome == 1) {
            mWonLevel = board.level;
            return true;
        }
        if (board.outcome == 2) {
            mProblems.push_back("the level was lost after " + std::to_string(mMoves) + " moves");
            return false;
        }
        const uint32_t now = mClock->NowMs();
        if (!board.input || board.busy || !mInput.empty() ||
            (text == mLastMoveOn && now - mMovedAt < kMoveRetryMs))
            return false;
        const std::vector<const support::TracedSlot*> move = support::PerfectMove(board);
        for (const support::TracedSlot* slot : move)
            ClickAt(slot->CentreX(), slot->CentreY());
        if (!move.empty()) {
            mLastMoveOn = text;
            mMovedAt = now;
            ++mMoves;
        }
        return false;
    }
    // The level is won, its score card stands and Continue on it leads on.
    void WinAndContinue(std::vector<Step>& steps, const std::string& what,
                        std::function<bool()> next) {
        Win(steps, what);
        steps.push_back({what + ": the score card", [] {},
                         [this] {
                             TWindow* card = Find("bmpScoreCard");
                             return TopName() == "scripts/game.lua" && card && card->IsVisible() &&
                                    Find("btnContinue");
                         }});
        steps.push_back({what + ": Continue", Click("btnContinue"), std::move(next)});
    }

    void Win(std::vector<Step>& steps, const std::string& what) {
        steps.push_back({what + " is won by a perfect memory", [this] { mMoves = 0; },
                         [this] { return PlayToWin(); }, kLevelMs});
    }
    // Quick play: the next level after a won one, which takes clicks;
    // Pause, Main menu, Yes: the menu.
    void NextLevelThenMenu(std::vector<Step>& steps) {
        steps.push_back({"the next level takes clicks", [] {},
                         [this] {
                             const support::TracedBoard board = Board();
                             return board.level > mWonLevel && board.Playing();
                         },
                         kLevelMs});
        steps.push_back({"Pause", Click("btnPause"), [this] { return PauseOpen(); }});
        steps.push_back(MainMenuYes("Main menu, Yes: the menu"));
    }

    // A number of the first player's profile; -1 when it has none.
    static int StoredInt(const std::string& key) {
        return TPrefsDB(true).GetInt(TString(key.c_str()), -1, 0);
    }

    // The screens the log says were opened, in turn.
    std::vector<std::string> ScreensOpened() const {
        std::vector<std::string> screens;
        std::istringstream lines(mLog);
        const std::string mark = "Screen opened: ";
        for (std::string line; std::getline(lines, line);)
            if (const size_t at = line.find(mark); at != std::string::npos)
                screens.push_back(line.substr(at + mark.size()));
        return screens;
    }
    // Whether `wanted` stands in `screens` in this order, other screens
    // between them.
    static bool InOrder(const std::vector<std::string>& screens,
                        const std::vector<std::string>& wanted) {
        auto at = screens.begin();
        for (const std::string& screen : wanted) {
            at = std::find(at, screens.end(), screen);
            if (at == screens.end())
                return false;
            ++at;
        }
        return true;
    }
    // A quest node of the stored map: locked, not yet shown, completed,
    // best score, lives.
    static std::vector<int> StoredNode(const std::string& map, int node) {
        return support::StoredQuestNode(map, node);
    }

    // A level's budget of game time: far more than a win takes.
    static constexpr uint32_t kLevelMs = 600000;
    // A move again on a board that did not change after it.
    static constexpr uint32_t kMoveRetryMs = 4000;
    std::string mTracePath;
    std::string mLastMoveOn;
    uint32_t mMovedAt = 0;
    int mMoves = 0;
    int mWonLevel = 0;
};

TEST_F(GameFlowWinTest, QuickPlayAndTheQuestsFirstNodeAreWon) {
    std::vector<Step> steps;
    FirstStart(steps);
    // Quick play: Classic easy won, the score card, Continue to the next
    // level; Pause, Main menu, Yes: the menu.
    QuickPlayEasy(steps, "PanelClassic");
    WinAndContinue(steps, "Classic easy", [this] { return Board().level > mWonLevel; });
    NextLevelThenMenu(steps);
    // The quest: node 1 won, Continue leads back to the map.
    QuestNodeOne(steps);
    WinAndContinue(steps, "node 1", [this] { return MapReady(); });

    ASSERT_TRUE(Play(steps)) << Report();
    EXPECT_EQ(LogFaults(), "") << Report();
    const std::vector<std::string> screens = ScreensOpened();
    std::string said;
    for (const std::string& screen : screens)
        said += " " + screen;
    EXPECT_TRUE(
        InOrder(screens, {"scripts/register.lua", "scripts/quickplay.lua", "scripts/loading.lua",
                          "scripts/game.lua", "scripts/pause.lua", "scripts/confirm.lua",
                          "scripts/worldmap.lua", "scripts/loading.lua", "scripts/game.lua",
                          "scripts/worldmap.lua"}))
        << "screens opened:" << said;
    EXPECT_EQ(StoredInt("ClassicUserLevel"), 2) << "quick play's next level kept";
    // The profile keeps the won node, with its score, and opens the next.
    const std::string map = TPrefsDB(true).GetValue(TString("UserMetamap"), TString(""), 0).ToStd();
    const std::vector<int> first = StoredNode(map, 1);
    ASSERT_EQ(first.size(), 5u) << map;
    EXPECT_EQ(first[2], 1) << "node 1 completed: " << map;
    EXPECT_GT(first[3], 0) << "node 1's best score: " << map;
    const std::vector<int> second = StoredNode(map, 2);
    ASSERT_EQ(second.size(), 5u) << map;
    EXPECT_EQ(second[0], 0) << "node 2 open: " << map;
}

// Quick play's other modes, each in a run of its own: the easy level won,
// the score card (Joker goes on to its next level without one), the next
// level, the menu.
struct QuickMode {
    const char* name;
    const char* panel;
    bool scoreCard;
};

// Names the mode in the test's listing.
void PrintTo(const QuickMode& mode, std::ostream* out) {
    *out << mode.name;
}

class GameFlowWinModeTest : public GameFlowWinTest,
                            public ::testing::WithParamInterface<QuickMode> {};

TEST_P(GameFlowWinModeTest, EasyIsWonThenTheMenu) {
    const QuickMode& mode = GetParam();
    std::vector<Step> steps;
    FirstStart(steps);
    QuickPlayEasy(steps, mode.panel);
    const std::string what = std::string(mode.name) + " easy";
    if (mode.scoreCard)
        WinAndContinue(steps, what, [this] { return Board().level > mWonLevel; });
    else
        Win(steps, what);
    NextLevelThenMenu(steps);

    ASSERT_TRUE(Play(steps)) << Report();
    EXPECT_EQ(LogFaults(), "") << Report();
    EXPECT_TRUE(
        InOrder(ScreensOpened(), {"scripts/quickplay.lua", "scripts/loading.lua",
                                  "scripts/game.lua", "scripts/pause.lua", "scripts/confirm.lua"}))
        << Report();
    EXPECT_EQ(StoredInt(std::string(mode.name) + "UserLevel"), 2) << "the next level kept";
}

INSTANTIATE_TEST_SUITE_P(Modes, GameFlowWinModeTest,
                         ::testing::Values(QuickMode{"Blitz", "PanelBlitz", true},
                                           QuickMode{"Strategy", "PanelStrategy", true},
                                           QuickMode{"Rome", "PanelCradleRome", true},
                                           QuickMode{"Joker", "PanelJoker", false}),
                         [](const ::testing::TestParamInfo<QuickMode>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
