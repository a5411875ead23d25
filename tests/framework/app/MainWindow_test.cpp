// The main window: its creation, every row of its window procedure, the
// visibility and activation rules, and the desktop services, on the
// recording window and desktop; hosted cases talk to a host socket.

#include "PumpFixture.h"

#include "framework/app/TMainWindow.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"
#include "framework/host/TGameState.h"
#include "framework/host/TGameStateHandler.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "platform/desktop/SystemCursor.h"
#include "platform/host/HostChannel.h"
#include "platform/window/VirtualKeys.h"

#include <png.h>
#include <sys/socket.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace platform;

namespace {

TEST(MainWindowRules, FilterHitTest_NoResizingOrMaximisingByMouse) {
    for (intptr_t code = -2; code <= 21; ++code) {
        bool blocked = code == 4 || (code >= 9 && code <= 18);
        EXPECT_EQ(FilterHitTest(code), blocked ? 0 : code) << code;
    }
}

TEST_F(AppFixture, CreateMainWindow_NimbrelAt480By360WithItsId) {
    BuildApplication();
    ASSERT_TRUE(mApplication->CreateMainWindow());
    std::vector<std::string> calls = mWindow->Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "Create Nimbrel 480x360");
    EXPECT_STREQ(GetSetting(kSettingHwnd).CStr(), "1");
    EXPECT_EQ(mApplication->GetPlatform()->mMainWindow, 1u);
    EXPECT_EQ(mWindow->CountCalls("SetForeground"), 1u);
    EXPECT_EQ(mWindow->Caption(), "Nimbrel");
}

TEST_F(AppFixture, CreateMainWindow_HostedWindowHasNoFrame) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    TPlatform* platform = BuildPlatform();
    ASSERT_TRUE(platform->GetHostChannel().Attach(ends[0]));
    platform->mExternalParent = static_cast<uintptr_t>(ends[0]);
    platform->mHosted = 1;
    ASSERT_TRUE(platform->CreateMainWindow());
    EXPECT_EQ(mWindow->Calls().front(), "Create Nimbrel 480x360 hosted");
    close(ends[1]);
}

TEST_F(AppFixture, CreateMainWindow_AxTestKeepsTheClientAreaAndShowsIt) {
    TPlatform* platform = BuildPlatform("--axtest");
    platform->mHosted = 1;
    platform->mAxTest = 1;
    ASSERT_TRUE(platform->CreateMainWindow());
    EXPECT_EQ(mWindow->CountCalls("SetClientSize 480x360"), 1u);
    EXPECT_EQ(mWindow->CountCalls("Show Show"), 1u);
}

TEST_F(AppFixture, CreateMainWindow_FailureIsReported) {
    TPlatform* platform = BuildPlatform();
    mWindow->FailNextCreate("no display");
    EXPECT_FALSE(platform->CreateMainWindow());
    EXPECT_FALSE(platform->HasMainWindow());
    std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    EXPECT_NE(log.find("Cannot create the main window: no display"), std::string::npos) << log;
}

class MainWindow : public PumpFixture {
protected:
    intptr_t Send(uint32_t kind, uintptr_t wParam = 0, intptr_t lParam = 0) {
        WindowMessage message;
        message.message = kind;
        message.wParam = wParam;
        message.lParam = lParam;
        return mPlatformObject->WindowProcedure(message);
    }
};

