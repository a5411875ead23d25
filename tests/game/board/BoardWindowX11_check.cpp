// The board screen in the game's own window on a real X server, started by
// ctest on a virtual X server (tests/platform/run_under_xvfb.sh): a program folder
// lays the check's levels (tests/data/board: Classic and Blitz of one tile
// kind, so that any two tiles match) and start-up script over the build's
// assets; the script opens the board of one level again each time it
// closes and prints each screen that opens and closes. xdotool clicks the
// board's slots where the board geometry of the assets' config.xml puts
// them, and ImageMagick's import takes the window's picture from the X
// server into the build's "board-frames" folder, to be looked at. The game
// runs with the sanitizers of the test build; what they report fails the
// check.

#include "support/XPicture.h"
#include "support/XProgram.h"

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace support;
using std::chrono::milliseconds;

// Where a board's slots lie on the screen: the board's drawing window and
// the first slot's position and the steps between slots (positions go up
// by rows from row 0, the hidden row below the board), from config.xml.
struct Board {
    int columns = 0;
    int rows = 0;
    int left = 0, top = 0;
    double x0 = 0, y0 = 0, dx = 0, dy = 0;

    // The screen point of a slot: row r (1 is the bottom row in play),
    // column c (0 is the left).
    std::pair<int, int> Slot(int r, int c) const {
        return {left + static_cast<int>(x0 + c * dx), top + static_cast<int>(y0 - r * dy)};
    }
};

bool ReadBoard(const std::string& config, const std::string& name, Board& board) {
    const std::regex record("<mode name=\"" + name +
                            "\">\\s*<row>(\\d+)</row><col>(\\d+)</col><window>(\\d+),(\\d+),"
                            "\\d+,\\d+</window><position>([\\d.]+),([\\d.]+),([\\d.]+),([\\d.]+)"
                            "</position>");
    std::smatch m;
    if (!std::regex_search(config, m, record))
        return false;
    board.rows = std::stoi(m[1]);
    board.columns = std::stoi(m[2]);
    board.left = std::stoi(m[3]);
    board.top = std::stoi(m[4]);
    board.x0 = std::stod(m[5]);
    board.y0 = std::stod(m[6]);
    board.dx = std::stod(m[7]);
    board.dy = std::stod(m[8]);
    return true;
}

class BoardWindow : public XProgramFixture {
protected:
    void SetUp() override {
        XProgramFixture::SetUp();
        if (IsSkipped())
            return;
        UseGameEnvironment();
        std::filesystem::create_directories(kFrames);
        mDeadline = XClock::now() + kLimit;
    }

    // Waits until the condition holds; past the test's limit it fails,
    // naming what it waited for.
    template <typename Condition> bool WaitUntil(const std::string& what, Condition condition) {
        while (!condition()) {
            if (XClock::now() > mDeadline) {
                ADD_FAILURE() << "timed out waiting for X: " << what << " (after " << kLimit.count()
                              << " s)\n"
                              << Output() << Errors();
                return false;
            }
            std::this_thread::sleep_for(milliseconds(50));
        }
        return true;
    }
    bool WaitForLine(const std::string& line, size_t count = 1) {
        return WaitUntil("\"" + line + "\" in the game's output",
                         [&] { return Count(line) >= count; });
    }

    // Alt+F4 and Yes end the game with 0; the sanitizers reported nothing
    // and the scripts ran without error.
    void EndCleanly() {
        const Ending ending = CloseAndAnswerYes();
        EXPECT_TRUE(ending.ExitedWith(0)) << ending.Describe() << "\n" << Output() << Errors();
        const std::string errors = Errors();
        EXPECT_EQ(errors.find("AddressSanitizer"), std::string::npos) << errors;
        EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
        const std::string log = ReadWholeFile(
            (mRoot.Path() / "data" / "Halvenmark" / "Corvalo" / "logfile.txt").string());
        EXPECT_EQ(log.find("Lua error"), std::string::npos) << log;
    }

