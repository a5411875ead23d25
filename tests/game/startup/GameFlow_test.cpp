// The whole game from the build's assets with an empty profile, run by
// GameMain on the null window under a hand clock, and played as a person
// plays it: clicks at the drawn buttons and keys. A new player registers,
// the intro plays once, and every button of the main menu reaches its screen
// and comes back; a quick-play level opens, pause's buttons do their work
// and Main menu ends the game; the quest opens on its map, the first node
// leads through the loading screen to its level and pause offers the medals.
// The log holds no Lua error and no missing file.

#include "game/startup/ShippedGameFixture.h"

#include "framework/ui/manager/TWindowManager.h"
#include "game/board/clsTile.h"
#include "game/progress/dtGameSettings.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowMessage.h"
#include "velk/GameStartup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// One thing the player does and what it leads to. The action is done again
// when nothing came of it after kRetryMs of game time (a click that fell
// while the curtains still moved), at most kTries times.
struct Step {
    std::string what;
    std::function<void()> act;
    std::function<bool()> done;
};

constexpr uint32_t kRetryMs = 3000;
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
        OpenGameWindow();
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
        size_t next = 0;
        int tries = 0;
        uint32_t actedAt = 0;
        int waits = 0;
        mWindow->SetWaitHook([&](uint32_t timeout) {
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
            if (tries > 0 && steps[next].done()) {
                mReached.push_back(steps[next].what);
                ++next;
                tries = 0;
                return;
            }
            if (tries == 0 || now - actedAt >= kRetryMs) {
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
};

TEST_F(GameFlowTest, AFreshPlayerReachesEveryScreenAndComesBack) {
    std::vector<Step> steps;
    // An empty profile: the register screen; a name, the girl, OK.
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

    const auto boardReady = [this] {
        TWindow* blocker = Find("btnBlocker");
        return TopName() == "scripts/game.lua" && blocker && !blocker->IsVisible();
    };
    const auto pauseOpen = [this] { return Shows("scripts/pause.lua", "wndPause"); };
    // The quest: the map (its first visit tells what the quest is), the
    // first node, the loading screen, the level; pause offers the medals.
    steps.push_back({"menu Quest: the map's first visit tells what the quest is", Click("btnQuest"),
                     [this] { return Shows("scripts/quest_panel.lua", "wndQuestPanel"); }});
    steps.push_back({"Continue: the map", Click("btnContinue"), [this] {
                         TWindow* blocker = Find("btnBlocker");
                         return Shows("scripts/worldmap.lua", "wndMetamap") && blocker &&
                                !blocker->IsVisible();
                     }});
    steps.push_back({"node 1 leads to its level",
                     [this] {
                         TWindow* node = Find("mbtn_1");
                         TWindow* button =
                             node ? node->FindChild(TString("btnMetamap"), int32_t{1}) : nullptr;
                         if (!button)
                             return mProblems.push_back("no node 1");
                         const TRect r = button->GetScreenRect();
                         ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                     },
                     [this] { return Shows("scripts/game.lua", "wndCorvalo"); }});
    steps.push_back(
        {"the mode's instructions", [] {},
         [this] { return Shows("scripts/instruction_level.lua", "wndInstructionLevel"); }});
    steps.push_back({"OK: the board", Click("btnOk"), boardReady});
    steps.push_back({"quest Pause", Click("btnPause"), pauseOpen});
    steps.push_back({"pause Medals", Click("btnAchievements"),
                     [this] { return Shows("scripts/achievement.lua", "wndAchievements"); }});
    steps.push_back({"back to pause", Click("btnBack"), pauseOpen});
    steps.push_back(MainMenuYes("Main menu, Yes: the menu"));
    // Quick play: Classic easy, through the loading screen to the board.
    steps.push_back({"menu Quick play", Click("btnQuickPlay"),
                     [this] { return Shows("scripts/quickplay.lua", "wndQuickPlay"); }});
    steps.push_back({"Classic easy opens the board",
                     [this] {
                         TWindow* panel = Find("PanelClassic");
                         TWindow* easy =
                             panel ? panel->FindChild(TString("btnDifficulty1"), int32_t{1})
                                   : nullptr;
                         if (!easy)
                             return mProblems.push_back("no Classic easy");
                         const TRect r = easy->GetScreenRect();
                         ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                     },
                     [this] { return Shows("scripts/game.lua", "wndCorvalo"); }});
    steps.push_back({"the board takes clicks", [] {}, boardReady});
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

} // namespace
