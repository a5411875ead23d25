#pragma once

#include "platform/window/WindowMessage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A square or oblong picture for the window's icon, 4 bytes per pixel in the
// order blue, green, red, alpha, rows top down without padding.
struct WindowIcon {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgra;
};

// Where and how the main window is made.
struct WindowSpec {
    static constexpr int32_t kCentered = INT32_MIN;

    std::string caption; // UTF-8
    int32_t x = kCentered;
    int32_t y = kCentered;
    int32_t width = 480; // client area
    int32_t height = 360;
    // Shown inside a host: no frame and no task-bar entry.
    bool hosted = false;
    bool visible = true;
    // Null: the program's own icon.
    const WindowIcon* icon = nullptr;
};

enum class ShowCommand { Hide, Show, Minimize, Restore };

// The program's one main window: a frame of fixed client size (the user can
// neither resize nor maximise it), its message queue, the pointer and
// keyboard state the event pump asks for, and the drawing context the
// renderer draws into. The application frame owns the one instance; back
// ends: sdl/ (a real window with an OpenGL 2.1 context) and null/ (records
// calls and replays injected input, for tests). Main thread only, except
// PostMessage.
class Window {
public:
    virtual ~Window() = default;

    // False when the window cannot be made; LastError says why.
    virtual bool Create(const WindowSpec& spec) = 0;
    virtual void Destroy() = 0;
    virtual bool IsCreated() const = 0;
    // Non-zero while the window exists; stands for it where a window handle
    // is expected (the "hwnd" setting, capture messages).
    virtual uintptr_t Handle() const = 0;
    virtual const std::string& LastError() const = 0;

    virtual void Show(ShowCommand command) = 0;
    virtual bool IsVisible() const = 0;
    virtual bool IsMinimized() const = 0;
    virtual void SetCaption(const std::string& utf8) = 0;
    virtual std::string Caption() const = 0;
    virtual void SetClientSize(int32_t width, int32_t height) = 0;
    virtual void GetClientSize(int32_t& width, int32_t& height) const = 0;
    virtual void SetPosition(int32_t x, int32_t y) = 0;
    virtual void GetPosition(int32_t& x, int32_t& y) const = 0;
    virtual bool SetFullScreen(bool fullScreen) = 0;
    virtual bool IsFullScreen() const = 0;

    // The size of the picture the window shows. When the client area has
    // another size (full screen on a desktop of another size, or a window
    // that could not have the picture's own size) the picture is scaled to
    // fit it and centred (PictureFit), and every pointer position the
    // window gives or takes is a picture position: what the pointer is
    // over in the picture. Presses, moves and wheel turns over the bars
    // make no message. 0 by 0: the picture is the client area.
    virtual void SetPictureSize(int32_t width, int32_t height) = 0;

    // Pointer. Capture keeps pointer messages coming while a button is held
    // outside the window; false when the system refused it.
    virtual bool SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    virtual bool HasCapture() const = 0;
    // Picture coordinates (client coordinates when the two agree).
    virtual void WarpPointer(int32_t x, int32_t y) = 0;
    virtual bool GetPointerPosition(int32_t& x, int32_t& y) const = 0;
    virtual bool SetRelativeMouseMode(bool on) = 0;
    // Arms, re-arms or cancels hover and leave messages (kTrack... flags).
    // Each armed message comes once; the caller arms again.
    virtual bool TrackMouse(uint32_t flags) = 0;

    // Queue. PeekMessage takes the next message without waiting; false when
    // there is none. WaitMessage waits until one is there or the time is up
    // (true: one is there).
    virtual bool PeekMessage(WindowMessage& message) = 0;
    virtual bool WaitMessage(uint32_t timeoutMs) = 0;
    virtual void PostQuitMessage(int32_t exitCode) = 0;
    // Any thread. False when the message could not be queued.
    virtual bool PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual bool SetTimer(uint32_t id, uint32_t intervalMs) = 0;
    virtual bool KillTimer(uint32_t id) = 0;
    // Asks for one paint message.
    virtual void Invalidate() = 0;

    // High bit (0x8000) while the key is down, as of the last message taken.
    virtual uint16_t GetKeyState(uint32_t virtualKey) const = 0;

    // Foreground and stacking. What the system cannot tell or do is reported
    // as failure (or no answer), never as success.
    virtual bool IsForeground() const = 0;
    virtual bool SetForeground() = 0;
    virtual bool IsTopmost() const = 0;
    virtual bool SetTopmost(bool topmost) = 0;
    // Whether no other window lies above this one; no answer where the
    // system does not say.
    virtual std::optional<bool> IsFrontmost() const = 0;

    // Drawing context (OpenGL 2.1 compatibility profile in the real back end).
    virtual bool HasGlContext() const = 0;
    virtual bool MakeGlCurrent() = 0;
    virtual void SwapBuffers() = 0;
    virtual bool SetSwapInterval(int interval) = 0;
    // The swap interval in force (0 without a drawing context).
    virtual int GetSwapInterval() const = 0;
    virtual void GetDrawableSize(int32_t& width, int32_t& height) const = 0;

    // The size of the primary display in pixels; false (and 0 by 0) when
    // the window system does not say. Answered once the window was created.
    virtual bool GetScreenSize(int32_t& width, int32_t& height) const {
        width = 0;
        height = 0;
        return false;
    }
};

} // namespace platform
