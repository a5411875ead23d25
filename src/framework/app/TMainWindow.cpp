// The platform's main window: its creation, its window procedure (which
// turns window messages into the platform's pending flags) and the small
// desktop services around it. The event pump is in TEventPump.cpp.

#include "framework/app/TMainWindow.h"
#include "framework/app/StartupTrace.h"
#include "framework/app/TApplication.h"
#include "framework/app/TPlatform.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TMemoryFile.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TCommandLine.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/display/DxError.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"
#include "framework/host/PortalInstallers.h"
#include "framework/host/TGameState.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "platform/desktop/SystemCursor.h"
#include "platform/desktop/sdl/SdlDesktop.h"
#include "platform/process/ProcessControl.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/sdl/SdlWindow.h"

#include "platform/graphics/gl/GlGraphicsSystem.h"
#include <chrono>

using namespace platform;

namespace {

constexpr char kCaption[] = "Nimbrel";
constexpr int32_t kFirstWidth = 480;
constexpr int32_t kFirstHeight = 360;
constexpr uint32_t kVkF4 = kVkF1 + 3;
constexpr uint32_t kWakeTimerId = 0;
constexpr uint32_t kWakeTimerMs = 250;
// A window this far off screen (or of no size) is parked: minimised or
// moved away by the system.
constexpr int32_t kParkedLimit = -10000;
// Hit-test codes: the size box and the maximise button with every border.
constexpr intptr_t kHtNowhere = 0;
constexpr intptr_t kHtSizeBox = 4;
constexpr intptr_t kHtFirstBorderCode = 9;
constexpr intptr_t kHtLastBorderCode = 18;
// Asks the host to minimise its window.
constexpr uint32_t kHostSystemCommand = 0x0112;
constexpr uint32_t kHostMinimise = 0xF020;
constexpr uint32_t kHostForwarded = kWmUser + 2;
constexpr uint32_t kHostReady = TPlatform::kHostReadyMessage;

} // namespace

intptr_t FilterHitTest(intptr_t code) {
    if (code == kHtSizeBox || (code >= kHtFirstBorderCode && code <= kHtLastBorderCode)) {
        return kHtNowhere;
    }
    return code;
}

void TPlatform::SetWindowBackEnd(std::unique_ptr<Window> window, std::unique_ptr<Desktop> desktop) {
    mWindow = std::move(window);
    mDesktop = std::move(desktop);
}

void TPlatform::SetGraphicsBackEnd(std::unique_ptr<platform::GraphicsSystem> graphics) {
    mGraphics = std::move(graphics);
    mGraphicsGiven = mGraphics != nullptr;
}

bool TPlatform::ExternalParentExists() const {
    if (mExternalParent == 0) {
        return false;
    }
    // With "--axtest" the main window stands in for the host.
    if (mExternalParent == mMainWindow) {
        return mWindow && mWindow->IsCreated();
    }
    return mHostChannel.IsOpen();
}

TRenderer* TPlatform::Renderer() const {
    TRenderer* renderer = TRenderer::Get();
    if (renderer && mWindow && renderer->GetWindow() != mWindow.get()) {
        renderer->AttachWindow(mWindow.get(), mDesktop.get());
    }
    return renderer;
}

