// The real main window on a real X server: started by ctest on a virtual X server
// (see run_under_xvfb.sh), it opens the window on SDL's x11 driver, has
// xdotool click, scroll and type into it as a user would, and checks the
// message records that come out, and switches it to full screen and back
// on a server without a window manager. Not run by the offscreen test set.

#include "platform/desktop/SystemCursor.h"
#include "platform/desktop/sdl/SdlDesktop.h"
#include "platform/window/sdl/SdlWindow.h"
#include "platform/window/sdl/X11Placement.h"

#include "support/DriverLeaks.h"

#include <SDL.h>
#include <gtest/gtest.h>

// After the test framework: the X headers define names it uses.
#include <SDL_syswm.h>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

using namespace platform;

namespace {

// Runs xdotool with the given arguments and waits for it; its exit status.
int Xdotool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, "xdotool", nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RealWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display (run through run_under_xvfb.sh)";
        setenv("SDL_VIDEODRIVER", "x11", 1);
        WindowSpec spec;
        spec.caption = "Corvalo X11 check";
        spec.x = 0;
        spec.y = 0;
        spec.width = 320;
        spec.height = 240;
        ASSERT_TRUE(window.Create(spec)) << window.LastError();
        support::PinGlDriver();
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(window.NativeWindow(), &info)) << SDL_GetError();
        ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
        xid = std::to_string(info.info.x11.window);
        Collect(std::chrono::milliseconds(300));
        messages.clear();
    }

    // Takes messages until none has come for `quiet`, or five seconds pass.
    void Collect(std::chrono::milliseconds quiet) {
        using Clock = std::chrono::steady_clock;
        Clock::time_point start = Clock::now(), last = Clock::now();
        while (Clock::now() - last < quiet && Clock::now() - start < std::chrono::seconds(5)) {
            WindowMessage message;
            if (window.PeekMessage(message)) {
                messages.push_back(message);
                last = Clock::now();
            } else {
                window.WaitMessage(5);
            }
        }
    }

    // Index of the first message of that kind (and word, when given) at or
    // after `from`; -1 when there is none.
    int Find(uint32_t kind, int from = 0, int64_t wParam = -1) const {
        for (size_t i = from; i < messages.size(); ++i)
            if (messages[i].message == kind &&
                (wParam < 0 || messages[i].wParam == static_cast<uintptr_t>(wParam)))
                return static_cast<int>(i);
        return -1;
    }

    std::string Dump() const {
        std::string text;
        for (const WindowMessage& m : messages)
            text += MessageName(m.message) + "(" + std::to_string(m.wParam) + "," +
                    std::to_string(m.lParam) + ") ";
        return text;
    }

    SdlWindow window;
    std::string xid;
    std::vector<WindowMessage> messages;
};

TEST_F(RealWindow, ClicksWheelAndTypingBecomeMessageRecords) {
    ASSERT_EQ(Xdotool({"windowfocus", "--sync", xid}), 0);
    ASSERT_EQ(Xdotool({"mousemove", "--window", xid, "--sync", "50", "60"}), 0);
    ASSERT_EQ(Xdotool({"click", "1", "click", "4", "click", "5", "click", "8"}), 0);
    ASSERT_EQ(Xdotool({"type", "--delay", "20", "Hi"}), 0);
    ASSERT_EQ(Xdotool({"key", "--delay", "20", "Return", "Left", "ctrl+a", "alt+b"}), 0);
    Collect(std::chrono::milliseconds(500));
    SCOPED_TRACE(Dump());

    // The pointer and its click, at the place it was moved to.
    int move = Find(kWmMouseMove);
    ASSERT_GE(move, 0);
    int down = Find(kWmLButtonDown, move);
    ASSERT_GE(down, 0);
    EXPECT_EQ(PointX(messages[down].lParam), 50);
    EXPECT_EQ(PointY(messages[down].lParam), 60);
    EXPECT_EQ(LowWord(messages[down].wParam), kMkLButton);
    int up = Find(kWmLButtonUp, down);
    ASSERT_GE(up, 0);

    // Wheel forward, then back; the first extra button.
    int forward = Find(kWmMouseWheel, up);
    ASSERT_GE(forward, 0);
    EXPECT_EQ(WheelDeltaOf(messages[forward].wParam), kWheelDelta);
    int back = Find(kWmMouseWheel, forward + 1);
    ASSERT_GE(back, 0);
    EXPECT_EQ(WheelDeltaOf(messages[back].wParam), -kWheelDelta);
    int extra = Find(kWmXButtonDown, back);
    ASSERT_GE(extra, 0);
    EXPECT_EQ(HighWord(messages[extra].wParam), kXButton1);

    // "Hi": Shift+H gives key H and character 'H', then 'i'.
    int keyH = Find(kWmKeyDown, extra, 'H');
    ASSERT_GE(keyH, 0);
    int charH = Find(kWmChar, keyH, 'H');
    ASSERT_GE(charH, 0);
    int charI = Find(kWmChar, charH + 1, 'i');
    ASSERT_GE(charI, 0);

    // Enter makes its own character, Left carries the extended bit, Ctrl+A
    // gives character 1, Alt+B is a system key with the Alt bit.
    int enter = Find(kWmKeyDown, charI, kVkReturn);
    ASSERT_GE(enter, 0);
    ASSERT_GE(Find(kWmChar, enter, 13), 0);
    int left = Find(kWmKeyDown, enter, kVkLeft);
    ASSERT_GE(left, 0);
    EXPECT_TRUE(static_cast<uint32_t>(messages[left].lParam) & kKeyExtendedBit);
    int controlA = Find(kWmChar, left, 1);
    ASSERT_GE(controlA, 0);
    int altB = Find(kWmSysKeyDown, controlA, 'B');
    ASSERT_GE(altB, 0);
    EXPECT_TRUE(static_cast<uint32_t>(messages[altB].lParam) & kKeyAltBit);
    EXPECT_EQ(Find(kWmChar, altB, 'b'), -1) << "Alt+B types nothing";
}

