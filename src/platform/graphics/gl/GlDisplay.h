#pragma once

#include "platform/graphics/GraphicsDisplay.h"
#include "platform/graphics/MemorySurface.h"
#include "platform/graphics/gl/GlShared.h"

#include <memory>
#include <vector>

namespace platform {

class GlDevice;

// A display on the main window's GL context. Windowed, the primary surface
// is the window's client area; exclusive full screen puts the window in
// SDL's desktop full screen and the chosen mode is the back buffer's size,
// scaled to fit the screen. Surfaces: the primary surface and the back
// buffer (a framebuffer object), textures (GL textures with a memory copy)
// and plain surfaces in memory. Device loss does not happen on GL; it can
// be injected through Faults() as on the null back end.
class GlDisplay : public GraphicsDisplay {
public:
    GlDisplay(Window& window, uint32_t displayIndex, GraphicsFaults& faults);
    ~GlDisplay() override;

    GfxResult SetCooperativeLevel(uint32_t flags) override;
    GfxResult TestCooperativeLevel() override;
    GfxResult EnumDisplayModes(std::vector<DisplayMode>& modes) override;
    GfxResult SetDisplayMode(int32_t width, int32_t height, uint32_t bitCount,
                             uint32_t refreshRate) override;
    GfxResult RestoreDisplayMode() override;
    GfxResult GetDisplayMode(DisplayMode& mode) override;
    GfxResult GetMonitorFrequency(uint32_t& hertz) override;
    GfxResult GetCaps(DisplayCaps& caps) override;
    GfxResult GetDeviceCaps(DeviceCaps& caps) override;
    GfxResult GetDeviceIdentifier(DeviceIdentifier& identifier) override;
    GfxResult EnumTextureFormats(std::vector<PixelFormat>& formats) override;
    GfxResult EnumZBufferFormats(std::vector<PixelFormat>& formats) override;
    GfxResult CreateSurface(const SurfaceSpec& spec, SurfacePtr& surface) override;
    GfxResult RestoreAllSurfaces() override;
    GfxResult FlipToGdiSurface() override;
    GfxResult SetSwapInterval(uint32_t interval) override;
    GfxResult WaitForVerticalBlank() override;
    GfxResult EvictManagedTextures() override;
    GfxResult CreateDevice(SurfacePtr renderTarget, DevicePtr& device) override;
    GfxResult CreateTexture(int32_t& width, int32_t& height, uint32_t mipLevels,
                            PixelFormat& format, SurfacePtr& texture) override;
    GfxResult LoadTextureFromMemory(GraphicsSurface& texture, const uint32_t* pixels, int32_t width,
                                    int32_t height, int32_t pitch, LoadFilter filter) override;
    bool SaveScreenshot(const std::string& path) override;
    GraphicsFaults& Faults() override { return mFaults; }

    // Marks every live surface lost, as losing the display would.
    void LoseAllSurfaces();
    std::shared_ptr<GlDevice> Device() const { return mDevice.lock(); }

private:
    DisplayMode DesktopMode() const;
    void Track(const std::shared_ptr<MemorySurface>& surface);

    Window& mWindow;
    uint32_t mDisplayIndex;
    GraphicsFaults& mFaults;
    std::shared_ptr<GlShared> mShared;
    uint32_t mCoopFlags = 0;
    bool mModeSet = false;
    // The refused wait for the blank is said once until the interval is
    // set again.
    bool mBlankWaitRefusalSaid = false;
    DisplayMode mMode;
    DeviceCaps mDeviceCaps;
    std::vector<std::weak_ptr<MemorySurface>> mSurfaces;
    std::weak_ptr<GlDevice> mDevice;
};

} // namespace platform
