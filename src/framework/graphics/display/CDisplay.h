#pragma once

#include "framework/graphics/display/CDisplaySurface.h"
#include "platform/graphics/GraphicsSystem.h"

#include <cstdint>
#include <memory>

namespace platform {
class Desktop;
class Window;
} // namespace platform

// The display device and its two buffers: the front buffer (what the screen
// shows) and the back buffer the device draws into, made full screen (a
// flipping chain in a display mode of its own) or in the main window (the
// back buffer is copied to the window at present). The device context owns
// one and builds the 3-D device on the back buffer it leaves. The graphics
// system, the window and the desktop (for the one compatibility message) are
// the platform's; the display does not own them. Main thread.
class CDisplay {
public:
    // Selector flags of the creation calls.
    static constexpr uint32_t kFlagHosted = 2;    // leave the window's frame alone
    static constexpr uint32_t kFlagAntialias = 4; // ask for an antialiasing surface
    // Below this much video memory full screen runs at 16 bits at most.
    static constexpr uint32_t kVideoMemoryFor32Bit = 0x1000000;
    // A buffer still busy after this many asks is reported as busy.
    static constexpr int kMaxStillDrawingRepeats = 1000;

    CDisplay(platform::GraphicsSystem& system, platform::Desktop* desktop);
    CDisplay(const CDisplay&) = delete;
    CDisplay& operator=(const CDisplay&) = delete;
    virtual ~CDisplay();

    // selector: device index in the high 16 bits, flags in the low 16.
    platform::GfxResult CreateFullScreen(platform::Window* window, int32_t width, int32_t height,
                                         uint32_t depth, uint32_t selector);
    platform::GfxResult CreateWindowed(platform::Window* window, platform::Window* clipWindow,
                                       int32_t width, int32_t height, bool videoMemory,
                                       uint32_t flags);
    // A plain off-screen surface (or what the caps say) of the size, in the
    // given format or the display's.
    platform::GfxResult CreateOffscreenSurface(std::unique_ptr<CDisplaySurface>* surface,
                                               int32_t width, int32_t height,
                                               const platform::PixelFormat* format = nullptr,
                                               const uint32_t* caps = nullptr);
    // Shows the back buffer: copied to the window, or flipped full screen.
    // A lost buffer is restored and the loss returned; a busy one is asked
    // again.
    platform::GfxResult Present();
    virtual platform::GfxResult ReleaseAll();
    platform::GfxResult UpdateWindowRect();
    void GetWindowOrigin(int32_t& x, int32_t& y);
    void RestoreDesktopMode();

    platform::GraphicsDisplay* GetDirectDraw() const { return mDirectDraw.get(); }
    const platform::SurfacePtr& GetFrontBuffer() const { return mFrontBuffer; }
    const platform::SurfacePtr& GetBackBuffer() const { return mBackBuffer; }
    platform::Window* GetWindow() const { return mWindowHandle; }
    const platform::GfxRect& GetWindowRect() const { return mWindowRect; }
    bool IsWindowed() const { return mWindowed; }
    bool WasCreatedOnce() const { return mCreatedOnce; }
    platform::GraphicsSystem& GetSystem() const { return mSystem; }

private:
    platform::GfxResult CreateDevice(uint32_t deviceIndex);
    uint32_t CooperativeFlags(uint32_t base) const;
    uint32_t ChooseDepth(uint32_t depth, int32_t width, int32_t height);
    void FitWindow(platform::Window& window, int32_t width, int32_t height);

    platform::GraphicsSystem& mSystem;
    platform::Desktop* mDesktop = nullptr;
    std::unique_ptr<platform::GraphicsDisplay> mDirectDraw;
    platform::SurfacePtr mFrontBuffer;
    platform::SurfacePtr mBackBuffer;
    platform::Window* mWindowHandle = nullptr;
    platform::GfxRect mWindowRect;
    bool mWindowed = false;
    bool mCreatedOnce = false;
};
