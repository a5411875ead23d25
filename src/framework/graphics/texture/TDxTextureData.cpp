#include "framework/graphics/texture/TDxTextureData.h"

#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/display/DxError.h"
#include "framework/graphics/texture/TTextureMemory.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

using namespace platform;

namespace {

constexpr const char kSource[] = "dxtexturedata";

// The alpha format chosen for plain surfaces, and the display depth it was
// chosen at.
PixelFormat gKeptFormat;
bool gHasKeptFormat = false;
uint32_t gKeptDepth = 0;

int MaskBits(uint32_t mask) {
    return std::popcount(mask);
}

// An 8-bit channel value placed into a mask of any width.
uint32_t Place(uint32_t value, uint32_t mask) {
    const int bits = MaskBits(mask);
    if (bits == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t scaled = bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
    return (scaled << shift) & mask;
}

// A channel moved so that the top bit of its mask is bit 7.
uint32_t Extract(uint32_t raw, uint32_t mask) {
    if (mask == 0)
        return 0;
    const int top = 31 - std::countl_zero(mask);
    const uint32_t value = raw & mask;
    return (top >= 7 ? value >> (top - 7) : value << (7 - top)) & 0xFF;
}

bool IsArgb32(const PixelFormat& format) {
    return format.bitCount == 32 && format.redMask == 0x00FF0000 &&
           format.greenMask == 0x0000FF00 && format.blueMask == 0x000000FF &&
           format.alphaMask == 0xFF000000;
}

void ChooseKeptFormat(GraphicsDisplay& display, uint32_t depth) {
    if (gHasKeptFormat && gKeptDepth == depth)
        return;
    gHasKeptFormat = false;
    gKeptDepth = depth;
    std::vector<PixelFormat> formats;
    if (GfxFailed(display.EnumTextureFormats(formats)))
        return;
    for (const PixelFormat& format : formats) {
        if (!format.alphaPixels || format.zBuffer || format.redMask == 0 ||
            format.bitCount != depth)
            continue;
        if (!gHasKeptFormat) {
            gKeptFormat = format;
            gHasKeptFormat = true;
        } else if (MaskBits(format.alphaMask) > MaskBits(gKeptFormat.alphaMask) &&
                   MaskBits(format.blueMask) >= 3) {
            gKeptFormat = format;
        }
    }
}

GfxResult MakeSurface(GraphicsDisplay& display, uint32_t caps, int32_t width, int32_t height,
                      const PixelFormat& format, SurfacePtr& surface) {
    SurfaceSpec spec;
    spec.caps = caps;
    spec.width = width;
    spec.height = height;
    spec.hasFormat = true;
    spec.format = format;
    return display.CreateSurface(spec, surface);
}

} // namespace

bool TDxTextureData::GetKeptFormat(PixelFormat& format) {
    if (gHasKeptFormat)
        format = gKeptFormat;
    return gHasKeptFormat;
}

void TDxTextureData::ForgetKeptFormat() {
    gHasKeptFormat = false;
    gKeptDepth = 0;
}

TDxTextureData::~TDxTextureData() {
    if (mLockedDirect && mSurface)
        mSurface->Unlock();
    mLockCopy.clear();
    DropSurface();
}

void TDxTextureData::DropSurface() {
    if (!mSurface)
        return;
    TTextureMemory::Subtract(mCounted);
    mCounted = 0;
    mSurface.reset();
    mLockedDirect = false;
}

void TDxTextureData::Release() {
    mLockCopy.clear();
    DropSurface();
}

void TDxTextureData::RecordSizesOnly(uint32_t width, uint32_t height) {
    mSurfaceWidth = PowerOfTwo(width, 2);
    mSurfaceHeight = PowerOfTwo(height, 2);
}

bool TDxTextureData::CreateSurface(uint32_t width, uint32_t height, bool clear) {
    DropSurface();
    mCreatedByD3dx = false;
    mBorderX = 0;
    mBorderY = 0;
    const bool simple = HasFlag(kTextureSimple);
    if (mDisplay.IsSquareTexturesOnly() && !simple && width != height) {
        const uint32_t side = std::max(PowerOfTwo(width, 2), PowerOfTwo(height, 2));
        mBorderX = (side - width) / 2;
        mBorderY = (side - height) / 2;
        width = height = side;
    }
    GraphicsDisplay* display = mDisplay.GetDirectDraw();
    if (!display || !mDisplay.GetDevice()) {
        RecordSizesOnly(width, height);
        return HasFlag(kTextureRenderTarget);
    }
    DisplayMode mode;
    if (const GfxResult r = display->GetDisplayMode(mode); GfxFailed(r)) {
        LogDxError(r, kSource, __LINE__);
        return mDisplay.IsDeviceValid() ? false : true;
    }
    const int32_t w = static_cast<int32_t>(width);
    const int32_t h = static_cast<int32_t>(height);
    GfxResult result = kGfxOk;
    if (simple) {
        result = CreatePlainSurface(w, h, mode, *display);
        if (!mSurface && result == DDERR_UNSUPPORTEDMODE) {
            RecordSizesOnly(width, height);
            return HasFlag(kTextureRenderTarget);
        }
    } else {
        result = CreateDeviceTexture(w, h, mode, *display);
    }
    if (mSurface) {
        SurfaceDesc desc;
        if (!GfxFailed(mSurface->GetDesc(desc))) {
            mSurfaceWidth = static_cast<uint32_t>(desc.width);
            mSurfaceHeight = static_cast<uint32_t>(desc.height);
            mCounted = static_cast<uint64_t>(desc.height) * static_cast<uint64_t>(desc.pitch);
            TTextureMemory::Add(mCounted);
        }
        if (clear)
            Clear();
        return true;
    }
    if (!mDisplay.IsDeviceValid())
        return true;
    if (result == DDERR_UNSUPPORTEDMODE)
        return true;
    LogDxError(result, kSource, __LINE__);
    Release();
    return false;
}

GfxResult TDxTextureData::CreatePlainSurface(int32_t width, int32_t height, const DisplayMode& mode,
                                             GraphicsDisplay& display) {
    DeviceCaps caps;
    display.GetDeviceCaps(caps);
    uint32_t base = gfx::kCapsOffscreenPlain;
    if (mDisplay.HasSeparateTextureMemories())
        base |= gfx::kCapsTextureStage;
    uint32_t memory = gfx::kCapsVideoMemory;
    if (!caps.textureFromVideoMemory || HasFlag(kTextureLarge))
        memory = gfx::kCapsSystemMemory;
    GfxResult result = TryPlain(base | memory, width, height, mode, display);
    if (!mSurface && result != DDERR_UNSUPPORTEDMODE) {
        const uint32_t other =
            memory == gfx::kCapsVideoMemory ? gfx::kCapsSystemMemory : gfx::kCapsVideoMemory;
        result = TryPlain(base | other, width, height, mode, display);
    }
    if (mSurface) {
        SurfaceDesc desc;
        if (!GfxFailed(mSurface->GetDesc(desc)) && !desc.format.alphaPixels)
            LogPrintf("SURFACE request FAILED to get DDPF_ALPHAPIXELS.");
    }
    return result;
}

GfxResult TDxTextureData::TryPlain(uint32_t caps, int32_t width, int32_t height,
                                   const DisplayMode& mode, GraphicsDisplay& display) {
    ChooseKeptFormat(display, mode.bitCount);
    GfxResult result = E_FAIL;
    if (gHasKeptFormat) {
        result = MakeSurface(display, caps, width, height, gKeptFormat, mSurface);
        if (!GfxFailed(result) && mSurface)
            return result;
        if (result == DDERR_UNSUPPORTEDMODE)
            return result;
        LogDxError(result, kSource, __LINE__);
    }
    PixelFormat alpha;
    if (mode.bitCount == 16) {
        alpha = {16, 0x0F00, 0x00F0, 0x000F, 0xF000, true, false};
    } else {
        alpha = {32,
                 mode.format.redMask,
                 mode.format.greenMask,
                 mode.format.blueMask,
                 0xFF000000,
                 true,
                 false};
    }
    result = MakeSurface(display, caps, width, height, alpha, mSurface);
    if (!GfxFailed(result) && mSurface)
        return result;
    if (result == DDERR_UNSUPPORTEDMODE)
        return result;
    result = MakeSurface(display, caps | gfx::kCapsVideoMemory, width, height, alpha, mSurface);
    if (!GfxFailed(result) && mSurface)
        return result;
    if (result == DDERR_UNSUPPORTEDMODE)
        return result;
    PixelFormat plain = mode.format;
    plain.alphaPixels = false;
    plain.alphaMask = 0;
    return MakeSurface(display, gfx::kCapsTexture, width, height, plain, mSurface);
}

GfxResult TDxTextureData::CreateDeviceTexture(int32_t width, int32_t height,
                                              const DisplayMode& mode, GraphicsDisplay& display) {
    mMipLevels = HasFlag(kTextureMipmap) ? -1 : 0;
    const bool alpha = HasFlag(kTextureAlpha);
    const PixelFormat requested = mode.bitCount == 16
                                      ? (alpha ? PixelFormat::A4R4G4B4() : PixelFormat::R5G6B5())
                                      : (alpha ? PixelFormat::A8R8G8B8() : PixelFormat::X8R8G8B8());
    PixelFormat made = requested;
    int32_t madeWidth = width;
    int32_t madeHeight = height;
    const GfxResult result =
        display.CreateTexture(madeWidth, madeHeight, mMipLevels == -1 ? 0 : 1, made, mSurface);
    if (GfxFailed(result) || !mSurface) {
        mSurface.reset();
        return GfxFailed(result) ? result : E_FAIL;
    }
    mBorderX += static_cast<uint32_t>(std::max(0, madeWidth - width) / 2);
    mBorderY += static_cast<uint32_t>(std::max(0, madeHeight - height) / 2);
    mCreatedByD3dx = true;
    if (made.bitCount != requested.bitCount && mode.bitCount == 32) {
        LogPrintf("D3DXCreateTexture::CreateSurface: Created a 16 bit texture when requesting 32 "
                  "bits. Switching to 16 bit mode");
        mDisplay.EnterLowMemoryMode();
    }
    return result;
}

bool TDxTextureData::Upload(uint32_t width, uint32_t height, const uint8_t* pixels) {
    if (!mSurface || !pixels || width == 0 || height == 0)
        return false;
    if (mCreatedByD3dx) {
        GraphicsDisplay* display = mDisplay.GetDirectDraw();
        if (!display)
            return false;
        const GfxResult result = display->LoadTextureFromMemory(
            *mSurface, reinterpret_cast<const uint32_t*>(pixels), static_cast<int32_t>(width),
            static_cast<int32_t>(height), static_cast<int32_t>(width * 4),
            mMipLevels == -1 ? LoadFilter::Linear : LoadFilter::Point);
        if (GfxFailed(result)) {
            LogDxError(result, kSource, __LINE__);
            return false;
        }
        return true;
    }
    return UploadByMasks(width, height, pixels);
}

bool TDxTextureData::UploadByMasks(uint32_t width, uint32_t height, const uint8_t* pixels) {
    LockedSurface locked;
    if (const GfxResult r = mSurface->Lock(nullptr, locked); GfxFailed(r)) {
        LogDxError(r, kSource, __LINE__);
        return false;
    }
    const PixelFormat& format = locked.format;
    const uint32_t rows = std::min(height, static_cast<uint32_t>(std::max(0, locked.height)));
    const uint32_t columns = std::min(width, static_cast<uint32_t>(std::max(0, locked.width)));
    const bool alpha = HasFlag(kTextureAlpha);
    for (uint32_t y = 0; y < rows; ++y) {
        const uint8_t* from = pixels + static_cast<size_t>(y) * width * 4;
        uint8_t* to = locked.bits + static_cast<size_t>(y) * static_cast<size_t>(locked.pitch);
        switch (format.bitCount) {
        case 32:
            for (uint32_t x = 0; x < columns; ++x, from += 4, to += 4) {
                const uint32_t value =
                    Place(from[0], format.blueMask) | Place(from[1], format.greenMask) |
                    Place(from[2], format.redMask) |
                    (alpha ? Place(from[3], format.alphaMask) : format.alphaMask);
                std::memcpy(to, &value, 4);
            }
            break;
        case 24:
            for (uint32_t x = 0; x < columns; ++x, from += 4, to += 3) {
                const uint32_t value = Place(from[0], format.blueMask) |
                                       Place(from[1], format.greenMask) |
                                       Place(from[2], format.redMask);
                to[0] = static_cast<uint8_t>(value);
                to[1] = static_cast<uint8_t>(value >> 8);
                to[2] = static_cast<uint8_t>(value >> 16);
            }
            break;
        case 16:
        case 15:
            for (uint32_t x = 0; x < columns; ++x, from += 4, to += 2) {
                const uint32_t value =
                    Place(from[0], format.blueMask) | Place(from[1], format.greenMask) |
                    Place(from[2], format.redMask) |
                    (alpha ? Place(from[3], format.alphaMask) : format.alphaMask);
                const uint16_t packed = static_cast<uint16_t>(value);
                std::memcpy(to, &packed, 2);
            }
            break;
        default:
            // Other depths are left as they are.
            break;
        }
    }
    if (const GfxResult r = mSurface->Unlock(); GfxFailed(r)) {
        LogDxError(r, kSource, __LINE__);
        return false;
    }
    return true;
}

uint32_t* TDxTextureData::Lock(int32_t& pitch) {
    pitch = 0;
    if (!mSurface || mLockedDirect || !mLockCopy.empty())
        return nullptr;
    SurfaceDesc desc;
    if (GfxFailed(mSurface->GetDesc(desc)))
        return nullptr;
    LockedSurface locked;
    if (IsArgb32(desc.format)) {
        if (!GfxFailed(mSurface->Lock(nullptr, locked)) && locked.bits) {
            mLockedDirect = true;
            pitch = locked.pitch / 4;
            return reinterpret_cast<uint32_t*>(locked.bits);
        }
    }
    // Any other format (or a direct lock that failed) is read into a
    // 32-bit copy that Unlock writes back.
    if (GfxFailed(mSurface->Lock(nullptr, locked)))
        return nullptr;
    const uint32_t surfaceWidth = static_cast<uint32_t>(std::max(0, desc.width));
    const uint32_t surfaceHeight = static_cast<uint32_t>(std::max(0, desc.height));
    mLockCopy.assign(static_cast<size_t>(surfaceWidth) * surfaceHeight, 0);
    const PixelFormat& format = locked.format;
    const uint32_t bytes = format.BytesPerPixel();
    const bool alpha = HasFlag(kTextureAlpha) && format.alphaMask != 0;
    const uint32_t rows = std::min(mHeight, surfaceHeight);
    const uint32_t columns = std::min(mWidth, surfaceWidth);
    if (bytes >= 2 && bytes <= 4) {
        for (uint32_t y = 0; y < rows; ++y) {
            const uint8_t* from = locked.bits + static_cast<size_t>(y) * locked.pitch;
            uint32_t* to = mLockCopy.data() + static_cast<size_t>(y) * surfaceWidth;
            for (uint32_t x = 0; x < columns; ++x, from += bytes) {
                uint32_t raw = 0;
                std::memcpy(&raw, from, bytes);
                to[x] = Extract(raw, format.blueMask) | Extract(raw, format.greenMask) << 8 |
                        Extract(raw, format.redMask) << 16 |
                        (alpha ? Extract(raw, format.alphaMask) : 0xFFu) << 24;
            }
        }
    }
    mSurface->Unlock();
    pitch = static_cast<int32_t>(surfaceWidth);
    return mLockCopy.data();
}

void TDxTextureData::Unlock() {
    if (mLockedDirect) {
        mLockedDirect = false;
        if (mSurface && GfxFailed(mSurface->Unlock()))
            mDisplay.MarkBroken();
        return;
    }
    if (mLockCopy.empty())
        return;
    std::vector<uint32_t> copy;
    copy.swap(mLockCopy);
    SurfaceDesc desc;
    bool written = mSurface && !GfxFailed(mSurface->GetDesc(desc));
    if (written) {
        // The copy goes back through the per-mask conversion, whoever made
        // the surface.
        const bool byDevice = mCreatedByD3dx;
        mCreatedByD3dx = false;
        written = Upload(static_cast<uint32_t>(desc.width), static_cast<uint32_t>(desc.height),
                         reinterpret_cast<const uint8_t*>(copy.data()));
        mCreatedByD3dx = byDevice;
    }
    if (!written)
        mDisplay.MarkBroken();
}

void TDxTextureData::Clear() {
    if (!mSurface)
        return;
    GfxResult result = mSurface->ColorFill(nullptr, 0);
    if (result == DDERR_SURFACELOST) {
        mSurface->Restore();
        result = mSurface->ColorFill(nullptr, 0);
    }
    if (GfxFailed(result))
        LogDxError(result, kSource, __LINE__);
}

void TDxTextureData::Blit(int32_t x, int32_t y, const TRect* source, TTextureData* destination) {
    if (!mSurface)
        return;
    SurfacePtr target;
    if (destination) {
        if (auto* data = dynamic_cast<TDxTextureData*>(destination))
            target = data->mSurface;
    } else {
        target = mDisplay.GetBackBuffer();
    }
    if (!target)
        return;
    GfxRect area{0, 0, static_cast<int32_t>(mWidth), static_cast<int32_t>(mHeight)};
    if (source)
        area = GfxRect{source->left, source->top, source->right, source->bottom};
    const bool stretch = !destination && mDisplay.IsHosted();
    GfxRect to{x, y, x + area.Width(), y + area.Height()};
    GfxResult result;
    if (stretch) {
        float scale = GetSetting(TString(kSettingViewportScale)).ToFloat();
        if (scale <= 0.0f)
            scale = 1.0f;
        to = GfxRect{static_cast<int32_t>(std::lround(area.left * scale)),
                     static_cast<int32_t>(std::lround(area.top * scale)),
                     static_cast<int32_t>(std::lround(area.right * scale)),
                     static_cast<int32_t>(std::lround(area.bottom * scale))};
        result = target->Blt(&to, *mSurface, &area);
    } else {
        result = target->BltFast(x, y, *mSurface, &area);
    }
    if (result == DDERR_SURFACELOST) {
        mDisplay.MarkBroken();
        return;
    }
    if (!GfxFailed(result))
        return;
    // Logged once per process for each kind of copy; the copy is made again
    // by the general path.
    static bool stretchLogged = false;
    static bool fastLogged = false;
    bool& logged = stretch ? stretchLogged : fastLogged;
    if (!logged) {
        logged = true;
        LogDxError(result, kSource, __LINE__);
    }
    result = target->Blt(&to, *mSurface, &area);
    if (result == DDERR_SURFACELOST)
        mDisplay.MarkBroken();
}

bool TDxTextureData::FileExistsLoosely(const TString& name) const {
    std::string plain = name.ToStd();
    if (const size_t question = plain.find('?'); question != std::string::npos)
        plain.erase(question);
    for (const char* extension : {"", ".jp2", ".png", ".jpg"}) {
        if (FileExists((plain + extension).c_str()))
            return true;
    }
    return false;
}

void TDxTextureData::Restore() {
    if (mName.IsEmpty()) {
        if (!CreateSurface(mWidth, mHeight, true)) {
            LogPrintf("TDxTextureData::Restore: Failed to restore %dx%d texture (%d,%d)",
                      static_cast<int>(mWidth), static_cast<int>(mHeight),
                      static_cast<int>(mSurfaceWidth), static_cast<int>(mSurfaceHeight));
            mDisplay.MarkBroken();
        }
        return;
    }
    const TString name = mName;
    const TString mask = mMaskName;
    if (mask.IsEmpty()) {
        if (!LoadImage(name)) {
            LogPrintf("TDxTextureData::Restore: Failed to restore from file %s.", name.CStr());
            if (FileExistsLoosely(name))
                mDisplay.MarkBroken();
        }
        return;
    }
    if (!LoadImage(name, mask)) {
        LogPrintf("TDxTextureData::Restore: Failed to restore from file %s and %s.", name.CStr(),
                  mask.CStr());
        if (FileExistsLoosely(name) && FileExistsLoosely(mask))
            mDisplay.MarkBroken();
    }
}
