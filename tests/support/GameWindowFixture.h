#pragma once

// The whole game in its own window on a real X server, played as a person
// plays it: the build's program and assets laid out in a folder as
// `make run` runs them, with the check's start-up script
// (tests/data/menus/main.lua) over the game's own, which prints each
// screen that opens and closes and where each named window of a screen
// stands. Clicks go to the places the screens' scripts give, mapped
// through the full screen's fit; the board is read from the game's board
// trace (CORVALO_BOARD_TRACE), so that a player with perfect memory can
// win. Frames are kept in the build's folder of that name, brought back to
// the game's 1024 x 768 picture.

#include "support/BoardTraceReader.h"
#include "support/XGameFixture.h"
#include "support/XProgram.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace support {

class GameWindowFixture : public XGameFixture {
protected:
    // The whole check must end within this: a wait that meets it fails,
    // naming what it waited for.
    static constexpr std::chrono::seconds kCheckLimit{280};

    void SetUp() override {
        XGameFixture::SetUp();
        if (IsSkipped())
            return;
        mDeadline = XClock::now() + kCheckLimit;
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        mFramePrefix = std::string(test->name()) + "-";
        std::filesystem::create_directories(FramesFolder());
        LayOut();
    }

    virtual std::string FramesFolder() const = 0;

    std::filesystem::path Folder() const { return mRoot.Path() / "game"; }

    // The program and the build's assets, the check's start-up script over
    // the game's own.
    void LayOut() {
        namespace fs = std::filesystem;
        fs::create_directories(Folder());
        fs::copy_file(CORVALO_PROGRAM, Folder() / "corvalo");
        fs::copy(CORVALO_BINARY_DIR "/assets", Folder() / "assets", fs::copy_options::recursive);
        fs::rename(Folder() / "assets" / "scripts" / "main.lua",
                   Folder() / "assets" / "scripts" / "game_main.lua");
        fs::copy_file(CORVALO_TEST_DATA "/menus/main.lua",
                      Folder() / "assets" / "scripts" / "main.lua");
    }

    // Starts the game and waits for its window.
    void Launch() {
        mOutputSeen = 0;
        Start((Folder() / "corvalo").string(), nullptr);
        mWindow = FindWindow("^Corvalo$");
        ASSERT_FALSE(mWindow.empty()) << Output() << Errors();
        ASSERT_EQ(Xdotool({"windowfocus", "--sync", mWindow}), 0);
    }

    // --- waiting ----------------------------------------------------------

    // The game stands still while its window is not the active one (its
    // curtains stop, a level pauses): now and then, and before each input,
    // the window is given the focus again, should anything have taken it.
    void Refocus() {
        if (!mWindow.empty())
            Xdotool({"windowfocus", mWindow});
        mRefocused = XClock::now();
    }
    template <typename Condition> bool WaitUntil(const std::string& what, Condition condition) {
        while (!condition()) {
            if (XClock::now() - mRefocused > std::chrono::seconds(2))
                Refocus();
            if (XClock::now() > mDeadline) {
                ADD_FAILURE() << "timed out waiting for " << what << " (the check's limit, "
                              << kCheckLimit.count() << " s)\n"
                              << Output() << Errors();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
        return true;
    }
    size_t Count(const std::string& line) const { return Occurrences(Output(), line); }
    // Waits until the line has been printed n times in all.
    bool WaitForLine(const std::string& line, size_t n = 1) {
        return WaitUntil("\"" + line + "\" in the game's output", [&] { return Count(line) >= n; });
    }
    // Waits for the line's next printing: one more than now.
    bool WaitForNext(const std::string& line, size_t now) { return WaitForLine(line, now + 1); }

    // --- places -----------------------------------------------------------

    struct Place {
        bool found = false;
        int x = 0, y = 0, w = 0, h = 0;
        int CentreX() const { return x + w / 2; }
        int CentreY() const { return y + h / 2; }
    };
    // Where the window whose path ends with `path` stands, as the screens
    // still open lay it out: the latest screen first, then the ones below
    // it (a screen's windows are forgotten once it has closed). A size the
    // script leaves to the picture is read from the picture.
    Place Find(const std::string& path) const {
        std::vector<std::vector<std::string>> screens(1);
        std::istringstream in(Output());
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("open ", 0) == 0)
                screens.emplace_back();
            else if (line.rfind("closed ", 0) == 0 && screens.size() > 1)
                screens.pop_back();
            else if (line.rfind("layout ", 0) == 0)
                screens.back().push_back(line);
        }
        for (auto screen = screens.rbegin(); screen != screens.rend(); ++screen)
            for (auto line = screen->rbegin(); line != screen->rend(); ++line) {
                std::istringstream words(*line);
                std::string word, name, image;
                Place p;
                if (!(words >> word >> name >> p.x >> p.y >> p.w >> p.h >> image))
                    continue;
                if (name != path && (name.size() <= path.size() ||
                                     name.compare(name.size() - path.size() - 1, std::string::npos,
                                                  "/" + path) != 0))
                    continue;
                if ((p.w < 0 || p.h < 0) && image != "-")
                    PictureSize(image, p.w, p.h);
                p.found = true;
                return p;
            }
        return Place();
    }
    // A PNG's size from its header; 0 when it cannot be read.
    void PictureSize(const std::string& image, int& w, int& h) const {
        std::ifstream in(Folder() / "assets" / image, std::ios::binary);
        unsigned char header[24] = {};
        if (!in.read(reinterpret_cast<char*>(header), sizeof header)) {
            w = h = 0;
            return;
        }
        auto word = [&](int at) {
            return static_cast<int>(header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 |
                                    header[at + 3]);
        };
        w = word(16);
        h = word(20);
    }