TEST_F(MainWindow, WindowProcedure_EveryRow) {
    TPlatform* p = mPlatformObject;
    mApplication->InitSoundManager();
    TSoundManager* sound = mApplication->GetSoundManager();
    TWindowManager* manager = mApplication->GetWindowManager();
    struct Case {
        const char* name;
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        intptr_t result;
        std::function<void()> check;
    } cases[] = {
        {"destroy posts quit", kWmDestroy, 0, 0, 0, [&] { EXPECT_TRUE(p->IsQuitPosted()); }},
        {"size minimised", kWmSize, kSizeMinimized, 0, 0,
         [&] {
             EXPECT_EQ(p->mVisible, 0);
             EXPECT_EQ(p->mMinimizeRestorePending, 1);
             EXPECT_FALSE(sound->IsEnabled());
         }},
        {"size restored", kWmSize, kSizeRestored, 0, 0,
         [&] {
             EXPECT_EQ(p->mVisible, 1);
             EXPECT_EQ(p->mMinimizeRestorePending, 0);
             EXPECT_TRUE(sound->IsEnabled());
         }},
        {"size maximised (visible already)", kWmSize, kSizeMaximized, 0, 0,
         [&] { EXPECT_EQ(p->mMinimizeRestorePending, 0); }},
        {"paint", kWmPaint, 0, 0, 0,
         [&] {
             EXPECT_EQ(p->mPaintPending, 1);
             EXPECT_TRUE(manager->IsDirty());
         }},
        {"close", kWmClose, 0, 0, 0,
         [&] {
             EXPECT_EQ(p->mCloseRequestPending, 1);
             EXPECT_TRUE(mWindow->IsCreated());
         }},
        {"erase background", kWmEraseBackground, 0, 0, 1, [] {}},
        {"app deactivated", kWmActivateApp, 0, 0, 0,
         [&] {
             EXPECT_EQ(p->mActive, 0);
             EXPECT_EQ(p->mVisible, 0);
             // One pending flag: the minimise/restore event carries it.
             EXPECT_EQ(p->mMinimizeRestorePending + p->mActivationChangePending, 1);
             EXPECT_EQ(p->mHidden, 0) << "a window is not hidden by deactivation";
             EXPECT_FALSE(sound->IsEnabled());
         }},
        {"app activated", kWmActivateApp, 1, 0, 0,
         [&] {
             EXPECT_EQ(p->mActive, 1);
             EXPECT_EQ(p->mVisible, 1);
             EXPECT_TRUE(sound->IsEnabled());
         }},
        {"set cursor over the client area", kWmSetCursor, 0, MakeLParam(kHtClient, 0), 1,
         [&] { EXPECT_EQ(mDesktop->CurrentCursor(), mRenderer->GetHardwareCursorHandle()); }},
        {"mouse activate", kWmMouseActivate, 0, MakeLParam(kHtClient, kWmLButtonDown), 0,
         [&] {
             EXPECT_EQ(p->mActivationClick, 1);
             EXPECT_EQ(p->mActivationClickTime, p->GetTimer());
         }},
        {"window moved", kWmWindowPosChanged, 0, 0, 0, [&] { EXPECT_EQ(p->mHidden, 1); }},
        {"hit test", kWmNcHitTest, 0, 0, kHtClient, [] {}},
        {"timer", kWmTimer, 0, 0, 0, [] {}},
        {"menu", kWmInitMenuPopup, 0, 0, 0, [] {}},
        {"user", kWmUser, 99, 0, 1, [&] { EXPECT_EQ(State("windowmessage"), "99"); }},
        {"host ready", kWmUser + 100, 0, 0, 1, [&] { EXPECT_TRUE(p->HasHostSentReady()); }},
        {"forward without a host", kWmUser + 2, 1, 2, 1, [] {}},
        {"pointer leaves", kWmMouseLeave, 0, 0, 0,
         [&] {
             EXPECT_EQ(p->mPointerLeftPending, 1);
             EXPECT_EQ(p->mHoverArmed, 0);
             EXPECT_EQ(p->mLeaveArmed, 0);
             EXPECT_EQ(mRenderer->GetCursorErases(), 1);
         }},
        {"other", 0x7777, 0, 0, 0, [] {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Send(c.message, c.wParam, c.lParam), c.result) << c.name;
        c.check();
    }
}

TEST_F(MainWindow, WindowProcedure_MouseMoveRedrawsTheCursorAtThePoint) {
    WindowMessage message;
    message.message = kWmMouseMove;
    message.lParam = MakeLParam(-3, 700);
    int updates = mRenderer->GetWindowRectUpdates();
    mPlatformObject->WindowProcedure(message);
    EXPECT_EQ(mRenderer->GetWindowRectUpdates(), updates + 1);
    EXPECT_EQ(PointX(message.lParam), -3);
    EXPECT_EQ(PointY(message.lParam), 700);
}

TEST_F(MainWindow, WindowProcedure_SetCursorAppliesTheHardwareCursor) {
    mPlatformObject->SetMouseCursor(nullptr, 0, 0, 0, 0);
    ASSERT_NE(mRenderer->GetHardwareCursorHandle(), 0u);
    EXPECT_EQ(Send(kWmSetCursor, 0, MakeLParam(kHtClient, kWmMouseMove)), 1);
    EXPECT_EQ(mDesktop->CurrentCursor(), mRenderer->GetHardwareCursorHandle());
    EXPECT_EQ(Send(kWmSetCursor, 0, MakeLParam(2, kWmMouseMove)), 0) << "outside the client area";
}

TEST_F(MainWindow, WindowProcedure_PositionChangingKeepsTheDisplaySize) {
    WindowMessage message;
    message.message = kWmWindowPosChanging;
    message.position = {10, 10, 300, 200};
    mPlatformObject->WindowProcedure(message);
    EXPECT_EQ(message.position.width, 1024);
    EXPECT_EQ(message.position.height, 768);
    EXPECT_EQ(message.position.x, 10);
    ASSERT_TRUE(mApplication->SetFullScreen(true));
    message.position = {0, 0, 300, 200};
    mPlatformObject->WindowProcedure(message);
    EXPECT_EQ(message.position.width, 300) << "full screen is left alone";
}

TEST_F(MainWindow, WindowProcedure_ParkedRules) {
    struct Case {
        WindowPosition position;
        bool parked;
    } cases[] = {
        {{-32000, -32000, 160, 28}, true}, {{0, 0, 0, 768}, true},
        {{0, 0, 1024, 0}, true},           {{-10001, 0, 1024, 768}, true},
        {{0, -10001, 1, 1}, true},         {{-10000, -10000, 1, 1}, false},
        {{100, 100, 1024, 768}, false},
    };
    for (const Case& c : cases) {
        WindowMessage message;
        message.message = kWmWindowPosChanged;
        message.position = c.position;
        mPlatformObject->WindowProcedure(message);
        EXPECT_EQ(mPlatformObject->mHidden, c.parked ? 1 : 0) << c.position.x;
        EXPECT_EQ(mPlatformObject->mActive, c.parked ? 0 : 1) << c.position.x;
        // Back on screen between cases.
        message.position = {0, 0, 1024, 768};
        mPlatformObject->WindowProcedure(message);
        EXPECT_EQ(mPlatformObject->mActive, 1);
    }
}

TEST_F(MainWindow, WindowProcedure_RelativeModeLeavePutsThePointerBack) {
    mPlatformObject->mMouseMode = 1;
    mPlatformObject->mRelativeReferenceX = 50;
    mPlatformObject->mRelativeReferenceY = 60;
    mPlatformObject->mHoverArmed = 1;
    mPlatformObject->mLeaveArmed = 1;
    mWindow->SetPointerPosition(70, 40, true);
    EXPECT_EQ(Send(kWmMouseLeave), 0);
    EXPECT_EQ(mWindow->CountCalls("WarpPointer 50,60"), 1u);
    EXPECT_EQ(mPlatformObject->mPointerLeftPending, 0);
    EXPECT_EQ(mPlatformObject->mHoverArmed, 0);
    EXPECT_EQ(mPlatformObject->mLeaveArmed, 0);
}

TEST_F(MainWindow, Title_GoesToTheWindow) {
    mApplication->SetWindowTitle("Corvalo – Level 1");
    EXPECT_EQ(mWindow->Caption(), "Corvalo – Level 1");
    EXPECT_STREQ(mPlatformObject->GetWindowText().CStr(), "Corvalo – Level 1");
}

TEST_F(MainWindow, Clipboard_RoundTripAndRefusal) {
    EXPECT_TRUE(mApplication->StringToClipboard("Hello, Wörld"));
    EXPECT_STREQ(mApplication->GetClipboardString().CStr(), "Hello, Wörld");
    mDesktop->FailClipboard(true);
    EXPECT_FALSE(mApplication->StringToClipboard("x"));
    EXPECT_TRUE(mApplication->GetClipboardString().IsEmpty());
}

TEST_F(MainWindow, Clipboard_FromScripts) {
    TWindowScript* script = mApplication->GetWindowManager()->GetScript();
    ASSERT_TRUE(RunLuaString("stored = StringToClipboard('again') and 1 or 0"));
    EXPECT_EQ(script->GetGlobalNumber("stored"), 1.0);
    EXPECT_STREQ(mApplication->GetClipboardString().CStr(), "again");
    ASSERT_TRUE(RunLuaString("stored = StringToClipboard() and 1 or 0"));
    EXPECT_EQ(script->GetGlobalNumber("stored"), 0.0);
    EXPECT_STREQ(mApplication->GetClipboardString().CStr(), "again");
}

TEST_F(MainWindow, OpenUrl_OnlyWebAndMailLinks) {
    mApplication->OpenUrl("https://example.com/a?b=c");
    mApplication->OpenUrl("mailto:someone@example.com");
    mApplication->OpenUrl("file:///etc/passwd");
    mApplication->OpenUrl("https://example.com/; rm -rf ~");
    EXPECT_EQ(mDesktop->OpenedLinks(), (std::vector<std::string>{"https://example.com/a?b=c",
                                                                 "mailto:someone@example.com"}));
}

TEST_F(MainWindow, FullScreen_ThroughTheRenderer) {
    EXPECT_FALSE(mApplication->IsFullScreen());
    EXPECT_TRUE(mApplication->SetFullScreen(true));
    EXPECT_TRUE(mApplication->IsFullScreen());
    EXPECT_EQ(mWindow->CountCalls("SetFullScreen 1"), 1u);
    int width = 0, height = 0;
    bool full = false;
    mApplication->GetDisplayMode(width, height, full);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_TRUE(full);
    EXPECT_TRUE(mApplication->SetFullScreen(false));
    EXPECT_FALSE(mWindow->IsFullScreen());
}

TEST_F(MainWindow, VideoMode_VectorDrawerOnceTimerAndCursorsEachTime) {
    TNbMiniVecDraw* drawer = mPlatformObject->mVecDraw;
    ASSERT_NE(drawer, nullptr);
    EXPECT_EQ(drawer->GetCalibrationCount(), 1);
    EXPECT_EQ(TGraphics::Get()->GetFillCount(), 1);
    EXPECT_EQ(TGraphics::Get()->GetLastFillRect(), TRect(0, 0, 1024, 768));
    EXPECT_EQ(TGraphics::Get()->GetLastFillColour(), 0u);
    int calibrations = mRenderer->GetCalibrationCount();
    mApplication->SetDisplayMode(800, 600, false);
    EXPECT_EQ(mPlatformObject->mVecDraw, drawer);
    EXPECT_EQ(drawer->GetCalibrationCount(), 1);
    EXPECT_EQ(TGraphics::Get()->GetFillCount(), 1);
    EXPECT_EQ(mRenderer->GetCalibrationCount(), calibrations + 1);
    EXPECT_EQ(mWindow->CountCalls("SetTimer 0 250"), 1u);
    EXPECT_EQ(mWindow->CountCalls("SetClientSize 800x600"), 1u);
    EXPECT_FLOAT_EQ(mPlatformObject->mViewportScale.load(), 1.0f);
}

TEST_F(MainWindow, WakeTimer_OnlyWakesThePump) {
    mApplication->SetDisplayMode(1024, 768, false);
    Drain();
    mClock.Advance(250);
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventNothing) << Describe(event);
}