// The renderer's display runs on the graphics of the real main window.
void TPlatform::AttachGraphics(TRenderer& renderer) {
    if (!mGraphics || renderer.GetDisplaySetup() || renderer.GetWindow() != mWindow.get()) {
        return;
    }
    TDXContextEnvironment environment;
    environment.system = mGraphics.get();
    environment.desktop = mDesktop.get();
    environment.hosted = mHosted != 0;
    environment.externalParent = mExternalParent != 0;
    environment.pqGiven = mPageHosted;
    environment.viewportScale = mViewportScale.load();
    TDisplayHost host;
    host.isActive = [this] { return mActive != 0; };
    host.displayReset = [this] { mDisplayResetPending = 1; };
    const auto start = std::chrono::steady_clock::now();
    host.now = [start] {
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count());
    };
    host.releaseAssets = [this] {
        if (mAssetManager) {
            mAssetManager->ReleaseAll();
        }
    };
    host.restoreAssets = [this] {
        if (mAssetManager) {
            mAssetManager->RestoreAll();
        }
        if (TApplication* application = TApplication::Get();
            application && application->GetRestoreListeners()) {
            application->GetRestoreListeners()->RunAll(0);
        }
        if (mWindowManager) {
            mWindowManager->Invalidate();
        }
    };
    host.portal = [] { return IsQuarrowPortal(); };
    host.placeInHost = [this] { return mHosted != 0; };
    host.externalParentExists = [this] { return ExternalParentExists(); };
    host.representFrame = [this] {
        return mAssetManager && mAssetManager->GetCount() > 0 && mWindowManager &&
               !mWindowManager->mBackgroundMode;
    };
    host.defaultCursor = [this] { SetMouseCursor(nullptr, 2, 2, 0, 0); };
    host.restoreCursors = [this] { RestoreCursors(); };
    // The cursor's questions may come from the helper thread: they read
    // atomics only, and a redraw of everything is handed to the main
    // thread's idle pass.
    TCursorHost& cursor = environment.cursor;
    cursor.now = [this] { return GetTimer(); };
    cursor.invalidate = [this] { mCursorInvalidatePending = true; };
    cursor.isMinimized = [this] { return mMinimizedForCursor.load(); };
    cursor.backgroundMode = [this] { return mWindowManager && mWindowManager->mBackgroundMode; };
    cursor.isFullScreen = [&renderer] { return renderer.IsFullScreen(); };
    cursor.addRestoreListener = [](TTask* task) {
        if (TApplication* application = TApplication::Get()) {
            application->AddRestoreListener(task);
        } else {
            delete task;
        }
    };
    cursor.activeX = [] { return GetSetting(TString("activex")) == TString("1"); };
    // Only the main thread may draw with the GL context.
    cursor.drawOnFrontBuffer = false;
    renderer.AttachGraphics(environment, host);
    // A display call that runs out of video memory tells the application,
    // which turns the display's low-memory mode on, before its log line.
    SetOutOfVideoMemoryHandler([] {
        if (TApplication* application = TApplication::Get()) {
            application->OnOutOfVideoMemory();
        }
    });
    TRenderer::Host drawHost;
    drawHost.isForeground = [this] { return mWindow && mWindow->IsForeground(); };
    drawHost.inBackgroundMode = [this] {
        return mWindowManager && mWindowManager->mBackgroundMode != 0;
    };
    drawHost.invalidateAll = [this] {
        if (mWindowManager)
            mWindowManager->Invalidate();
    };
    drawHost.presented = [] {
        static bool first = true;
        if (first) {
            first = false;
            TraceStartup("first frame");
        }
        TracePresentedFrame();
    };
    renderer.SetHost(drawHost);
}

// Serves what the helper thread's cursor updates asked of the main thread.
void TPlatform::ServeCursorRequests() {
    if (mCursorInvalidatePending.exchange(false) && mWindowManager) {
        mWindowManager->Invalidate();
    }
    if (TRenderer* renderer = Renderer()) {
        renderer->ServeCursorRedraw();
    }
}

