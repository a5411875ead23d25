#pragma once

#include "platform/graphics/GraphicsDisplay.h"
#include "platform/graphics/MemorySurface.h"
#include "platform/graphics/null/NullGraphicsConfig.h"

#include <memory>
#include <vector>

namespace platform {

class NullDevice;

// A display of the null back end. Surfaces are MemorySurfaces of the display
// mode's format; the primary surface is memory too, so a test reads what was
// presented from it (a flip swaps it with its back buffer; a windowed
// present is a Blt onto it). Made by NullGraphicsSystem. Faults are reported
// under the names of the operations ("SetCooperativeLevel",
// "TestCooperativeLevel", "SetDisplayMode", "CreateSurface",
// "RestoreAllSurfaces", "CreateDevice", "CreateTexture", ...).
class NullDisplay : public GraphicsDisplay {
public:
    NullDisplay(NullGraphicsConfig& config, GraphicsFaults& faults);
    ~NullDisplay() override;

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

    // What tests read.
    uint32_t CooperativeLevel() const { return mCoopFlags; }
    const DisplayMode& CurrentMode() const { return mMode; }
    bool ModeChanged() const { return mModeChanged; }
    uint32_t VideoMemoryInUse() const;
    // Every live surface made here, oldest first.
    std::vector<std::shared_ptr<MemorySurface>> LiveSurfaces() const;
    // The primary surface last made (null when none lives).
    std::shared_ptr<MemorySurface> Primary() const { return mPrimary.lock(); }
    std::shared_ptr<NullDevice> Device() const { return mDevice.lock(); }
    uint32_t EvictCount() const { return mEvictions; }
    uint32_t SwapInterval() const { return mSwapInterval; }
    // Marks every live surface lost, as losing the display would.
    void LoseAllSurfaces();

private:
    GfxResult Make(uint32_t caps, int32_t width, int32_t height, const PixelFormat& format,
                   uint32_t mipLevels, std::shared_ptr<MemorySurface>& made);

    NullGraphicsConfig& mConfig;
    GraphicsFaults& mFaults;
    uint32_t mCoopFlags = 0;
    DisplayMode mMode;
    bool mModeChanged = false;
    uint32_t mEvictions = 0;
    uint32_t mSwapInterval = 0;
    bool mBlankWaitRefusalSaid = false; // once until the interval is set again
    std::vector<std::weak_ptr<MemorySurface>> mSurfaces;
    std::weak_ptr<MemorySurface> mPrimary;
    std::weak_ptr<NullDevice> mDevice;
};

} // namespace platform
