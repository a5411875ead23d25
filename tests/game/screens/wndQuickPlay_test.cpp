// The quick play screen: the difficulties the player has opened, the tip
// over the difficulty under the pointer, and the curtains: Back and Play
// wait for the opening one, Play ends in "closeQuickPlay()" and Back in
// the way back to the menu.

#include "game/screens/wndQuickPlay.h"

#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TText.h"
#include "game/screens/clsPanelModeGame.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "velk/globals/GameGlobals.h"

#include "ScreenFixture.h"

#include <string>

namespace {

class QuickPlayTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        WriteCurtain("anim/curtainsopen.xml", 400);
        WriteCurtain("anim/curtainsclose.xml", 400);
        ClearNameRegistry();
        InitFileSystem();
        SpyOn({"DisableAllButtons", "EnableAllButtons", "closeQuickPlay"});
        AddPlayer("Ann");
    }
    // The screen with the five panels; the tip positions as given (Lua
    // list text).
    wndQuickPlay* MakeScreen(const std::string& positions) {
        auto* quick = Make<wndQuickPlay>(wndQuickPlay::Create,
                                         "name = 'quick', ToolTip_Position = {" + positions + "}",
                                         screen, false);
        for (const char* panelName :
             {"PanelClassic", "PanelBlitz", "PanelStrategy", "PanelCradleRome", "PanelJoker"}) {
            auto* panel = Make<clsPanelModeGame>(clsPanelModeGame::Create,
                                                 std::string("name = '") + panelName +
                                                     "', st_easy = 1, st_medium = 1, st_hard = 1",
                                                 quick, false);
            for (int d = 1; d <= 3; ++d) {
                Make<TButton>(TButton::Create, "name = 'btnDifficulty" + std::to_string(d) + "'",
                              panel);
                Make<TImage>(TImage::Create,
                             "name = 'bmpDifficulty" + std::to_string(d) + "_lock1'", panel);
            }
            PostInit(panel);
        }
        TWindow* tip =
            Make<TWindow>(TWindow::Create, "name = 'gpxToolTip', w = 100, h = 40", quick);
        Make<TText>(TText::Create, "name = 'txtScore', label = '#', w = 100, h = 40", tip);
        PostInit(quick);
        return quick;
    }
    static std::string Positions() {
        std::string list;
        for (int i = 0; i < 15; ++i)
            list += std::to_string(100 + i) + ", " + std::to_string(200 + i) + ", ";
        return list;
    }
    clsPanelModeGame* Panel(TWindow* quick, const char* name) {
        return static_cast<clsPanelModeGame*>(quick->FindChild(TString(name), int32_t{-1}));
    }
    TButton* Difficulty(TWindow* quick, const char* panel, int d) {
        return Panel(quick, panel)->GetDifficulties()[static_cast<size_t>(d)]->button;
    }
    void Advance(wndQuickPlay* quick, uint32_t ms) {
        for (uint32_t done = 0; done < ms; done += 16) {
            clock.Advance(16);
            quick->Step(16);
        }
    }
    static std::string TipText(TWindow* quick) {
        return static_cast<TText*>(quick->FindChild(TString("txtScore"), int32_t{-1}))
            ->GetText()
            .ToStd();
    }

    platform::ManualTimeSource clock{10000};
    platform::ScopedTimeSource scope{clock};
};

TEST_F(QuickPlayTest, MediumOpensWithBitTwoAndHardWithBitFour) {
    Run("qvd_setCurrentUserInt('UserDiffBlitz', 6); qvd_setCurrentUserInt('UserDiffJoker', 4)");
    wndQuickPlay* quick = MakeScreen(Positions());
    EXPECT_EQ(2, GameStyleCode);
    const struct {
        const char* panel;
        bool easy, medium, hard; // locked
    } cases[] = {{"PanelBlitz", false, false, false},
                 {"PanelJoker", false, true, false},
                 {"PanelClassic", false, true, true},
                 {"PanelStrategy", false, true, true},
                 {"PanelCradleRome", false, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.panel);
        clsPanelModeGame* panel = Panel(quick, c.panel);
        EXPECT_EQ(c.easy, panel->IsDifficultyLocked(0));
        EXPECT_EQ(c.medium, panel->IsDifficultyLocked(1));
        EXPECT_EQ(c.hard, panel->IsDifficultyLocked(2));
        EXPECT_EQ(!c.medium, Difficulty(quick, c.panel, 1)->IsVisible());
    }
}