bool TPlatform::CreateMainWindow() {
    // 1.
    mUnicode = GetSettingBool(TSettingKey::kUtf8Mode) ? 1 : 0;
    // 2. Nothing is registered: the window system needs no window class.
    // 3.
    if (mExternalParent != 0 && !ExternalParentExists()) {
        LogPrintf("Error: mExternalWindowParent is lost, exiting!");
        // The exit runs the static destructors; the helper thread reads
        // what they destroy.
        StopHelperThread();
        platform::ExitProcess(-1);
    }
    if (!mWindow) {
        auto window = std::make_unique<SdlWindow>();
        auto desktop = std::make_unique<SdlDesktop>();
        SetWindowBackEnd(std::move(window), std::move(desktop));
    }
    // 4. Hosted: no frame and no task-bar entry. The frame of a window of
    // its own cannot be dragged to another size.
    WindowSpec spec;
    spec.caption = kCaption;
    spec.x = 0;
    spec.y = 0;
    spec.width = kFirstWidth;
    spec.height = kFirstHeight;
    spec.hosted = mExternalParent != 0;
    if (!mWindow->Create(spec)) {
        LogPrintf("Cannot create the main window: %s", mWindow->LastError().c_str());
        return false;
    }
    if (auto* sdlDesktop = dynamic_cast<SdlDesktop*>(mDesktop.get())) {
        if (auto* sdlWindow = dynamic_cast<SdlWindow*>(mWindow.get())) {
            sdlDesktop->SetOwner(sdlWindow->NativeWindow());
            if (!mGraphicsGiven) {
                mGraphics = std::make_unique<GlGraphicsSystem>(*sdlWindow);
            }
        }
    }
    // The primary display's size, now that the window system runs.
    mWindow->GetScreenSize(mScreenWidth, mScreenHeight);
    // 5.
    mMainWindow = mWindow->Handle();
    mHostWindow = mExternalParent;
    SetSetting(kSettingHwnd, TString::Format("%d", static_cast<int>(mMainWindow)));
    // 6.
    if (TCommandLine(mCommandLine).HasSwitch("--axtest")) {
        mWindow->SetClientSize(kFirstWidth, kFirstHeight);
        mWindow->Show(ShowCommand::Show);
    }
    // 7. There is no system menu to grey out. 8.
    if (!mWindowTitle.IsEmpty()) {
        mWindow->SetCaption(mWindowTitle.ToStd());
    }
    mWindow->SetForeground();
    Renderer();
    TraceStartup("main window");
    return true;
}

intptr_t TPlatform::DefaultProcedure(const WindowMessage& message) {
    switch (message.message) {
    case kWmSysKeyDown:
        // Alt+F4 asks the window to close.
        if (message.wParam == kVkF4 && (message.lParam & kKeyAltBit) && mWindow) {
            mWindow->PostMessage(kWmClose, 0, 0);
        }
        return 0;
    case kWmNcHitTest:
        // The window has no frame of its own to hit.
        return kHtClient;
    default:
        return 0;
    }
}

intptr_t TPlatform::WindowProcedure(WindowMessage& message) {
    TWindowManager* manager = mWindowManager;
    switch (message.message) {
    case kWmDestroy:
        PostQuit(0);
        return 0;
    case kWmSize:
        mMinimizedForCursor = message.wParam == kSizeMinimized;
        if (message.wParam == kSizeMinimized) {
            VisibilityChange(false);
        } else if (message.wParam == kSizeRestored || message.wParam == kSizeMaximized ||
                   message.wParam == kSizeMaxShow) {
            VisibilityChange(true);
        }
        return DefaultProcedure(message);
    case kWmPaint:
        if (manager) {
            manager->Invalidate();
            mPaintPending = 1;
        }
        return DefaultProcedure(message);
    case kWmClose:
        mCloseRequestPending = 1;
        return 0;
    case kWmEraseBackground:
        return 1;
    case kWmActivateApp:
        ActivationChange(message.wParam == 1);
        return DefaultProcedure(message);
    case kWmSetCursor:
        if (LowWord(static_cast<uintptr_t>(message.lParam)) == kHtClient) {
            if (TRenderer* renderer = Renderer(); renderer && renderer->ApplySystemCursor()) {
                return 1;
            }
        }
        return DefaultProcedure(message);
    case kWmMouseActivate:
        if (!mHosted) {
            mActivationClick = 1;
            mActivationClickTime = GetTimer();
        }
        return DefaultProcedure(message);
    case kWmWindowPosChanging:
        // A window of its own keeps the display's size.
        if (!mPageHosted && !mHosted && !IsFullScreen() && (mExternalParent == 0 || mAxTest)) {
            int width = 0, height = 0;
            bool fullScreen = false;
            GetDisplayMode(width, height, fullScreen);
            if (width > 0 && height > 0 &&
                (message.position.width != width || message.position.height != height)) {
                message.position.width = width;
                message.position.height = height;
            }
        }
        return DefaultProcedure(message);
    case kWmWindowPosChanged:
        WindowMoved(message.position);
        return DefaultProcedure(message);
    case kWmNcHitTest:
        return FilterHitTest(DefaultProcedure(message));
    case kWmTimer:
        return 0;
    case kWmInitMenuPopup:
        return 0;
    case kWmMouseMove:
        if (TRenderer* renderer = Renderer()) {
            renderer->UpdateMouseCursor();
            TRenderer::Point point =
                renderer->PresentFrame(PointX(message.lParam), PointY(message.lParam));
            message.lParam = MakeLParam(point.x, point.y);
        }
        return DefaultProcedure(message);
    case kWmMouseLeave:
        if (mMouseMode == 1) {
            if (TRenderer* renderer = Renderer(); renderer && mWindow) {
                TRenderer::Point cursor = renderer->GetCursorPosition();
                int dx = cursor.x - mRelativeReferenceX;
                int dy = cursor.y - mRelativeReferenceY;
                if (dx != 0 || dy != 0) {
                    float scale = mViewportScale;
                    mWindow->WarpPointer(static_cast<int32_t>(cursor.x - dx * scale),
                                         static_cast<int32_t>(cursor.y - dy * scale));
                }
            }
            mHoverArmed = 0;
            mLeaveArmed = 0;
        } else {
            if (TRenderer* renderer = Renderer()) {
                renderer->EraseMouseCursor();
            }
            mHoverArmed = 0;
            mPointerLeftPending = 1;
            mLeaveArmed = 0;
        }
        return 0;
    case kWmUser:
        if (TGameState* states = TGameState::GetInstance()) {
            states->SetStateInt("windowmessage", static_cast<int32_t>(message.wParam));
        }
        return 1;
    case kHostForwarded:
        HostSend(message.message, static_cast<uint32_t>(message.wParam),
                 static_cast<uint32_t>(message.lParam));
        return 1;
    case kHostReady:
        mHostSentReady = 1;
        return 1;
    default:
        return DefaultProcedure(message);
    }
}

