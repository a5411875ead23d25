#include "game/board/guiCorvalo.h"

#include "game/startup/GameWindowTypes.h"
#include "velk/actor/vlkActor.h"
#include "velk/actor/vlkActorList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

TEST(guiCorvalo, IsMadeByItsTypeNameAndKnowsItsClass) {
    TWindowCreator creator = nullptr;
    for (const GameWindowType& type : GetGameWindowTypes())
        if (std::strcmp(type.name, "guiCorvalo") == 0)
            creator = type.creator;
    ASSERT_EQ(&guiCorvalo::Create, creator);
    TWindow* window = creator();
    ASSERT_NE(nullptr, window);
    EXPECT_STREQ("guiCorvalo", window->GetClassName());
    EXPECT_TRUE(window->IsKindOf(guiCorvalo::GetCreator()));
    EXPECT_TRUE(window->IsKindOf(TWindow::GetClassId()));
    auto* board = dynamic_cast<guiCorvalo*>(window);
    ASSERT_NE(nullptr, board);
    EXPECT_FALSE(board->HasBoard());
    window->DeleteThis();

    TWindow* plain = TWindow::GetCreator()();
    EXPECT_FALSE(plain->IsKindOf(guiCorvalo::GetCreator()));
    plain->DeleteThis();
}

TEST(guiCorvalo, SetBoardKeepsTheActorsAndNullForgetsThem) {
    guiCorvalo board;
    vlkActorList actors;
    board.SetBoard(&actors);
    EXPECT_TRUE(board.HasBoard());
    EXPECT_EQ(&actors, board.GetBoard());
    board.SetBoard(nullptr);
    EXPECT_FALSE(board.HasBoard());
    // Without a display nothing is drawn and nothing fails.
    board.Draw();
}

} // namespace
