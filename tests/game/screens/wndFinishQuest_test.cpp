#include "game/screens/wndFinishQuest.h"

#include "framework/ui/widgets/TImage.h"
#include "game/random/GameRandom.h"
#include "velk/particles/vlkTrailBurstFx.h"

#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using screentest::SceneOf;

// The screen as finish_quest.lua builds it over the world map: its dialog
// under the map's, holding the celebration with its panel; the black fade
// belongs to the map, beside the dialog.
class FinishQuestTest : public screentest::ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        const std::string shipped = std::string(CORVALO_SOURCE_DIR) + "/assets/fx/";
        Effects({{"finishquest", SceneOf(60)}},
                {{"trail", shipped + "trail.xml"}, {"tilescompleted", shipped + "tilescompleted.xml"},
                 {"titlecard", shipped + "titlecard.xml"}});
        dialog = new TWindow(TString("dialog"));
        dialog->SetSize(1024, 768);
        screen->AddChild(dialog);
    }
    wndFinishQuest* Open(bool withFade) {
        auto* finish = new wndFinishQuest();
        finish->SetSize(1024, 768);
        dialog->AddChild(finish, false);
        panel = new TImage();
        panel->SetName(TString("bmpPanel"));
        finish->AddChild(panel, false);
        if (withFade) {
            fade = new TImage();
            fade->SetName(TString("bmpFade"));
            fade->SetAlpha(0.7f);
            screen->AddChild(fade, false);
        }
        auto style = Table("{ w = 1024, h = 768 }");
        TWindowStyle windowStyle(style.get());
        finish->PostInit(windowStyle);
        return finish;
    }
    TWindow* dialog = nullptr;
    TImage* panel = nullptr;
    TImage* fade = nullptr;
};

// The title (60 ms here) moves at most one frame (10 ms) a tick.
TEST_F(FinishQuestTest, PanelShowsWhenTheTitleEnds) {
    wndFinishQuest* finish = Open(true);
    EXPECT_FALSE(panel->IsVisible());
    finish->Update(33);
    EXPECT_FLOAT_EQ(fade->GetAlpha(), 0.0f) << "the fade is found and cleared";
    for (int i = 0; i < 4; ++i)
        finish->Update(33);
    EXPECT_FALSE(panel->IsVisible());
    for (int i = 0; i < 4; ++i)
        finish->Update(33);
    EXPECT_TRUE(panel->IsVisible());
}

// Back: one second to black, the dialog hidden, one second back, and then
// the script's back function runs once, however long the screen lingers.
TEST_F(FinishQuestTest, BackFadesOutAndInAndRunsTheBackFunctionOnce) {
    wndFinishQuest* finish = Open(true);
    finish->Update(33);
    finish->OnBack();
    EXPECT_EQ(finish->GetFadePhase(), wndFinishQuest::kFadingToBlack);
    finish->OnBack(); // a second press changes nothing
    for (int i = 0; i < 9; ++i)
        finish->Update(100);
    EXPECT_NEAR(fade->GetAlpha(), 0.9f, 0.01f);
    EXPECT_TRUE(dialog->IsVisible());
    finish->Update(100);
    EXPECT_EQ(finish->GetFadePhase(), wndFinishQuest::kFadingBack);
    EXPECT_FALSE(dialog->IsVisible()) << "black: the dialog is hidden";
    EXPECT_TRUE(fade->IsShown()) << "the fade stays to bring the map back";
    EXPECT_GE(fade->GetAlpha(), 1.0f);
    finish->Update(500);
    EXPECT_NEAR(fade->GetAlpha(), 0.5f, 0.01f) << "half way back";
    EXPECT_EQ(Count("FinishQuest_Back()"), 0u);
    // A stalled tick finishes the way back in one step.
    finish->Update(1500);
    EXPECT_EQ(Count("FinishQuest_Back()"), 1u);
    EXPECT_FLOAT_EQ(fade->GetAlpha(), 0.0f);
    for (int i = 0; i < 20; ++i)
        finish->Update(33);
    EXPECT_EQ(Count("FinishQuest_Back()"), 1u) << "once, not on every later tick";
    EXPECT_FALSE(finish->IsFading());
}

TEST_F(FinishQuestTest, WithoutAFadeImage_BackLeavesAtOnce) {
    wndFinishQuest* finish = Open(false);
    finish->Update(33);
    EXPECT_EQ(finish->GetFadeImage(), nullptr);
    finish->OnBack();
    EXPECT_EQ(Count("FinishQuest_Back()"), 1u);
    EXPECT_TRUE(dialog->IsVisible());
}

// The chain: each firework sets off the next when it bursts (or by the
// 2 % draw), and the show starts again after the seventh has gone off, as
// long as the screen is open.
TEST_F(FinishQuestTest, FireworksChainAndLoop) {
    ScopedGameRandom seeded(1234);
    wndFinishQuest* finish = Open(true);
    EXPECT_EQ(finish->GetLaunches(), 1);
    // Each firework goes up at most once a round, so more launches than
    // fireworks mean the show looped.
    for (int i = 0; i < 3000 && finish->GetLaunches() < 3 * wndFinishQuest::kFireworks; ++i) {
        finish->Update(33);
        EXPECT_FALSE(finish->GetFirework(wndFinishQuest::kFireworks - 2)->IsDone())
            << "a loop makes the seventh ready again in the tick it went off";
    }
    EXPECT_GE(finish->GetLaunches(), 3 * wndFinishQuest::kFireworks);
}

} // namespace
