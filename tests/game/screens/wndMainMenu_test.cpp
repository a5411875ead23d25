// The main menu on a hand clock: the figure greets, stands five to ten
// seconds and greets again; everything stands still while the application
// is inactive; the curtains disable and enable the buttons and the closing
// one ends in one "closeMainMenu()".

#include "game/screens/wndMainMenu.h"

#include "framework/core/prefs/TPrefsDB.h"
#include "framework/host/TGameState.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/ui/widgets/TText.h"
#include "game/screens/ScreenCurtain.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "support/LogText.h"
#include "velk/display/vlkClip.h"
#include "velk/game/GameTuning.h"

#include "ScreenFixture.h"

#include <string>

namespace {

class MainMenuTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        WriteCurtain("anim/curtainsopen.xml", 400);
        WriteCurtain("anim/curtainsclose.xml", 400);
        UseAnimations({"anim_avatar_boy_stand", "anim_avatar_boy_greeting",
                       "anim_avatar_girl_stand", "anim_avatar_girl_greeting",
                       "anim_avatar_dog_stand", "anim_avatar_dog_greeting", "anim_avatar_cat_stand",
                       "anim_avatar_cat_greeting"});
        SpyOn({"DisableAllButtons", "EnableAllButtons", "closeMainMenu"});
        TGameState::GetInstance()->SetState(TString("WindowActivated"), TString("1"));
    }

    wndMainMenu* MakeMenu() {
        auto* menu = Make<wndMainMenu>(
            wndMainMenu::Create,
            "name = 'menu', w = 1024, h = 768, avatar_boy = { x = 100, y = 200 },"
            "avatar_girl = { x = 110, y = 210 }, avatar_dog = { x = 120, y = 220 },"
            "avatar_cat = { x = 130, y = 230 }",
            screen, false);
        Make<TText>(TText::Create, "name = 'lblUserName', w = 300, h = 40", menu);
        PostInit(menu);
        return menu;
    }
    // Moves the clock and the menu on in 16 ms steps, the figure's script
    // with them.
    void Advance(wndMainMenu* menu, uint32_t ms) {
        for (uint32_t done = 0; done < ms; done += 16) {
            clock.Advance(16);
            RunTasks();
            menu->Step(16);
        }
    }
    // The name of the animation the figure shows.
    static std::string Showing(const wndMainMenu* menu) {
        const auto& sprite = menu->GetFigure()->GetAnimatedSprite();
        return sprite && sprite->GetAnimatedTexture() ? "set" : "none";
    }

    platform::ManualTimeSource clock{10000};
    platform::ScopedTimeSource scope{clock};
};

TEST_F(MainMenuTest, TheFigureGreetsThenStandsFiveToTenSecondsThenGreetsAgain) {
    wndMainMenu* menu = MakeMenu();
    ASSERT_NE(nullptr, menu->GetFigure());
    EXPECT_EQ(wndMainMenu::kGreeting, menu->GetAvatarState());
    EXPECT_EQ("set", Showing(menu));
    EXPECT_EQ(100.0f, menu->GetFigure()->GetX());
    EXPECT_EQ(200.0f, menu->GetFigure()->GetY());
    // The greeting plays to its end (four frames of 60 ms), then the figure
    // stands.
    int steps = 0;
    while (menu->GetAvatarState() == wndMainMenu::kGreeting && steps < 100) {
        Advance(menu, 16);
        ++steps;
    }
    ASSERT_EQ(wndMainMenu::kStanding, menu->GetAvatarState());
    EXPECT_GE(steps * 16, 240);
    EXPECT_LE(steps * 16, 320);
    const int stand = menu->GetStandTimeLeft();
    EXPECT_GE(stand, 5000);
    EXPECT_LE(stand, 9999);
    // It greets again once that time has passed, not before.
    Advance(menu, static_cast<uint32_t>(stand - 32));
    EXPECT_EQ(wndMainMenu::kStanding, menu->GetAvatarState());
    Advance(menu, 48);
    EXPECT_EQ(wndMainMenu::kGreeting, menu->GetAvatarState());
}

TEST_F(MainMenuTest, WhileInactiveTheFigureAndItsTimerStandStill) {
    wndMainMenu* menu = MakeMenu();
    Advance(menu, 400);
    ASSERT_EQ(wndMainMenu::kStanding, menu->GetAvatarState());
    const int left = menu->GetStandTimeLeft();
    TGameState::GetInstance()->SetState(TString("WindowActivated"), TString("0"));
    SpyOn({"DisableAllButtons", "EnableAllButtons", "closeMainMenu"});
    ASSERT_TRUE(Run("gfn_animClose()"));
    Advance(menu, 20000);
    // The curtain stands still too.
    EXPECT_EQ("DisableAllButtons", Calls());
    EXPECT_TRUE(menu->IsPaused());
    EXPECT_EQ(wndMainMenu::kStanding, menu->GetAvatarState());
    EXPECT_EQ(left, menu->GetStandTimeLeft());
    EXPECT_FALSE(menu->GetFigure()->GetAnimatedSprite()->IsPlaying(0));
    TGameState::GetInstance()->SetState(TString("WindowActivated"), TString("1"));
    Advance(menu, 16);
    EXPECT_FALSE(menu->IsPaused());
    EXPECT_EQ(left - 16, menu->GetStandTimeLeft());
    Advance(menu, 400);
    EXPECT_EQ("DisableAllButtons,closeMainMenu", Calls());
}

