#include "platform/log/PlatformLog.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/sdl/SdlWindow.h"

#include "support/DriverLeaks.h"
#include "support/SdlEvents.h"
#include "support/TestWindow.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace platform;
using support::MessageNames;

// These run on SDL's offscreen video driver (set by the test build), which
// needs no display.

namespace {

std::vector<std::string> gLog;
void KeepLine(const char* line) {
    gLog.push_back(line);
}

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create(support::TestWindowSpec())) << window.LastError();
        support::PinGlDriver();
        // Whatever the driver reports about the new window is not under test.
        support::DrainMessages(window);
    }

    SDL_Event ForThisWindow(SDL_Event event) {
        uint32_t id = SDL_GetWindowID(window.NativeWindow());
        switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            event.key.windowID = id;
            break;
        case SDL_TEXTINPUT:
            event.text.windowID = id;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            event.button.windowID = id;
            break;
        case SDL_MOUSEMOTION:
            event.motion.windowID = id;
            break;
        case SDL_WINDOWEVENT:
            event.window.windowID = id;
            break;
        default:
            break;
        }
        return event;
    }

    void Push(SDL_Event event) {
        event = ForThisWindow(event);
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }

    std::vector<WindowMessage> Drain() { return support::DrainMessages(window); }

    SdlWindow window;
};

using NameList = std::vector<std::string>;

TEST_F(SdlWindowTest, Create_MakesAFixedSizeWindowWithAGlContext) {
    EXPECT_TRUE(window.IsCreated());
    EXPECT_NE(window.Handle(), 0u);
    EXPECT_EQ(window.Caption(), "Nimbrel");
    int32_t width = 0, height = 0;
    window.GetClientSize(width, height);
    EXPECT_EQ(width, 480);
    EXPECT_EQ(height, 360);
    EXPECT_FALSE(SDL_GetWindowFlags(window.NativeWindow()) & SDL_WINDOW_RESIZABLE);
    ASSERT_TRUE(window.HasGlContext());
    EXPECT_TRUE(window.MakeGlCurrent());
    int major = 0;
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major);
    EXPECT_GE(major, 2);
}

