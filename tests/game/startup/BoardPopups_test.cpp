// The board screen's pop-up scripts and the score card from the build's
// assets, run by GameMain on the null window with a main script of the
// test's own: the pause pop-up holds "pause" at 1 while it is open and puts
// it back on each way out and offers the achievement board only in quest
// play; the lose-life pop-up shows the hearts left, the lost one breaking; the
// score card, built by a real top panel, shows its values and Continue
// clears it and ends the level.

#include "game/startup/ShippedGameFixture.h"

#include "framework/host/TGameState.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TText.h"
#include "game/board/topCorvalo.h"
#include "game/state/dtUserState.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowMessage.h"
#include "velk/GameStartup.h"
#include "velk/globals/GameGlobals.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class BoardPopupsTest : public ShippedGameFixture {
protected:
    void SetUp() override {
        ShippedGameFixture::SetUp();
        // The test writes main.lua over the game's.
        UseBuildAssets(Assets::kCopied);
        OpenGameWindow();
    }

    // Runs the game with a main script whose coroutine runs `body`, then
    // ends the game. `step` is called at each idle wait with the top
    // modal's name until it returns true for the last time (it counts its
    // own phases).
    void RunGame(const std::string& body, const std::function<void()>& step) {
        WriteAsset("scripts/main.lua",
                   "gQuitVerifyActive = 0\n"
                   "gCurrentDefaultStyle = { font = { 'loc/en/font/helsinki.mvec', 22, "
                   "{ 0, 0, 0, 1 } } }\n"
                   "SetState(kPause, false)\n"
                   "return function()\n" +
                       body +
                       "\n    PostMessage(CreateNamedMessage(kQuitNow, ''))\n"
                       "    while true do WaitForMessage() end\nend\n");
        platform::ManualTimeSource clock(5000);
        platform::ScopedTimeSource scope(clock);
        int waits = 0;
        mWindow->SetWaitHook([&](uint32_t timeout) {
            clock.Advance(timeout ? timeout : 1);
            if (++waits > 3000) {
                mWindow->Inject(platform::kWmQuit);
                return;
            }
            step();
        });
        EXPECT_EQ(GameMain(mApplication, ""), 0);
        mWindow->SetWaitHook(nullptr);
        const std::string log = ReadFile((UserFolder() / "logfile.txt").string());
        EXPECT_LE(waits, 3000) << "the game did not end by itself; top: " << TopModal() << "\n"
                               << log;
        EXPECT_EQ(log.find("Lua error"), std::string::npos) << log;
    }

    TWindowManager* Manager() const { return mApplication->GetWindowManager(); }
    std::string TopModal() const {
        TWindow* top = Manager()->GetTopModal();
        return top ? top->GetName().ToStd() : "(none)";
    }
    TWindow* Find(const char* name) const {
        TWindow* top = Manager()->GetTopModal();
        return top ? top->FindChild(TString(name), int32_t{-1}) : nullptr;
    }
    std::string TextOf(const char* name) const {
        TWindow* window = Find(name);
        if (!window || !window->IsKindOf(TText::GetClassId()))
            return "(no text " + std::string(name) + ")";
        return static_cast<TText*>(window)->GetText().ToStd();
    }
    static std::string Pause() {
        TGameState* states = TGameState::GetInstance();
        return states ? states->GetState(TString("pause")).ToStd() : "(no registry)";
    }
    std::string Global(const char* name) const {
        return GetGameScript()->GetGlobalString(name).ToStd();
    }
    void Key(uint32_t key, char character) {
        mWindow->Inject(platform::kWmKeyDown, key);
        mWindow->Inject(platform::kWmChar, static_cast<uintptr_t>(character));
    }
    // A press of a button of the top modal, as a click ends it.
    void Press(const char* name) {
        auto* button = dynamic_cast<TButton*>(Find(name));
        ASSERT_NE(nullptr, button) << name;
        button->Press();
    }
};