TEST_F(RealWindow, CursorAndClipboardWork) {
    SdlDesktop desktop;
    desktop.SetOwner(window.NativeWindow());
    CursorImage arrow = SystemCursorImage();
    CursorHandle cursor = desktop.CreateColorCursor(arrow.bgra.data(), arrow.width, arrow.height,
                                                    arrow.width * 4, arrow.hotX, arrow.hotY);
    ASSERT_NE(cursor, 0u) << SDL_GetError();
    EXPECT_TRUE(desktop.SetCursor(cursor));
    EXPECT_TRUE(desktop.SetCursor(0));
    desktop.DestroyCursor(cursor);

    ASSERT_TRUE(desktop.SetClipboardText("Corvalo \xE2\x82\xAC"));
    std::string text;
    EXPECT_TRUE(desktop.GetClipboardText(text));
    EXPECT_EQ(text, "Corvalo \xE2\x82\xAC");
}

TEST_F(RealWindow, HoverAndLeaveFollowThePointer) {
    ASSERT_EQ(Xdotool({"mousemove", "--window", xid, "--sync", "100", "100"}), 0);
    Collect(std::chrono::milliseconds(100));
    ASSERT_TRUE(window.TrackMouse(kTrackHover | kTrackLeave));
    messages.clear();
    Collect(std::chrono::milliseconds(700)); // the pointer rests
    SCOPED_TRACE(Dump());
    int hover = Find(kWmMouseHover);
    ASSERT_GE(hover, 0);
    EXPECT_EQ(PointX(messages[hover].lParam), 100);

    ASSERT_EQ(Xdotool({"mousemove", "--sync", "900", "700"}), 0); // off the window
    Collect(std::chrono::milliseconds(300));
    EXPECT_GE(Find(kWmMouseLeave, hover), 0);
}

// SDL's desktop full screen with no window manager to answer it: the
// window must still cover the screen (as the X server has it, not as SDL
// reports it), give the screen's size as its drawable, and come back to its
// own place and size. Both ways in are checked: the window's own switch and
// a switch made through SDL directly, as the display does.
TEST(RealFullScreen, CoversTheScreenWithoutAWindowManagerAndComesBack) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display (run through run_under_xvfb.sh)";
    setenv("SDL_VIDEODRIVER", "x11", 1);
    SdlWindow window;
    WindowSpec spec;
    spec.caption = "Corvalo full-screen check";
    spec.x = 64;
    spec.y = 48;
    spec.width = 400;
    spec.height = 300;
    ASSERT_TRUE(window.Create(spec)) << window.LastError();
    support::PinGlDriver();
    if (X11ManagerHandlesFullScreen(window.NativeWindow()))
        GTEST_SKIP() << "a window manager handles full screen on this display";
    int32_t screenW = 0, screenH = 0;
    ASSERT_TRUE(window.GetScreenSize(screenW, screenH));
    ASSERT_GT(screenW, spec.width);
    ASSERT_GT(screenH, spec.height);
    // The window is mapped and placed before the switch.
    WindowMessage message;
    for (int i = 0; i < 30; ++i) {
        while (window.PeekMessage(message)) {
        }
        SDL_Delay(10);
    }
    const WindowRect windowed{spec.x, spec.y, spec.width, spec.height};
    ASSERT_EQ(X11WindowGeometry(window.NativeWindow()), windowed);
    const WindowRect screen{0, 0, screenW, screenH};

    const auto expectPlaced = [&](const WindowRect& where, const char* when) {
        SCOPED_TRACE(when);
        int32_t drawW = 0, drawH = 0, clientW = 0, clientH = 0;
        window.GetDrawableSize(drawW, drawH);
        window.GetClientSize(clientW, clientH);
        const std::optional<WindowRect> real = X11WindowGeometry(window.NativeWindow());
        ASSERT_TRUE(real.has_value());
        EXPECT_EQ(real->x, where.x);
        EXPECT_EQ(real->y, where.y);
        EXPECT_EQ(real->width, where.width);
        EXPECT_EQ(real->height, where.height);
        EXPECT_EQ(drawW, real->width);
        EXPECT_EQ(drawH, real->height);
        EXPECT_EQ(clientW, real->width);
        EXPECT_EQ(clientH, real->height);
    };

    ASSERT_TRUE(window.SetFullScreen(true));
    EXPECT_TRUE(window.IsFullScreen());
    expectPlaced(screen, "full screen through the window");
    ASSERT_TRUE(window.SetFullScreen(false));
    EXPECT_FALSE(window.IsFullScreen());
    expectPlaced(windowed, "back from the window's own switch");

    ASSERT_EQ(SDL_SetWindowFullscreen(window.NativeWindow(), SDL_WINDOW_FULLSCREEN_DESKTOP), 0);
    expectPlaced(screen, "full screen through SDL");
    ASSERT_EQ(SDL_SetWindowFullscreen(window.NativeWindow(), 0), 0);
    expectPlaced(windowed, "back through SDL");
    // Messages taken in between change nothing.
    for (int i = 0; i < 10; ++i) {
        while (window.PeekMessage(message)) {
        }
        SDL_Delay(10);
    }
    expectPlaced(windowed, "after the window's messages");
}

} // namespace
