#include "game/screens/wndMessagePopup.h"

#include "game/screens/PopupFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each pop-up is made with a black panel (or not), the message image
// "bmpContainer" and the confirmation buttons, and driven by 32 ms ticks;
// a script calls its back function, as its confirmation button does.
class MessagePopupTest : public ScreenFixture {
protected:
    wndMessagePopup* Make(TWindowCreator create, bool withPanel) {
        popup = static_cast<wndMessagePopup*>(create());
        if (withPanel)
            panel = AddImage(popup, "bmpPanelBlack");
        container = AddImage(popup, "bmpContainer");
        auto* buttons = AddWindow(popup, "buttons");
        AddWindow(buttons, "btnOk");
        AddWindow(buttons, "btnContinue");
        clock.SetTime(500);
        Open(popup);
        return popup;
    }
    // Runs ticks until nothing fades any more (or 40 ticks).
    void Settle() {
        for (int i = 0; i < 40; ++i) {
            clock.SetTime(clock.GetTime() + 32);
            popup->OnAnimate();
            if (popup->GetFadeState() != wndFade::kFading)
                break;
        }
    }
    bool Visible(const char* name) const {
        TWindow* child = popup->FindChild(TString(name), int32_t{-1});
        return child && child->IsVisible();
    }

    wndMessagePopup* popup = nullptr;
    TImage* panel = nullptr;
    TImage* container = nullptr;
};

struct Member {
    const char* name;
    TWindowCreator create;
    const char* back;
    const char* close;
    const char* button; // hidden on back; empty: none
    const char* sound;  // at open; empty: none
};
const Member kMembers[] = {
    {"wndGoalPanel", &wndGoalPanel::Create, "gfn_OnBackGoalPanel()", "removeGoalPanel()", "btnOk",
     ""},
    {"wndInstructionLevel", &wndInstructionLevel::Create, "gfn_OnBackInstructionLevel()",
     "removeInstructionLevel()", "btnOk", "Popup1"},
    {"wndInstructions", &wndInstructions::Create, "gfn_OnBackInstructions()",
     "removeInstructions()", "", ""},
    {"wndQuestPanel", &wndQuestPanel::Create, "gfn_OnBackQuestPanel()", "removeQuestPanel()",
     "btnContinue", "Popup1"},
    {"wndReward", &wndReward::Create, "gfn_OnBackReward()", "removeReward()", "btnOk", ""},
};

TEST_F(MessagePopupTest, EachOpensShowsItsMessageAndClosesOnceOnItsBackFunction) {
    for (const Member& m : kMembers) {
        for (bool withPanel : {true, false}) {
            SCOPED_TRACE(std::string(m.name) + (withPanel ? " with a panel" : " without"));
            fakes.scripts.statements.clear();
            fakes.sounds.played.clear();
            panel = nullptr;
            Make(m.create, withPanel);
            EXPECT_STREQ(m.name, popup->GetClassName());
            EXPECT_TRUE(popup->IsKindOf(m.create));
            EXPECT_EQ(*m.sound ? 1 : 0, fakes.sounds.Count("Popup1"));

            Settle();
            EXPECT_EQ(wndMessagePopup::kShown, popup->GetStep());
            EXPECT_TRUE(container->IsVisible());
            if (panel) {
                EXPECT_EQ(m.name == std::string("wndInstructions") ? 0.0f : 1.0f,
                          panel->GetAlpha());
            }

            // The confirmation, pressed twice before the pop-up goes.
            ASSERT_TRUE(CallScript(m.back));
            ASSERT_TRUE(CallScript(m.back));
            if (*m.button) {
                EXPECT_FALSE(Visible(m.button));
            }
            EXPECT_TRUE(Visible("btnOk") || std::string(m.button) == "btnOk");
            Settle();
            Settle();
            EXPECT_EQ(1, fakes.scripts.Count(m.close));
            EXPECT_EQ(1u, fakes.scripts.statements.size());
            // With a panel the message goes before the black clears;
            // without one the pop-up closes as it stands.
            if (withPanel) {
                EXPECT_FALSE(container->IsVisible());
                EXPECT_EQ(0.0f, panel->GetAlpha());
            }
            root->RemoveChild(popup);
            popup->DeleteThis();
        }
    }
}

