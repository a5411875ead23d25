#pragma once

#include "framework/graphics/display/TDisplaySetup.h"
#include "platform/desktop/Desktop.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class TTexture;
class TTextureData;

namespace platform {
class Window;
}

// The display handler: one renderer per process, made by the draw front.
// Given a graphics system (AttachGraphics, done by the platform on the real
// main window) it owns the display set-up: the device context, the display
// and its fallbacks and device-loss recovery go through TDisplaySetup.
// Without one (tests that give a window back end only) it sets the main
// window's size and full-screen state for a display mode. It keeps the
// pointer position and the cursor picture (a hardware cursor goes to the
// desktop as a colour cursor) and answers the questions the application
// frame asks. Whatever it cannot do it reports as failure. The platform
// attaches the main window and the desktop; the renderer does not own them.
// Main thread, except PresentFrame, GetCursorPosition and CanPresent.
class TRenderer {
public:
    struct Point {
        int x = -1;
        int y = -1;
    };

    TRenderer();
    TRenderer(const TRenderer&) = delete;
    TRenderer& operator=(const TRenderer&) = delete;
    virtual ~TRenderer();

    // The renderer, or null while none exists.
    static TRenderer* Get();

    void AttachWindow(platform::Window* window, platform::Desktop* desktop);
    // Gives the renderer a real display: from now on the display calls
    // below (set-up, full screen, validity, restore, out of video memory)
    // go through the display set-up on the graphics system. Needs the main
    // window attached first. Without it the renderer only sizes the window.
    void AttachGraphics(const TDXContextEnvironment& environment, const TDisplayHost& host);
    // Drops the display (before the graphics system and window go).
    void DetachGraphics() { mSetup.reset(); }
    TDisplaySetup* GetDisplaySetup() const { return mSetup.get(); }
    platform::Window* GetWindow() const { return mWindow; }

    // Starts as the setting "vsync" says; the setting's change hook sets it
    // later.
    void SetVerticalSync(bool on) { mVerticalSync = on; }
    bool GetVerticalSync() const { return mVerticalSync; }

    // Makes the display: the main window's client area becomes width by
    // height, full screen or not. False without a main window or when the
    // window refuses the mode.
    bool SetDisplay(int width, int height, bool fullScreen, bool force, bool quiet, bool hosted);
    // The display again at its size; false without a display.
    bool SetFullScreen(bool fullScreen);
    bool IsFullScreen() const {
        return mSetup ? mSetup->IsFullScreen() : mHasDisplay && mFullScreen;
    }
    void GetDisplayMode(int& width, int& height, bool& fullScreen) const;
    bool HasDisplay() const { return mSetup ? mSetup->IsReady() : mHasDisplay.load(); }
    int GetDisplayCount() const { return mDisplayCount; }
    void CalibrateTexelOffset() { ++mCalibrations; }
    int GetCalibrationCount() const { return mCalibrations; }

    // A display exists and is not lost.
    bool IsDeviceValid() const { return mSetup ? mSetup->IsDeviceValid() : mHasDisplay && !mLost; }
    // Brings a lost display back; false without a display or when told to
    // fail.
    bool Restore();
    int GetRestoreCount() const { return mRestores; }
    void ResetWorkingCount() {
        mWorkingCount = 0;
        if (mSetup)
            mSetup->ResetWorkingCount();
    }
    int GetWorkingCount() const { return mWorkingCount; }

    // Whether a frame may be presented now.
    bool CanPresent() const { return mSetup ? mSetup->CanPresent() : mHasDisplay && !mLost; }
    // Moves the cursor to the point ((-1, -1): where it is) and gives the
    // point it now stands at; x = -1 when there was nothing to draw.
    Point PresentFrame(int x, int y);
    bool IsPresentDone() const { return true; }
    // The pointer in display coordinates: where the main window's pointer
    // is, else the last point handed to PresentFrame.
    Point GetCursorPosition() const;
    void UpdateMouseCursor() {
        ++mWindowRectUpdates;
        if (IsSoftwareCursor())
            mSetup->GetContext().UpdateWindowRect();
    }
    int GetWindowRectUpdates() const { return mWindowRectUpdates; }
    void EraseMouseCursor() {
        ++mCursorErases;
        if (IsSoftwareCursor())
            mSetup->GetContext().HideCursor();
    }
    int GetCursorErases() const { return mCursorErases; }

    // Cursor picture. With the hardware cursor (the default) the picture
    // becomes the desktop's colour cursor. Without it ("--softwarecursor" on
    // the command line, or the setting "softwarecursor" = "1", or
    // SetHardwareCursor(false)) and with a real display, the device context
    // draws it into every frame: SetMouseImage's flags choose the slot, 2
    // the second slot (alpha kept, shown while set) and any other value (the
    // game passes 1) the main slot, which is colour-keyed on magenta; a
    // main-slot picture with see-through alpha is keyed on the way in.
    void SetHardwareCursor(bool on);
    bool GetHardwareCursor() const { return mHardwareCursor; }
    void SetMouseImage(const std::shared_ptr<TTexture>& image, int hotX, int hotY, int flags);
    const std::shared_ptr<TTexture>& GetMouseImage() const { return mMouseImage; }
    platform::CursorHandle GetHardwareCursorHandle() const { return mCursor; }
    // Sets the cursor again over the client area; false when there is no
    // hardware cursor to set.
    bool ApplySystemCursor();
    // The software cursor draws through the display.
    bool IsSoftwareCursor() const { return mSetup && !mHardwareCursor; }
    // Main thread: serves a cursor redraw the helper thread asked for by
    // presenting the last frame again with the cursor at its new place.
    void ServeCursorRedraw();

    // The texture-data factory: a new texture-data object for the current
    // display, owned by the caller. This first form has no display to make
    // one for: it says so in the log and gives null.
    TTextureData* CreateTextureData();

    void OnOutOfVideoMemory() {
        mLowMemory = true;
        if (mSetup)
            mSetup->OnOutOfVideoMemory();
    }
    bool IsLowMemory() const { return mSetup ? mSetup->IsLowMemoryVideo() : mLowMemory; }

    // Test controls: the display is lost (as a device loss would leave it);
    // Restore fails while told to.
    void LoseDevice() { mLost = true; }
    void FailRestore(bool fail) { mRestoreFails = fail; }

private:
    void MakeHardwareCursor();
    void GiveSoftwareCursor();

    platform::Window* mWindow = nullptr;
    platform::Desktop* mDesktop = nullptr;
    std::unique_ptr<TDisplaySetup> mSetup;
    std::atomic<bool> mVerticalSync{false};
    bool mLowMemory = false;
    std::atomic<bool> mHasDisplay{false};
    std::atomic<bool> mLost{false};
    bool mRestoreFails = false;
    bool mFullScreen = false;
    int mWidth = 0;
    int mHeight = 0;
    int mDisplayCount = 0;
    int mCalibrations = 0;
    int mRestores = 0;
    int mWorkingCount = 0;
    int mWindowRectUpdates = 0;
    int mCursorErases = 0;
    mutable std::mutex mPointerLock;
    Point mPointer;
    // Read by the helper thread's cursor updates.
    std::atomic<bool> mHardwareCursor{true};
    std::shared_ptr<TTexture> mMouseImage;
    int mHotX = 0;
    int mHotY = 0;
    int mMouseFlags = 0;
    platform::CursorHandle mCursor = 0;
};