TEST_F(MainWindow, Cursor_SystemCursorIsBuiltInAndLoadedOnce) {
    // The display's set-up restored the cursors: the system cursor stands in
    // for the empty slot, from the built-in picture registered in memory.
    EXPECT_TRUE(FileExists(kSystemCursorFileName));
    std::shared_ptr<TTexture> system = mPlatformObject->mSystemCursor;
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->GetWidth(), SystemCursorImage().width);
    EXPECT_EQ(system->GetPixels(), SystemCursorImage().bgra);
    EXPECT_EQ(mRenderer->GetMouseImage(), system);
    // Loaded as a cursor picture: blitted only, and the one cursor loads
    // of the same file share.
    EXPECT_TRUE(system->IsSimple());
    EXPECT_EQ(TTexture::GetForCursor(kSystemCursorFileName), system);
    EXPECT_NE(TTexture::Get(kSystemCursorFileName), system);
    mApplication->SetMouseCursor(nullptr, 3, 4, 0);
    EXPECT_EQ(mPlatformObject->mSystemCursor, system) << "loaded once";
    EXPECT_EQ(mPlatformObject->mCursorImage, nullptr) << "the slot keeps what was given";
    const CursorImage* made = mDesktop->Cursor(mDesktop->CurrentCursor());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->width, SystemCursorImage().width);
    EXPECT_EQ(made->hotX, 3);
    EXPECT_EQ(made->hotY, 4);
}

