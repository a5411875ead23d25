#pragma once

#include "platform/graphics/GraphicsDevice.h"
#include "platform/graphics/GraphicsFaults.h"

#include <string>
#include <vector>

namespace platform {

// One display device with the main window: its cooperative level and
// display modes, what it can do, the surfaces made on it, the 3-D device,
// and the texture helpers (create a texture of a usable size, load 32-bit
// pixels into every level). Made by GraphicsSystem::CreateDisplay; the
// display code owns it. Main thread only.
class GraphicsDisplay {
public:
    virtual ~GraphicsDisplay() = default;

    // gfx::kCoop... bits: normal (windowed) or exclusive full screen.
    virtual GfxResult SetCooperativeLevel(uint32_t flags) = 0;
    // 0 while the display is usable; DDERR_WRONGMODE after the mode changed
    // under it, DDERR_NOEXCLUSIVEMODE, DDERR_EXCLUSIVEMODEALREADYSET.
    virtual GfxResult TestCooperativeLevel() = 0;

    virtual GfxResult EnumDisplayModes(std::vector<DisplayMode>& modes) = 0;
    virtual GfxResult SetDisplayMode(int32_t width, int32_t height, uint32_t bitCount,
                                     uint32_t refreshRate) = 0;
    virtual GfxResult RestoreDisplayMode() = 0;
    virtual GfxResult GetDisplayMode(DisplayMode& mode) = 0;
    virtual GfxResult GetMonitorFrequency(uint32_t& hertz) = 0;

    virtual GfxResult GetCaps(DisplayCaps& caps) = 0;
    virtual GfxResult GetDeviceCaps(DeviceCaps& caps) = 0;
    virtual GfxResult GetDeviceIdentifier(DeviceIdentifier& identifier) = 0;
    // Pixel formats a texture can have, and the depth formats.
    virtual GfxResult EnumTextureFormats(std::vector<PixelFormat>& formats) = 0;
    virtual GfxResult EnumZBufferFormats(std::vector<PixelFormat>& formats) = 0;

    virtual GfxResult CreateSurface(const SurfaceSpec& spec, SurfacePtr& surface) = 0;
    // Every surface made here that was lost is usable again (contents are
    // to be drawn again).
    virtual GfxResult RestoreAllSurfaces() = 0;
    virtual GfxResult FlipToGdiSurface() = 0;
    // Presents wait for that many vertical blanks (0: none); a failure
    // when the window system refuses the interval.
    virtual GfxResult SetSwapInterval(uint32_t interval) = 0;
    // Presents wait for the vertical blank: success only while a swap
    // interval is in force, else DDERR_UNSUPPORTED with a log line.
    virtual GfxResult WaitForVerticalBlank() = 0;
    virtual GfxResult EvictManagedTextures() = 0;

    // The device that draws into the target (a back buffer or a texture).
    virtual GfxResult CreateDevice(SurfacePtr renderTarget, DevicePtr& device) = 0;

    // A texture of at least width x height: the size may grow (powers of two,
    // square) as the device needs; the format may come back other than asked.
    // mipLevels 1 makes one level, 0 a full chain down to 1 x 1. The sizes
    // and format are updated to what was made.
    virtual GfxResult CreateTexture(int32_t& width, int32_t& height, uint32_t mipLevels,
                                    PixelFormat& format, SurfacePtr& texture) = 0;
    // Loads 0xAARRGGBB pixels (pitch in bytes) into the top-left of the
    // texture's first level, converting to its format, and makes every
    // further level from it with the filter.
    virtual GfxResult LoadTextureFromMemory(GraphicsSurface& texture, const uint32_t* pixels,
                                            int32_t width, int32_t height, int32_t pitch,
                                            LoadFilter filter) = 0;

    // The back buffer as a PNG file; false (with a log line) on failure.
    virtual bool SaveScreenshot(const std::string& path) = 0;

    virtual GraphicsFaults& Faults() = 0;
};

} // namespace platform
