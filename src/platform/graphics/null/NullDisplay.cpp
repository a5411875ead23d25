#include "platform/graphics/null/NullDisplay.h"

#include "platform/graphics/PngWriter.h"
#include "platform/graphics/null/NullDevice.h"
#include "platform/log/PlatformLog.h"

#include <algorithm>
#include <bit>

namespace platform {

namespace {

int32_t PowerOfTwo(int32_t value) {
    return static_cast<int32_t>(std::bit_ceil(static_cast<uint32_t>(std::max(value, 1))));
}

} // namespace

NullDisplay::NullDisplay(NullGraphicsConfig& config, GraphicsFaults& faults)
    : mConfig(config), mFaults(faults), mMode(config.desktopMode) {
    mFaults.SetLoseSurfaces([this] { LoseAllSurfaces(); });
}

NullDisplay::~NullDisplay() {
    mFaults.SetLoseSurfaces(nullptr);
}

GfxResult NullDisplay::SetCooperativeLevel(uint32_t flags) {
    if (const GfxResult r = mFaults.Enter("SetCooperativeLevel"); r != kGfxOk)
        return r;
    mCoopFlags = flags;
    return kGfxOk;
}

GfxResult NullDisplay::TestCooperativeLevel() {
    return mFaults.Enter("TestCooperativeLevel");
}

GfxResult NullDisplay::EnumDisplayModes(std::vector<DisplayMode>& modes) {
    if (const GfxResult r = mFaults.Enter("EnumDisplayModes"); r != kGfxOk)
        return r;
    modes = mConfig.modes;
    return kGfxOk;
}

GfxResult NullDisplay::SetDisplayMode(int32_t width, int32_t height, uint32_t bitCount,
                                      uint32_t refreshRate) {
    if (const GfxResult r = mFaults.Enter("SetDisplayMode"); r != kGfxOk)
        return r;
    if (!(mCoopFlags & gfx::kCoopExclusive))
        return DDERR_NOEXCLUSIVEMODE;
    for (const DisplayMode& mode : mConfig.modes)
        if (mode.width == width && mode.height == height && mode.bitCount == bitCount &&
            (refreshRate == 0 || refreshRate == mode.refreshRate)) {
            mMode = mode;
            mModeChanged = true;
            return kGfxOk;
        }
    return DDERR_UNSUPPORTEDMODE;
}

GfxResult NullDisplay::RestoreDisplayMode() {
    if (const GfxResult r = mFaults.Enter("RestoreDisplayMode"); r != kGfxOk)
        return r;
    mMode = mConfig.desktopMode;
    mModeChanged = false;
    return kGfxOk;
}

GfxResult NullDisplay::GetDisplayMode(DisplayMode& mode) {
    if (const GfxResult r = mFaults.Enter("GetDisplayMode"); r != kGfxOk)
        return r;
    mode = mMode;
    return kGfxOk;
}

GfxResult NullDisplay::GetMonitorFrequency(uint32_t& hertz) {
    if (const GfxResult r = mFaults.Enter("GetMonitorFrequency"); r != kGfxOk)
        return r;
    hertz = mConfig.monitorFrequency;
    return kGfxOk;
}

uint32_t NullDisplay::VideoMemoryInUse() const {
    uint32_t used = 0;
    for (const auto& weak : mSurfaces)
        if (const auto surface = weak.lock();
            surface && !(surface->Caps() & gfx::kCapsSystemMemory))
            for (uint32_t level = 0; level < surface->MipLevels(); ++level)
                used += static_cast<uint32_t>(surface->Pitch(level) * surface->LevelHeight(level));
    return used;
}

GfxResult NullDisplay::GetCaps(DisplayCaps& caps) {
    if (const GfxResult r = mFaults.Enter("GetCaps"); r != kGfxOk)
        return r;
    caps.videoMemoryTotal = mConfig.videoMemory;
    caps.videoMemoryFree = mConfig.videoMemory - std::min(mConfig.videoMemory, VideoMemoryInUse());
    return kGfxOk;
}

GfxResult NullDisplay::GetDeviceCaps(DeviceCaps& caps) {
    if (const GfxResult r = mFaults.Enter("GetDeviceCaps"); r != kGfxOk)
        return r;
    caps = mConfig.deviceCaps;
    return kGfxOk;
}

GfxResult NullDisplay::GetDeviceIdentifier(DeviceIdentifier& identifier) {
    if (const GfxResult r = mFaults.Enter("GetDeviceIdentifier"); r != kGfxOk)
        return r;
    identifier = mConfig.identifier;
    return kGfxOk;
}

GfxResult NullDisplay::EnumTextureFormats(std::vector<PixelFormat>& formats) {
    if (const GfxResult r = mFaults.Enter("EnumTextureFormats"); r != kGfxOk)
        return r;
    formats = mConfig.textureFormats;
    return kGfxOk;
}

GfxResult NullDisplay::EnumZBufferFormats(std::vector<PixelFormat>& formats) {
    if (const GfxResult r = mFaults.Enter("EnumZBufferFormats"); r != kGfxOk)
        return r;
    formats = mConfig.zBufferFormats;
    return kGfxOk;
}

GfxResult NullDisplay::Make(uint32_t caps, int32_t width, int32_t height, const PixelFormat& format,
                            uint32_t mipLevels, std::shared_ptr<MemorySurface>& made) {
    if (width <= 0 || height <= 0 || format.BytesPerPixel() == 0 || format.BytesPerPixel() > 4)
        return E_INVALIDARG;
    auto surface = std::make_shared<MemorySurface>(mFaults, caps, width, height, format, mipLevels);
    if (!(caps & gfx::kCapsSystemMemory) &&
        VideoMemoryInUse() + surface->ByteSize() > mConfig.videoMemory)
        return DDERR_OUTOFVIDEOMEMORY;
    std::erase_if(mSurfaces, [](const auto& weak) { return weak.expired(); });
    mSurfaces.push_back(surface);
    made = std::move(surface);
    return kGfxOk;
}

GfxResult NullDisplay::CreateSurface(const SurfaceSpec& spec, SurfacePtr& surface) {
    surface.reset();
    if (const GfxResult r = mFaults.Enter("CreateSurface"); r != kGfxOk)
        return r;
    if (mCoopFlags == 0)
        return E_FAIL;
    std::shared_ptr<MemorySurface> made;
    if (spec.caps & gfx::kCapsPrimary) {
        if (const GfxResult r = Make(spec.caps, mMode.width, mMode.height, mMode.format, 1, made);
            r != kGfxOk)
            return r;
        if (spec.backBufferCount > 0) {
            std::shared_ptr<MemorySurface> back;
            const uint32_t backCaps = gfx::kCapsBackBuffer | gfx::kCaps3dDevice |
                                      (spec.caps & gfx::kCapsHintAntialiasing);
            if (const GfxResult r =
                    Make(backCaps, mMode.width, mMode.height, mMode.format, 1, back);
                r != kGfxOk)
                return r;
            made->AttachBackBuffer(back);
        }
        mPrimary = made;
    } else {
        PixelFormat format = spec.hasFormat ? spec.format : mMode.format;
        if ((spec.caps & gfx::kCapsZBuffer) && !spec.hasFormat)
            format = PixelFormat::Depth(16);
        if (const GfxResult r = Make(spec.caps, spec.width, spec.height, format, 1, made);
            r != kGfxOk)
            return r;
    }
    surface = made;
    return kGfxOk;
}

void NullDisplay::LoseAllSurfaces() {
    for (const auto& weak : mSurfaces)
        if (const auto surface = weak.lock())
            surface->MarkLost();
}

std::vector<std::shared_ptr<MemorySurface>> NullDisplay::LiveSurfaces() const {
    std::vector<std::shared_ptr<MemorySurface>> live;
    for (const auto& weak : mSurfaces)
        if (auto surface = weak.lock())
            live.push_back(std::move(surface));
    return live;
}

GfxResult NullDisplay::RestoreAllSurfaces() {
    if (const GfxResult r = mFaults.Enter("RestoreAllSurfaces"); r != kGfxOk)
        return r;
    for (const auto& surface : LiveSurfaces())
        if (surface->IsMarkedLost())
            if (const GfxResult r = surface->Restore(); GfxFailed(r))
                return r;
    return kGfxOk;
}

GfxResult NullDisplay::FlipToGdiSurface() {
    return mFaults.Enter("FlipToGdiSurface");
}

GfxResult NullDisplay::SetSwapInterval(uint32_t interval) {
    if (const GfxResult r = mFaults.Enter("SetSwapInterval"); r != kGfxOk)
        return r;
    mSwapInterval = interval;
    mBlankWaitRefusalSaid = false;
    return kGfxOk;
}

GfxResult NullDisplay::WaitForVerticalBlank() {
    if (const GfxResult r = mFaults.Enter("WaitForVerticalBlank"); r != kGfxOk)
        return r;
    if (mSwapInterval == 0) {
        if (!mBlankWaitRefusalSaid)
            PlatformLog("WaitForVerticalBlank: no swap interval is in force");
        mBlankWaitRefusalSaid = true;
        return DDERR_UNSUPPORTED;
    }
    return kGfxOk;
}

GfxResult NullDisplay::EvictManagedTextures() {
    if (const GfxResult r = mFaults.Enter("EvictManagedTextures"); r != kGfxOk)
        return r;
    ++mEvictions;
    return kGfxOk;
}

GfxResult NullDisplay::CreateDevice(SurfacePtr renderTarget, DevicePtr& device) {
    device.reset();
    if (const GfxResult r = mFaults.Enter("CreateDevice"); r != kGfxOk)
        return r;
    if (!renderTarget)
        return E_INVALIDARG;
    auto made = std::make_shared<NullDevice>(mFaults, mConfig.deviceCaps, renderTarget);
    mDevice = made;
    device = made;
    return kGfxOk;
}

GfxResult NullDisplay::CreateTexture(int32_t& width, int32_t& height, uint32_t mipLevels,
                                     PixelFormat& format, SurfacePtr& texture) {
    texture.reset();
    if (const GfxResult r = mFaults.Enter("CreateTexture"); r != kGfxOk)
        return r;
    if (width <= 0 || height <= 0)
        return E_INVALIDARG;
    const DeviceCaps& caps = mConfig.deviceCaps;
    if (caps.texturePowerOfTwo || caps.textureSquareOnly) {
        width = PowerOfTwo(width);
        height = PowerOfTwo(height);
    }
    if (caps.textureSquareOnly)
        width = height = std::max(width, height);
    if (static_cast<uint32_t>(width) > caps.maxTextureWidth ||
        static_cast<uint32_t>(height) > caps.maxTextureHeight)
        return E_INVALIDARG;
    if (mConfig.textureFormatOverride)
        format = *mConfig.textureFormatOverride;
    std::shared_ptr<MemorySurface> made;
    if (const GfxResult r = Make(gfx::kCapsTexture, width, height, format, mipLevels, made);
        r != kGfxOk)
        return r;
    texture = made;
    return kGfxOk;
}

GfxResult NullDisplay::LoadTextureFromMemory(GraphicsSurface& texture, const uint32_t* pixels,
                                             int32_t width, int32_t height, int32_t pitch,
                                             LoadFilter filter) {
    if (const GfxResult r = mFaults.Enter("LoadTextureFromMemory"); r != kGfxOk)
        return r;
    auto* memory = dynamic_cast<MemorySurface*>(&texture);
    if (!memory || !pixels || width <= 0 || height <= 0 || pitch < width * 4)
        return E_INVALIDARG;
    if (memory->IsMarkedLost())
        return DDERR_SURFACELOST;
    memory->LoadArgb(pixels, width, height, pitch, filter);
    return kGfxOk;
}

bool NullDisplay::SaveScreenshot(const std::string& path) {
    std::shared_ptr<MemorySurface> from;
    if (const auto device = mDevice.lock())
        from = std::dynamic_pointer_cast<MemorySurface>(device->State().target);
    if (!from)
        if (const auto primary = mPrimary.lock())
            from = primary;
    if (!from)
        return WritePngFile(path, nullptr, 0, 0, 0);
    std::vector<uint32_t> pixels(static_cast<size_t>(from->Width()) * from->Height());
    for (int32_t y = 0; y < from->Height(); ++y)
        for (int32_t x = 0; x < from->Width(); ++x)
            pixels[static_cast<size_t>(y) * from->Width() + x] = from->PixelAt(x, y);
    return WritePngFile(path, pixels.data(), from->Width(), from->Height(), from->Width());
}

} // namespace platform
