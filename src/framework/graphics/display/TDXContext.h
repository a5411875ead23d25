#pragma once

#include "framework/core/text/TString.h"
#include "framework/graphics/cursor/TCursorImage.h"
#include "framework/graphics/display/CDisplay.h"
#include "platform/desktop/Desktop.h"
#include "platform/graphics/GraphicsDevice.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class MouseTextureListener;
class TTask;
class TTexture;

// What the software cursor asks of the program around it. Empty functions
// answer time 0, "not minimised", "no window manager", "not full screen" and
// do nothing.
struct TCursorHost {
    // Application time in milliseconds.
    std::function<uint32_t()> now;
    std::function<bool()> isMinimized;
    // The window manager redraws everything at its next frame.
    std::function<void()> invalidate;
    // The window manager is in its background mode (another control covers
    // the main window): nothing is presented.
    std::function<bool()> backgroundMode;
    // The screen window's rectangle, when a window manager exists.
    std::function<bool(platform::GfxRect&)> screenRect;
    std::function<bool()> isFullScreen;
    // Hands a task to the application's after-restore list, which owns it.
    std::function<void(TTask*)> addRestoreListener;
    // The setting "activex" is "1": the second slot becomes a system cursor.
    std::function<bool()> activeX;
    // Between frames the cursor may be drawn straight onto the front buffer
    // (memory surfaces). Off for a GL display, whose context belongs to the
    // main thread: an update between frames then asks for a redraw instead,
    // which the main thread serves with a frame (ServeCursorRedraw).
    bool drawOnFrontBuffer = false;
};

// What the device context needs to know of the program around it. The
// renderer fills it from the platform object; tests set it by hand.
struct TDXContextEnvironment {
    platform::GraphicsSystem* system = nullptr;
    platform::Desktop* desktop = nullptr;
    // Shown inside a host program's window.
    bool hosted = false;
    // The host's window is this program's parent.
    bool externalParent = false;
    // "-pq=" was on the command line.
    bool pqGiven = false;
    // Hosted windows are made this much larger than asked.
    float viewportScale = 1.0f;
    // The renderer's flags that the context sets: draw indexed lists as
    // plain ones, and keep video memory use low.
    bool* expandIndexedDraws = nullptr;
    bool* lowMemoryVideo = nullptr;
    TCursorHost cursor;
};

// The device context: the display (front and back buffers), the 3-D device
// drawing into the back buffer and its z-buffer, the software mouse cursor
// and the mouse mutex. Create
// builds it all for a size, depth and window mode, chooses and checks the
// device, and applies the known chips' work-arounds; the flags a failed
// creation leaves (too few colours, no video memory for a window, device
// surface not in video memory) steer the renderer's fallbacks and the next
// attempt. The renderer owns it. Main thread, except the mouse mutex and
// the cursor updates between frames (UpdateCursor with frame false), which
// the platform's helper thread runs under it.
//
// The software cursor (its code is in graphics/cursor/) has two slots: slot
// 0 (false) is the game's colour-keyed picture, slot 1 (true) a picture with
// alpha that replaces it while set. Its pixels are kept in the screen format
// as spans and composed onto the frame through three small surfaces: two
// saves of what lies under the cursor, used in turn, and a work surface.
class TDXContext {
public:
    struct Point {
        int32_t x = -1;
        int32_t y = -1;
        bool operator==(const Point&) const = default;
    };

    explicit TDXContext(const TDXContextEnvironment& environment);
    TDXContext(const TDXContext&) = delete;
    TDXContext& operator=(const TDXContext&) = delete;
    virtual ~TDXContext();

    bool Create(platform::Window* window, bool fullScreen, int32_t width, int32_t height,
                uint32_t depth, uint32_t flags);
    void ReleaseDisplay();
    void RecordDesktopMode(int32_t colors, int32_t width, int32_t height);
    const platform::DisplayMode& GetDisplayMode() const { return mDisplayMode; }

    const platform::SurfacePtr& GetFrontBuffer() const { return mDisplay.GetFrontBuffer(); }
    const platform::SurfacePtr& GetBackBuffer() const { return mDisplay.GetBackBuffer(); }
    platform::GraphicsDisplay* GetDirectDraw() const { return mDisplay.GetDirectDraw(); }
    const platform::DevicePtr& GetDevice() const { return mDevice; }
    const platform::SurfacePtr& GetZBuffer() const { return mZBuffer; }
    CDisplay& GetDisplay() { return mDisplay; }
    const TString& GetDescription() const { return mDescription; }

