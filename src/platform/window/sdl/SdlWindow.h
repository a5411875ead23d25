#pragma once

#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"
#include "platform/window/sdl/X11Placement.h"

#include <SDL_video.h>

namespace platform {

// The main window on SDL2: a window of fixed client size with an OpenGL 2.1
// compatibility context that stays with it for its life, and the program's
// own icon. SDL's events go through the input translator into the message
// queue; capture is SDL_CaptureMouse. Holds SDL's video subsystem while it
// exists.
class SdlWindow : public Window {
public:
    SdlWindow() = default;
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    bool Create(const WindowSpec& spec) override;
    void Destroy() override;
    bool IsCreated() const override { return mWindow != nullptr; }
    uintptr_t Handle() const override;
    const std::string& LastError() const override { return mError; }

    void Show(ShowCommand command) override;
    bool IsVisible() const override;
    bool IsMinimized() const override;
    void SetCaption(const std::string& utf8) override;
    std::string Caption() const override;
    void SetClientSize(int32_t width, int32_t height) override;
    void GetClientSize(int32_t& width, int32_t& height) const override;
    void SetPosition(int32_t x, int32_t y) override;
    void GetPosition(int32_t& x, int32_t& y) const override;
    bool SetFullScreen(bool fullScreen) override;
    bool IsFullScreen() const override;
    void SetPictureSize(int32_t width, int32_t height) override;

    bool SetCapture() override;
    void ReleaseCapture() override;
    bool HasCapture() const override;
    void WarpPointer(int32_t x, int32_t y) override;
    bool GetPointerPosition(int32_t& x, int32_t& y) const override;
    bool SetRelativeMouseMode(bool on) override;
    bool TrackMouse(uint32_t flags) override;

    bool PeekMessage(WindowMessage& message) override;
    bool WaitMessage(uint32_t timeoutMs) override;
    void PostQuitMessage(int32_t exitCode) override;
    bool PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    bool SetTimer(uint32_t id, uint32_t intervalMs) override;
    bool KillTimer(uint32_t id) override;
    void Invalidate() override;

    uint16_t GetKeyState(uint32_t virtualKey) const override;

    bool IsForeground() const override;
    bool SetForeground() override;
    bool IsTopmost() const override;
    bool SetTopmost(bool topmost) override;
    std::optional<bool> IsFrontmost() const override;

    bool HasGlContext() const override { return mContext != nullptr; }
    bool MakeGlCurrent() override;
    void SwapBuffers() override;
    bool SetSwapInterval(int interval) override;
    int GetSwapInterval() const override;
    void GetDrawableSize(int32_t& width, int32_t& height) const override;
    bool GetScreenSize(int32_t& width, int32_t& height) const override;

    SDL_Window* NativeWindow() const { return mWindow; }

private:
    void Translate(const SDL_Event& event);
    bool TakeSdlEvent(SDL_Event& event);
    void Pump(bool always);
    bool Fail(const char* what);
    // Tells the input translator the client area's size as SDL has it.
    void FollowClientSize();
    // The largest size with the aspect of width x height, no larger, whose
    // framed window fits the usable part of the window's display.
    void FitToDisplay(int32_t& width, int32_t& height) const;
    // Makes SDL's full-screen state true on the screen: where no window
    // manager places a full-screen window, the window is moved over the
    // display by hand, and put back where it was on leaving. Runs on every
    // change of the state, whoever made it (the display switches the
    // window through SDL itself), before the window's size is given out.
    void FollowFullScreen() const;

    // Waits up to this long sleep and then look for input once.
    static constexpr int64_t kShortWaitMs = 2;

    SDL_Window* mWindow = nullptr;
    SDL_GLContext mContext = nullptr;
    bool mVideoStarted = false;
    bool mCaptured = false;
    uint64_t mLastPump = 0;
    MessageQueue mQueue;
    std::string mError;
    // Mutable: the window's size getters follow the full-screen state.
    mutable bool mFollowedFullScreen = false;
    mutable bool mCoversDisplay = false;
    mutable WindowRect mWindowedRect;
    // Full screen was left since the window last had its size set: the
    // next size centres it on its display.
    mutable bool mLeftFullScreen = false;
};

} // namespace platform