void TPlatform::VisibilityChange(bool visible) {
    if (visible == (mVisible != 0)) {
        return;
    }
    if (mSoundManager) {
        mSoundManager->SetEnabled(visible);
    }
    // A change and its undoing before the pump looked make no event.
    mMinimizeRestorePending ^= 1;
    mVisible = visible ? 1 : 0;
}

void TPlatform::ActivationChange(bool active) {
    if (active == (mActive != 0)) {
        return;
    }
    VisibilityChange(active);
    mActive = active ? 1 : 0;
    // A waiting minimise/restore event already tells the game the new state:
    // one change gives one activation event, not two alike.
    bool told = mMinimizeRestorePending != 0 && (mVisible != 0) == active;
    if (!told) {
        mActivationChangePending = 1;
    }
    if (mSoundManager) {
        mSoundManager->SetEnabled(active);
    }
    if (!active && IsFullScreen()) {
        mHidden = 1;
    }
    if (active) {
        mHidden = 0;
    }
}

void TPlatform::WindowMoved(const WindowPosition& position) {
    if (position.width == 0 || position.height == 0 || position.x < kParkedLimit ||
        position.y < kParkedLimit) {
        mHidden = 1;
        ActivationChange(false);
        mWindowParked = 1;
        return;
    }
    mHidden = 0;
    if (mWindowParked) {
        ActivationChange(true);
        mWindowParked = 0;
    }
}

void TPlatform::SetWindowText(const TString& text) {
    mWindowTitle = text;
    if (mWindow && mWindow->IsCreated()) {
        mWindow->SetCaption(text.ToStd());
    }
}

TString TPlatform::GetWindowText() const {
    if (mWindow && mWindow->IsCreated()) {
        return TString(mWindow->Caption());
    }
    return mWindowTitle;
}

bool TPlatform::SetClipboardText(const TString& text) {
    return mDesktop && mWindow && mWindow->IsCreated() && mDesktop->SetClipboardText(text.ToStd());
}

TString TPlatform::GetClipboardText() {
    std::string text;
    if (!mDesktop || !mWindow || !mWindow->IsCreated() || !mDesktop->GetClipboardText(text)) {
        return TString();
    }
    return TString(text);
}