// The built-in cursor picture is a file from the start, for scripts and
// images that name it before any cursor is set.
TEST_F(AppFixture, Cursor_SystemCursorFileExistsOnceTheFilesAreSetUp) {
    BuildApplication();
    EXPECT_EQ(mApplication->GetPlatform()->mSystemCursor, nullptr);
    EXPECT_TRUE(FileExists(kSystemCursorFileName));
    std::shared_ptr<TTexture> picture = TTexture::Get(kSystemCursorFileName);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetWidth(), SystemCursorImage().width);
}

TEST_F(AppFixture, Cursor_ASystemCursorFileOfTheGameWins) {
    // A 3 by 2 picture under the system cursor's name.
    std::vector<uint8_t> pixels(3 * 2 * 4, 0x7F);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 3;
    image.height = 2;
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    std::string bytes(size, '\0');
    ASSERT_TRUE(
        png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr));
    WriteAsset(kSystemCursorFileName, bytes);
    BuildApplication();
    ASSERT_TRUE(mApplication->CreateMainWindow());
    mApplication->SetDisplayMode(640, 480, false);
    std::shared_ptr<TTexture> system = mApplication->GetPlatform()->mSystemCursor;
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->GetWidth(), 3);
    EXPECT_EQ(system->GetHeight(), 2);
}