TEST_F(MainMenuTest, TheCurtainsDisableAndEnableAndTwoClosesEndInOneCloseMainMenu) {
    wndMainMenu* menu = MakeMenu();
    // The menu opens behind its curtain with the buttons disabled.
    EXPECT_EQ("DisableAllButtons", Calls());
    ASSERT_NE(nullptr, menu->GetOpeningCurtain());
    Advance(menu, 240);
    EXPECT_EQ("DisableAllButtons,EnableAllButtons", Calls());
    EXPECT_EQ(nullptr, menu->GetOpeningCurtain());

    SpyOn({"DisableAllButtons", "EnableAllButtons", "closeMainMenu"});
    ASSERT_TRUE(Run("gfn_animClose()"));
    Advance(menu, 112);
    // Halfway down a second close starts the same curtain from the top.
    const ScreenCurtain* closing = menu->GetClosingCurtain();
    ASSERT_NE(nullptr, closing);
    ASSERT_TRUE(Run("gfn_animClose()"));
    EXPECT_EQ(closing, menu->GetClosingCurtain());
    Advance(menu, 112);
    EXPECT_EQ("DisableAllButtons,DisableAllButtons", Calls()) << "ended too early";
    Advance(menu, 400);
    EXPECT_EQ("DisableAllButtons,DisableAllButtons,closeMainMenu", Calls());
    EXPECT_EQ(nullptr, menu->GetClosingCurtain());
}

TEST_F(MainMenuTest, ACurtainThatDoesNotLoadCountsAsFinished) {
    std::filesystem::remove(mGame / "assets" / "anim" / "curtainsopen.xml");
    std::filesystem::remove(mGame / "assets" / "anim" / "curtainsclose.xml");
    wndMainMenu* menu = MakeMenu();
    Advance(menu, 16);
    EXPECT_EQ("DisableAllButtons,EnableAllButtons", Calls());
    ASSERT_TRUE(Run("gfn_animClose()"));
    Advance(menu, 16);
    EXPECT_EQ("DisableAllButtons,EnableAllButtons,DisableAllButtons,closeMainMenu", Calls());
    EXPECT_NE(support::ReadLogText().find("anim/curtainsclose.xml\" did not load"),
              std::string::npos);
}

TEST_F(MainMenuTest, UpdateDataShowsTheCurrentPlayerAndTheCatAtItsPlace) {
    wndMainMenu* menu = MakeMenu();
    ASSERT_TRUE(Run("qvd_createNewUser('Ann')"));
    ASSERT_TRUE(Run("qvd_createNewUser('Bob')"));
    ASSERT_TRUE(Run("qvd_setCurrentUserInt('UserAvatar', 3)"));
    Advance(menu, 400);
    ASSERT_TRUE(Run("gfn_updateData()"));
    EXPECT_EQ(3, menu->GetAvatar());
    EXPECT_EQ(wndMainMenu::kGreeting, menu->GetAvatarState());
    EXPECT_EQ(130.0f, menu->GetFigure()->GetX());
    EXPECT_EQ(230.0f, menu->GetFigure()->GetY());
    auto* name = static_cast<TText*>(menu->FindChild(TString("lblUserName"), int32_t{3}));
    EXPECT_EQ("Bob", name->GetText().ToStd());
    EXPECT_EQ(TString("anim_avatar_cat_greeting"),
              wndMainMenu::AvatarAnimationName(3, wndMainMenu::kGreeting));
    EXPECT_TRUE(wndMainMenu::AvatarAnimationName(4, wndMainMenu::kGreeting).IsEmpty());
    EXPECT_TRUE(wndMainMenu::AvatarAnimationName(0, 3).IsEmpty());
}

TEST_F(MainMenuTest, TheFirstStartFlagIsThePlayersUntilCleared) {
    MakeMenu();
    ASSERT_TRUE(Run("qvd_createNewUser('Ann')"));
    ASSERT_TRUE(Run("gFirst = gfn_isPlayerFirstTime()"));
    EXPECT_EQ("?", Global("gFirst")) << "not a boolean true";
    ASSERT_TRUE(Run("gFirst = tostring(gfn_isPlayerFirstTime())"));
    EXPECT_EQ("true", Global("gFirst"));
    ASSERT_TRUE(Run("gfn_clearPlayerFirstTime()"));
    ASSERT_TRUE(Run("gFirst = tostring(gfn_isPlayerFirstTime())"));
    EXPECT_EQ("false", Global("gFirst"));
    // A second player starts with the flag of their own.
    ASSERT_TRUE(Run("qvd_createNewUser('Bob')"));
    ASSERT_TRUE(Run("gFirst = tostring(gfn_isPlayerFirstTime())"));
    EXPECT_EQ("true", Global("gFirst"));
}

TEST_F(MainMenuTest, PostOpensTheGamesPageInTheBrowser) {
    MakeMenu();
    const TGameTuning saved = gGameTuning;
    const struct {
        const char* address;
        bool opened;
    } cases[] = {{"https://example.org/corvalo", true}, {"", false}, {"file:///etc/passwd", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        mDesktop->ClearCalls();
        const size_t before = mDesktop->OpenedLinks().size();
        gGameTuning.game.facebook = TString(c.address);
        ASSERT_TRUE(Run("gfn_post()"));
        ASSERT_EQ(1u, mDesktop->Calls().size());
        EXPECT_EQ(std::string("OpenUrl ") + c.address, mDesktop->Calls()[0]);
        EXPECT_EQ(before + (c.opened ? 1 : 0), mDesktop->OpenedLinks().size());
    }
    gGameTuning = saved;
}

} // namespace
