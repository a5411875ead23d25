#pragma once

#include "framework/core/text/TString.h"
#include "framework/graphics/display/CDisplay.h"
#include "platform/graphics/GraphicsDevice.h"

#include <cstdint>
#include <mutex>
#include <vector>

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
};

// The device context: the display (front and back buffers), the 3-D device
// drawing into the back buffer and its z-buffer, and the mouse mutex. Create
// builds it all for a size, depth and window mode, chooses and checks the
// device, and applies the known chips' work-arounds; the flags a failed
// creation leaves (too few colours, no video memory for a window, device
// surface not in video memory) steer the renderer's fallbacks and the next
// attempt. The renderer owns it. Main thread, except the mouse mutex.
class TDXContext {
public:
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
    void SetVerticalSync(bool on) { mVerticalSync = on; }
    bool GetVerticalSync() const { return mVerticalSync; }

    // Taken again by the thread holding it (display set-up creates the
    // context while holding it); other threads wait at most as long as they
    // ask.
    std::recursive_timed_mutex& GetMouseMutex() { return mMouseMutex; }

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
    bool mVerticalSync = false;
    std::recursive_timed_mutex mMouseMutex;
};

// On this system both are always true (the cursor code asks the first).
bool IsWindowsVistaOrLater();
bool IsWindowsXPOrLater();
