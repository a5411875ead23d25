#include "framework/graphics/display/CDisplay.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/display/DxError.h"
#include "platform/desktop/Desktop.h"
#include "platform/window/Window.h"

using namespace platform;

namespace {

constexpr char kSource[] = "ddutil";
// Device choice ran past the last display device.
constexpr GfxResult kNoMoreDevices = 1;

} // namespace

CDisplay::CDisplay(GraphicsSystem& system, Desktop* desktop) : mSystem(system), mDesktop(desktop) {}

CDisplay::~CDisplay() {
    CDisplay::ReleaseAll();
}

uint32_t CDisplay::CooperativeFlags(uint32_t base) const {
    if (GetSettingBool(TString("fpuprecision")))
        base |= gfx::kCoopFpuPreserve;
    return base;
}

// Index 0 is the primary display driver. Any other index counts through the
// system's list after it, so index 1 is the first device by name (often the
// primary again), 2 the second, and so on.
GfxResult CDisplay::CreateDevice(uint32_t deviceIndex) {
    uint32_t device = 0;
    if (deviceIndex > 0) {
        const std::vector<DisplayDeviceInfo> devices = mSystem.EnumerateDevices();
        if (deviceIndex - 1 >= devices.size())
            return kNoMoreDevices;
        device = devices[deviceIndex - 1].index;
    }
    return mSystem.CreateDisplay(device, mDirectDraw);
}

uint32_t CDisplay::ChooseDepth(uint32_t depth, int32_t width, int32_t height) {
    std::vector<DisplayMode> modes;
    const GfxResult result = mDirectDraw->EnumDisplayModes(modes);
    if (GfxFailed(result)) {
        LogDxError(result, kSource, __LINE__);
        return depth;
    }
    uint32_t firstMatch = 0;
    bool sixteenListed = false;
    for (const DisplayMode& mode : modes) {
        if (mode.width != width || mode.height != height || mode.bitCount < 15)
            continue;
        if (mode.bitCount == depth)
            return depth;
        if (firstMatch == 0)
            firstMatch = mode.bitCount;
        else if (mode.bitCount == 16)
            sixteenListed = true;
    }
    if (sixteenListed)
        return 16;
    return firstMatch != 0 ? firstMatch : depth;
}

GfxResult CDisplay::CreateFullScreen(Window* window, int32_t width, int32_t height, uint32_t depth,
                                     uint32_t selector) {
    uint32_t deviceIndex = selector >> 16;
    const uint32_t flags = selector & 0xFFFF;
    // Each failure moves on to the next display device until the list ends.
    for (;; ++deviceIndex) {
        ReleaseAll();
        GfxResult result = CreateDevice(deviceIndex);
        if (result == kNoMoreDevices) {
            LogPrintf("Failed to create a DirectDraw device after trying all GUIDs");
            if (!mCreatedOnce && mDesktop)
                mDesktop->ShowMessageBox(
                    "Error",
                    "Sorry, but this product isn't compatible with your display. Try using a "
                    "different display (for instance, the main display in your laptop), if you "
                    "have the option.",
                    kMbOk | kMbIconError);
            return E_FAIL;
        }
        if (GfxFailed(result)) {
            LogDxError(result, kSource, __LINE__);
            continue;
        }
        result = mDirectDraw->SetCooperativeLevel(
            CooperativeFlags(gfx::kCoopExclusive | gfx::kCoopFullScreen));
        if (GfxFailed(result)) {
            LogDxError(result, kSource, __LINE__);
            continue;
        }

        DisplayCaps caps;
        result = mDirectDraw->GetCaps(caps);
        if (GfxFailed(result)) {
            LogDxError(result, kSource, __LINE__);
            continue;
        }
        if (caps.videoMemoryTotal < kVideoMemoryFor32Bit && depth > 16)
            depth = 16;
        const uint32_t chosen = ChooseDepth(depth, width, height);

        result = mDirectDraw->SetDisplayMode(width, height, chosen, 0);
        if (GfxFailed(result)) {
            LogPrintf("Failed to create screen at %d bpp.", static_cast<int>(depth));
            LogDxError(result, kSource, __LINE__);
            continue;
        }
        LogPrintf("Created screen at %d bpp.", static_cast<int>(depth));

        SurfaceSpec spec;
        spec.caps = gfx::kCapsPrimary | gfx::kCapsFlip | gfx::kCaps3dDevice;
        if (flags & kFlagAntialias)
            spec.caps |= gfx::kCapsHintAntialiasing;
        spec.backBufferCount = 1;
        result = mDirectDraw->CreateSurface(spec, mFrontBuffer);
        if (GfxFailed(result)) {
            // The line has always named this flag, whichever was asked for.
            LogPrintf("FAILED to create front buffer with DDSCAPS2_ENABLEALPHACHANNEL");
            spec.caps &= ~gfx::kCapsHintAntialiasing;
            result = mDirectDraw->CreateSurface(spec, mFrontBuffer);
        }
        if (GfxFailed(result)) {
            LogDxError(result, kSource, __LINE__);
            continue;
        }
        mBackBuffer = mFrontBuffer->GetAttachedBackBuffer();
        if (!mBackBuffer) {
            LogDxError(E_FAIL, kSource, __LINE__);
            continue;
        }

        mWindowHandle = window;
        mWindowed = false;
        UpdateWindowRect();
        mFrontBuffer->ColorFill(nullptr, 0);
        mBackBuffer->ColorFill(nullptr, 0);
        mCreatedOnce = true;
        return kGfxOk;
    }
}

