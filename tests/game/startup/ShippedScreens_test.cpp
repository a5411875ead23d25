// The game's own start-up scripts and first screens, from the build's
// assets folder, run by GameMain on the null window: with a player the main
// menu opens with the player's name, a close request asks the quit
// question, and Enter on it (Yes) ends the game; without one the register
// screen comes first.

#include "game/startup/ShippedGameFixture.h"

#include "framework/core/prefs/TPrefsDB.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/widgets/TText.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowMessage.h"
#include "velk/GameStartup.h"
#include "velk/globals/GameGlobals.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ShippedScreensTest : public ShippedGameFixture {
protected:
    void SetUp() override {
        ShippedGameFixture::SetUp();
        UseBuildAssets(Assets::kLinked);
        OpenGameWindow();
    }

    TWindowManager* Manager() const { return mApplication->GetWindowManager(); }
    std::string TopModal() const {
        TWindow* top = Manager()->GetTopModal();
        return top ? top->GetName().ToStd() : "(none)";
    }
    // The main menu standing in the screen, or null.
    TWindow* Menu() const {
        TWindow* top = Manager()->GetTopModal();
        return top ? top->FindChild(TString("mainmenu"), int32_t{1}) : nullptr;
    }
    std::string TextOf(const char* name) const {
        TWindow* top = Manager()->GetTopModal();
        TWindow* window = top ? top->FindChild(TString(name), int32_t{-1}) : nullptr;
        if (!window || !window->IsKindOf(TText::GetClassId()))
            return "(no text " + std::string(name) + ")";
        return static_cast<TText*>(window)->GetText().ToStd();
    }
};

TEST_F(ShippedScreensTest, TheMenuOpensAndClosingAsksBeforeYesEndsTheGame) {
    {
        TPrefsDB prefs(true);
        prefs.SetValue(TString("vlkName"), TString("Ann"), 0, true);
        prefs.SetInt(TString("vlkUser"), 0, -1, true);
        // Ann has seen the intro.
        prefs.SetInt(TString("vlkFirstTime"), 1, 0, true);
    }
    platform::ManualTimeSource clock(5000);
    platform::ScopedTimeSource scope(clock);
    // Each idle wait moves the clock on by the time asked, so the screens'
    // tasks run; what happens next waits until the screen it needs stands.
    int phase = 0;
    int waits = 0;
    std::string firstScreen, player;
    double guardWhileAsking = -1;
    mWindow->SetWaitHook([&](uint32_t timeout) {
        clock.Advance(timeout ? timeout : 1);
        if (++waits > 2000) {
            // Still running: end it, the checks below tell why.
            mWindow->Inject(platform::kWmQuit);
            return;
        }
        if (phase == 0 && Menu()) {
            firstScreen = Menu()->GetClassName();
            player = TextOf("lblUserName");
            mWindow->Inject(platform::kWmClose);
            phase = 1;
        } else if (phase == 1 && TopModal() == "scripts/quit_verify.lua") {
            guardWhileAsking = GetGameScript()->GetGlobalNumber("gQuitVerifyActive");
            // Enter presses the question's default button, Yes.
            mWindow->Inject(platform::kWmKeyDown, platform::kVkReturn);
            mWindow->Inject(platform::kWmChar, '\r');
            phase = 2;
        }
    });
    EXPECT_EQ(GameMain(mApplication, ""), 0);
    mWindow->SetWaitHook(nullptr);
    EXPECT_EQ(firstScreen, "wndMainMenu");
    EXPECT_EQ(player, "Ann");
    EXPECT_EQ(phase, 2) << "the question did not come";
    EXPECT_EQ(guardWhileAsking, 1.0);
    EXPECT_LE(waits, 2000) << "Yes did not end the game";
    const std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    EXPECT_EQ(log.find("Lua error"), std::string::npos) << log;
    EXPECT_EQ(log.find("Lua Error"), std::string::npos) << log;
}

TEST_F(ShippedScreensTest, WithoutPlayersTheRegisterScreenComesFirst) {
    platform::ManualTimeSource clock(5000);
    platform::ScopedTimeSource scope(clock);
    int waits = 0;
    std::string firstScreen;
    mWindow->SetWaitHook([&](uint32_t timeout) {
        clock.Advance(timeout ? timeout : 1);
        if (firstScreen.empty() && TopModal() != "(none)" && !Menu())
            firstScreen = TopModal();
        if (++waits > 500 || !firstScreen.empty())
            mWindow->Inject(platform::kWmQuit);
    });
    EXPECT_EQ(GameMain(mApplication, ""), 0);
    mWindow->SetWaitHook(nullptr);
    EXPECT_EQ(firstScreen, "scripts/register.lua");
    const std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    EXPECT_EQ(log.find("Lua error"), std::string::npos) << log;
    EXPECT_EQ(log.find("Lua Error"), std::string::npos) << log;
}

} // namespace
