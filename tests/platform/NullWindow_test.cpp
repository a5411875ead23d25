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

// The picture (the display mode's size) scaled to a client area of another
// size: full screen on a 1280 x 800 desktop (bars left and right), and a
// window smaller than the mode (no bars). Each pointer event is read
// through the same fit as the picture is drawn; over the bars nothing is
// reported.
TEST_F(NullWindowTest, PointerIsReadThroughThePicturesScaleAndOffset) {
    struct Case {
        int clientX, clientY;
        bool reported;
        int x, y; // the picture point
    };
    struct Setting {
        const char* name;
        int clientWidth, clientHeight;
        std::vector<Case> cases;
    };
    // 1280 x 800 holds the picture at 1066 x 800, from x = 107.
    const Setting settings[] = {
        {"full screen 1280x800",
         1280,
         800,
         {{107, 0, true, 0, 0},
          {1172, 799, true, 1023, 767},
          {640, 400, true, 512, 384},
          {452, 388, true, 331, 372},
          {0, 0, false, 0, 0},
          {106, 400, false, 0, 0},
          {1173, 400, false, 0, 0},
          {1279, 799, false, 0, 0}}},
        {"window 800x600",
         800,
         600,
         {{0, 0, true, 0, 0}, {400, 300, true, 512, 384}, {799, 599, true, 1022, 766}}},
        {"window of the mode's size",
         1024,
         768,
         {{0, 0, true, 0, 0}, {1023, 767, true, 1023, 767}}},
    };
    for (const Setting& setting : settings) {
        window.SetClientSize(setting.clientWidth, setting.clientHeight);
        window.SetPictureSize(1024, 768);
        for (const Case& c : setting.cases) {
            SCOPED_TRACE(std::string(setting.name) + " at " + std::to_string(c.clientX) + "," +
                         std::to_string(c.clientY));
            Drain();
            window.InjectSdl(support::SdlMotion(c.clientX, c.clientY));
            window.InjectSdl(support::SdlButton(true, SDL_BUTTON_LEFT, c.clientX, c.clientY));
            window.InjectSdl(support::SdlButton(false, SDL_BUTTON_LEFT, c.clientX, c.clientY));
            SDL_Event wheel = support::SdlWheel(1);
            wheel.wheel.mouseX = c.clientX;
            wheel.wheel.mouseY = c.clientY;
            window.InjectSdl(wheel);
            const std::vector<WindowMessage> messages = support::DrainMessages(window);
            if (!c.reported) {
                EXPECT_EQ(support::MessageNames(messages), NameList{});
                continue;
            }
            ASSERT_EQ(support::MessageNames(messages), (NameList{"WM_MOUSEMOVE", "WM_LBUTTONDOWN",
                                                                 "WM_LBUTTONUP", "WM_MOUSEWHEEL"}));
            for (size_t i = 0; i < 3; ++i) {
                EXPECT_EQ(PointX(messages[i].lParam), c.x) << MessageName(messages[i].message);
                EXPECT_EQ(PointY(messages[i].lParam), c.y) << MessageName(messages[i].message);
            }
            // The wheel's screen point: the window's origin and the picture point.
            int32_t originX = 0, originY = 0;
            window.GetPosition(originX, originY);
            EXPECT_EQ(PointX(messages[3].lParam), originX + c.x);
            EXPECT_EQ(PointY(messages[3].lParam), originY + c.y);
            int32_t x = -1, y = -1;
            ASSERT_TRUE(window.GetPointerPosition(x, y));
            EXPECT_EQ(x, c.x);
            EXPECT_EQ(y, c.y);
        }
    }
}

// A button pressed on the picture and let go over the bars is let go (the
// player's drag ends), past the picture's edge; a press over the bars is
// not reported.
TEST_F(NullWindowTest, ReleaseOverTheBarsEndsAPressMadeOnThePicture) {
    window.SetClientSize(1280, 800);
    window.SetPictureSize(1024, 768);
    Drain();
    window.InjectSdl(support::SdlButton(true, SDL_BUTTON_LEFT, 200, 400));
    window.InjectSdl(support::SdlMotion(20, 400));
    window.InjectSdl(support::SdlButton(false, SDL_BUTTON_LEFT, 20, 400));
    const std::vector<WindowMessage> drag = support::DrainMessages(window);
    ASSERT_EQ(support::MessageNames(drag),
              (NameList{"WM_LBUTTONDOWN", "WM_MOUSEMOVE", "WM_LBUTTONUP"}));
    EXPECT_EQ(PointX(drag[2].lParam), -84);
    EXPECT_EQ(PointY(drag[2].lParam), 384);

    window.InjectSdl(support::SdlButton(true, SDL_BUTTON_LEFT, 20, 400));
    window.InjectSdl(support::SdlMotion(200, 400));
    window.InjectSdl(support::SdlButton(false, SDL_BUTTON_LEFT, 200, 400));
    // No press: the move onto the picture and the release there are all
    // that is reported, as for a press made outside the window.
    EXPECT_EQ(Drain(), (NameList{"WM_MOUSEMOVE", "WM_LBUTTONUP"}));
}

// Moving the pointer to a picture point puts it over that point's pixel in
// the window.
TEST_F(NullWindowTest, WarpingThePointerGoesToThePicturePointsPlaceInTheWindow) {
    window.SetClientSize(1280, 800);
    window.SetPictureSize(1024, 768);
    window.ClearCalls();
    window.WarpPointer(0, 0);
    window.WarpPointer(512, 384);
    window.WarpPointer(1023, 767);
    EXPECT_EQ(window.Calls(),
              (NameList{"WarpPointer 107,0", "WarpPointer 640,400", "WarpPointer 1172,799"}));
}
