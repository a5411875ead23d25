#include "framework/graphics/display/TDXContext.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/cursor/MouseTextureListener.h"
#include "framework/graphics/display/DxError.h"
#include "platform/window/Window.h"

#include <cmath>
#include <cstdio>

using namespace platform;

namespace {

constexpr char kSource[] = "TDXContext";

void PutWord(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<uint8_t>(value >> shift));
}

// The capability records as the dump shows them: each field a 32-bit
// little-endian word, in the order the records declare them.
std::vector<uint8_t> CapsBytes(const DisplayCaps& caps) {
    std::vector<uint8_t> bytes;
    PutWord(bytes, caps.videoMemoryTotal);
    PutWord(bytes, caps.videoMemoryFree);
    return bytes;
}

std::vector<uint8_t> DeviceBytes(const DeviceCaps& caps) {
    std::vector<uint8_t> bytes;
    for (bool flag :
         {caps.hardwareRasterization, caps.hardwareTransformAndLight, caps.separateTextureMemories,
          caps.textureFromVideoMemory, caps.colorGouraudRgb, caps.specularGouraudRgb,
          caps.texturePowerOfTwo, caps.textureSquareOnly})
        PutWord(bytes, flag ? 1 : 0);
    for (uint32_t value : {caps.maxTextureWidth, caps.maxTextureHeight, caps.maxTextureAspectRatio,
                           caps.renderBitDepths})
        PutWord(bytes, value);
    return bytes;
}

uint32_t RenderDepthBit(uint32_t depth) {
    switch (depth) {
    case 8:
        return 1u << 1;
    case 16:
        return 1u << 2;
    case 24:
        return 1u << 3;
    default:
        return 1u << 4;
    }
}

int32_t Scaled(int32_t value, float scale) {
    return static_cast<int32_t>(static_cast<float>(value) * scale + 0.5f);
}

} // namespace

bool IsWindowsVistaOrLater() {
    return true;
}

bool IsWindowsXPOrLater() {
    return true;
}

TDXContext::TDXContext(const TDXContextEnvironment& environment)
    : mEnvironment(environment), mDisplay(*environment.system, environment.desktop) {
    ReadDesktop();
}

TDXContext::~TDXContext() {
    DestroySystemCursor();
    if (mRestoreListener)
        mRestoreListener->Detach();
    mRestoreListener = nullptr;
    ReleaseDisplay();
    mCursorMainImage.clear();
    mCursorSecondImage.clear();
    mCursorMainTexture.reset();
    mCursorSecondTexture.reset();
}

void TDXContext::ReadDesktop() {
    // A device that asked for a palette stays treated as a palettised
    // desktop, whatever the desktop says later.
    RecordDesktopMode(mPaletteNeeded ? 32 : mEnvironment.system->DesktopColorCount(), 0, 0);
    mEnvironment.system->GetDesktopSize(mDesktopWidth, mDesktopHeight);
}

void TDXContext::RecordDesktopMode(int32_t colors, int32_t width, int32_t height) {
    mDesktopColors = colors;
    mDesktopWidth = width;
    mDesktopHeight = height;
}

void TDXContext::ReleaseDisplay() {
    std::lock_guard lock(mMouseMutex);
    ReleaseCursorSurfaces();
    mCursorShownSinceReset = false;
    mDevice.reset();
    mZBuffer.reset();
    mDisplay.RestoreDesktopMode();
    mDisplay.ReleaseAll();
    // Whatever the display covered is drawn again.
    if (mWindow)
        mWindow->Invalidate();
}

bool TDXContext::NeedsBrokenIndexedVerts(const std::string& description) {
    if (description.find("Intel") == std::string::npos)
        return false;
    for (const char* chip : {"82810E", "82945", "82845", " 915", " 965 "})
        if (description.find(chip) != std::string::npos)
            return true;
    return false;
}

bool TDXContext::NeedsExpandedIndexedDraws(const std::string& description) {
    return description == "SiS Mirage 3 Graphics";
}

