#include "platform/graphics/gl/GlDisplay.h"

#include "platform/graphics/PngWriter.h"
#include "platform/graphics/gl/GlApi.h"
#include "platform/graphics/gl/GlDevice.h"
#include "platform/graphics/gl/GlSurfaces.h"
#include "platform/log/PlatformLog.h"
#include "platform/window/Window.h"
#include "platform/window/sdl/SdlWindow.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

#ifndef GL_GPU_MEMORY_INFO_TOTAL_AVAILABLE_MEMORY_NVX
#define GL_GPU_MEMORY_INFO_TOTAL_AVAILABLE_MEMORY_NVX 0x9048
#endif

bool HasExtension(const char* name) {
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const auto* extension = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, i));
        if (extension && std::strcmp(extension, name) == 0)
            return true;
    }
    return false;
}

std::string GlText(GLenum name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "";
}

} // namespace

GlDisplay::GlDisplay(Window& window, uint32_t displayIndex, GraphicsFaults& faults)
    : mWindow(window), mDisplayIndex(displayIndex), mFaults(faults),
      mShared(std::make_shared<GlShared>()) {
    mShared->window = &window;
    mShared->faults = &faults;
    mMode = DesktopMode();
    GLint maxTexture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    // The GL device is the one device drawn with, whatever rasterises it;
    // it transforms and lights in its programs.
    mDeviceCaps.hardwareRasterization = true;
    mDeviceCaps.hardwareTransformAndLight = true;
    mDeviceCaps.maxTextureWidth = static_cast<uint32_t>(maxTexture);
    mDeviceCaps.maxTextureHeight = static_cast<uint32_t>(maxTexture);
    mFaults.SetLoseSurfaces([this] { LoseAllSurfaces(); });
}

GlDisplay::~GlDisplay() {
    mFaults.SetLoseSurfaces(nullptr);
    // The window goes back to a window with the display.
    auto* sdl = dynamic_cast<SdlWindow*>(&mWindow);
    if (sdl && sdl->NativeWindow() && (mCoopFlags & gfx::kCoopExclusive) &&
        (mCoopFlags & gfx::kCoopFullScreen))
        SDL_SetWindowFullscreen(sdl->NativeWindow(), 0);
}

DisplayMode GlDisplay::DesktopMode() const {
    DisplayMode mode{0, 0, 32, 0, PixelFormat::X8R8G8B8()};
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(static_cast<int>(mDisplayIndex), &desktop) == 0) {
        mode.width = desktop.w;
        mode.height = desktop.h;
        mode.refreshRate = static_cast<uint32_t>(desktop.refresh_rate);
    }
    return mode;
}

void GlDisplay::Track(const std::shared_ptr<MemorySurface>& surface) {
    std::erase_if(mSurfaces, [](const auto& weak) { return weak.expired(); });
    mSurfaces.push_back(surface);
}

void GlDisplay::LoseAllSurfaces() {
    for (const auto& weak : mSurfaces)
        if (const auto surface = weak.lock())
            surface->MarkLost();
}

