#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/null/NullWindow.h"

#include "support/SdlEvents.h"
#include "support/TestWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace platform;

namespace {

class NullWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window.Create(support::TestWindowSpec())); }

    // Message names until the queue is empty.
    std::vector<std::string> Drain() {
        return support::MessageNames(support::DrainMessages(window));
    }

    ManualTimeSource clock{10000};
    ScopedTimeSource useClock{clock};
    NullWindow window;
};

using NameList = std::vector<std::string>;

TEST(NullWindow, FailedCreate_ReportsTheInjectedReasonOnce) {
    NullWindow window;
    window.FailNextCreate("no display");
    const WindowSpec spec = support::TestWindowSpec();
    EXPECT_FALSE(window.Create(spec));
    EXPECT_EQ(window.LastError(), "no display");
    EXPECT_FALSE(window.IsCreated());
    EXPECT_EQ(window.Handle(), 0u);
    WindowMessage message;
    EXPECT_FALSE(window.PeekMessage(message));
    EXPECT_FALSE(window.PostMessage(kWmUser, 0, 0));
    EXPECT_TRUE(window.Create(spec));
    EXPECT_NE(window.Handle(), 0u);
    EXPECT_EQ(window.CountCalls("Create Nimbrel 480x360"), 2u);
}

TEST_F(NullWindowTest, Calls_AreRecordedInOrder) {
    window.ClearCalls();
    window.SetCaption("Corvalo 1.0");
    window.Show(ShowCommand::Minimize);
    window.SetCapture();
    window.ReleaseCapture();
    window.TrackMouse(kTrackHover | kTrackLeave);
    window.SetTimer(0, 250);
    window.PostQuitMessage(3);
    EXPECT_EQ(window.Calls(),
              (NameList{"SetCaption Corvalo 1.0", "Show Minimize", "SetCapture", "ReleaseCapture",
                        "TrackMouse 0x3", "SetTimer 0 250", "PostQuitMessage 3"}));
    EXPECT_EQ(window.Caption(), "Corvalo 1.0");
    EXPECT_TRUE(window.IsMinimized());
}

TEST_F(NullWindowTest, Queue_HandsOverInputThenQuitThenPaintThenTimers) {
    window.SetTimer(0, 250);
    clock.Advance(250);
    window.Invalidate();
    window.PostQuitMessage(0);
    window.Inject(kWmMouseMove, 0, MakeLParam(1, 2));
    window.Inject(kWmKeyDown, 'A', 1);
    EXPECT_EQ(Drain(), (NameList{"WM_MOUSEMOVE", "WM_KEYDOWN", "WM_QUIT", "WM_PAINT", "WM_TIMER"}));
}

TEST_F(NullWindowTest, Paint_ComesOnceForManyExposures) {
    window.Invalidate();
    window.Invalidate();
    window.InjectSdl(support::SdlWindowEvent(SDL_WINDOWEVENT_EXPOSED));
    EXPECT_EQ(Drain(), (NameList{"WM_PAINT"}));
}

TEST_F(NullWindowTest, Quit_CarriesItsExitCode) {
    window.PostQuitMessage(-1);
    WindowMessage message;
    ASSERT_TRUE(window.PeekMessage(message));
    EXPECT_EQ(message.message, kWmQuit);
    EXPECT_EQ(static_cast<int32_t>(message.wParam), -1);
    EXPECT_FALSE(window.PeekMessage(message)) << "quit comes once";
}

TEST_F(NullWindowTest, Timer_ComesOncePerIntervalWithoutMakingUpMissedOnes) {
    window.SetTimer(0, 250);
    EXPECT_TRUE(Drain().empty());
    clock.Advance(249);
    EXPECT_TRUE(Drain().empty());
    clock.Advance(1);
    WindowMessage message;
    ASSERT_TRUE(window.PeekMessage(message));
    EXPECT_EQ(message.message, kWmTimer);
    EXPECT_EQ(message.wParam, 0u);
    clock.Advance(1000); // four intervals late: one message
    EXPECT_EQ(Drain(), (NameList{"WM_TIMER"}));
    EXPECT_TRUE(window.KillTimer(0));
    clock.Advance(1000);
    EXPECT_TRUE(Drain().empty());
    EXPECT_FALSE(window.KillTimer(0));
}