TEST_F(MainWindow, Cursor_SlotsAndTheDrawnCursor) {
    auto image = std::make_shared<TTexture>("arrow.png", 2, 2, std::vector<uint8_t>(16, 0xFF));
    auto second = std::make_shared<TTexture>("busy.png", 1, 1, std::vector<uint8_t>(4, 0x80));
    mApplication->SetMouseCursor(image, 1, 1, 0, 0);
    EXPECT_EQ(mRenderer->GetMouseImage(), image);
    mApplication->SetMouseCursor(second, 0, 0, 0, 1);
    EXPECT_EQ(mPlatformObject->mSecondCursorImage, second);
    EXPECT_EQ(mRenderer->GetMouseImage(), second);
    mPlatformObject->RestoreCursors();
    EXPECT_EQ(mRenderer->GetMouseImage(), second) << "slot 0 then slot 1";
    // The drawn cursor: the slot keeps the image, the renderer draws it.
    mApplication->UseHardwareCursor(false);
    EXPECT_FALSE(mRenderer->GetHardwareCursor());
    EXPECT_FALSE(mDesktop->CursorShown());
    mApplication->SetMouseCursor(image, 0, 0, 0, 0);
    EXPECT_EQ(mPlatformObject->mCursorImage, image);
    EXPECT_EQ(mRenderer->GetMouseImage(), second) << "not told without the hardware cursor";
    mApplication->UseHardwareCursor(true);
    EXPECT_TRUE(mRenderer->GetHardwareCursor());
}

TEST_F(MainWindow, SetCursorPosition_OnlyInRelativeModeAndScaled) {
    mPlatformObject->SetCursorPosition(10, 20);
    EXPECT_EQ(mWindow->CountCalls("WarpPointer"), 0u);
    mPlatformObject->mMouseMode = 1;
    SetSetting("viewportscale", "0.5");
    mPlatformObject->SetCursorPosition(10, 20);
    EXPECT_EQ(mWindow->CountCalls("WarpPointer 5,10"), 1u);
}

TEST_F(MainWindow, KeepOnTop_HiddenWaits50ms) {
    mPlatformObject->mHidden = 1;
    mWindow->ClearCalls();
    mPlatformObject->KeepOnTop();
    EXPECT_EQ(mProcess.GetSleeps().back(), 50u);
    EXPECT_TRUE(mWindow->Calls().empty());
}

TEST_F(MainWindow, KeepOnTop_FrontAndLoggedOnce) {
    ASSERT_TRUE(mApplication->SetFullScreen(true));
    mWindow->SetForegroundAnswer(false);
    mWindow->SetSetForegroundResult(false);
    mWindow->SetFrontmostAnswer(false);
    Next();
    Next();
    EXPECT_GE(mWindow->CountCalls("SetForeground"), 2u);
    EXPECT_GE(mWindow->CountCalls("SetPosition 0,0"), 2u);
    std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    size_t first = log.find("Window does NOT have topmost style");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find("Window does NOT have topmost style", first + 1), std::string::npos)
        << "logged on every idle pass";
    EXPECT_NE(log.find("Error using BringWindowToTop: 0"), std::string::npos) << log;
    // Not full screen: the idle pass leaves the window alone.
    ASSERT_TRUE(mApplication->SetFullScreen(false));
    mWindow->ClearCalls();
    Next();
    EXPECT_EQ(mWindow->CountCalls("SetForeground"), 0u);
}

