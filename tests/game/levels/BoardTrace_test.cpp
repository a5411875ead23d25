// The board trace: a player who reads only the trace file and clicks the
// middles of the boxes it gives wins, the file says what the board holds,
// and nothing is written unless the environment asks for it.

#include "game/levels/BoardTrace.h"
#include "game/levels/lvCorvaloJoker.h"

#include "game/support/LevelFixture.h"
#include "support/BoardTraceReader.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using leveltest::LevelTest;
using support::ParseBoardTrace;
using support::TracedBoard;

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class BoardTraceTest : public LevelTest {
protected:
    void TearDown() override {
        unsetenv("CORVALO_BOARD_TRACE");
        LevelTest::TearDown();
    }

    // Every tile gets a box of its own, apart from the others, as the
    // game's tiles have on the screen.
    void LayOutTiles() {
        BoardSlots& s = Slots();
        for (int slot = 0; slot < s.Size(); ++slot)
            if (FakeBoardTile* tile = TileAt(slot)) {
                tile->hitLeft = static_cast<float>(slot * 12);
                tile->hitTop = static_cast<float>(slot % 3 * 7);
                tile->hitSize = 10.0f;
            }
    }
    TracedBoard Written() { return ParseBoardTrace(ReadText(Path())); }
    std::filesystem::path Path() const { return mFolder.Path() / "board.txt"; }

    // Plays the open level to its end with a player who knows the board
    // only from the trace; true when it was won.
    bool PlayFromTrace(BoardTrace& trace) {
        uint32_t now = 0, next = 0;
        for (int frame = 0; frame < 40000 && Level() && !Level()->IsEnded(); ++frame) {
            Frame();
            now += 16;
            LayOutTiles();
            trace.Write(Level());
            const TracedBoard board = Written();
            EXPECT_TRUE(board.read);
            if (now < next || !board.Playing())
                continue;
            for (const support::TracedSlot* slot : support::PerfectMove(board)) {
                game->OnMouseDown(slot->CentreX(), slot->CentreY());
                Frame();
                now += 16;
            }
            next = now + 1600;
        }
        return Level() && Level()->GetOutcome() == lvCorvaloLevel::kWon;
    }

    support::TempFolder mFolder{"corvalo-trace-"};
};

TEST_F(BoardTraceTest, APlayerWhoReadsOnlyTheTraceWinsClassicAndBlitz) {
    for (const char* mode : {"Classic", "Blitz"}) {
        BoardTrace trace(Path().string());
        game->SetLevel(nullptr);
        user->modeLevel[mode[0] == 'C' ? kModeClassic : kModeBlitz][0] = 1;
        Open(mode, "quick", "easy");
        ASSERT_NE(nullptr, Level()) << mode;
        EXPECT_TRUE(PlayFromTrace(trace)) << mode << ": " << Level()->Describe();
    }
}

TEST_F(BoardTraceTest, TheFileSaysWhatTheBoardHoldsAndWhereEachTileIs) {
    Open("Classic", "quick", "easy");
    ASSERT_TRUE(WaitForInput());
    LayOutTiles();
    BoardTrace trace(Path().string());
    trace.CountLevel();
    trace.Write(Level());
    const TracedBoard board = Written();
    ASSERT_TRUE(board.read) << ReadText(Path());
    EXPECT_EQ(1, board.level);
    EXPECT_EQ(kModeClassic, board.mode);
    EXPECT_TRUE(board.input);
    EXPECT_EQ(0, board.outcome);
    EXPECT_EQ(0, board.face);
    size_t tiles = 0;
    const BoardSlots& s = Slots();
    for (int slot = Level()->GetGeometry()->col; slot < s.Size(); ++slot) {
        if (s.kind[slot] == 0)
            continue;
        ++tiles;
        const support::TracedSlot* traced = board.Find(slot);
        ASSERT_NE(nullptr, traced) << "slot " << slot;
        EXPECT_EQ(s.kind[slot], traced->kind);
        EXPECT_EQ(Level()->IsClickable(slot), traced->open);
        EXPECT_EQ(Level()->GetBoardX() + slot * 12, traced->left);
        EXPECT_EQ(Level()->GetBoardY() + slot % 3 * 7 + 10, traced->bottom);
    }
    EXPECT_GT(tiles, 0u);
    EXPECT_EQ(tiles, board.slots.size());

    // A tile clicked is no longer open; the file follows the board.
    const support::TracedSlot first = board.slots.front();
    game->OnMouseDown(first.CentreX(), first.CentreY());
    Frame();
    LayOutTiles();
    trace.Write(Level());
    ASSERT_NE(nullptr, Written().Find(first.slot));
    EXPECT_FALSE(Written().Find(first.slot)->open) << ReadText(Path());
}