void TPlatform::OpenUrl(const TString& url) {
    if (!mDesktop) {
        LogPrintf("Cannot open %s: no desktop", url.CStr());
        return;
    }
    // 1. The host cannot be minimised from here: it is asked to do it.
    if (mPageHosted && mHostFullScreen) {
        HostSend(kHostSystemCommand, kHostMinimise, 0);
    }
    // 2.
    if (mHosted) {
        TCommandLine commandLine(mCommandLine);
        if (commandLine.HasSwitch("-host=")) {
            TString program = commandLine.GetWord("-host=");
            if (!program.IsEmpty()) {
                mDesktop->OpenUrlWith(program.ToStd(), url.ToStd());
                return;
            }
        }
    }
    mDesktop->OpenUrl(url.ToStd());
}

bool TPlatform::IsForeground() const {
    // No window of this program has ancestors; the host page's window
    // belongs to another program.
    return mWindow && mWindow->IsCreated() && mWindow->IsForeground();
}

bool TPlatform::SetFullScreen(bool fullScreen) {
    if (mPageHosted) {
        HostSetFullScreen(fullScreen);
        if (TRenderer* renderer = Renderer(); renderer && renderer->IsFullScreen()) {
            renderer->SetFullScreen(false);
        }
        return true;
    }
    TRenderer* renderer = Renderer();
    return renderer && renderer->SetFullScreen(fullScreen);
}

bool TPlatform::IsFullScreen() const {
    if (mPageHosted) {
        return mHostFullScreen != 0;
    }
    TRenderer* renderer = Renderer();
    return renderer && renderer->IsFullScreen();
}

void TPlatform::GetDisplayMode(int& width, int& height, bool& fullScreen) const {
    width = 0;
    height = 0;
    fullScreen = false;
    if (TRenderer* renderer = Renderer()) {
        renderer->GetDisplayMode(width, height, fullScreen);
    }
    if (mPageHosted) {
        fullScreen = mHostFullScreen != 0;
    }
}

void TPlatform::SetVideoMode(int width, int height, bool fullScreen) {
    // 1.
    if (mPageHosted) {
        HostSetFullScreen(fullScreen);
        fullScreen = false;
    }
    // 2. The host's window belongs to another program, whose size this
    // one cannot read: the picture keeps its scale.
    mViewportScale = 1.0f;
    mSecondScale = 1.0f;
    // 3. The draw front makes the renderer when there is none yet.
    TGraphics::Get();
    TRenderer* renderer = Renderer();
    if (!renderer) {
        LogPrintf("SetVideoMode: there is no renderer for a %dx%d display", width, height);
        return;
    }
    AttachGraphics(*renderer);
    if (!renderer->SetDisplay(width, height, fullScreen, false, false, mExternalParent != 0)) {
        LogPrintf("SetVideoMode: the %dx%d display was not set up", width, height);
        // Every way of making a display was tried and failed: nothing can
        // be shown, so the program ends rather than run blind.
        if (renderer->GetDisplaySetup() && renderer->GetDisplaySetup()->IsFatal()) {
            LogPrintf("SetVideoMode: no display can be made on this system, exiting");
            StopHelperThread();
            platform::ExitProcess(-1);
        }
    }
    // 4.
    if (!mVideoModeSet) {
        mVideoModeSet = 1;
        if (!mVecDraw) {
            mVecDraw = new TNbMiniVecDraw;
        }
        mVecDraw->Calibrate();
        TRect screen = mWindowManager ? mWindowManager->GetScreenRect() : TRect();
        TGraphics::Get()->FillRect(screen, TColor(0, 0, 0, 0));
    }
    // The viewport scale went back to 1 above; text follows it.
    ApplyHostScale();
    // 5. The timer only wakes the event pump.
    renderer->CalibrateTexelOffset();
    if (mWindow && mWindow->IsCreated()) {
        mWindow->SetTimer(kWakeTimerId, kWakeTimerMs);
    }
    RestoreCursors();
}