    bool IsHardwareDevice() const { return mHardwareDevice; }
    bool HasTooFewColors() const { return mTooFewColors; }
    bool HasNoVideoMemoryForWindow() const { return mNoVideoMemoryForWindow; }
    bool IsDeviceSurfaceNotInVideoMemory() const { return mDeviceSurfaceNotInVideoMemory; }
    int32_t GetDesktopColors() const { return mDesktopColors; }
    int32_t GetDesktopWidth() const { return mDesktopWidth; }
    int32_t GetDesktopHeight() const { return mDesktopHeight; }
    void SetSecondWindow(platform::Window* window) { mSecondWindow = window; }
    // Windowed presents wait for the vertical blank: the display's swap
    // interval follows the flag (1 on, 0 off), at each creation and at
    // each change while a display exists.
    void SetVerticalSync(bool on);
    bool GetVerticalSync() const { return mVerticalSync; }

    // Taken again by the thread holding it (display set-up creates the
    // context while holding it); other threads wait at most as long as they
    // ask.
    std::recursive_timed_mutex& GetMouseMutex() { return mMouseMutex; }

    // Presents the frame: the cursor drawn into the back buffer, the back
    // buffer shown, and (windowed) the cursor taken out of it again. Holds the
    // mouse mutex throughout. 0 without presenting while the cursor surfaces
    // cannot be brought back.
    platform::GfxResult UpdateFrame();

    // Software cursor.
    bool SetMouseImage(const std::shared_ptr<TTexture>& texture, int32_t hotX, int32_t hotY,
                       bool secondSlot);
    void RestoreMouseImage();
    // (-1, -1): where the pointer is. Frame mode draws into the back buffer.
    Point UpdateCursor(int32_t x, int32_t y, bool frame);
    void HideCursor();
    void EraseCursor();
    void ShowCursor(bool show);
    void ApplySystemCursor(bool show);
    void ResetCursor();
    Point GetCursorPosition();
    void UpdateWindowRect();
    bool IsPresentDone();
    bool PreserveFrame();
    // The main thread's copy of the pointer (client pixels), read by the
    // helper thread, which may make no window-system call.
    void SetPointerPosition(int32_t x, int32_t y);
    // An update between frames found the cursor to move while the display
    // cannot be drawn on outside the main thread: the main thread serves it
    // by presenting the last frame again with the cursor at its new place.
    bool IsCursorRedrawRequested() const { return mCursorRedrawRequested; }
    void ServeCursorRedraw();

    // Cursor state, for the renderer and tests.
    Point GetCursorSize() const { return {mCursorWidth, mCursorHeight}; }
    Point GetCursorHotSpotOffset() const { return {mCursorHotX, mCursorHotY}; }
    Point GetCursorLastDrawn() const { return {mCursorLastX, mCursorLastY}; }
    bool IsCursorBackgroundSaved() const { return mCursorBackgroundSaved; }
    bool AreCursorSurfacesLost() const { return mCursorSurfacesLost; }
    bool AreCursorSurfacesToRecreate() const { return mCursorSurfacesToRecreate; }
    bool AreCursorSurfacesUnavailable() const { return mCursorSurfacesUnavailable; }
    bool IsSecondCursorSlotActive() const { return mCursorSecondSlotActive; }
    int32_t GetCursorSaveIndex() const { return mCursorSaveIndex; }
    platform::CursorHandle GetSystemCursor() const { return mSystemCursor; }
    bool HasMouseImage() const { return mCursorMainTexture != nullptr; }
    const TCursorImage& GetCursorImage(bool secondSlot) const {
        return secondSlot ? mCursorSecondImage : mCursorMainImage;
    }
    const platform::SurfacePtr& GetCursorSaveSurface(int index) const;
    const platform::SurfacePtr& GetCursorWorkSurface() const;
    uint32_t GetCursorDrawCount() const { return mCursorDrawCount; }
    void DetachRestoreListener() { mRestoreListener = nullptr; }

    // "Chip" work-arounds read from the device's description.
    static bool NeedsBrokenIndexedVerts(const std::string& description);
    static bool NeedsExpandedIndexedDraws(const std::string& description);
    // Upper-case hexadecimal, two digits a byte in order.
    static std::string HexBytes(const std::vector<uint8_t>& bytes);

private:
    bool CreateLocked(platform::Window* window, bool fullScreen, int32_t width, int32_t height,
                      uint32_t depth, uint32_t flags);
    void ReadDesktop();
    bool WindowTooBig(int32_t width, int32_t height);