    // --- input ------------------------------------------------------------

    void MoveTo(int x, int y) {
        Refocus();
        const std::pair<int, int> screen = OnScreen(Fit(), x, y);
        ASSERT_EQ(Xdotool({"mousemove", "--window", mWindow, "--sync", std::to_string(screen.first),
                           std::to_string(screen.second)}),
                  0);
    }
    void ClickAt(int x, int y) {
        MoveTo(x, y);
        ASSERT_EQ(Xdotool({"click", "1"}), 0);
    }
    // A click in the middle of the named window of the screen standing.
    // Waits until the screen standing has laid out the named window.
    Place WaitForPlace(const std::string& path) {
        Place place;
        WaitUntil("the window \"" + path + "\" laid out", [&] {
            place = Find(path);
            return place.found;
        });
        return place;
    }
    void Click(const std::string& path) {
        const Place place = WaitForPlace(path);
        ASSERT_TRUE(place.found);
        ClickAt(place.CentreX(), place.CentreY());
    }
    void Type(const std::string& text) {
        ASSERT_EQ(Xdotool({"type", "--window", mWindow, "--delay", "60", text}), 0);
    }
    // A key as the keyboard sends it, to the window that has the focus.
    void Key(const std::string& key) {
        Refocus();
        ASSERT_EQ(Xdotool({"key", key}), 0);
    }

    // Whether the screen standing takes clicks: its input blocker (printed
    // by the start-up script) was last hidden, or it showed none since it
    // opened (or since the screen above it closed).
    bool InputOpen() const {
        const std::string output = Output();
        const size_t at = output.rfind("\nblocker ");
        if (at == std::string::npos)
            return true;
        if (output.find("\nopen ", at) != std::string::npos ||
            output.find("\nclosed ", at) != std::string::npos)
            return true;
        return output.compare(at + 1, 13, "blocker false") == 0 ||
               output.compare(at + 1, 11, "blocker off") == 0;
    }
    // Clicks the named button once the screen takes clicks, and again only
    // when a while has passed and the screen still takes clicks, until the
    // line is printed once more.
    bool PressUntil(const std::string& path, const std::string& line) {
        const size_t before = Count(line);
        XClock::time_point next = XClock::now();
        return WaitUntil("\"" + line + "\" after pressing " + path, [&] {
            if (Count(line) > before)
                return true;
            if (XClock::now() >= next && InputOpen()) {
                Click(path);
                next = XClock::now() + std::chrono::milliseconds(4000);
            }
            return false;
        });
    }

    // --- frames -----------------------------------------------------------

    std::string FramePath(const std::string& name) const {
        return FramesFolder() + "/" + mFramePrefix + name + ".png";
    }
    // The window's picture, brought back to the game's 1024 x 768.
    void Capture(const std::string& name) { CaptureInto(FramePath(name)); }
    // The mean red, green and blue (0 to 1) of a box of a kept frame.
    std::vector<double> MeanColour(const std::string& name, int x, int y, int w, int h) {
        return MeanColourIn(FramePath(name), x, y, w, h);
    }
    double Brightness(const std::string& name, int x, int y, int w, int h) {
        return support::Brightness(MeanColour(name, x, y, w, h));
    }
    // Captures until the box of the picture is all but the same in two
    // captures in a row (mean colour, 0 to 3; a snowflake seen through a
    // corner moves it by far less): a panel that slides in has come to
    // rest, so its buttons stand where the layout puts them.
    bool WaitForStill(int x, int y, int w, int h) {
        std::vector<double> last;
        return WaitUntil("the picture to stand still", [&] {
            Capture("still");
            std::vector<double> now = MeanColour("still", x, y, w, h);
            double change = last.empty() ? 3.0 : 0.0;
            for (size_t i = 0; i < now.size() && i < last.size(); ++i)
                change += std::abs(now[i] - last[i]);
            last = std::move(now);
            return change < 0.003;
        });
    }
    // Captures until the picture is no longer black (a new window's first
    // frames are).
    bool CaptureFirstPicture(const std::string& name) {
        return WaitUntil("a picture in the window", [&] {
            Capture(name);
            return Brightness(name, 0, 0, 1024, 768) > 0.05;
        });
    }

    // --- the board --------------------------------------------------------