TEST_F(NullWindowTest, Wait_NeverBlocksAndCountsTheWaits) {
    EXPECT_FALSE(window.WaitMessage(1));
    EXPECT_FALSE(window.WaitMessage(1));
    window.Inject(kWmChar, 'x', 1);
    EXPECT_TRUE(window.WaitMessage(1));
    EXPECT_EQ(window.WaitCount(), 3u);
    EXPECT_EQ(window.WaitTimeouts(), (std::vector<uint32_t>{1, 1, 1}));
}

TEST_F(NullWindowTest, WaitHook_CanMoveTheClockUntilHoverIsDue) {
    window.SetPointerPosition(50, 50, true);
    window.TrackMouse(kTrackHover);
    window.SetWaitHook([this](uint32_t timeoutMs) { clock.Advance(timeoutMs); });
    int waits = 0;
    while (!window.WaitMessage(100))
        ++waits;
    EXPECT_EQ(waits, 3) << "400 ms in waits of 100 ms";
    WindowMessage message;
    ASSERT_TRUE(window.PeekMessage(message));
    EXPECT_EQ(message.message, kWmMouseHover);
    EXPECT_EQ(PointX(message.lParam), 50);
}

TEST_F(NullWindowTest, PostedMessages_ArriveFromOtherThreadsInOrder) {
    std::thread poster([this] {
        for (uintptr_t i = 0; i < 50; ++i)
            EXPECT_TRUE(window.PostMessage(kWmUser, i, 0));
    });
    poster.join();
    WindowMessage message;
    for (uintptr_t i = 0; i < 50; ++i) {
        ASSERT_TRUE(window.PeekMessage(message));
        EXPECT_EQ(message.message, kWmUser);
        EXPECT_EQ(message.wParam, i);
    }
    EXPECT_FALSE(window.PeekMessage(message));
}

TEST_F(NullWindowTest, SdlInput_GoesThroughTheSameTranslation) {
    window.InjectSdl(support::SdlKey(true, SDL_SCANCODE_RETURN, SDLK_RETURN));
    window.InjectSdl(support::SdlText("\xF0\x9F\x98\x80"));
    EXPECT_EQ(Drain(), (NameList{"WM_KEYDOWN", "WM_CHAR", "WM_CHAR", "WM_CHAR"}));
}

TEST_F(NullWindowTest, KeyState_ComesFromInputUnlessTheTestSetsIt) {
    EXPECT_EQ(window.GetKeyState(kVkShift), 0);
    window.InjectSdl(support::SdlKey(true, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT));
    EXPECT_EQ(window.GetKeyState(kVkShift), 0x8000);
    window.SetKeyDown(kVkControl, true);
    EXPECT_EQ(window.GetKeyState(kVkControl), 0x8000);
    window.SetKeyDown(kVkShift, false);
    EXPECT_EQ(window.GetKeyState(kVkShift), 0);
}

TEST_F(NullWindowTest, CaptureRefused_IsReportedAsFailure) {
    window.SetCaptureResult(false);
    EXPECT_FALSE(window.SetCapture());
    EXPECT_FALSE(window.HasCapture());
    window.SetCaptureResult(true);
    EXPECT_TRUE(window.SetCapture());
    EXPECT_TRUE(window.HasCapture());
    // Losing the focus takes the capture away.
    window.InjectSdl(support::SdlWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
    EXPECT_FALSE(window.HasCapture());
    EXPECT_EQ(Drain(), (NameList{"WM_CAPTURECHANGED", "WM_ACTIVATEAPP"}));
}

TEST_F(NullWindowTest, ForegroundAndStacking_AnswerAsScripted) {
    EXPECT_FALSE(window.IsFrontmost().has_value());
    window.SetFrontmostAnswer(false);
    EXPECT_EQ(window.IsFrontmost(), std::optional<bool>(false));
    window.SetForegroundAnswer(false);
    EXPECT_FALSE(window.IsForeground());
    window.SetSetForegroundResult(false);
    EXPECT_FALSE(window.SetForeground());
    window.SetSetForegroundResult(true);
    EXPECT_TRUE(window.SetForeground());
    EXPECT_TRUE(window.IsForeground());
    EXPECT_TRUE(window.SetTopmost(true));
    EXPECT_TRUE(window.IsTopmost());
    EXPECT_FALSE(window.HasGlContext());
    EXPECT_FALSE(window.MakeGlCurrent());
}

TEST_F(NullWindowTest, Destroy_EmptiesTheQueue) {
    window.Inject(kWmPaint);
    window.PostQuitMessage(0);
    window.Destroy();
    EXPECT_FALSE(window.IsCreated());
    WindowMessage message;
    EXPECT_FALSE(window.PeekMessage(message));
}

} // namespace
