// The world map's node button and the quick play screen's mode panel, set
// up from their window tables.

#include "game/screens/clsMetamapButton.h"
#include "game/screens/clsPanelModeGame.h"

#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"

#include "ScreenFixture.h"

#include <string>

namespace {

class MetamapButtonTest : public ScreenFixture {
protected:
    // A node with its three children, set up from the fields.
    clsMetamapButton* MakeNode(const std::string& fields) {
        auto* node = Make<clsMetamapButton>(clsMetamapButton::Create, fields, screen, false);
        Make<TButton>(TButton::Create, "name = 'btnMetamap'", node);
        Make<TImage>(TImage::Create, "name = 'bmpLock'", node);
        Make<TButton>(TButton::Create, "name = 'btnFinish'", node);
        PostInit(node);
        return node;
    }
    static bool Shown(TWindow* window) { return window && window->IsVisible(); }
};

TEST_F(MetamapButtonTest, KnownTypesGiveTheirModeAndStartLocked) {
    const struct {
        const char* type;
        int mode;
    } cases[] = {{"classic", 1}, {"strategy", 2}, {"blitz", 3}, {"joker", 4}, {"cradle", 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        clsMetamapButton* node = MakeNode("id = 7, type = '" + std::string(c.type) + "'");
        EXPECT_EQ(c.mode, node->GetMode());
        EXPECT_EQ(7, node->GetNodeId());
        EXPECT_EQ(clsMetamapButton::kLocked, node->GetState());
        ASSERT_NE(nullptr, node->GetOpenButton());
        ASSERT_NE(nullptr, node->GetLockImage());
        ASSERT_NE(nullptr, node->GetFinishButton());
        EXPECT_TRUE(Shown(node->GetLockImage()));
        EXPECT_FALSE(Shown(node->GetOpenButton()));
        EXPECT_FALSE(Shown(node->GetFinishButton()));

        node->SetOpen();
        EXPECT_EQ(clsMetamapButton::kOpen, node->GetState());
        EXPECT_FALSE(Shown(node->GetLockImage()));
        EXPECT_TRUE(Shown(node->GetOpenButton()));
        EXPECT_FALSE(Shown(node->GetFinishButton()));

        node->SetCompleted();
        EXPECT_EQ(clsMetamapButton::kCompleted, node->GetState());
        EXPECT_FALSE(Shown(node->GetLockImage()));
        EXPECT_FALSE(Shown(node->GetOpenButton()));
        EXPECT_TRUE(Shown(node->GetFinishButton()));
    }
}

TEST_F(MetamapButtonTest, AnUnknownTypeOrANegativeIdLooksUpNoChildren) {
    const struct {
        const char* fields;
        int id;
    } cases[] = {
        {"id = 3, type = 'rome'", 3},
        {"id = 3", 3},
        {"id = -1, type = 'classic'", -1},
        {"type = 'classic'", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        clsMetamapButton* node = MakeNode(c.fields);
        EXPECT_EQ(0, node->GetMode());
        EXPECT_EQ(c.id, node->GetNodeId());
        EXPECT_EQ(nullptr, node->GetOpenButton());
        EXPECT_EQ(nullptr, node->GetLockImage());
        EXPECT_EQ(nullptr, node->GetFinishButton());
        // The children stay as the table made them, all shown.
        for (const char* child : {"btnMetamap", "bmpLock", "btnFinish"})
            EXPECT_TRUE(Shown(node->FindChild(TString(child), int32_t{1}))) << child;
        // Opening and completing a node without children only changes its state.
        node->SetOpen();
        node->SetCompleted();
        EXPECT_EQ(clsMetamapButton::kCompleted, node->GetState());
    }
}

TEST_F(MetamapButtonTest, AChildOfAnotherClassIsLeftOut) {
    auto* node =
        Make<clsMetamapButton>(clsMetamapButton::Create, "id = 1, type = 'joker'", screen, false);
    Make<TImage>(TImage::Create, "name = 'btnMetamap'", node); // not a button
    Make<TImage>(TImage::Create, "name = 'bmpLock'", node);
    PostInit(node);
    EXPECT_EQ(nullptr, node->GetOpenButton());
    EXPECT_NE(nullptr, node->GetLockImage());
    EXPECT_EQ(nullptr, node->GetFinishButton());
    node->SetOpen();
    EXPECT_FALSE(Shown(node->GetLockImage()));
    EXPECT_TRUE(Shown(node->FindChild(TString("btnMetamap"), int32_t{1})));
}

class PanelModeGameTest : public ScreenFixture {
protected:
    // A panel with the difficulty buttons and locks of the given numbers,
    // one level down as a layout group holds them.
    clsPanelModeGame* MakePanel(const std::string& fields, std::initializer_list<int> buttons) {
        auto* panel = Make<clsPanelModeGame>(clsPanelModeGame::Create, fields, screen, false);
        TWindow* group = Make<TWindow>(TWindow::Create, "name = 'group'", panel);
        for (int d : buttons) {
            Make<TButton>(TButton::Create, "name = 'btnDifficulty" + std::to_string(d) + "'",
                          group);
            Make<TImage>(TImage::Create, "name = 'bmpDifficulty" + std::to_string(d) + "_lock1'",
                         group);
        }
        PostInit(panel);
        return panel;
    }
    static bool ButtonShown(const clsPanelModeGame& panel, int index) {
        return panel.GetDifficulties()[static_cast<size_t>(index)]->button->IsVisible();
    }
    static bool LockShown(const clsPanelModeGame& panel, int index) {
        return panel.GetDifficulties()[static_cast<size_t>(index)]->lock->IsVisible();
    }
};

TEST_F(PanelModeGameTest, OnlyTheDifficultiesTheTableOpensAreOpen) {
    clsPanelModeGame* panel = MakePanel("st_easy = 1, st_hard = 2", {1, 2, 3});
    EXPECT_FALSE(panel->IsIncomplete());
    ASSERT_EQ(3u, panel->GetDifficulties().size());
    const bool locked[] = {false, true, false};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(locked[i], panel->IsDifficultyLocked(i));
        EXPECT_EQ(!locked[i], ButtonShown(*panel, i));
        EXPECT_EQ(locked[i], LockShown(*panel, i));
    }
}

TEST_F(PanelModeGameTest, WithoutTheSecondButtonThePanelHasNoDifficulties) {
    clsPanelModeGame* panel = MakePanel("st_easy = 1", {1, 3});
    EXPECT_TRUE(panel->IsIncomplete());
    EXPECT_TRUE(panel->GetDifficulties().empty());
    // Nothing to lock or open.
    panel->SetDifficultyLocked(0, false, true);
    panel->SetDifficultyLocked(2, true, true);
    EXPECT_TRUE(panel->FindChild(TString("bmpDifficulty1_lock1"), int32_t{2})->IsVisible());
}

TEST_F(PanelModeGameTest, SetDifficultyLockedSkipsUnchangedFlagsAndOtherIndexes) {
    clsPanelModeGame* panel = MakePanel("", {1, 2, 3});
    ASSERT_EQ(3u, panel->GetDifficulties().size());
    // All locked. Showing the button behind the panel's back is not undone
    // by a call that does not change the flag...
    panel->GetDifficulties()[0]->button->SetFlags(panel->GetDifficulties()[0]->button->GetFlags() |
                                                  kWindowVisible);
    panel->SetDifficultyLocked(0, true, false);
    EXPECT_TRUE(ButtonShown(*panel, 0));
    // ...but is when forced.
    panel->SetDifficultyLocked(0, true, true);
    EXPECT_FALSE(ButtonShown(*panel, 0));
    EXPECT_TRUE(LockShown(*panel, 0));
    // A change shows the button and hides the lock.
    panel->SetDifficultyLocked(1, false, false);
    EXPECT_TRUE(ButtonShown(*panel, 1));
    EXPECT_FALSE(LockShown(*panel, 1));
    EXPECT_FALSE(panel->IsDifficultyLocked(1));
    // Indexes outside 0-2 change nothing.
    for (int index : {-1, 3}) {
        panel->SetDifficultyLocked(index, false, true);
        for (int i : {0, 2}) {
            EXPECT_TRUE(panel->IsDifficultyLocked(i)) << index;
            EXPECT_FALSE(ButtonShown(*panel, i)) << index;
        }
    }
}

TEST_F(PanelModeGameTest, AMissingLockPictureStillHidesAndShowsTheButton) {
    auto* panel = Make<clsPanelModeGame>(clsPanelModeGame::Create, "st_medium = 1", screen, false);
    for (int d = 1; d <= 3; ++d)
        Make<TButton>(TButton::Create, "name = 'btnDifficulty" + std::to_string(d) + "'", panel);
    PostInit(panel);
    ASSERT_EQ(3u, panel->GetDifficulties().size());
    EXPECT_EQ(nullptr, panel->GetDifficulties()[0]->lock);
    EXPECT_FALSE(ButtonShown(*panel, 0));
    EXPECT_TRUE(ButtonShown(*panel, 1));
    panel->SetDifficultyLocked(0, false, false);
    EXPECT_TRUE(ButtonShown(*panel, 0));
}

} // namespace
