#include "platform/window/sdl/SdlWindow.h"

#include "platform/process/DriverLeaks.h"

#include "platform/log/PlatformLog.h"
#include "platform/time/TimeSource.h"
#include "platform/window/PictureFit.h"
#include "platform/window/ProgramIcon.h"
#include "platform/window/sdl/X11Placement.h"

#include <SDL.h>

#include <algorithm>

namespace platform {

namespace {

// The SDL event type that carries messages posted to the window, registered
// once per process.
uint32_t PostedEventType() {
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
}

int PositionOrCentred(int32_t value) {
    return value == WindowSpec::kCentered ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : value;
}

void SetIcon(SDL_Window* window, const WindowIcon& icon) {
    if (icon.width <= 0 || icon.height <= 0 ||
        icon.bgra.size() < static_cast<size_t>(icon.width) * icon.height * 4)
        return;
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(icon.bgra.data()), icon.width,
                                           icon.height, 32, icon.width * 4, SDL_PIXELFORMAT_BGRA32);
    if (!surface) {
        PlatformLog("Window icon not set: %s", SDL_GetError());
        return;
    }
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

} // namespace

SdlWindow::~SdlWindow() {
    Destroy();
}

bool SdlWindow::Fail(const char* what) {
    mError = std::string(what) + ": " + SDL_GetError();
    PlatformLog("%s", mError.c_str());
    Destroy();
    return false;
}

bool SdlWindow::Create(const WindowSpec& spec) {
    Destroy();
    mError.clear();
    // Closing the window is a request the program answers, never an exit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return Fail("Cannot start the video system");
    mVideoStarted = true;

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // Drawing goes to the back buffer's framebuffer: the window's own takes
    // only the finished picture and needs no depth buffer.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);

    uint32_t flags = SDL_WINDOW_OPENGL | (spec.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
    if (spec.hosted)
        flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR;
    mWindow = SDL_CreateWindow(spec.caption.c_str(), PositionOrCentred(spec.x),
                               PositionOrCentred(spec.y), spec.width, spec.height, flags);
    if (!mWindow)
        return Fail("the window system refused the window");
    // The drawing code needs the context; a window without one still runs,
    // and the renderer reports the failure when it asks for the context.
    mContext = SDL_GL_CreateContext(mWindow);
    if (!mContext)
        PlatformLog("No OpenGL 2.1 context for the main window: %s", SDL_GetError());
    else
        PinGlDriver();

    WindowIcon ownIcon;
    if (!spec.icon)
        ownIcon = ProgramIcon();
    SetIcon(mWindow, spec.icon ? *spec.icon : ownIcon);
    SDL_StartTextInput();

    mQueue.Clear();
    mFollowedFullScreen = false;
    mCoversDisplay = false;
    InputTranslator& translator = mQueue.Translator();
    translator.SetWindowId(SDL_GetWindowID(mWindow));
    translator.SetPostedEventType(PostedEventType());
    int32_t width = 0, height = 0, x = 0, y = 0;
    GetClientSize(width, height);
    GetPosition(x, y);
    translator.SetClientSize(width, height);
    translator.SetWindowOrigin(x, y);
    int pointerX = 0, pointerY = 0;
    SDL_GetMouseState(&pointerX, &pointerY);
    translator.SetPointer(pointerX, pointerY, SDL_GetMouseFocus() == mWindow);
    translator.SetActive(SDL_GetWindowFlags(mWindow) & SDL_WINDOW_INPUT_FOCUS);
    translator.SetModifiers(static_cast<uint16_t>(SDL_GetModState()));
    return true;
}

void SdlWindow::Destroy() {
    if (mCaptured)
        ReleaseCapture();
    if (mContext) {
        SDL_GL_DeleteContext(mContext);
        mContext = nullptr;
    }
    if (mWindow) {
        SDL_DestroyWindow(mWindow);
        mWindow = nullptr;
    }
    if (mVideoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        mVideoStarted = false;
    }
    mQueue.Clear();
}

uintptr_t SdlWindow::Handle() const {
    return mWindow ? SDL_GetWindowID(mWindow) : 0;
}

void SdlWindow::Show(ShowCommand command) {
    if (!mWindow)
        return;
    switch (command) {
    case ShowCommand::Hide:
        SDL_HideWindow(mWindow);
        break;
    case ShowCommand::Show:
        SDL_ShowWindow(mWindow);
        break;
    case ShowCommand::Minimize:
        SDL_MinimizeWindow(mWindow);
        break;
    case ShowCommand::Restore:
        SDL_RestoreWindow(mWindow);
        break;
    }
}

bool SdlWindow::IsVisible() const {
    return mWindow && (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_SHOWN);
}

bool SdlWindow::IsMinimized() const {
    return mWindow && (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_MINIMIZED);
}

void SdlWindow::SetCaption(const std::string& utf8) {
    if (mWindow)
        SDL_SetWindowTitle(mWindow, utf8.c_str());
}

std::string SdlWindow::Caption() const {
    return mWindow ? SDL_GetWindowTitle(mWindow) : "";
}

void SdlWindow::SetClientSize(int32_t width, int32_t height) {
    if (!mWindow)
        return;
    // The window is put back from full screen before it takes the new size.
    FollowFullScreen();
    if (IsFullScreen()) {
        // SDL keeps the size for the window after full screen.
        SDL_SetWindowSize(mWindow, width, height);
        if (mCoversDisplay) {
            mWindowedRect.width = width;
            mWindowedRect.height = height;
        }
        FollowClientSize();
        return;
    }
    int32_t fittedWidth = width, fittedHeight = height;
    FitToDisplay(fittedWidth, fittedHeight);
    if (fittedWidth != width || fittedHeight != height)
        PlatformLog("A %dx%d window does not fit the display: the window is %dx%d and the picture "
                    "is scaled to it",
                    width, height, fittedWidth, fittedHeight);
    SDL_SetWindowSize(mWindow, fittedWidth, fittedHeight);
    if (mLeftFullScreen) {
        mLeftFullScreen = false;
        const int index = std::max(0, SDL_GetWindowDisplayIndex(mWindow));
        SDL_SetWindowPosition(mWindow, SDL_WINDOWPOS_CENTERED_DISPLAY(index),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(index));
        int x = 0, y = 0;
        SDL_GetWindowPosition(mWindow, &x, &y);
        PlatformLog("Main window back from full screen at %dx%d (%d,%d)", fittedWidth, fittedHeight,
                    x, y);
    }
    FollowClientSize();
}

void SdlWindow::FollowClientSize() {
    int w = 0, h = 0;
    SDL_GetWindowSize(mWindow, &w, &h);
    mQueue.Translator().SetClientSize(w, h);
}

void SdlWindow::FitToDisplay(int32_t& width, int32_t& height) const {
    const int index = SDL_GetWindowDisplayIndex(mWindow);
    SDL_Rect usable;
    if (index < 0 || SDL_GetDisplayUsableBounds(index, &usable) != 0)
        return;
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(mWindow, &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
    const int32_t roomWidth = usable.w - left - right;
    const int32_t roomHeight = usable.h - top - bottom;
    if (roomWidth <= 0 || roomHeight <= 0 || (width <= roomWidth && height <= roomHeight))
        return;
    const PictureFit fit(width, height, roomWidth, roomHeight);
    width = fit.Width();
    height = fit.Height();
}

void SdlWindow::SetPictureSize(int32_t width, int32_t height) {
    mQueue.Translator().SetPictureSize(width, height);
}

void SdlWindow::GetClientSize(int32_t& width, int32_t& height) const {
    FollowFullScreen();
    int w = 0, h = 0;
    if (mWindow)
        SDL_GetWindowSize(mWindow, &w, &h);
    width = w;
    height = h;
}

void SdlWindow::SetPosition(int32_t x, int32_t y) {
    if (mWindow)
        SDL_SetWindowPosition(mWindow, PositionOrCentred(x), PositionOrCentred(y));
}

void SdlWindow::GetPosition(int32_t& x, int32_t& y) const {
    int left = 0, top = 0;
    if (mWindow)
        SDL_GetWindowPosition(mWindow, &left, &top);
    x = left;
    y = top;
}

bool SdlWindow::SetFullScreen(bool fullScreen) {
    if (!mWindow)
        return false;
    // The display keeps its mode; the picture is scaled to the screen.
    if (SDL_SetWindowFullscreen(mWindow, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        PlatformLog("Cannot switch the main window %s: %s",
                    fullScreen ? "to full screen" : "back to a window", SDL_GetError());
        return false;
    }
    FollowFullScreen();
    FollowClientSize();
    return true;
}

void SdlWindow::FollowFullScreen() const {
    if (!mWindow)
        return;
    const bool fullScreen = (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_FULLSCREEN) != 0;
    if (fullScreen == mFollowedFullScreen)
        return;
    mFollowedFullScreen = fullScreen;
    if (!fullScreen) {
        mLeftFullScreen = true;
        if (!mCoversDisplay)
            return;
        mCoversDisplay = false;
        // SDL keeps the display's size as the window's after leaving full
        // screen when no manager answered; both are told the window's own.
        X11PlaceWindow(mWindow, mWindowedRect, false);
        SDL_SetWindowSize(mWindow, mWindowedRect.width, mWindowedRect.height);
        SDL_SetWindowPosition(mWindow, mWindowedRect.x, mWindowedRect.y);
        PlatformLog("Main window put back at %dx%d (%d,%d)", mWindowedRect.width,
                    mWindowedRect.height, mWindowedRect.x, mWindowedRect.y);
        return;
    }
    // A window manager that handles full screen places the window itself.
    if (!IsX11Window(mWindow) || X11ManagerHandlesFullScreen(mWindow))
        return;
    SDL_Rect bounds;
    const int index = SDL_GetWindowDisplayIndex(mWindow);
    if (index < 0 || SDL_GetDisplayBounds(index, &bounds) != 0)
        return;
    const WindowRect display{bounds.x, bounds.y, bounds.w, bounds.h};
    const std::optional<WindowRect> now = X11WindowGeometry(mWindow);
    if (!now || now->Covers(display))
        return;
    mWindowedRect = *now;
    if (!X11PlaceWindow(mWindow, display, true))
        return;
    mCoversDisplay = true;
    PlatformLog("No window manager placed the full-screen window: moved from %dx%d (%d,%d) over "
                "the %dx%d display",
                now->width, now->height, now->x, now->y, display.width, display.height);
}

bool SdlWindow::IsFullScreen() const {
    return mWindow && (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_FULLSCREEN);
}

bool SdlWindow::SetCapture() {
    if (!mWindow)
        return false;
    if (mCaptured)
        return true;
    if (SDL_CaptureMouse(SDL_TRUE) != 0)
        return false;
    mCaptured = true;
    mQueue.Translator().SetCaptured(true);
    return true;
}

void SdlWindow::ReleaseCapture() {
    if (!mCaptured)
        return;
    SDL_CaptureMouse(SDL_FALSE);
    mCaptured = false;
    mQueue.Translator().SetCaptured(false);
}

bool SdlWindow::HasCapture() const {
    return mCaptured;
}

void SdlWindow::WarpPointer(int32_t x, int32_t y) {
    if (!mWindow)
        return;
    int32_t clientX = 0, clientY = 0;
    mQueue.Translator().Fit().ToArea(x, y, clientX, clientY);
    SDL_WarpMouseInWindow(mWindow, clientX, clientY);
}

bool SdlWindow::GetPointerPosition(int32_t& x, int32_t& y) const {
    if (!mWindow)
        return false;
    int px = 0, py = 0;
    if (SDL_GetMouseFocus() == mWindow) {
        SDL_GetMouseState(&px, &py);
    } else {
        int left = 0, top = 0;
        SDL_GetGlobalMouseState(&px, &py);
        SDL_GetWindowPosition(mWindow, &left, &top);
        px -= left;
        py -= top;
    }
    mQueue.Translator().Fit().ToPicture(px, py, x, y);
    return true;
}

bool SdlWindow::SetRelativeMouseMode(bool on) {
    if (!mWindow)
        return false;
    if (SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE) != 0) {
        PlatformLog("Relative mouse mode not available: %s", SDL_GetError());
        return false;
    }
    return true;
}

bool SdlWindow::TrackMouse(uint32_t flags) {
    if (!mWindow)
        return false;
    mQueue.TrackMouse(flags, TimerNow());
    return true;
}

void SdlWindow::Translate(const SDL_Event& event) {
    // Pointer positions are read through the picture's fit to the client
    // area as it is now (full screen changes it without a word to us when
    // no window manager runs).
    if (event.type == SDL_MOUSEMOTION || event.type == SDL_MOUSEBUTTONDOWN ||
        event.type == SDL_MOUSEBUTTONUP || event.type == SDL_MOUSEWHEEL)
        FollowClientSize();
    mQueue.Translate(event, TimerNow());
    // Losing the focus ends the capture.
    if (mCaptured && !mQueue.Translator().IsCaptured()) {
        SDL_CaptureMouse(SDL_FALSE);
        mCaptured = false;
    }
}

bool SdlWindow::TakeSdlEvent(SDL_Event& event) {
    return SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1;
}

void SdlWindow::Pump(bool always) {
    // Asking the system for input costs more than everything else in an
    // idle pass; once per millisecond is as often as a waiting loop needs.
    uint64_t now = SDL_GetTicks64();
    if (!always && now == mLastPump)
        return;
    mLastPump = now;
    SDL_PumpEvents();
}

bool SdlWindow::PeekMessage(WindowMessage& message) {
    if (!mWindow)
        return false;
    FollowFullScreen();
    if (mQueue.TakeQueued(message, TimerNow()))
        return true;
    SDL_Event event;
    for (;;) {
        if (!TakeSdlEvent(event)) {
            Pump(false);
            if (!TakeSdlEvent(event))
                break;
        }
        Translate(event);
        if (mQueue.TakeQueued(message, TimerNow()))
            return true;
    }
    return mQueue.TakeLowPriority(message, TimerNow());
}

bool SdlWindow::WaitMessage(uint32_t timeoutMs) {
    if (!mWindow)
        return false;
    uint32_t now = TimerNow();
    if (mQueue.HasReady(now) || SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT))
        return true;
    int64_t wait = timeoutMs;
    int64_t due = mQueue.MsUntilDue(now);
    if (due >= 0)
        wait = std::min(wait, due);
    if (wait <= kShortWaitMs) {
        // A short wait sleeps and then asks for input once; SDL's own wait
        // would ask before, during and after.
        if (wait > 0)
            SDL_Delay(static_cast<uint32_t>(wait));
        Pump(true);
    } else {
        SDL_WaitEventTimeout(nullptr, static_cast<int>(wait));
    }
    return mQueue.HasReady(TimerNow()) || SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void SdlWindow::PostQuitMessage(int32_t exitCode) {
    mQueue.PostQuit(exitCode);
}

bool SdlWindow::PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!mWindow)
        return false;
    SDL_Event event{};
    event.type = PostedEventType();
    event.user.code = static_cast<Sint32>(message);
    event.user.data1 = reinterpret_cast<void*>(wParam);
    event.user.data2 = reinterpret_cast<void*>(lParam);
    return SDL_PushEvent(&event) == 1;
}

bool SdlWindow::SetTimer(uint32_t id, uint32_t intervalMs) {
    if (!mWindow)
        return false;
    mQueue.SetTimer(id, intervalMs, TimerNow());
    return true;
}

bool SdlWindow::KillTimer(uint32_t id) {
    return mQueue.KillTimer(id);
}

void SdlWindow::Invalidate() {
    mQueue.Translator().Invalidate();
}

uint16_t SdlWindow::GetKeyState(uint32_t virtualKey) const {
    return mQueue.Translator().KeyState(virtualKey);
}

bool SdlWindow::IsForeground() const {
    return mWindow && (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_INPUT_FOCUS);
}

bool SdlWindow::SetForeground() {
    if (!mWindow)
        return false;
    SDL_RaiseWindow(mWindow);
    if (SDL_SetWindowInputFocus(mWindow) != 0) {
        PlatformLog("Cannot bring the main window to the front: %s", SDL_GetError());
        return false;
    }
    return true;
}

bool SdlWindow::IsTopmost() const {
    return mWindow && (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_ALWAYS_ON_TOP);
}

bool SdlWindow::SetTopmost(bool topmost) {
    if (!mWindow)
        return false;
    SDL_SetWindowAlwaysOnTop(mWindow, topmost ? SDL_TRUE : SDL_FALSE);
    return IsTopmost() == topmost;
}

std::optional<bool> SdlWindow::IsFrontmost() const {
    // SDL does not report the stacking order of other programs' windows.
    return std::nullopt;
}

bool SdlWindow::MakeGlCurrent() {
    return mWindow && mContext && SDL_GL_MakeCurrent(mWindow, mContext) == 0;
}

void SdlWindow::SwapBuffers() {
    if (mWindow && mContext)
        SDL_GL_SwapWindow(mWindow);
}

bool SdlWindow::SetSwapInterval(int interval) {
    return mContext && SDL_GL_SetSwapInterval(interval) == 0;
}

int SdlWindow::GetSwapInterval() const {
    return mContext ? SDL_GL_GetSwapInterval() : 0;
}

void SdlWindow::GetDrawableSize(int32_t& width, int32_t& height) const {
    // The display may have switched the window directly through SDL: the
    // size given is the one on the screen.
    FollowFullScreen();
    int w = 0, h = 0;
    if (mWindow)
        SDL_GL_GetDrawableSize(mWindow, &w, &h);
    width = w;
    height = h;
}

bool SdlWindow::GetScreenSize(int32_t& width, int32_t& height) const {
    width = 0;
    height = 0;
    SDL_DisplayMode mode;
    if (!mVideoStarted || SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        return false;
    }
    width = mode.w;
    height = mode.h;
    return true;
}

} // namespace platform
