#pragma once

// The whole game in its own full-screen window on a real X server, as a
// player meets it: the program laid out with the build's assets beside it
// (tests/data/game/layout.sh), xdotool as the player's hands, ImageMagick's
// import taking the window's pictures, the game's log telling which
// screens open and close ("Screen opened: scripts/...") and its board
// trace ("CORVALO_BOARD_TRACE") giving a player with perfect memory every
// tile. On a desktop other than 1024 x 768 the game's picture is scaled
// with bars; places are given in the game's 1024 x 768 picture and mapped
// through the same fit, and captures are brought back to it.

#include "support/BoardTraceReader.h"
#include "support/XGameFixture.h"
#include "support/XProgram.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace support {

class XGameWindow : public XGameFixture {
protected:
    // frames: the build's folder the pictures go to, one folder a test.
    explicit XGameWindow(std::string frames) : mFrames(std::move(frames)) {}

    void SetUp() override {
        XGameFixture::SetUp();
        if (IsSkipped())
            return;
        // Each test's pictures in a folder of its own: tests run side by
        // side.
        mFrames +=
            std::string("/") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(mFrames);
        std::filesystem::create_directories(mFrames);
    }

    // The program with the build's assets beside it, as the build lays out
    // the game it runs.
    void LayOut() {
        ASSERT_EQ(RunProgram({"sh", CORVALO_TEST_DATA "/game/layout.sh", Folder(), CORVALO_PROGRAM,
                              CORVALO_BINARY_DIR "/assets"}),
                  0);
    }

    std::string Folder() const { return (mRoot.Path() / "game").string(); }

    // Starts the laid-out program and waits for its window.
    void Launch() {
        Start(Folder() + "/corvalo", nullptr);
        mWindow = FindWindow("^Corvalo$");
        ASSERT_FALSE(mWindow.empty());
        ASSERT_EQ(Xdotool({"windowfocus", "--sync", mWindow}), 0);
    }

    // The log of this run of the program: each run starts its log anew.
    std::string RunLog() const { return Log(); }
    size_t CountInLog(const std::string& line) const { return Occurrences(RunLog(), line); }
    // Waits until the line stands count times in this run's log.
    bool WaitForLog(const std::string& line, size_t count = 1,
                    std::chrono::milliseconds limit = kXOutputWait) const {
        const XClock::time_point start = XClock::now();
        while (XClock::now() - start < limit) {
            if (CountInLog(line) >= count)
                return true;
            Wait(50);
        }
        return false;
    }
    static std::string Opened(const std::string& script) {
        return "Screen opened: scripts/" + script;
    }
    static std::string Closed(const std::string& script) {
        return "Screen closed: scripts/" + script;
    }
    // A screen stands: opened more often than closed.
    bool IsOpen(const std::string& script) const {
        return CountInLog(Opened(script)) > CountInLog(Closed(script));
    }

    // The pointer onto the place (x, y) of the game's picture, and a click
    // there; in one run of xdotool, whose events the server takes in order.
    void MoveTo(int x, int y) { ClickEach(Fit(), {{x, y}}, false); }
    void ClickAt(int x, int y) { ClickEach(Fit(), {{x, y}}); }