    // Starts the game on the board of that level and waits for its window,
    // the board screen and its first picture.
    void Open(const char* mode, const char* difficulty) {
        const std::string folder = (mRoot.Path() / "game").string();
        ASSERT_EQ(RunProgram({"sh", CORVALO_TEST_DATA "/board/layout.sh", folder, CORVALO_PROGRAM,
                              CORVALO_BINARY_DIR "/assets", mode, "quick", difficulty}),
                  0);
        ASSERT_TRUE(
            ReadBoard(ReadWholeFile(CORVALO_BINARY_DIR "/assets/config.xml"), difficulty, mBoard))
            << "no board \"" << difficulty << "\" in config.xml";
        Start(folder + "/corvalo", nullptr);
        mWindow = FindWindow("^Corvalo$");
        ASSERT_FALSE(mWindow.empty()) << "timed out waiting for X: the game's window";
        ASSERT_TRUE(WaitForLine("open scripts/game.lua"));
        ASSERT_EQ(Xdotool({"windowfocus", "--sync", mWindow}), 0);
        mName = mode;
        mName[0] = static_cast<char>(std::tolower(mName[0]));
        // The first frames of a window that has just opened are black.
        ASSERT_TRUE(WaitUntil("a picture in the window", [&] {
            Capture(mName + "-curtains");
            const std::vector<double> rgb = MeanColour(mName + "-curtains", 0, 0, 1024, 768);
            return rgb[0] + rgb[1] + rgb[2] > 0.15;
        }));
    }

    // Waits until the curtains are open and the board takes clicks.
    void WaitForPlay() {
        ASSERT_TRUE(WaitForLine("blocker off"));
        Capture(mName + "-playing");
    }

    // The window's picture from the X server, as the frames folder's
    // NAME.png.
    void Capture(const std::string& name) {
        const std::string path = kFrames + "/" + name + ".png";
        EXPECT_EQ(RunProgram({"import", "-window", mWindow, path}), 0) << path;
    }

    void ClickAt(int x, int y) {
        ASSERT_EQ(Xdotool({"mousemove", "--window", mWindow, "--sync", std::to_string(x),
                           std::to_string(y)}),
                  0);
        ASSERT_EQ(Xdotool({"click", "1"}), 0);
    }

    void ClickSlot(int row, int column) {
        const auto [x, y] = mBoard.Slot(row, column);
        ClickAt(x, y);
    }

    // The next pair of slots of the bottom rows, at a player's pace.
    void ClickPair() {
        const int row = 1 + (mPairs % 2);
        const int column = (2 * (mPairs / 2)) % (mBoard.columns - 1);
        ++mPairs;
        ClickSlot(row, column);
        std::this_thread::sleep_for(milliseconds(150));
        ClickSlot(row, column + 1);
        std::this_thread::sleep_for(milliseconds(350));
    }

    // The mean red, green and blue (0 to 1) of a box of a captured frame.
    std::vector<double> MeanColour(const std::string& name, int x, int y, int w, int h) {
        return MeanColourIn(kFrames + "/" + name + ".png", x, y, w, h);
    }

    // Whether the score card's orange title bar stands in the frame.
    bool ShowsScoreCard(const std::string& name) {
        const std::vector<double> rgb = MeanColour(name, 262, 224, 500, 40);
        return rgb[0] > 0.75 && rgb[2] < 0.45 && rgb[0] - rgb[2] > 0.4;
    }

    size_t Count(const std::string& line) const { return Occurrences(Output(), line); }

    // Opens the board of a mode on the shipped levels: it takes a few
    // clicks and still stands.
    void PlaysInAWindow(const char* mode) {
        Open(mode, "easy");
        if (HasFatalFailure())
            return;
        WaitForPlay();
        if (HasFatalFailure())
            return;
        for (int i = 0; i < 2; ++i)
            ClickPair();
        Capture(mName + "-clicked");
        EXPECT_EQ(Count("closed scripts/game.lua"), 0u) << Output();
        EndCleanly();
    }