GfxResult GlDisplay::SetCooperativeLevel(uint32_t flags) {
    if (const GfxResult r = mFaults.Enter("SetCooperativeLevel"); r != kGfxOk)
        return r;
    auto* sdl = dynamic_cast<SdlWindow*>(&mWindow);
    const bool fullScreen = (flags & gfx::kCoopExclusive) && (flags & gfx::kCoopFullScreen);
    if (sdl && sdl->NativeWindow()) {
        if (SDL_SetWindowFullscreen(sdl->NativeWindow(),
                                    fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
            PlatformLog("Cannot switch the display %s: %s",
                        fullScreen ? "to full screen" : "to a window", SDL_GetError());
            return E_FAIL;
        }
    }
    mCoopFlags = flags;
    return kGfxOk;
}

GfxResult GlDisplay::TestCooperativeLevel() {
    return mFaults.Enter("TestCooperativeLevel");
}

GfxResult GlDisplay::EnumDisplayModes(std::vector<DisplayMode>& modes) {
    if (const GfxResult r = mFaults.Enter("EnumDisplayModes"); r != kGfxOk)
        return r;
    modes.clear();
    // Any size can be drawn full screen (it is scaled to fit); the usual
    // sizes are offered in both depths.
    const DisplayMode desktop = DesktopMode();
    const int32_t sizes[][2] = {
        {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {desktop.width, desktop.height}};
    for (const auto& size : sizes) {
        if (size[0] <= 0)
            continue;
        modes.push_back({size[0], size[1], 16, desktop.refreshRate, PixelFormat::R5G6B5()});
        modes.push_back({size[0], size[1], 32, desktop.refreshRate, PixelFormat::X8R8G8B8()});
    }
    return kGfxOk;
}

GfxResult GlDisplay::SetDisplayMode(int32_t width, int32_t height, uint32_t bitCount,
                                    uint32_t /*refreshRate*/) {
    if (const GfxResult r = mFaults.Enter("SetDisplayMode"); r != kGfxOk)
        return r;
    if (!(mCoopFlags & gfx::kCoopExclusive))
        return DDERR_NOEXCLUSIVEMODE;
    if (width <= 0 || height <= 0 || (bitCount != 16 && bitCount != 32))
        return DDERR_UNSUPPORTEDMODE;
    mMode = {width, height, bitCount, DesktopMode().refreshRate,
             bitCount == 16 ? PixelFormat::R5G6B5() : PixelFormat::X8R8G8B8()};
    mModeSet = true;
    return kGfxOk;
}

GfxResult GlDisplay::RestoreDisplayMode() {
    if (const GfxResult r = mFaults.Enter("RestoreDisplayMode"); r != kGfxOk)
        return r;
    mMode = DesktopMode();
    mModeSet = false;
    return kGfxOk;
}

GfxResult GlDisplay::GetDisplayMode(DisplayMode& mode) {
    if (const GfxResult r = mFaults.Enter("GetDisplayMode"); r != kGfxOk)
        return r;
    mode = mModeSet ? mMode : DesktopMode();
    return kGfxOk;
}

GfxResult GlDisplay::GetMonitorFrequency(uint32_t& hertz) {
    if (const GfxResult r = mFaults.Enter("GetMonitorFrequency"); r != kGfxOk)
        return r;
    hertz = DesktopMode().refreshRate;
    // SDL says 0 when the screen does not tell.
    return hertz ? kGfxOk : E_FAIL;
}

GfxResult GlDisplay::GetCaps(DisplayCaps& caps) {
    if (const GfxResult r = mFaults.Enter("GetCaps"); r != kGfxOk)
        return r;
    mWindow.MakeGlCurrent();
    uint64_t total = 0;
    if (HasExtension("GL_NVX_gpu_memory_info")) {
        GLint kb = 0;
        glGetIntegerv(GL_GPU_MEMORY_INFO_TOTAL_AVAILABLE_MEMORY_NVX, &kb);
        total = static_cast<uint64_t>(kb) * 1024;
    }
    if (total == 0) {
        // Without a word from the driver: textures share the machine's memory
        // (as with a software rasteriser).
        const long pages = sysconf(_SC_PHYS_PAGES);
        const long pageSize = sysconf(_SC_PAGE_SIZE);
        if (pages > 0 && pageSize > 0)
            total = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
    }
    if (total == 0)
        return E_FAIL;
    total = std::min<uint64_t>(total, 0xFFF00000u);
    uint64_t used = 0;
    for (const auto& weak : mSurfaces)
        if (const auto surface = weak.lock())
            used += surface->ByteSize();
    caps.videoMemoryTotal = static_cast<uint32_t>(total);
    caps.videoMemoryFree = static_cast<uint32_t>(total - std::min(total, used));
    return kGfxOk;
}

GfxResult GlDisplay::GetDeviceCaps(DeviceCaps& caps) {
    if (const GfxResult r = mFaults.Enter("GetDeviceCaps"); r != kGfxOk)
        return r;
    caps = mDeviceCaps;
    return kGfxOk;
}

GfxResult GlDisplay::GetDeviceIdentifier(DeviceIdentifier& identifier) {
    if (const GfxResult r = mFaults.Enter("GetDeviceIdentifier"); r != kGfxOk)
        return r;
    mWindow.MakeGlCurrent();
    identifier = DeviceIdentifier{};
    identifier.driver = GlText(GL_VENDOR) + " " + GlText(GL_VERSION);
    identifier.description = GlText(GL_RENDERER);
    return identifier.description.empty() ? E_FAIL : kGfxOk;
}

GfxResult GlDisplay::EnumTextureFormats(std::vector<PixelFormat>& formats) {
    if (const GfxResult r = mFaults.Enter("EnumTextureFormats"); r != kGfxOk)
        return r;
    formats = {PixelFormat::A8R8G8B8(), PixelFormat::X8R8G8B8(), PixelFormat::A4R4G4B4(),
               PixelFormat::A1R5G5B5(), PixelFormat::R5G6B5(),   PixelFormat::X1R5G5B5()};
    return kGfxOk;
}

GfxResult GlDisplay::EnumZBufferFormats(std::vector<PixelFormat>& formats) {
    if (const GfxResult r = mFaults.Enter("EnumZBufferFormats"); r != kGfxOk)
        return r;
    formats = {PixelFormat::Depth(24), PixelFormat::Depth(16)};
    return kGfxOk;
}

GfxResult GlDisplay::CreateSurface(const SurfaceSpec& spec, SurfacePtr& surface) {
    surface.reset();
    if (const GfxResult r = mFaults.Enter("CreateSurface"); r != kGfxOk)
        return r;
    if (mCoopFlags == 0)
        return E_FAIL;
    mWindow.MakeGlCurrent();
    const PixelFormat displayFormat = mMode.format;
    if (spec.caps & gfx::kCapsPrimary) {
        int32_t width = mMode.width, height = mMode.height;
        if (!mModeSet)
            mWindow.GetClientSize(width, height);
        auto primary =
            std::make_shared<GlPrimary>(mShared, spec.caps, width, height, displayFormat);
        if (spec.backBufferCount > 0) {
            auto back = std::make_shared<GlBackBuffer>(
                mShared, gfx::kCapsBackBuffer | gfx::kCaps3dDevice, width, height, displayFormat);
            if (!back->IsComplete())
                return E_FAIL;
            Track(back);
            primary->AttachGlBackBuffer(back);
        }
        Track(primary);
        surface = primary;
        return kGfxOk;
    }
    if (spec.width <= 0 || spec.height <= 0)
        return E_INVALIDARG;
    PixelFormat format = spec.hasFormat ? spec.format : displayFormat;
    if (spec.caps & gfx::kCapsZBuffer) {
        if (!spec.hasFormat)
            format = PixelFormat::Depth(24);
        auto z = std::make_shared<MemorySurface>(mFaults, spec.caps, 1, 1, format);
        Track(z);
        surface = z;
        return kGfxOk;
    }
    if (format.BytesPerPixel() == 0 || format.BytesPerPixel() > 4)
        return E_INVALIDARG;
    if (spec.caps & gfx::kCaps3dDevice) {
        auto back =
            std::make_shared<GlBackBuffer>(mShared, spec.caps, spec.width, spec.height, format);
        if (!back->IsComplete())
            return E_FAIL;
        Track(back);
        surface = back;
        return kGfxOk;
    }
    if (spec.caps & gfx::kCapsTexture) {
        auto texture =
            std::make_shared<GlTexture>(mShared, spec.caps, spec.width, spec.height, format, 1);
        Track(texture);
        surface = texture;
        return kGfxOk;
    }
    auto plain =
        std::make_shared<MemorySurface>(mFaults, spec.caps, spec.width, spec.height, format);
    Track(plain);
    surface = plain;
    return kGfxOk;
}

GfxResult GlDisplay::RestoreAllSurfaces() {
    if (const GfxResult r = mFaults.Enter("RestoreAllSurfaces"); r != kGfxOk)
        return r;
    for (const auto& weak : mSurfaces)
        if (const auto surface = weak.lock(); surface && surface->IsMarkedLost())
            if (const GfxResult r = surface->Restore(); GfxFailed(r))
                return r;
    return kGfxOk;
}

GfxResult GlDisplay::FlipToGdiSurface() {
    return mFaults.Enter("FlipToGdiSurface");
}

GfxResult GlDisplay::SetSwapInterval(uint32_t interval) {
    if (const GfxResult r = mFaults.Enter("SetSwapInterval"); r != kGfxOk)
        return r;
    const int wanted = static_cast<int>(interval);
    // A window that refuses the call may still have the interval asked for
    // (0 where the driver has no swap control).
    mWindow.SetSwapInterval(wanted);
    mBlankWaitRefusalSaid = false;
    if (mWindow.GetSwapInterval() != wanted) {
        PlatformLog("The window keeps swap interval %d where %d was asked for: %s",
                    mWindow.GetSwapInterval(), wanted, SDL_GetError());
        return DDERR_UNSUPPORTED;
    }
    return kGfxOk;
}

GfxResult GlDisplay::WaitForVerticalBlank() {
    if (const GfxResult r = mFaults.Enter("WaitForVerticalBlank"); r != kGfxOk)
        return r;
    // The swap that presents waits for the blank, when a swap interval
    // asks it to.
    if (mWindow.GetSwapInterval() == 0) {
        if (!mBlankWaitRefusalSaid)
            PlatformLog("WaitForVerticalBlank: no swap interval is in force");
        mBlankWaitRefusalSaid = true;
        return DDERR_UNSUPPORTED;
    }
    return kGfxOk;
}

GfxResult GlDisplay::EvictManagedTextures() {
    return mFaults.Enter("EvictManagedTextures");
}

GfxResult GlDisplay::CreateDevice(SurfacePtr renderTarget, DevicePtr& device) {
    device.reset();
    if (const GfxResult r = mFaults.Enter("CreateDevice"); r != kGfxOk)
        return r;
    if (!renderTarget || !dynamic_cast<GlBackBuffer*>(renderTarget.get()))
        return E_INVALIDARG;
    if (mDevice.lock())
        return DDERR_CURRENTLYNOTAVAIL;
    mWindow.MakeGlCurrent();
    auto made = std::make_shared<GlDevice>(mShared, mDeviceCaps, renderTarget);
    mDevice = made;
    device = made;
    return kGfxOk;
}

GfxResult GlDisplay::CreateTexture(int32_t& width, int32_t& height, uint32_t mipLevels,
                                   PixelFormat& format, SurfacePtr& texture) {
    texture.reset();
    if (const GfxResult r = mFaults.Enter("CreateTexture"); r != kGfxOk)
        return r;
    if (width <= 0 || height <= 0 || static_cast<uint32_t>(width) > mDeviceCaps.maxTextureWidth ||
        static_cast<uint32_t>(height) > mDeviceCaps.maxTextureHeight)
        return E_INVALIDARG;
    if (format.BytesPerPixel() < 2 || format.BytesPerPixel() > 4 || format.zBuffer)
        format = PixelFormat::A8R8G8B8();
    mWindow.MakeGlCurrent();
    auto made =
        std::make_shared<GlTexture>(mShared, gfx::kCapsTexture, width, height, format, mipLevels);
    Track(made);
    texture = made;
    return kGfxOk;
}

GfxResult GlDisplay::LoadTextureFromMemory(GraphicsSurface& texture, const uint32_t* pixels,
                                           int32_t width, int32_t height, int32_t pitch,
                                           LoadFilter filter) {
    if (const GfxResult r = mFaults.Enter("LoadTextureFromMemory"); r != kGfxOk)
        return r;
    auto* gl = dynamic_cast<GlTexture*>(&texture);
    if (!gl || !pixels || width <= 0 || height <= 0 || pitch < width * 4)
        return E_INVALIDARG;
    if (gl->IsMarkedLost())
        return DDERR_SURFACELOST;
    // Gathered draws that sample the texture go to GL before it changes.
    mShared->FlushDrawing();
    gl->LoadPicture(pixels, width, height, pitch, filter);
    return kGfxOk;
}

bool GlDisplay::SaveScreenshot(const std::string& path) {
    std::shared_ptr<GlBackBuffer> back;
    if (const auto device = mDevice.lock()) {
        SurfacePtr target;
        device->GetRenderTarget(target);
        back = std::dynamic_pointer_cast<GlBackBuffer>(target);
    }
    if (!back)
        for (const auto& weak : mSurfaces)
            if (auto candidate = std::dynamic_pointer_cast<GlBackBuffer>(weak.lock()))
                back = candidate;
    if (!back)
        return WritePngFile(path, nullptr, 0, 0, 0);
    mWindow.MakeGlCurrent();
    std::vector<uint32_t> pixels;
    back->ReadPicture(pixels);
    // The picture has no alpha of its own on screen.
    for (uint32_t& pixel : pixels)
        pixel |= 0xFF000000u;
    return WritePngFile(path, pixels.data(), back->Width(), back->Height(), back->Width());
}

} // namespace platform