// Hosted in a window of another program: a socket stands for the host.
class HostedWindow : public MainWindow {
protected:
    void BeforeWindow(TPlatform& platform) override {
        int ends[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        ASSERT_TRUE(platform.GetHostChannel().Attach(ends[0]));
        ASSERT_TRUE(mHost.Attach(ends[1]));
        platform.mExternalParent = static_cast<uintptr_t>(ends[0]);
        platform.mHosted = 1;
    }

    std::vector<HostRecord> Received() {
        std::vector<HostRecord> records;
        HostRecord record;
        while (mHost.Receive(record, 0)) {
            records.push_back(record);
        }
        return records;
    }

    HostChannel mHost;
};

class PageHostedWindow : public HostedWindow {
protected:
    const char* CommandLine() override { return "-pq=1 -host=myhost"; }
};

class ProgramHostedWindow : public HostedWindow {
protected:
    const char* CommandLine() override { return "-host=myhost --other"; }
};

TEST_F(PageHostedWindow, SetFullScreen_TellsTheHostAndStaysWindowed) {
    Received();
    EXPECT_TRUE(mApplication->SetFullScreen(true));
    std::vector<HostRecord> records = Received();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].message, kWmUser);
    EXPECT_EQ(records[0].wParam, 1u);
    EXPECT_EQ(records[0].lParam, 0u);
    EXPECT_FALSE(mRenderer->IsFullScreen());
    EXPECT_FALSE(mWindow->IsFullScreen());
    EXPECT_TRUE(mApplication->IsFullScreen());
    int width = 0, height = 0;
    bool full = false;
    mApplication->GetDisplayMode(width, height, full);
    EXPECT_TRUE(full);
    EXPECT_TRUE(mApplication->SetFullScreen(false));
    records = Received();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].wParam, 0u);
}

TEST_F(PageHostedWindow, VideoMode_FullScreenGoesToTheHost) {
    Received();
    mApplication->SetDisplayMode(1024, 768, true);
    std::vector<HostRecord> records = Received();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].wParam, 1u);
    EXPECT_FALSE(mRenderer->IsFullScreen());
}

TEST_F(PageHostedWindow, AltEnter_TogglesTheHostsFullScreen) {
    Received();
    Feed(kWmSysKeyDown, kVkReturn, kKeyAltBit);
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventFullScreenToggle);
    EXPECT_EQ(event.code, 1) << "the host page is full screen now";
    EXPECT_FALSE(mRenderer->IsFullScreen());
    std::vector<HostRecord> records = Received();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].wParam, 1u);
}

TEST_F(PageHostedWindow, OpenUrl_MinimisesAFullScreenHostFirst) {
    Received();
    mApplication->SetFullScreen(true);
    Received();
    mApplication->OpenUrl("https://example.com/");
    std::vector<HostRecord> records = Received();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].message, 0x0112u);
    EXPECT_EQ(records[0].wParam, 0xF020u);
    EXPECT_EQ(mDesktop->Calls().back().find("OpenUrlWith myhost"), 0u) << mDesktop->Calls().back();
}

TEST_F(PageHostedWindow, ForwardedMessageGoesToTheHost) {
    Received();
    EXPECT_EQ(Send(kWmUser + 2, 7, 8), 1);
    std::vector<HostRecord> records = Received();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].message, kWmUser + 2);
    EXPECT_EQ(records[0].wParam, 7u);
    EXPECT_EQ(records[0].lParam, 8u);
}

TEST_F(PageHostedWindow, LostHost_Quits) {
    mHost.Close();
    EXPECT_EQ(Next().type, kEventQuit);
}

TEST_F(ProgramHostedWindow, AltEnter_NothingWithoutAPage) {
    Feed(kWmSysKeyDown, kVkReturn, kKeyAltBit);
    EXPECT_EQ(Next().type, kEventNothing);
    EXPECT_FALSE(mRenderer->IsFullScreen());
    EXPECT_FALSE(mApplication->IsFullScreen());
}