    // One generous limit for everything a test waits for: a loaded
    // machine is slow, not broken.
    static constexpr std::chrono::seconds kLimit{240};
    const std::string kFrames = CORVALO_BINARY_DIR "/board-frames";
    XClock::time_point mDeadline;
    std::string mWindow;
    std::string mName;
    Board mBoard;
    int mPairs = 0;
};

TEST_F(BoardWindow, ClassicPlaysFromTheCurtainsToTheScoreCardAndGoesOn) {
    Open("Classic", "easy");
    WaitForPlay();
    EXPECT_FALSE(ShowsScoreCard("classic-playing"));
    // Any two tiles match: pairs until the quota is met, the tiles left
    // turn golden, the celebration plays and the card slides in. Clicks
    // while the countdown still runs are not taken; those after the quota
    // fall on the board, which no longer takes them.
    ClickPair();
    Capture("classic-match");
    bool card = false;
    ASSERT_TRUE(WaitUntil("the score card",
                          [&] {
                              if (mPairs < 12)
                                  ClickPair();
                              Capture("classic-score-card");
                              card = ShowsScoreCard("classic-score-card");
                              return card;
                          }))
        << "no score card in " << kFrames << "/classic-score-card.png";
    // Continue, at the foot of the card, starts the next level on the same
    // board screen: the card goes. (It takes the click once it has slid
    // in; until the card goes, Continue is clicked again.)
    ASSERT_TRUE(WaitUntil("the score card to go after Continue", [&] {
        ClickAt(638, 526);
        std::this_thread::sleep_for(milliseconds(300));
        Capture("classic-next-level");
        return !ShowsScoreCard("classic-next-level");
    }));
    EXPECT_EQ(Count("closed scripts/game.lua"), 0u) << Output();
    EXPECT_EQ(Count("open scripts/game.lua"), 1u) << Output();
    EndCleanly();
}

TEST_F(BoardWindow, BlitzLeftIdleLosesALife) {
    Open("Blitz", "easy");
    WaitForPlay();
    // Nobody plays: the clock runs out and a life is lost.
    ASSERT_TRUE(WaitForLine("open scripts/lose_life.lua"));
    Capture("blitz-lose-life");
    EXPECT_EQ(Count("closed scripts/game.lua"), 0u) << Output();
    EndCleanly();
}

// The pause button: the pause panel slides in from above over the board,
// and Return resumes the game.
TEST_F(BoardWindow, PauseSlidesInAndReturnResumes) {
    Open("Classic", "easy");
    WaitForPlay();
    if (HasFatalFailure())
        return;
    ClickAt(127, 38);
    ASSERT_TRUE(WaitForLine("open scripts/pause.lua"));
    Capture("pause-sliding");
    // The panel's light field stands below its buttons once it has come in.
    std::vector<double> field;
    EXPECT_TRUE(WaitUntil("the pause panel in place",
                          [&] {
                              Capture("pause-open");
                              field = MeanColour("pause-open", 240, 415, 540, 30);
                              return field[0] + field[1] + field[2] > 2.4;
                          }))
        << field[0] << " " << field[1] << " " << field[2];
    ASSERT_EQ(Xdotool({"key", "--window", mWindow, "Return"}), 0);
    ASSERT_TRUE(WaitForLine("closed scripts/pause.lua"));
    EXPECT_EQ(Count("closed scripts/game.lua"), 0u) << Output();
    EndCleanly();
}

// The other three modes on the shipped levels.
TEST_F(BoardWindow, StrategyPlaysInAWindow) {
    PlaysInAWindow("Strategy");
}

TEST_F(BoardWindow, RomePlaysInAWindow) {
    PlaysInAWindow("Rome");
}

TEST_F(BoardWindow, JokerPlaysInAWindow) {
    PlaysInAWindow("Joker");
}

} // namespace