void TPlatform::UseHardwareCursor(bool on) {
    if (on == (mHardwareCursor != 0)) {
        return;
    }
    mHardwareCursor = on ? 1 : 0;
    if (TRenderer* renderer = Renderer()) {
        renderer->SetHardwareCursor(on);
    }
}

void TPlatform::RegisterSystemCursorFile() {
    if (!FileExists(kSystemCursorFileName)) {
        const std::vector<uint8_t>& png = SystemCursorPng();
        RegisterMemoryFile(kSystemCursorFileName, png.data(), static_cast<int32_t>(png.size()));
    }
}

std::shared_ptr<TTexture> TPlatform::SystemCursor() {
    if (!mSystemCursor) {
        RegisterSystemCursorFile();
        // A cursor picture is only read for its pixels, never drawn as a
        // texture: it is loaded as one.
        mSystemCursor = TTexture::GetForCursor(kSystemCursorFileName);
    }
    return mSystemCursor;
}

void TPlatform::SetMouseCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY,
                               int flags, int slot) {
    std::shared_ptr<TTexture> shown = image;
    if (slot == 0) {
        mCursorImage = image;
        mCursorHotX = hotX;
        mCursorHotY = hotY;
        if (!mHardwareCursor) {
            return;
        }
        if (!shown) {
            shown = SystemCursor();
        }
    } else if (slot == 1) {
        mSecondCursorImage = image;
        mSecondCursorHotX = hotX;
        mSecondCursorHotY = hotY;
    } else {
        LogPrintf("SetMouseCursor: no cursor slot %d", slot);
        return;
    }
    if (TRenderer* renderer = Renderer()) {
        renderer->SetMouseImage(shown, hotX, hotY, flags);
    }
}

void TPlatform::RestoreCursors() {
    SetMouseCursor(mCursorImage, mCursorHotX, mCursorHotY, 0, 0);
    // An empty second slot would leave the renderer without any picture.
    if (mSecondCursorImage) {
        SetMouseCursor(mSecondCursorImage, mSecondCursorHotX, mSecondCursorHotY, 0, 1);
    }
}

void TPlatform::SetCursorPosition(int x, int y) {
    if (mMouseMode != 1 || !mWindow) {
        return;
    }
    float scale = mViewportScale;
    mWindow->WarpPointer(static_cast<int32_t>(x * scale), static_cast<int32_t>(y * scale));
}

void TPlatform::HostSetFullScreen(bool fullScreen) {
    mHostFullScreen = fullScreen ? 1 : 0;
    HostSend(kWmUser, fullScreen ? 1 : 0, 0);
}

bool TPlatform::HostSend(uint32_t message, uint32_t wParam, uint32_t lParam) {
    if (mHostWindow == 0 && mExternalParent == 0) {
        return false;
    }
    HostRecord record;
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
    return mHostChannel.Send(record);
}

void TPlatform::KeepOnTop() {
    // 1.
    if (mHidden) {
        platform::SleepMs(50);
        return;
    }
    if (!mWindow || !mWindow->IsCreated()) {
        return;
    }
    // 2. Said once each time the style goes, not on every idle pass.
    if (!mWindow->IsTopmost()) {
        if (!mTopmostReported) {
            LogPrintf("Window does NOT have topmost style");
            mTopmostReported = true;
        }
    } else {
        mTopmostReported = false;
    }
    // 3. There is no error number to show; 0 stands for it.
    if (!mWindow->IsForeground() && !mWindow->SetForeground()) {
        LogPrintf("Error using BringWindowToTop: %x", 0);
    }
    // 4.
    int32_t x = 0, y = 0;
    mWindow->GetPosition(x, y);
    if (x != 0 || y != 0) {
        mWindow->Show(ShowCommand::Show);
    }
    // 5.
    std::optional<bool> frontmost = mWindow->IsFrontmost();
    if (frontmost.has_value() && !*frontmost) {
        int width = 0, height = 0;
        bool fullScreen = false;
        GetDisplayMode(width, height, fullScreen);
        mWindow->SetPosition(0, 0);
        mWindow->SetClientSize(width, height);
        if (!mWindow->SetForeground()) {
            LogPrintf("Error using BringWindowToTop: %x", 0);
        }
    }
}