TEST_F(ProgramHostedWindow, OpenUrl_ThroughTheHostProgram) {
    mApplication->OpenUrl("https://example.com/x");
    ASSERT_FALSE(mDesktop->Calls().empty());
    EXPECT_EQ(mDesktop->Calls().back().find("OpenUrlWith myhost"), 0u) << mDesktop->Calls().back();
}

TEST_F(ProgramHostedWindow, RightButton_GivesEventsButIsNotDispatched) {
    mWindow->SetPointerPosition(3, 4, true);
    uint32_t dispatched = mPlatformObject->GetDispatchCount();
    Feed(kWmRButtonDown, kMkRButton);
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventOtherButton);
    EXPECT_EQ(event.code, 1);
    Feed(kWmRButtonUp, 0);
    event = Next();
    EXPECT_EQ(event.type, kEventOtherButton);
    EXPECT_EQ(event.code, 0);
    EXPECT_EQ(mPlatformObject->GetDispatchCount(), dispatched);
    Feed(kWmLButtonDown, kMkLButton);
    Next();
    EXPECT_EQ(mPlatformObject->GetDispatchCount(), dispatched + 1);
}

TEST_F(ProgramHostedWindow, MouseActivate_NoFilterWhenHosted) {
    EXPECT_EQ(Send(kWmMouseActivate, 0, MakeLParam(kHtClient, kWmLButtonDown)), 0);
    EXPECT_EQ(mPlatformObject->mActivationClick, 0);
}

// Text drawn to the screen scales with the host's viewport: the platform's
// drawer, the one text is drawn with, takes the scale as its host scale.
TEST_F(ProgramHostedWindow, ViewportScale_ReachesTheTextDrawer) {
    TNbMiniVecDraw* drawer = mPlatformObject->mVecDraw;
    ASSERT_NE(drawer, nullptr);
    EXPECT_EQ(TNbMiniVecDraw::GetCurrent(), drawer);
    EXPECT_FLOAT_EQ(drawer->GetHostScale(), 1.0f);
    const struct {
        const char* value;
        float expected;
    } cases[] = {{"1.5", 1.5f}, {"0.75", 0.75f}, {"0", 1.0f},   {"-2", 1.0f},
                 {"abc", 1.0f}, {"2", 2.0f},     {"nan", 1.0f}, {"inf", 1.0f}};
    for (const auto& c : cases) {
        SetSetting("viewportscale", c.value);
        EXPECT_FLOAT_EQ(drawer->GetHostScale(), c.expected) << c.value;
    }
    std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    EXPECT_NE(log.find("Text keeps its size: the viewport scale"), std::string::npos) << log;
    // A new display mode puts the viewport scale back to 1, and the text's.
    SetSetting("viewportscale", "1.25");
    ASSERT_FLOAT_EQ(drawer->GetHostScale(), 1.25f);
    mApplication->SetDisplayMode(1024, 768, false);
    EXPECT_FLOAT_EQ(mPlatformObject->mViewportScale.load(), 1.0f);
    EXPECT_FLOAT_EQ(drawer->GetHostScale(), 1.0f);
}

TEST_F(MainWindow, ViewportScale_TextKeepsItsSizeWhenNotHosted) {
    TNbMiniVecDraw* drawer = mPlatformObject->mVecDraw;
    ASSERT_NE(drawer, nullptr);
    SetSetting("viewportscale", "1.5");
    EXPECT_FLOAT_EQ(mPlatformObject->mViewportScale.load(), 1.5f);
    EXPECT_FLOAT_EQ(drawer->GetHostScale(), 1.0f);
}

class ProgramWithoutHostSwitch : public HostedWindow {};

TEST_F(ProgramWithoutHostSwitch, OpenUrl_DefaultBrowser) {
    mApplication->OpenUrl("https://example.com/y");
    EXPECT_EQ(mDesktop->OpenedLinks(), std::vector<std::string>{"https://example.com/y"});
}

} // namespace