std::string TDXContext::HexBytes(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

bool TDXContext::WindowTooBig(int32_t width, int32_t height) {
    FrameBorders borders;
    if (!mEnvironment.system->GetFrameBorders(borders))
        borders = FrameBorders();
    return width + borders.edgeX + borders.frameX > mDesktopWidth ||
           height + borders.edgeY + borders.frameY + borders.caption > mDesktopHeight;
}

bool TDXContext::Create(Window* window, bool fullScreen, int32_t width, int32_t height,
                        uint32_t depth, uint32_t flags) {
    // The cursor's helper thread must never see a half-built display.
    std::lock_guard lock(mMouseMutex);
    return CreateLocked(window, fullScreen, width, height, depth, flags);
}

bool TDXContext::CreateLocked(Window* window, bool fullScreen, int32_t width, int32_t height,
                              uint32_t depth, uint32_t flags) {
    if (mEnvironment.externalParent) {
        fullScreen = false;
        mNoVideoMemoryForWindow = false;
    }
    ReleaseDisplay();
    mWindow = window;
    ReadDesktop();

    if (!mEnvironment.hosted && !fullScreen && WindowTooBig(width, height))
        return false;
    if (mDesktopColors != -1) {
        if (mDesktopColors <= 16) {
            mTooFewColors = true;
            return false;
        }
        if (!fullScreen)
            return false;
    }

    GfxResult result = kGfxOk;
    int32_t surfaceWidth = width, surfaceHeight = height;
    if (fullScreen) {
        result = mDisplay.CreateFullScreen(window, width, height, depth, flags);
        if (GfxFailed(result)) {
            LogDxError(result, kSource, __LINE__);
            return false;
        }
    } else {
        if (mNoVideoMemoryForWindow)
            return false;
        if (mEnvironment.hosted) {
            surfaceWidth = Scaled(width, mEnvironment.viewportScale);
            surfaceHeight = Scaled(height, mEnvironment.viewportScale);
        }
        result = mDisplay.CreateWindowed(window, mSecondWindow, surfaceWidth, surfaceHeight,
                                         mDeviceSurfaceNotInVideoMemory, flags);
        if (result == DDERR_OUTOFVIDEOMEMORY)
            mNoVideoMemoryForWindow = true;
        if (GfxFailed(result)) {
            LogDxError(result, kSource, __LINE__);
            return false;
        }
    }
    GraphicsDisplay& display = *mDisplay.GetDirectDraw();
    display.GetDisplayMode(mDisplayMode);

    // One 3-D device stands behind each display here; it is taken when it
    // draws in hardware (or the program is hosted), at the display's depth,
    // with Gouraud colour shading.
    mHardwareDevice = false;
    DeviceCaps caps;
    result = display.GetDeviceCaps(caps);
    if (GfxFailed(result)) {
        LogDxError(result, kSource, __LINE__);
        return false;
    }
    const bool taken = (caps.hardwareRasterization || mEnvironment.hosted) &&
                       (caps.renderBitDepths & RenderDepthBit(mDisplayMode.bitCount)) &&
                       caps.colorGouraudRgb;
    if (taken) {
        mDeviceDescription = caps;
        mHardwareDevice = caps.hardwareRasterization;
    }
    if (!mHardwareDevice && !mEnvironment.hosted) {
        LogPrintf("TDXContext::Create failed! Could not find a hardware renderer.");
        return false;
    }

    std::vector<PixelFormat> zFormats;
    display.EnumZBufferFormats(zFormats);
    mZBufferFormat = PixelFormat();
    for (const PixelFormat& format : zFormats)
        if (format.zBuffer && !format.alphaPixels && format.bitCount >= 16) {
            mZBufferFormat = format;
            break;
        }
    SurfaceSpec zSpec;
    zSpec.caps =
        gfx::kCapsZBuffer | (mHardwareDevice ? gfx::kCapsVideoMemory : gfx::kCapsSystemMemory);
    zSpec.width = surfaceWidth;
    zSpec.height = surfaceHeight;
    zSpec.hasFormat = mZBufferFormat.zBuffer;
    zSpec.format = mZBufferFormat;
    result = display.CreateSurface(zSpec, mZBuffer);
    if (GfxFailed(result)) {
        if (result == DDERR_OUTOFVIDEOMEMORY && !fullScreen)
            mNoVideoMemoryForWindow = true;
        LogDxError(result, kSource, __LINE__);
        return false;
    }
    result = mDisplay.GetBackBuffer()->AddAttachedSurface(mZBuffer);
    if (GfxFailed(result))
        LogDxError(result, kSource, __LINE__);

    result = display.CreateDevice(mDisplay.GetBackBuffer(), mDevice);
    if (result == D3DERR_SURFACE_NOT_IN_VIDMEM) {
        mDeviceSurfaceNotInVideoMemory = true;
        return false;
    }
    if (result == DDERR_NOPALETTEATTACHED) {
        // A palettised desktop: the next attempt refuses a window.
        mDesktopColors = 32;
        mPaletteNeeded = true;
        return false;
    }
    if (GfxFailed(result)) {
        LogDxError(result, kSource, __LINE__);
        return false;
    }

    ResetCursor();

    if (caps.maxTextureWidth < 1024 || caps.maxTextureHeight < 1024) {
        LogPrintf("TDXContext::Create - context does not support 1024x1024 textures! Failing!");
        ReleaseDisplay();
        return false;
    }

    DisplayCaps displayCaps;
    display.GetCaps(displayCaps);
    DeviceIdentifier id;
    display.GetDeviceIdentifier(id);
    char text[1024];
    std::snprintf(text, sizeof text,
                  "Device identifier:  \n  Driver: '%s'\n  Description: '%s'\n  Version: %x:%x\n"
                  "  Vendor ID: %x (%d)\n  Device ID: %x (%d)\n  SubSys:  : %x (%d)\n"
                  "  Revision:  %x (%d)\n  GUID:      %x:%x:%x:%x\n",
                  id.driver.c_str(), id.description.c_str(), id.driverVersionHigh,
                  id.driverVersionLow, id.vendorId, static_cast<int>(id.vendorId), id.deviceId,
                  static_cast<int>(id.deviceId), id.subSysId, static_cast<int>(id.subSysId),
                  id.revision, static_cast<int>(id.revision), id.guid[0], id.guid[1], id.guid[2],
                  id.guid[3]);
    LogPrintf("%s", text);
    mDescription += TString(text);

    if (NeedsBrokenIndexedVerts(id.description))
        SetSetting(TString("brokenindexedverts"), TString("1"));
    if (NeedsExpandedIndexedDraws(id.description) && mEnvironment.expandIndexedDraws)
        *mEnvironment.expandIndexedDraws = true;

    const bool expanded = mEnvironment.expandIndexedDraws && *mEnvironment.expandIndexedDraws;
    if (GetSettingBool(TString("largevramusage")) && expanded && IsWindowsVistaOrLater() &&
        !mEnvironment.pqGiven && !mEnvironment.hosted && depth > 16) {
        if (mEnvironment.lowMemoryVideo)
            *mEnvironment.lowMemoryVideo = true;
        return CreateLocked(window, fullScreen, width, height, 16, flags);
    }

    mDescription += TString::Format("DDCAPS: %s\n", HexBytes(CapsBytes(displayCaps)).c_str());
    mDescription +=
        TString::Format("D3DDESC: %s\n", HexBytes(DeviceBytes(mDeviceDescription)).c_str());
    mBlankWaitFailed = false;
    ApplySwapInterval();
    return true;
}

void TDXContext::SetVerticalSync(bool on) {
    if (on == mVerticalSync)
        return;
    mVerticalSync = on;
    std::lock_guard lock(mMouseMutex);
    if (mDevice)
        ApplySwapInterval();
}

void TDXContext::ApplySwapInterval() {
    GraphicsDisplay* display = GetDirectDraw();
    if (!display)
        return;
    mBlankWaitFailed = false;
    if (const GfxResult r = display->SetSwapInterval(mVerticalSync ? 1 : 0); GfxFailed(r)) {
        LogPrintf("Vertical sync %s: the display refuses the swap interval",
                  mVerticalSync ? "on" : "off");
        LogDxError(r, kSource, __LINE__);
    }
}

GfxResult TDXContext::UpdateFrame() {
    std::lock_guard lock(mMouseMutex);
    UpdateWindowRect();
    if (mCursorSurfacesLost) {
        RestoreMouseImage();
        if (mCursorSurfacesLost)
            return kGfxOk;
    }
    if (mCursorSurfacesToRecreate) {
        if (mCursorWidth > 0 && !CreateCursorSurfaces())
            return kGfxOk;
        mCursorSurfacesToRecreate = false;
    }
    mCursorBackgroundSaved = false;
    mCursorDrew = false;
    UpdateCursor(-1, -1, true);
    const bool drew = mCursorDrew;
    if (mDisplay.IsWindowed() && mVerticalSync) {
        if (GraphicsDisplay* display = GetDirectDraw())
            if (const GfxResult r = display->WaitForVerticalBlank();
                GfxFailed(r) && !mBlankWaitFailed) {
                // Said once per display, not at every frame.
                mBlankWaitFailed = true;
                LogDxError(r, kSource, __LINE__);
            }
    }
    const GfxResult result = mDisplay.Present();
    if (mDisplay.IsWindowed() && drew) {
        // The cursor now stands on the front buffer; the back buffer gets
        // the frame's own pixels back for the next update.
        EraseCursor();
        mCursorBackgroundSaved = true;
    }
    return result;
}