TEST_F(BoardTraceTest, AJokerRoundNamesTheFaceToFindAndForgetsFoundCards) {
    Open("Joker", "quick", "easy");
    auto* joker = dynamic_cast<lvCorvaloJoker*>(Level());
    ASSERT_NE(nullptr, joker);
    ASSERT_TRUE(WaitForInput());
    LayOutTiles();
    BoardTrace trace(Path().string());
    trace.Write(Level());
    TracedBoard board = Written();
    EXPECT_EQ(joker->GetFaceKind(), board.face);
    std::vector<const support::TracedSlot*> move = support::PerfectMove(board);
    ASSERT_EQ(1u, move.size());
    EXPECT_EQ(joker->GetFaceKind(), move[0]->kind);
    const int found = move[0]->slot;
    game->OnMouseDown(move[0]->CentreX(), move[0]->CentreY());
    Frame();
    trace.Write(Level());
    board = Written();
    ASSERT_NE(nullptr, board.Find(found));
    EXPECT_FALSE(board.Find(found)->open);
    EXPECT_EQ(joker->GetGoodCards() - 1, joker->GetToFind());
}

TEST_F(BoardTraceTest, OnlyTheEnvironmentTurnsItOnAndTheClosedBoardSaysSo) {
    unsetenv("CORVALO_BOARD_TRACE");
    EXPECT_EQ(nullptr, BoardTrace::FromEnvironment());
    setenv("CORVALO_BOARD_TRACE", "", 1);
    EXPECT_EQ(nullptr, BoardTrace::FromEnvironment());

    // A game object made without the variable writes nothing.
    Open("Classic", "quick", "easy");
    Frames(5);
    EXPECT_FALSE(std::filesystem::exists(Path()));

    setenv("CORVALO_BOARD_TRACE", Path().c_str(), 1);
    game->SetLevel(nullptr);
    game.reset();
    game = std::make_unique<gmCorvalo>(screen.get());
    gCurrentGame = game.get();
    game->Update(16);
    EXPECT_EQ("level 0 none\n", ReadText(Path()));
    Open("Classic", "quick", "easy");
    Frame();
    TracedBoard board = Written();
    EXPECT_TRUE(board.read);
    EXPECT_EQ(1, board.level);
    EXPECT_FALSE(board.slots.empty());
    gCurrentGame = nullptr;
    game.reset();
    EXPECT_EQ("closed\n", ReadText(Path()));
    EXPECT_FALSE(std::filesystem::exists(Path().string() + ".partial"));
}

TEST_F(BoardTraceTest, AFileThatCannotBeWrittenGivesOneLogLine) {
    Open("Classic", "quick", "easy");
    const std::filesystem::path path = mFolder.Path() / "no such folder" / "board.txt";
    BoardTrace trace(path.string());
    for (int i = 0; i < 3; ++i) {
        Frame();
        trace.Write(Level());
    }
    trace.WriteClosed();
    const std::string log = support::ReadLogText();
    const std::string line = "board trace: cannot write \"" + path.string() + "\"";
    const size_t at = log.find(line);
    ASSERT_NE(std::string::npos, at) << log;
    EXPECT_EQ(std::string::npos, log.find(line, at + 1)) << log;
}

} // namespace