namespace {

// Notes the codes the host's records set as "windowmessage"; holds the game
// suspended while told to, until a code 5 comes (or, should none come, for
// a bounded number of questions, so a fault fails instead of hanging).
class CodeRecorder : public TGameStateHandler {
public:
    explicit CodeRecorder(std::vector<int>& codes) : mCodes(codes) {}
    bool OnSetState(const char* name, const char* value) override {
        if (std::string(name) == "windowmessage") {
            mCodes.push_back(std::atoi(value));
            if (std::atoi(value) == 5)
                suspend = false;
        }
        return false;
    }
    bool QuerySuspendGame() override {
        if (suspend && ++questions > 5000)
            suspend = false;
        return suspend;
    }
    bool suspend = false;
    int questions = 0;

private:
    std::vector<int>& mCodes;
};

class HostRecords : public HostedWindow {
protected:
    void SetUp() override {
        HostedWindow::SetUp();
        if (HasFatalFailure())
            return;
        recorder = new CodeRecorder(codes);
        TGameState::AddHandler(recorder);
    }
    void SendRecord(uint32_t message, uint32_t wParam, uint32_t lParam = 0) {
        HostRecord record;
        record.message = message;
        record.wParam = wParam;
        record.lParam = lParam;
        ASSERT_TRUE(mHost.Send(record));
    }
    std::string LogText() const { return ReadFile((UserFolder() / "logfile.txt").string()); }

    std::vector<int> codes;
    CodeRecorder* recorder = nullptr;
};

TEST_F(HostRecords, CodesReachTheWindowProcedureInOrderAndOthersAreDropped) {
    SendRecord(kWmUser, 7);
    SendRecord(0x0112, 0xF020); // not the host's to send
    SendRecord(kWmUser, 2);
    SendRecord(kWmUser + 100, 0); // the host is ready
    SendRecord(kWmUser, 0xFFFFFFFFu);
    Next();
    EXPECT_EQ(codes, (std::vector<int>{7, 2, -1}));
    EXPECT_TRUE(mPlatformObject->HasHostSentReady());
    EXPECT_NE(LogText().find("Host record 0x112 (61472, 0) dropped"), std::string::npos)
        << LogText();
}

TEST_F(HostRecords, TheSuspendedLoopTakesRecordsToo) {
    recorder->suspend = true;
    SendRecord(kWmUser, 3);
    SendRecord(kWmUser, 5);
    Next();
    EXPECT_EQ(codes, (std::vector<int>{3, 5}));
    EXPECT_FALSE(recorder->suspend);
    EXPECT_LT(recorder->questions, 5000) << "the code that ends the wait came in the loop";
}

TEST_F(HostRecords, APartRecordWaitsForItsRest) {
    HostRecord record;
    record.message = kWmUser;
    record.wParam = 9;
    const char* bytes = reinterpret_cast<const char*>(&record);
    ASSERT_EQ(send(mHost.GetFd(), bytes, 10, 0), 10);
    Next();
    EXPECT_TRUE(codes.empty());
    ASSERT_EQ(send(mHost.GetFd(), bytes + 10, sizeof record - 10, 0),
              static_cast<ssize_t>(sizeof record - 10));
    Next();
    EXPECT_EQ(codes, std::vector<int>{9});
}

TEST_F(HostRecords, AFloodDoesNotStopTheFramesNorTheLog) {
    // The socket holds only so many records: the host writes while the
    // game reads.
    std::atomic<bool> sent{false};
    std::thread host([&] {
        for (uint32_t i = 0; i < 200; ++i)
            SendRecord(kWmUser, i);
        for (uint32_t i = 0; i < 200; ++i)
            SendRecord(0x0999, i);
        sent = true;
    });
    // Each call takes a bounded share and still makes its event.
    while (codes.empty())
        Next();
    EXPECT_LE(codes.size(), 16u);
    for (int i = 0; i < 10000 && (codes.size() < 200 || !sent); ++i)
        Next();
    host.join();
    for (int i = 0; i < 100; ++i)
        Next();
    ASSERT_EQ(codes.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(codes[i], i);
    for (int i = 0; i < 100; ++i)
        Next();
    std::string log = LogText();
    size_t lines = 0;
    for (size_t at = log.find("Host record 0x999"); at != std::string::npos;
         at = log.find("Host record 0x999", at + 1))
        ++lines;
    EXPECT_EQ(lines, 10u);
    EXPECT_NE(log.find("Further unknown host records are dropped without a line"),
              std::string::npos);
}

} // namespace