TEST_F(MessagePopupTest, WithoutAPanelTheMessageShowsAtOnce) {
    for (const Member& m : kMembers) {
        SCOPED_TRACE(m.name);
        panel = nullptr;
        Make(m.create, false);
        if (m.name == std::string("wndInstructions")) {
            // It still passes through both of its fades, a tick each.
            EXPECT_FALSE(container->IsVisible());
            Settle();
            Settle();
        }
        EXPECT_EQ(wndMessagePopup::kShown, popup->GetStep());
        EXPECT_TRUE(container->IsVisible());
        root->RemoveChild(popup);
        popup->DeleteThis();
    }
}

TEST_F(MessagePopupTest, BackDuringTheOpeningFadeClosesWithoutShowingTheMessage) {
    for (TWindowCreator create : {&wndGoalPanel::Create, &wndReward::Create}) {
        fakes.scripts.statements.clear();
        Make(create, true);
        EXPECT_FALSE(container->IsVisible());
        clock.SetTime(clock.GetTime() + 96);
        popup->OnAnimate();
        const float reached = panel->GetAlpha();
        EXPECT_GT(reached, 0.0f);
        popup->OnBack();
        int ticks = 0;
        for (; ticks < 20 && fakes.scripts.statements.empty(); ++ticks) {
            clock.SetTime(clock.GetTime() + 32);
            popup->OnAnimate();
            EXPECT_FALSE(container->IsVisible());
            EXPECT_LE(panel->GetAlpha(), reached);
        }
        EXPECT_EQ(3, ticks);
        EXPECT_EQ(0.0f, panel->GetAlpha());
        EXPECT_EQ(1u, fakes.scripts.statements.size());
        root->RemoveChild(popup);
        popup->DeleteThis();
    }
}

TEST_F(MessagePopupTest, TheQuestPanelFadesOnlyWithBothPanelAndContainer) {
    popup = static_cast<wndMessagePopup*>(wndQuestPanel::Create());
    panel = AddImage(popup, "bmpPanelBlack");
    AddWindow(popup, "bmpContainer"); // a window, not an image: no container
    Open(popup);
    EXPECT_EQ(nullptr, popup->GetContainer());
    EXPECT_EQ(wndMessagePopup::kShown, popup->GetStep());
    EXPECT_EQ(wndFade::kIdle, popup->GetFadeState());
    // Its way out fades all the same and closes on the fade's end.
    popup->OnBack();
    EXPECT_TRUE(fakes.scripts.statements.empty());
    Settle();
    EXPECT_EQ(1, fakes.scripts.Count("removeQuestPanel()"));
}

TEST_F(MessagePopupTest, TheGoalPanelShowsItsContainerByNameWhateverItsType) {
    popup = static_cast<wndMessagePopup*>(wndGoalPanel::Create());
    panel = AddImage(popup, "bmpPanelBlack");
    TWindow* box = AddWindow(popup, "bmpContainer");
    Open(popup);
    EXPECT_FALSE(box->IsVisible());
    Settle();
    EXPECT_TRUE(box->IsVisible());
}

TEST(PopupPolicy, TheFiveByName) {
    for (const Member& m : kMembers) {
        const PopupPolicy* policy = FindPopupPolicy(m.name);
        ASSERT_NE(nullptr, policy) << m.name;
        EXPECT_EQ(std::string(m.close), policy->closeStatement);
    }
    EXPECT_EQ(nullptr, FindPopupPolicy("wndPause"));
    EXPECT_EQ(nullptr, FindPopupPolicy(nullptr));
}

} // namespace