TEST_F(SdlWindowTest, CaptionAndSize_CanBeChanged) {
    window.SetCaption("Corvalo \xC3\xA9");
    EXPECT_EQ(window.Caption(), "Corvalo \xC3\xA9");
    window.SetClientSize(1024, 768);
    int32_t width = 0, height = 0;
    window.GetClientSize(width, height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
}

TEST_F(SdlWindowTest, Keys_ComeOutAsKeyAndCharacterMessages) {
    Push(support::SdlKey(true, SDL_SCANCODE_RETURN, SDLK_RETURN));
    Push(support::SdlKey(false, SDL_SCANCODE_RETURN, SDLK_RETURN));
    Push(support::SdlText("\xF0\x9F\x98\x80"));
    std::vector<WindowMessage> messages = Drain();
    ASSERT_EQ(MessageNames(messages),
              (NameList{"WM_KEYDOWN", "WM_CHAR", "WM_KEYUP", "WM_CHAR", "WM_CHAR"}));
    EXPECT_EQ(messages[1].wParam, 13u);
    EXPECT_EQ(messages[3].wParam, 0xD83Du);
    EXPECT_EQ(messages[4].wParam, 0xDE00u);
}

TEST_F(SdlWindowTest, EventsOfAnotherWindow_ArePassedOver) {
    SDL_Event key = support::SdlKey(true, SDL_SCANCODE_A, 'a');
    key.key.windowID = SDL_GetWindowID(window.NativeWindow()) + 100;
    ASSERT_EQ(SDL_PushEvent(&key), 1);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(SdlWindowTest, PostedMessages_ArriveInOrderFromAnyThread) {
    ASSERT_TRUE(window.PostMessage(kWmUser + 2, 7, -3));
    std::thread poster([this] { EXPECT_TRUE(window.PostMessage(kWmUser, 1, 2)); });
    poster.join();
    std::vector<WindowMessage> messages = Drain();
    ASSERT_EQ(MessageNames(messages), (NameList{"WM_USER+2", "WM_USER"}));
    EXPECT_EQ(messages[0].wParam, 7u);
    EXPECT_EQ(messages[0].lParam, -3);
}

TEST_F(SdlWindowTest, Wait_ReturnsOnceAMessageIsThere) {
    EXPECT_FALSE(window.WaitMessage(1));
    ASSERT_TRUE(window.PostMessage(kWmUser, 0, 0));
    EXPECT_TRUE(window.WaitMessage(1000));
    EXPECT_EQ(MessageNames(Drain()), (NameList{"WM_USER"}));
}

TEST_F(SdlWindowTest, QuitPaintAndTimer_ComeAfterInput) {
    ManualTimeSource clock(500);
    ScopedTimeSource useClock(clock);
    ASSERT_TRUE(window.SetTimer(0, 250));
    clock.Advance(300);
    window.Invalidate();
    window.PostQuitMessage(0);
    Push(support::SdlMotion(3, 4));
    EXPECT_EQ(MessageNames(Drain()), (NameList{"WM_MOUSEMOVE", "WM_QUIT", "WM_PAINT", "WM_TIMER"}));
    EXPECT_TRUE(window.WaitMessage(0) == false);
}

TEST_F(SdlWindowTest, Hover_ComesAfterTheRestOnceArmed) {
    ManualTimeSource clock(0);
    ScopedTimeSource useClock(clock);
    Push(support::SdlWindowEvent(SDL_WINDOWEVENT_ENTER));
    Push(support::SdlMotion(30, 40));
    EXPECT_EQ(MessageNames(Drain()), (NameList{"WM_MOUSEMOVE"}));
    ASSERT_TRUE(window.TrackMouse(kTrackHover | kTrackLeave));
    clock.Advance(399);
    EXPECT_TRUE(Drain().empty());
    clock.Advance(1);
    EXPECT_EQ(MessageNames(Drain()), (NameList{"WM_MOUSEHOVER"}));
    Push(support::SdlWindowEvent(SDL_WINDOWEVENT_LEAVE));
    EXPECT_EQ(MessageNames(Drain()), (NameList{"WM_MOUSELEAVE"}));
}

TEST_F(SdlWindowTest, CloseButton_IsACloseRequestNotAnExit) {
    Push(support::SdlWindowEvent(SDL_WINDOWEVENT_CLOSE));
    EXPECT_EQ(MessageNames(Drain()), (NameList{"WM_CLOSE"}));
    EXPECT_TRUE(window.IsCreated());
}

TEST_F(SdlWindowTest, Stacking_IsNotClaimedWhereTheSystemCannotTell) {
    EXPECT_FALSE(window.IsFrontmost().has_value());
}

TEST_F(SdlWindowTest, Destroy_EndsTheQueue) {
    window.PostQuitMessage(0);
    window.Destroy();
    EXPECT_FALSE(window.IsCreated());
    EXPECT_EQ(window.Handle(), 0u);
    WindowMessage message;
    EXPECT_FALSE(window.PeekMessage(message));
    EXPECT_FALSE(window.WaitMessage(1));
    EXPECT_FALSE(window.PostMessage(kWmUser, 0, 0));
}

TEST(SdlWindow, CreateWithoutAVideoDriver_FailsWithAReason) {
    const char* previous = std::getenv("SDL_VIDEODRIVER");
    std::string saved = previous ? previous : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    LogSink before = SetLogSink(&KeepLine);
    gLog.clear();
    SdlWindow window;
    EXPECT_FALSE(window.Create(support::TestWindowSpec()));
    EXPECT_FALSE(window.IsCreated());
    EXPECT_NE(window.LastError().find("Cannot start the video system"), std::string::npos)
        << window.LastError();
    ASSERT_EQ(gLog.size(), 1u);
    EXPECT_EQ(gLog[0], window.LastError());
    SetLogSink(before);
    if (previous)
        setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_VIDEODRIVER");
}

} // namespace