    TracedBoard Board() const { return ParseBoardTrace(ReadWholeFile(TracePath())); }

    // Waits for a board of the level counted after `level` that takes
    // clicks.
    bool WaitForBoard(int level = 0) {
        return WaitUntil("a board that takes clicks (level " + std::to_string(level + 1) + ")",
                         [&] {
                             const TracedBoard board = Board();
                             return board.level > level && board.Playing();
                         });
    }

    // Plays the level standing as a player with perfect memory until it is
    // won or lost; the outcome (1 won).
    int PlayToTheEnd() {
        int moves = 0;
        int outcome = 0;
        std::string last;
        XClock::time_point lastMove = XClock::now();
        WaitUntil("the end of the level after " + std::to_string(moves) + " moves", [&] {
            const std::string text = ReadWholeFile(TracePath());
            const TracedBoard board = ParseBoardTrace(text);
            if (!board.read)
                return false;
            // Won or lost decides it; time up (3) waits for the turn under
            // way, which decides.
            if (board.closed || board.outcome == 1 || board.outcome == 2) {
                outcome = board.outcome;
                return true;
            }
            // A move is made on a still board, once the last one has changed
            // it (or, should a click have been lost, after a while).
            if (!board.input || board.busy ||
                (text == last && XClock::now() < lastMove + std::chrono::seconds(4)))
                return false;
            const std::vector<const TracedSlot*> move = PerfectMove(board);
            if (move.empty())
                return false;
            for (const TracedSlot* slot : move)
                ClickAt(slot->CentreX(), slot->CentreY());
            last = text;
            lastMove = XClock::now();
            ++moves;
            return false;
        });
        mMoves = moves;
        return outcome;
    }

    // --- the profile ------------------------------------------------------

    std::string Stored(const std::string& key, int player = 0) {
        std::string value;
        return ReadStored(key, player, value) ? value : "(none: " + value + ")";
    }
    void Doctor(const std::string& key, const std::string& value, int player = 0) {
        std::string said;
        EXPECT_EQ(WriteStored(key, value, player, said), 0) << said;
    }

    // --- the ending -------------------------------------------------------

    // Alt+F4 and Yes end the game with 0; the sanitizers reported nothing,
    // the scripts ran without error and nothing was missing.
    void EndCleanly() {
        const Ending ending = CloseAndAnswerYes();
        EXPECT_TRUE(ending.ExitedWith(0)) << ending.Describe() << "\n" << Output() << Errors();
        CheckQuiet();
    }
    void CheckQuiet() {
        CheckSanitizersQuiet();
        const std::string log = Log();
        for (const char* word : {"Lua error", "Lua Error", "missing", "not found"})
            EXPECT_EQ(log.find(word), std::string::npos) << "\"" << word << "\" in the log:\n"
                                                         << log;
    }

    // --- a player ---------------------------------------------------------

    // On the register screen: the name typed, the avatar's button, OK; the
    // intro of a first visit skipped with Space; the menu greets.
    void Register(const std::string& name, const std::string& avatar) {
        const size_t menus = Count("menu " + name + " avatar");
        ASSERT_TRUE(WaitForLine("layout edtName")) << Output();
        ASSERT_TRUE(CaptureFirstPicture("register"));
        Type(name);
        // The chosen avatar's button stands on the yellow highlight.
        const Place button = WaitForPlace("btnAvatar_" + avatar);
        XClock::time_point nextClick = XClock::now();
        ASSERT_TRUE(WaitUntil("the " + avatar + " chosen", [&] {
            Capture("register-" + avatar);
            if (MeanColour("register-" + avatar, button.x + 10, button.y + 5, button.w - 20, 4)[2] <
                0.65)
                return true;
            if (XClock::now() >= nextClick) {
                Click("btnAvatar_" + avatar);
                nextClick = XClock::now() + std::chrono::milliseconds(1500);
            }
            return false;
        }));
        ASSERT_TRUE(PressUntil("btnOk", "closed scripts/register.lua: ok"));
        ASSERT_TRUE(WaitForLine("open scripts/cutscene.lua")) << Output();
        WaitUntil("the intro on the screen", [&] {
            Capture("intro");
            return Brightness("intro", 0, 0, 1024, 768) > 0.05;
        });
        // Space takes the intro on past each of its stops, to its end.
        const size_t closed = Count("closed scripts/cutscene.lua");
        XClock::time_point next = XClock::now();
        ASSERT_TRUE(WaitUntil("the intro's end after Space", [&] {
            if (Count("closed scripts/cutscene.lua") > closed)
                return true;
            if (XClock::now() >= next) {
                Key("space");
                next = XClock::now() + std::chrono::milliseconds(700);
            }
            return false;
        }));
        ASSERT_TRUE(WaitForNext("menu " + name + " avatar", menus)) << Output();
    }

    std::string mFramePrefix;
    size_t mOutputSeen = 0;
    int mMoves = 0;
    XClock::time_point mDeadline;
    XClock::time_point mRefocused;
};

} // namespace support