TEST_F(BoardPopupsTest, PauseHoldsThePauseStateWhileOpenAndResetsItOnEveryWayOut) {
    // The pop-up opens three times; each time it is left another way.
    const std::function<void()> ways[] = {
        [this] { Key(platform::kVkReturn, '\r'); },
        [this] { Key(platform::kVkEscape, 27); },
        [this] { Press("btnMainMenu"); },
    };
    std::vector<std::string> whileOpen;
    std::vector<std::string> achievements;
    // Main menu asks first; the question holds the pause too.
    std::string pauseWhileAsked;
    std::pair<int32_t, int32_t> veilSize;
    RunGame("    gAfter = ''\n"
            "    for i = 1, 3 do\n"
            "        gGameStyle = i == 2 and 'quest' or 'quick'\n"
            "        DoModal('scripts/pause.lua')\n"
            "        gAfter = gAfter .. GetState(kPause)\n"
            "    end\n",
            [&] {
                // A pop-up dealt with loses its Resume's name.
                if (TopModal() == "scripts/pause.lua" && Find("btnResume") &&
                    whileOpen.size() < 3) {
                    Find("btnResume")->SetName(TString("handled"));
                    whileOpen.push_back(Pause());
                    const bool on = Find("btnAchievements") && Find("btnAchievements")->IsVisible();
                    const bool off = Find("btnAchievementsDisabled") &&
                                     Find("btnAchievementsDisabled")->IsVisible();
                    achievements.push_back(on ? (off ? "both" : "on") : (off ? "off" : "none"));
                    ways[whileOpen.size() - 1]();
                } else if (TopModal() == "scripts/confirm.lua" && Find("btnYes")) {
                    // The question's veil darkens the whole screen below it.
                    if (TWindow* veil = Find("bmpPanelBlack"))
                        veilSize = {veil->GetWidth(), veil->GetHeight()};
                    Find("btnYes")->SetName(TString("handled"));
                    pauseWhileAsked = Pause();
                    auto* yes = dynamic_cast<TButton*>(Find("handled"));
                    ASSERT_NE(nullptr, yes);
                    yes->Press();
                }
            });
    EXPECT_EQ((std::vector<std::string>{"1", "1", "1"}), whileOpen);
    EXPECT_EQ((std::vector<std::string>{"off", "on", "off"}), achievements);
    EXPECT_EQ("1", pauseWhileAsked) << "Main menu did not ask first";
    EXPECT_GE(veilSize.first, 1024);
    EXPECT_GE(veilSize.second, 768);
    EXPECT_EQ("000", Global("gAfter"));
}

TEST_F(BoardPopupsTest, LoseLifeShowsTheHeartsLeftOrTheEndOfTheGame) {
    std::vector<int> hearts;
    std::vector<bool> gameOver;
    std::vector<std::string> titles;
    RunGame("    for _, lives in ipairs({ 2, 1, 0 }) do\n"
            "        gLifeCount = lives\n"
            "        DoModal('scripts/lose_life.lua')\n"
            "    end\n",
            [&] {
                // A pop-up dealt with loses its OK's name.
                if (TopModal() == "scripts/lose_life.lua" && Find("btnOk")) {
                    Find("btnOk")->SetName(TString("handled"));
                    int shown = 0;
                    for (const char* name : {"bmp1", "bmp2", "bmp3"})
                        shown += Find(name) && Find(name)->IsVisible();
                    hearts.push_back(shown);
                    gameOver.push_back(Find("lblGameOver") && Find("lblGameOver")->IsVisible());
                    titles.push_back(TextOf("lblTitle"));
                    Key(platform::kVkReturn, '\r');
                }
            });
    EXPECT_EQ((std::vector<int>{2, 1, 0}), hearts);
    EXPECT_EQ((std::vector<bool>{false, false, true}), gameOver);
    EXPECT_EQ((std::vector<std::string>{"You lost a life!", "You lost a life!", "Game over"}),
              titles);
}

TEST_F(BoardPopupsTest, TheScoreCardShowsItsValuesAndContinueClearsItAndEndsTheLevel) {
    WriteAsset(
        "scripts/card_host.lua",
        "MakeDialog { topCorvalo { name = 'topCorvalo', x = 0, y = 0, w = 1024, h = 768 } }\n");
    dtUserState user;
    user.level = 7;
    user.levelScore = 1500;
    user.bestCombo = 12;
    int phase = 0;
    std::string title, score, total, combo;
    bool avatarSpot = false;
    RunGame("    gEnded = 0\n"
            "    function onEndLevel() gEnded = gEnded + 1 end\n"
            "    gVeil = ''\n"
            "    function showAlphaBackground(show) gVeil = gVeil .. tostring(show) .. ' ' end\n"
            "    DoModal('scripts/card_host.lua')\n",
            [&] {
                auto* panel = dynamic_cast<topCorvalo*>(Find("topCorvalo"));
                if (!panel)
                    return;
                if (phase == 0) {
                    panel->SetUserState(&user);
                    panel->SetTotalScore(42000);
                    panel->ShowScoreCard();
                    phase = 1;
                } else if (phase == 1 && panel->GetCard() && !panel->IsMoving()) {
                    title = TextOf("Level Complete1");
                    score = TextOf("lblScore");
                    total = TextOf("lblTotalScore");
                    combo = TextOf("lblBestCombo");
                    avatarSpot = Find("Avatar") != nullptr;
                    Press("btnContinue");
                    phase = 2;
                } else if (phase == 2 && !panel->GetCard() && Global("gEnded") == "1") {
                    GetGameScript()->DoLuaString("CloseWindow()");
                    phase = 3;
                }
            });
    EXPECT_EQ(3, phase);
    EXPECT_EQ("Level 7 complete!", title);
    EXPECT_EQ("1500", score);
    EXPECT_EQ("42000", total);
    EXPECT_EQ("12", combo);
    EXPECT_TRUE(avatarSpot);
    // The veil: hidden as the panel starts, shown with the card.
    EXPECT_EQ("false true ", Global("gVeil"));
}

} // namespace