    // Cursor steps (graphics/cursor/TDXContextCursor.cpp).
    bool CursorDrawTest(bool moved);
    Point ReadPointer();
    uint32_t Now() const;
    void Invalidate();
    bool BackgroundMode() const;
    bool CreateCursorSurfaces();
    void ReleaseCursorSurfaces();
    bool BuildSystemCursor(const std::shared_ptr<TTexture>& texture, int32_t hotX, int32_t hotY);
    void DestroySystemCursor();
    platform::GfxRect CursorClip(bool frame);
    platform::GfxRect ClientRect() const;
    platform::GfxRect WindowRectCopy() const;
    // The surface the cursor goes on, and the offset of client pixels in it.
    platform::GraphicsSurface* CursorTarget(bool backBuffer, int32_t& dx, int32_t& dy);
    bool SaveUnderCursor(platform::GraphicsSurface& target, int32_t dx, int32_t dy,
                         const platform::GfxRect& dest, const platform::GfxRect& source);
    void FixOverlap(const platform::GfxRect& dest, const platform::GfxRect& source);
    void ComposeWork(const platform::GfxRect& source);
    platform::GfxResult EraseOld(platform::GraphicsSurface& target, int32_t dx, int32_t dy);
    void DrawNew(platform::GraphicsSurface& target, int32_t dx, int32_t dy,
                 const platform::GfxRect& dest, const platform::GfxRect& source);
    void FinishDraw(bool frame, Point position, const platform::GfxRect& dest,
                    const platform::GfxRect& source);
    Point UpdateCursorLocked(Point position, bool frame, bool moved);

    TDXContextEnvironment mEnvironment;
    TString mDescription;
    platform::Window* mSecondWindow = nullptr;
    CDisplay mDisplay;
    platform::Window* mWindow = nullptr;
    platform::DevicePtr mDevice;
    platform::DeviceCaps mDeviceDescription;
    platform::PixelFormat mZBufferFormat;
    platform::SurfacePtr mZBuffer;
    bool mHardwareDevice = false;
    bool mTooFewColors = false;
    bool mNoVideoMemoryForWindow = false;
    bool mDeviceSurfaceNotInVideoMemory = false;
    bool mPaletteNeeded = false;
    int32_t mDesktopColors = 0;
    int32_t mDesktopWidth = 0;
    int32_t mDesktopHeight = 0;
    platform::DisplayMode mDisplayMode;

    // Software cursor. Fields the helper thread reads before it takes the
    // mouse mutex are atomic.
    std::shared_ptr<TTexture> mCursorMainTexture;
    std::shared_ptr<TTexture> mCursorSecondTexture;
    TCursorImage mCursorMainImage;
    TCursorImage mCursorSecondImage;
    bool mCursorSecondSlotActive = false;
    // Stored negated: the picture's offset from the pointer.
    int32_t mCursorHotX = 0;
    int32_t mCursorHotY = 0;
    // The hot spots each slot was last set with, for a rebuild.
    Point mCursorMainHot;
    Point mCursorSecondHot;
    std::atomic<int32_t> mCursorWidth{0};
    std::atomic<int32_t> mCursorHeight{0};
    std::atomic<int32_t> mCursorX{-1};
    std::atomic<int32_t> mCursorY{-1};
    int32_t mCursorLastX = -1;
    int32_t mCursorLastY = -1;
    // Where the last picture went (target rectangle in client pixels) and
    // which part of the picture that was.
    platform::GfxRect mCursorLastDest;
    platform::GfxRect mCursorLastSource;
    bool mCursorBackgroundSaved = false;
    bool mCursorOnBackBuffer = false;
    int32_t mCursorSaveIndex = 0;
    std::unique_ptr<CDisplaySurface> mCursorSave[2];
    std::unique_ptr<CDisplaySurface> mCursorWork;
    std::atomic<bool> mCursorSurfacesUnavailable{false};
    std::atomic<bool> mCursorSurfacesLost{false};
    bool mCursorSurfacesToRecreate = false;
    std::atomic<bool> mCursorShownSinceReset{false};
    std::atomic<uint32_t> mCursorLastDrawTime{0};
    std::atomic<bool> mCursorVisible{true};
    std::atomic<platform::CursorHandle> mSystemCursor{0};
    MouseTextureListener* mRestoreListener = nullptr;
    bool mRestoreListenerMade = false;
    // Set by the last UpdateCursor that drew.
    bool mCursorDrew = false;
    uint32_t mCursorDrawCount = 0;
    std::atomic<int32_t> mPointerX{-1};
    std::atomic<int32_t> mPointerY{-1};
    std::atomic<bool> mCursorRedrawRequested{false};
    // The window rectangle, copied for the helper thread's draw test.
    mutable std::mutex mWindowRectLock;
    platform::GfxRect mWindowRect;

    void ApplySwapInterval();

    bool mVerticalSync = false;
    // A wait for the blank failed on this display: said once.
    bool mBlankWaitFailed = false;
    std::recursive_timed_mutex mMouseMutex;
};

// On this system both are always true (the cursor code asks the first).
bool IsWindowsVistaOrLater();
bool IsWindowsXPOrLater();
