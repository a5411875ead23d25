#include "game/screens/wndMove.h"
#include "game/screens/wndPause.h"

#include "game/screens/PopupFixture.h"

#include <gtest/gtest.h>

namespace {

class SlideInTest : public ScreenFixture {};

TEST_F(SlideInTest, DirectionTextsInAnyCaseElseARandomSide) {
    struct Case {
        const char* text;
        int32_t move;
    };
    const Case cases[] = {
        {"LeftCenter", clsAnimWindow::kInFromLeft},
        {"LEFTCENTER", clsAnimWindow::kInFromLeft},
        {"rightcenter", clsAnimWindow::kInFromRight},
        {"TopCenter", clsAnimWindow::kInFromTop},
        {"bottomCenter", clsAnimWindow::kInFromBottom},
        {"center", clsAnimWindow::kRandomIn},
        {"", clsAnimWindow::kRandomIn},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.move, wndMove::DirectionOf(TString(c.text))) << c.text;
}

TEST_F(SlideInTest, ThePanelSlidesInFromTheTableSideAndRestsInPlace) {
    auto* panel = static_cast<wndMove*>(wndMove::Create());
    panel->SetPosition(300, 200);
    panel->SetSize(400, 300);
    Open(panel, "{ Direction = 'lEfTcEnTeR' }");
    EXPECT_EQ(clsAnimWindow::kInFromLeft, panel->GetDirection());
    EXPECT_TRUE(panel->IsMoving());
    EXPECT_LT(panel->GetRect().left, 300);
    // The default time, 200 ms, and the bounce legs after it.
    int steps = 0;
    for (; steps < 200 && panel->IsMoving(); ++steps)
        panel->Advance(16);
    EXPECT_FALSE(panel->IsMoving());
    EXPECT_GE(steps * 16, 200);
    EXPECT_EQ(TPoint(300, 200), TPoint(panel->GetRect().left, panel->GetRect().top));
}

TEST_F(SlideInTest, ARandomSideIsOneOfTheFour) {
    auto* panel = static_cast<wndMove*>(wndMove::Create());
    panel->SetSize(400, 300);
    Open(panel, "{ Direction = 'center' }");
    EXPECT_GE(panel->GetDirection(), clsAnimWindow::kInFromLeft);
    EXPECT_LE(panel->GetDirection(), clsAnimWindow::kInFromBottom);
}

TEST_F(SlideInTest, PauseShowsTheAchievementsButtonOnlyInQuestPlay) {
    struct Case {
        const char* style; // null: unset
        bool quest;
    };
    const Case cases[] = {{"quest", true}, {"quick", false}, {nullptr, false}};
    for (const Case& c : cases) {
        fakes.scripts.globals.erase("gGameStyle");
        if (c.style)
            fakes.scripts.globals["gGameStyle"] = c.style;
        fakes.sounds.played.clear();
        auto* pause = static_cast<wndPause*>(wndPause::Create());
        TWindow* buttons = AddWindow(pause, "buttons");
        TWindow* on = AddWindow(buttons, "btnAchievements");
        TWindow* off = AddWindow(buttons, "btnAchievementsDisabled");
        Open(pause);
        EXPECT_STREQ("wndPause", pause->GetClassName());
        EXPECT_EQ(c.quest, on->IsVisible()) << (c.style ? c.style : "unset");
        EXPECT_EQ(!c.quest, off->IsVisible()) << (c.style ? c.style : "unset");
        EXPECT_EQ(1, fakes.sounds.Count("PauseUnpauseNode"));
        root->RemoveChild(pause);
        pause->DeleteThis();
    }
}

} // namespace