// The window's client area becomes width x height, the window stops being
// topmost and its top-left corner is brought into the primary monitor's
// work area. (The frame itself is fixed when the window is made.)
void CDisplay::FitWindow(Window& window, int32_t width, int32_t height) {
    window.SetClientSize(width, height);
    window.SetTopmost(false);
    const std::vector<MonitorArea> monitors = mSystem.GetMonitors();
    if (monitors.empty())
        return;
    const GfxRect& work = monitors.front().workArea;
    int32_t x = 0, y = 0;
    window.GetPosition(x, y);
    int32_t newX = x, newY = y;
    if (x < work.left || x >= work.right)
        newX = work.left;
    if (y < work.top || y >= work.bottom)
        newY = work.top;
    if (newX != x || newY != y)
        window.SetPosition(newX, newY);
}

GfxResult CDisplay::CreateWindowed(Window* window, Window* clipWindow, int32_t width,
                                   int32_t height, bool videoMemory, uint32_t flags) {
    ReleaseAll();
    GfxResult result = mSystem.CreateDisplay(0, mDirectDraw);
    if (GfxFailed(result)) {
        LogDxError(result, kSource, __LINE__);
        return result;
    }
    result = mDirectDraw->SetCooperativeLevel(CooperativeFlags(gfx::kCoopNormal));
    if (GfxFailed(result)) {
        LogDxError(result, kSource, __LINE__);
        return E_FAIL;
    }
    if (!(flags & kFlagHosted) && window)
        FitWindow(*window, width, height);

    SurfaceSpec front;
    front.caps = gfx::kCapsPrimary;
    result = mDirectDraw->CreateSurface(front, mFrontBuffer);
    if (GfxFailed(result)) {
        LogDxError(result, kSource, __LINE__);
        return result;
    }
    SurfaceSpec back;
    back.caps = gfx::kCapsOffscreenPlain | gfx::kCaps3dDevice;
    if (videoMemory)
        back.caps |= gfx::kCapsVideoMemory;
    if (flags & kFlagAntialias)
        back.caps |= gfx::kCapsHintAntialiasing;
    back.width = width;
    back.height = height;
    result = mDirectDraw->CreateSurface(back, mBackBuffer);
    if (GfxFailed(result)) {
        LogDxError(result, kSource, __LINE__);
        return result;
    }
    // Presenting copies to the whole client area of the window the display
    // draws in, so the clip window needs no clipper of its own here.
    (void)clipWindow;

    mWindowHandle = window;
    mWindowed = true;
    UpdateWindowRect();
    mBackBuffer->ColorFill(nullptr, 0);
    mCreatedOnce = true;
    return kGfxOk;
}

GfxResult CDisplay::CreateOffscreenSurface(std::unique_ptr<CDisplaySurface>* surface, int32_t width,
                                           int32_t height, const PixelFormat* format,
                                           const uint32_t* caps) {
    if (!mDirectDraw)
        return E_POINTER;
    if (!surface)
        return E_INVALIDARG;
    SurfaceSpec spec;
    spec.caps = caps ? *caps : gfx::kCapsOffscreenPlain;
    spec.width = width;
    spec.height = height;
    if (format) {
        spec.hasFormat = true;
        spec.format = *format;
    }
    auto made = std::make_unique<CDisplaySurface>();
    const GfxResult result = made->Create(*mDirectDraw, spec);
    if (GfxFailed(result))
        return result;
    *surface = std::move(made);
    return result;
}

GfxResult CDisplay::Present() {
    // Both buffers are needed; one alone has nothing to show or nowhere to.
    if (!mFrontBuffer || !mBackBuffer)
        return E_POINTER;
    for (int attempt = 0;; ++attempt) {
        const GfxResult result = mWindowed ? mFrontBuffer->Blt(&mWindowRect, *mBackBuffer, nullptr)
                                           : mFrontBuffer->Flip();
        if (result == DDERR_SURFACELOST) {
            mFrontBuffer->Restore();
            mBackBuffer->Restore();
            return result;
        }
        if (result == DDERR_WASSTILLDRAWING && attempt < kMaxStillDrawingRepeats)
            continue;
        return result;
    }
}

GfxResult CDisplay::ReleaseAll() {
    mBackBuffer.reset();
    mFrontBuffer.reset();
    if (mDirectDraw) {
        mDirectDraw->SetCooperativeLevel(gfx::kCoopNormal);
        mDirectDraw.reset();
    }
    return kGfxOk;
}

GfxResult CDisplay::UpdateWindowRect() {
    if (mWindowed) {
        int32_t x = 0, y = 0, width = 0, height = 0;
        if (mWindowHandle) {
            mWindowHandle->GetPosition(x, y);
            mWindowHandle->GetClientSize(width, height);
        }
        mWindowRect = {x, y, x + width, y + height};
    } else {
        int32_t width = 0, height = 0;
        mSystem.GetDesktopSize(width, height);
        mWindowRect = {0, 0, width, height};
    }
    return kGfxOk;
}

void CDisplay::GetWindowOrigin(int32_t& x, int32_t& y) {
    UpdateWindowRect();
    x = mWindowRect.left;
    y = mWindowRect.top;
}

void CDisplay::RestoreDesktopMode() {
    if (mDirectDraw)
        mDirectDraw->RestoreDisplayMode();
}