    // xdotool, given at most ten seconds: a check must not hang on it.
    static int Hand(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"timeout", "10", "xdotool"});
        return RunProgram(arguments);
    }
    void Key(const char* key) { ASSERT_EQ(Xdotool({"key", "--window", mWindow, key}), 0); }

    // Clicks there until the log line stands count times: a click that
    // comes while a screen still opens (its buttons shut behind the
    // curtain or the fade) is lost.
    bool ClickUntil(int x, int y, const std::string& line, size_t count = 1) {
        for (int attempt = 0; attempt < 30; ++attempt) {
            ClickAt(x, y);
            if (WaitForLog(line, count, std::chrono::milliseconds(1500)))
                return true;
        }
        return false;
    }

    // The window's picture, brought back to the game's 1024 x 768.
    std::string Capture(const std::string& name) {
        const std::string path = mFrames + "/" + name + ".png";
        CaptureInto(path);
        return path;
    }
    // The mean red, green and blue (0 to 1) of a box of a captured frame.
    std::vector<double> MeanColour(const std::string& name, int x, int y, int w, int h) const {
        return MeanColourIn(mFrames + "/" + name + ".png", x, y, w, h);
    }
    // Captures until the box's colour passes the test, at most limit.
    template <typename Test>
    bool CaptureUntil(const std::string& name, int x, int y, int w, int h, Test test,
                      std::chrono::milliseconds limit = kXOutputWait) {
        const XClock::time_point start = XClock::now();
        do {
            Capture(name);
            if (test(MeanColour(name, x, y, w, h)))
                return true;
            Wait(150);
        } while (XClock::now() - start < limit);
        return false;
    }

    // The first start on an empty profile: the register screen, a name
    // typed, OK; the intro skipped with Space.
    void Register(const std::string& name) {
        ASSERT_TRUE(WaitForLog(Opened("register.lua"))) << RunLog() << Errors();
        ASSERT_TRUE(CaptureUntil("register", 0, 0, 1024, 768, [](const std::vector<double>& rgb) {
            return Brightness(rgb) > 0.2;
        }));
        ASSERT_EQ(Xdotool({"type", "--delay", "60", name}), 0);
        ASSERT_TRUE(ClickUntil(512, 614, Closed("register.lua"))) << RunLog();
        // The intro of a player's first visit, skipped: Space goes on from
        // each of its stops.
        ASSERT_TRUE(WaitForLog(Opened("cutscene.lua"))) << RunLog();
        for (int attempt = 0; attempt < 60 && IsOpen("cutscene.lua"); ++attempt) {
            Key("space");
            WaitForLog(Closed("cutscene.lua"), 1, std::chrono::milliseconds(1000));
        }
        ASSERT_FALSE(IsOpen("cutscene.lua")) << RunLog();
    }

    // The menu's Quest button, until the world map opens (count times in
    // this run).
    void OpenQuest(size_t count = 1) {
        ASSERT_TRUE(ClickUntil(kQuestX, kQuestY, Opened("worldmap.lua"), count)) << RunLog();
    }

    // A node's centre on the world map, from the node table the map is
    // made from.
    static std::pair<int, int> NodePlace(int node) {
        const std::string table = ReadWholeFile(CORVALO_SOURCE_DIR "/assets/metamap.xml");
        const std::regex record("<node name=\"" + std::to_string(node) +
                                "\"><x>(\\d+)</x><y>(\\d+)</y>");
        std::smatch m;
        if (!std::regex_search(table, m, record))
            return {-1, -1};
        return {std::stoi(m[1]), std::stoi(m[2])};
    }

    // Writes the player's quest map as won through the first nodes.
    void DoctorQuest(int completed) {
        std::string said;
        ASSERT_EQ(
            RunProgram({CORVALO_BINARY_DIR "/tools/prefstool", "--dir", UserFolder(), "--assets",
                        Folder() + "/assets", "quest", std::to_string(completed), "0"},
                       &said),
            0)
            << said;
    }
    void Doctor(const std::string& key, const std::string& value) {
        std::string said;
        ASSERT_EQ(WriteStored(key, value, 0, said), 0) << said;
    }
    // What the store holds for a key of player 0.
    std::string Stored(const std::string& key) const {
        std::string value;
        return ReadStored(key, 0, value) ? value : "(none)";
    }

    TracedBoard ReadBoard() const { return ParseBoardTrace(ReadWholeFile(TracePath())); }

    // Waits for a level of the board screen that takes clicks.
    bool WaitForPlayableBoard(TracedBoard& board, XClock::duration limit = kXOutputWait) const {
        const XClock::time_point start = XClock::now();
        while (XClock::now() - start < limit) {
            board = ReadBoard();
            if (board.Playing() && !board.busy)
                return true;
            Wait(100);
        }
        return false;
    }

    // The pointer moved to each place of the game's picture in turn, and
    // clicked there, in one run of xdotool (a player's quick hand on a
    // board that does not wait). Each move waits until the server has
    // moved the pointer; one that would not move it (xdotool would wait
    // for ever) goes a pixel aside.
    void ClickEach(const PictureFit& fit, const std::vector<std::pair<int, int>>& places,
                   bool click = true) {
        std::vector<std::string> arguments;
        for (const auto& place : places) {
            std::pair<int, int> screen = OnScreen(fit, place.first, place.second);
            if (screen == mPointer)
                screen.first += screen.first > fit.left ? -1 : 1;
            mPointer = screen;
            for (const std::string& word :
                 {std::string("mousemove"), std::string("--window"), mWindow, std::string("--sync"),
                  std::to_string(screen.first), std::to_string(screen.second)})
                arguments.push_back(word);
            if (click) {
                arguments.push_back("click");
                arguments.push_back("1");
            }
        }
        ASSERT_EQ(Hand(arguments), 0);
    }

    // Plays the standing level as a player who knows every face, until it
    // is won (1) or the board closes without a win (2); -1 when neither
    // came in time. A life lost is answered with OK (lose_life.lua) and
    // the level played again.
    int PlayToTheEnd(const std::string& framePrefix) {
        const XClock::time_point start = XClock::now();
        const PictureFit fit = Fit();
        bool captured = false;
        while (XClock::now() - start < std::chrono::seconds(240)) {
            const TracedBoard board = ReadBoard();
            if (board.read && board.closed)
                return 2;
            if (board.read && !board.none && board.outcome == 1)
                return 1;
            if (IsOpen("lose_life.lua")) {
                Capture(framePrefix + "-life-lost");
                ClickUntil(kLoseLifeOkX, kLoseLifeOkY, Closed("lose_life.lua"),
                           CountInLog(Closed("lose_life.lua")) + 1);
                continue;
            }
            // Tiles sliding or falling (rows arriving) do not stop a quick
            // player: a tile whose click is taken now is played.
            if (!board.Playing()) {
                Wait(40);
                continue;
            }
            if (!captured) {
                Capture(framePrefix + "-board");
                captured = true;
            }
            const std::vector<const TracedSlot*> move = PerfectMove(board);
            if (move.empty()) {
                Wait(60);
                continue;
            }
            const std::string before = ReadWholeFile(TracePath());
            std::vector<std::pair<int, int>> places;
            for (const TracedSlot* slot : move)
                places.emplace_back(slot->CentreX(), slot->CentreY());
            ClickEach(fit, places);
            // The next move once the board has taken this one.
            for (int i = 0; i < 100 && ReadWholeFile(TracePath()) == before; ++i)
                Wait(20);
        }
        return -1;
    }

    // Ended by Alt+F4 and Yes with 0, nothing reported by the sanitizers,
    // no script error.
    void EndCleanly() {
        const Ending ending = CloseAndAnswerYes();
        EXPECT_TRUE(ending.ExitedWith(0)) << ending.Describe() << "\n" << Errors();
        CheckQuiet();
    }
    void CheckQuiet() {
        CheckSanitizersQuiet();
        EXPECT_EQ(Log().find("Lua error"), std::string::npos) << Log();
    }

    static void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    // The menu's Quest button (mainmenu.lua: the first large button of the
    // column at 392, 196).
    static constexpr int kQuestX = 392 + 120, kQuestY = 196 + 32;
    // The life-lost pop-up's OK (lose_life.lua).
    static constexpr int kLoseLifeOkX = 512 + 80, kLoseLifeOkY = 488 + 24;

    std::string mFrames;
    // Where the last move left the pointer, in the window.
    std::pair<int, int> mPointer{-1, -1};
};

} // namespace support
