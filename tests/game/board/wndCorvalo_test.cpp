#include "game/board/wndCorvalo.h"

#include "game/gmCorvalo.h"
#include "game/state/dtUserState.h"
#include "velk/globals/GameGlobals.h"

#include "game/support/BoardScreenMaker.h"
#include "game/support/FakeLevelServices.h"
#include "game/support/GameDataFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A board screen made by its type name under a root window, with the
// recording services; no level is made (the level maker makes none).
class BoardScreenTest : public support::GameDataTest {
protected:
    void SetUp() override {
        support::GameDataTest::SetUp();
        fakes.progress.user = &user;
        fakes.scripts.SetGame("Classic", "quick", "easy");
        fakes.states.values["pause"] = "0";
        mServices = std::make_unique<ScopedLevelServices>(fakes.Services());
        mMaker = gmCorvalo::SetLevelMaker([](int, gmCorvalo&) { return nullptr; });
        root = new TWindow(TString("root"));
        board = support::MakeBoardScreenByTypeName();
        ASSERT_NE(nullptr, board);
        root->AddChild(board, false);
    }
    void TearDown() override {
        root->DeleteThis();
        gmCorvalo::SetLevelMaker(std::move(mMaker));
        mServices.reset();
        support::GameDataTest::TearDown();
    }

    TWindow* AddChild(TWindow* parent, const char* name, int x, int y, int w, int h) {
        auto* child = new TWindow(TString(name));
        child->SetPosition(x, y);
        child->SetSize(w, h);
        parent->AddChild(child, false);
        return child;
    }

    FakeLevelServices fakes;
    dtUserState user;
    TWindow* root = nullptr;
    wndCorvalo* board = nullptr;

private:
    std::unique_ptr<ScopedLevelServices> mServices;
    gmCorvalo::LevelMaker mMaker;
};

TEST_F(BoardScreenTest, OwnsTheGameObjectAndIsTheCurrentGame) {
    EXPECT_STREQ("wndCorvalo", board->GetClassName());
    EXPECT_TRUE(board->IsKindOf(wndCorvalo::GetClassId()));
    EXPECT_TRUE(board->IsKindOf(vlkGameContainer::GetClassId()));
    auto* game = dynamic_cast<gmCorvalo*>(board->GetGame());
    ASSERT_NE(nullptr, game);
    EXPECT_EQ(game, gCurrentGame);
    EXPECT_EQ(board, gCurrentContainer);
    EXPECT_EQ(static_cast<BoardScreen*>(board), game->GetBoardScreen());
}

TEST_F(BoardScreenTest, QuickPlayPicksTheBackgroundOfTheLevelWhenThereIsOne) {
    struct Case {
        const char* style;
        int level;
        bool withBackground;
        const char* statement; // null: none
    };
    const Case cases[] = {
        {"quick", 1, true, "selectBackground(1, 0)"},
        {"quick", 21, true, "selectBackground(0, 0)"},
        {"Quick", 47, true, "selectBackground(2, 1)"},
        {"quick", 101, true, "selectBackground(1, 0)"},
        {"quick", 21, false, nullptr},
        {"quest", 21, true, nullptr},
    };
    TWindow* background = nullptr;
    for (const Case& c : cases) {
        if (c.withBackground && !background)
            background = AddChild(root, "bmpBackground", 0, 0, 1024, 768);
        if (!c.withBackground && background) {
            root->RemoveChild(background);
            background->DeleteThis();
            background = nullptr;
        }
        fakes.scripts.globals["gGameStyle"] = c.style;
        user.level = c.level;
        fakes.scripts.statements.clear();
        board->SelectBackground();
        int selects = 0;
        for (const std::string& s : fakes.scripts.statements)
            selects += s.rfind("selectBackground", 0) == 0;
        if (c.statement) {
            EXPECT_EQ(1, selects) << c.style << " " << c.level;
            EXPECT_EQ(1, fakes.scripts.Count(c.statement)) << c.style << " " << c.level;
        } else {
            EXPECT_EQ(0, selects) << c.style << " " << c.level << " " << c.withBackground;
        }
    }
}

TEST_F(BoardScreenTest, HeartsAboveTheLivesLeftAreHidden) {
    struct Case {
        int lives;
        bool shown[3];
    };
    const Case cases[] = {
        {0, {false, false, false}}, {1, {true, false, false}}, {2, {true, true, false}},
        {3, {true, true, true}},    {-1, {true, true, true}},
    };
    for (const Case& c : cases) {
        TWindow* hearts[3];
        for (int i = 0; i < 3; ++i)
            hearts[i] = AddChild(board, ("bmpHeart" + std::to_string(i + 1)).c_str(), 0, 0, 10, 10);
        board->ShowLives(c.lives);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(c.shown[i], hearts[i]->IsVisible()) << c.lives << " lives, heart " << i + 1;
            board->RemoveChild(hearts[i]);
            hearts[i]->DeleteThis();
        }
    }
    // Without hearts nothing fails.
    board->ShowLives(0);
}

TEST_F(BoardScreenTest, TheFrameCentreIsThatOfTheLastVisibleFrame) {
    EXPECT_EQ(TPoint(0, 0), board->GetFrameCentre());
    TWindow* small = AddChild(board, "bmpFrame7x8", 100, 50, 400, 300);
    TWindow* large = AddChild(board, "bmpFrame11x12", 20, 10, 600, 500);
    EXPECT_EQ(TPoint(320, 260), board->GetFrameCentre());
    large->SetFlags(large->GetFlags() & ~kWindowVisible);
    EXPECT_EQ(TPoint(300, 200), board->GetFrameCentre());
    small->SetFlags(small->GetFlags() & ~kWindowVisible);
    EXPECT_EQ(TPoint(0, 0), board->GetFrameCentre());
}

TEST_F(BoardScreenTest, ClosingDisablesTheButtonsAndClosesTheScreenWithoutCurtains) {
    // The tests' folder has no curtains: the screen closes at once.
    board->CloseCurtains();
    EXPECT_EQ(1, fakes.scripts.Count("DisableAllButtons()"));
    EXPECT_EQ(1, fakes.scripts.Count("closeCorvalo()"));
    EXPECT_FALSE(board->IsClosing());
    EXPECT_FALSE(board->IsClosePending());
}

} // namespace