TEST_F(QuickPlayTest, TheTipFollowsTheDifficultyUnderThePointer) {
    Run("qvd_setCurrentUserInt('UserHighScoreBlitzSmall', 1234);"
        "qvd_setCurrentUserInt('UserHighScoreJokerLarge', 77)");
    wndQuickPlay* quick = MakeScreen(Positions());
    TWindow* tip = quick->FindChild(TString("gpxToolTip"), int32_t{1});
    EXPECT_FALSE(tip->IsVisible());
    ASSERT_EQ(15u, quick->GetToolTipPositions().size());

    Difficulty(quick, "PanelBlitz", 0)->SetState(TButton::kRollover);
    for (int i = 0; i < 5; ++i)
        Advance(quick, 16);
    EXPECT_EQ(3, quick->GetToolTipIndex());
    EXPECT_EQ(1, quick->GetToolTipChanges()) << "set once while the pointer stays";
    EXPECT_TRUE(tip->IsVisible());
    EXPECT_EQ("1234", TipText(quick));
    EXPECT_EQ(103, tip->GetRect().left);
    EXPECT_EQ(203, tip->GetRect().top);

    Difficulty(quick, "PanelBlitz", 0)->SetState(TButton::kNormal);
    Difficulty(quick, "PanelJoker", 2)->SetState(TButton::kRollover);
    Advance(quick, 16);
    EXPECT_EQ(14, quick->GetToolTipIndex());
    EXPECT_EQ(2, quick->GetToolTipChanges());
    EXPECT_EQ("77", TipText(quick));
    EXPECT_EQ(114, tip->GetRect().left);

    Difficulty(quick, "PanelJoker", 2)->SetState(TButton::kNormal);
    Advance(quick, 16);
    EXPECT_EQ(wndQuickPlay::kNoTip, quick->GetToolTipIndex());
    EXPECT_FALSE(tip->IsVisible());
}

TEST_F(QuickPlayTest, ADifficultyWithoutATipPlaceKeepsTheTipWhereItIs) {
    wndQuickPlay* quick = MakeScreen("10, 20, 30, 40");
    ASSERT_EQ(2u, quick->GetToolTipPositions().size());
    TWindow* tip = quick->FindChild(TString("gpxToolTip"), int32_t{1});
    Difficulty(quick, "PanelClassic", 1)->SetState(TButton::kRollover);
    Advance(quick, 16);
    EXPECT_EQ(30, tip->GetRect().left);
    Difficulty(quick, "PanelClassic", 1)->SetState(TButton::kNormal);
    Difficulty(quick, "PanelJoker", 0)->SetState(TButton::kRollover);
    Advance(quick, 16);
    EXPECT_EQ(12, quick->GetToolTipIndex());
    EXPECT_TRUE(tip->IsVisible());
    EXPECT_EQ(30, tip->GetRect().left);
    EXPECT_EQ(40, tip->GetRect().top);
}

TEST_F(QuickPlayTest, BackDuringTheOpeningCurtainIsIgnored) {
    wndQuickPlay* quick = MakeScreen(Positions());
    EXPECT_EQ(wndQuickPlay::kOpening, quick->GetCurtainState());
    EXPECT_EQ("DisableAllButtons", Calls());
    Advance(quick, 64);
    ASSERT_TRUE(Run("gfn_onQuickPlayButton_Back()"));
    ASSERT_TRUE(Run("gfn_onQuickPlayButton_Play()"));
    EXPECT_EQ(wndQuickPlay::kOpening, quick->GetCurtainState());
    Advance(quick, 400);
    EXPECT_EQ(wndQuickPlay::kRunning, quick->GetCurtainState());
    EXPECT_EQ("DisableAllButtons,EnableAllButtons", Calls());
    EXPECT_FALSE(manager->IsDrawAborted());

    ASSERT_TRUE(Run("gfn_onQuickPlayButton_Back()"));
    EXPECT_EQ(wndQuickPlay::kClosingToBack, quick->GetCurtainState());
    Advance(quick, 400);
    EXPECT_EQ(nullptr, quick->GetCurtain());
    EXPECT_EQ("DisableAllButtons,EnableAllButtons,DisableAllButtons", Calls());
    EXPECT_TRUE(manager->IsDrawAborted()) << "no frame of the screen half gone";
}

TEST_F(QuickPlayTest, PlayClosesTheCurtainThenHandsOverToTheScript) {
    wndQuickPlay* quick = MakeScreen(Positions());
    Advance(quick, 400);
    ASSERT_EQ(wndQuickPlay::kRunning, quick->GetCurtainState());
    ASSERT_TRUE(Run("gfn_onQuickPlayButton_Play()"));
    EXPECT_EQ(wndQuickPlay::kClosingToPlay, quick->GetCurtainState());
    // Back while it closes changes nothing.
    ASSERT_TRUE(Run("gfn_onQuickPlayButton_Back()"));
    EXPECT_EQ(wndQuickPlay::kClosingToPlay, quick->GetCurtainState());
    Advance(quick, 400);
    EXPECT_EQ("DisableAllButtons,EnableAllButtons,DisableAllButtons,closeQuickPlay", Calls());
}

} // namespace
