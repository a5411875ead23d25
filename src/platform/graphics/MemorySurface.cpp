#include "platform/graphics/MemorySurface.h"

#include "platform/graphics/PixelConversion.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform {

bool ClipArea(const GfxRect* requested, int32_t width, int32_t height, GfxRect& clipped) {
    clipped = requested ? *requested : GfxRect{0, 0, width, height};
    clipped.left = std::max(clipped.left, 0);
    clipped.top = std::max(clipped.top, 0);
    clipped.right = std::min(clipped.right, width);
    clipped.bottom = std::min(clipped.bottom, height);
    return clipped.right > clipped.left && clipped.bottom > clipped.top;
}

MemorySurface::MemorySurface(GraphicsFaults& faults, uint32_t caps, int32_t width, int32_t height,
                             const PixelFormat& format, uint32_t mipLevels, bool withPixels)
    : mFaults(faults), mCaps(caps), mWidth(std::max(width, 1)), mHeight(std::max(height, 1)),
      mFormat(format), mCodec(format) {
    if (mipLevels == 0) {
        mipLevels = 1;
        while ((mWidth >> mipLevels) > 0 || (mHeight >> mipLevels) > 0)
            ++mipLevels;
    }
    mLevels.resize(mipLevels);
    if (withPixels)
        AllocatePixels();
    else
        mHasPixels = false;
}

void MemorySurface::AllocatePixels() {
    for (uint32_t level = 0; level < MipLevels(); ++level)
        mLevels[level].assign(static_cast<size_t>(Pitch(level)) * LevelHeight(level), 0);
    mHasPixels = true;
}

void MemorySurface::ReleasePixels() {
    for (std::vector<uint8_t>& level : mLevels)
        std::vector<uint8_t>().swap(level);
    mHasPixels = false;
}

int32_t MemorySurface::LevelWidth(uint32_t level) const {
    return std::max(mWidth >> level, 1);
}

int32_t MemorySurface::LevelHeight(uint32_t level) const {
    return std::max(mHeight >> level, 1);
}

int32_t MemorySurface::Pitch(uint32_t level) const {
    // Rows start on 4-byte boundaries, as display memory has them.
    return (LevelWidth(level) * static_cast<int32_t>(mFormat.BytesPerPixel()) + 3) & ~3;
}

uint32_t MemorySurface::PixelAt(int32_t x, int32_t y, uint32_t level) const {
    if (!mHasPixels || x < 0 || y < 0 || x >= LevelWidth(level) || y >= LevelHeight(level))
        return 0;
    return mCodec.Read(LevelBits(level) + static_cast<size_t>(y) * Pitch(level) +
                       static_cast<size_t>(x) * mFormat.BytesPerPixel());
}

uint32_t MemorySurface::StoredColour(uint32_t argb) const {
    uint8_t stored[4] = {};
    mCodec.Write(stored, argb);
    return mCodec.Read(stored);
}

void MemorySurface::SetPixelAt(int32_t x, int32_t y, uint32_t argb, uint32_t level) {
    if (!mHasPixels || x < 0 || y < 0 || x >= LevelWidth(level) || y >= LevelHeight(level))
        return;
    mCodec.Write(LevelBits(level) + static_cast<size_t>(y) * Pitch(level) +
                     static_cast<size_t>(x) * mFormat.BytesPerPixel(),
                 argb);
}

GfxResult MemorySurface::Check(const char* operation) {
    const GfxResult injected = mFaults.Enter(operation);
    if (injected != kGfxOk)
        return injected;
    return mLost ? DDERR_SURFACELOST : kGfxOk;
}

GfxResult MemorySurface::GetDesc(SurfaceDesc& desc) const {
    desc.caps = mCaps;
    desc.width = mWidth;
    desc.height = mHeight;
    desc.pitch = Pitch(0);
    desc.format = mFormat;
    desc.mipLevels = MipLevels();
    return kGfxOk;
}

GfxResult MemorySurface::Lock(const GfxRect* area, LockedSurface& locked) {
    locked = LockedSurface{};
    if (const GfxResult r = Check("Lock"); r != kGfxOk)
        return r;
    if (mLocked)
        return DDERR_SURFACEBUSY;
    GfxRect clipped;
    if (!ClipArea(area, mWidth, mHeight, clipped) || (area && clipped != *area))
        return E_INVALIDARG;
    if (const GfxResult r = PullPixels(clipped); GfxFailed(r))
        return r;
    if (!mHasPixels)
        AllocatePixels();
    mLocked = true;
    mLockedArea = clipped;
    locked.bits = LevelBits(0) + static_cast<size_t>(clipped.top) * Pitch(0) +
                  static_cast<size_t>(clipped.left) * mFormat.BytesPerPixel();
    locked.pitch = Pitch(0);
    locked.width = clipped.Width();
    locked.height = clipped.Height();
    locked.format = mFormat;
    return kGfxOk;
}

GfxResult MemorySurface::Unlock() {
    // A lost surface still lets go of its lock.
    const GfxResult injected = mFaults.Enter("Unlock");
    if (injected != kGfxOk)
        return injected;
    if (!mLocked)
        return DDERR_NOTLOCKED;
    mLocked = false;
    return PushPixels(mLockedArea);
}

GfxResult MemorySurface::ColorFill(const GfxRect* area, uint32_t rawValue) {
    if (const GfxResult r = Check("ColorFill"); r != kGfxOk)
        return r;
    GfxRect clipped;
    if (!ClipArea(area, mWidth, mHeight, clipped))
        return kGfxOk;
    if (const GfxResult r = PullPixels(clipped); GfxFailed(r))
        return r;
    if (!mHasPixels)
        AllocatePixels();
    const uint32_t bpp = mFormat.BytesPerPixel();
    uint8_t value[4];
    std::memcpy(value, &rawValue, 4);
    for (int32_t y = clipped.top; y < clipped.bottom; ++y) {
        uint8_t* row = LevelBits(0) + static_cast<size_t>(y) * Pitch(0);
        for (int32_t x = clipped.left; x < clipped.right; ++x)
            std::memcpy(row + static_cast<size_t>(x) * bpp, value, bpp);
    }
    return PushPixels(clipped);
}

GfxResult MemorySurface::CopyArea(const GfxRect& destArea, GraphicsSurface& source,
                                  const GfxRect& sourceArea) {
    if (const GfxResult fast = CopyFrom(destArea, source, sourceArea); fast <= 0)
        return fast;
    if (const GfxResult rows = CopyRows(destArea, source, sourceArea); rows <= 0)
        return rows;
    // The source is read whole into 0xAARRGGBB words first, so a surface can
    // be copied onto itself.
    const int32_t sw = sourceArea.Width();
    const int32_t sh = sourceArea.Height();
    std::vector<uint32_t> pixels(static_cast<size_t>(sw) * sh);
    LockedSurface in;
    if (const GfxResult r = source.Lock(&sourceArea, in); GfxFailed(r))
        return r;
    for (int32_t y = 0; y < sh; ++y) {
        const uint8_t* row = in.bits + static_cast<size_t>(y) * in.pitch;
        for (int32_t x = 0; x < sw; ++x)
            pixels[static_cast<size_t>(y) * sw + x] =
                ReadPixel(in.format, row + static_cast<size_t>(x) * in.format.BytesPerPixel());
    }
    source.Unlock();
    if (const GfxResult r = PullPixels(destArea); GfxFailed(r))
        return r;
    if (!mHasPixels)
        AllocatePixels();
    const int32_t dw = destArea.Width();
    const int32_t dh = destArea.Height();
    for (int32_t y = 0; y < dh; ++y) {
        const int32_t sy = static_cast<int32_t>(static_cast<int64_t>(y) * sh / dh);
        for (int32_t x = 0; x < dw; ++x) {
            const int32_t sx = static_cast<int32_t>(static_cast<int64_t>(x) * sw / dw);
            SetPixelAt(destArea.left + x, destArea.top + y,
                       pixels[static_cast<size_t>(sy) * sw + sx]);
        }
    }
    return PushPixels(destArea);
}

GfxResult MemorySurface::CopyRows(const GfxRect& destArea, GraphicsSurface& source,
                                  const GfxRect& sourceArea) {
    // Only an unscaled copy between two surfaces of one 32-bit ARGB-order
    // format, where a pixel read and written again is its raw word. The
    // byte a format without alpha leaves unused is copied as it stands: no
    // pixel is read from it.
    if (&source == this || destArea.Width() != sourceArea.Width() ||
        destArea.Height() != sourceArea.Height() || !mCodec.IsArgbOrder() ||
        mFormat.BytesPerPixel() != 4)
        return 1;
    SurfaceDesc sourceDesc;
    source.GetDesc(sourceDesc);
    if (!(sourceDesc.format == mFormat))
        return 1;
    LockedSurface in;
    if (const GfxResult r = source.Lock(&sourceArea, in); GfxFailed(r))
        return r;
    if (const GfxResult r = PullPixels(destArea); GfxFailed(r)) {
        source.Unlock();
        return r;
    }
    if (!mHasPixels)
        AllocatePixels();
    const size_t rowBytes = static_cast<size_t>(destArea.Width()) * 4;
    for (int32_t y = 0; y < destArea.Height(); ++y) {
        uint8_t* to = LevelBits(0) + static_cast<size_t>(destArea.top + y) * Pitch(0) +
                      static_cast<size_t>(destArea.left) * 4;
        std::memcpy(to, in.bits + static_cast<size_t>(y) * in.pitch, rowBytes);
    }
    source.Unlock();
    return PushPixels(destArea);
}

GfxResult MemorySurface::Blt(const GfxRect* destArea, GraphicsSurface& source,
                             const GfxRect* sourceArea) {
    if (const GfxResult r = Check("Blt"); r != kGfxOk)
        return r;
    SurfaceDesc sourceDesc;
    source.GetDesc(sourceDesc);
    const GfxRect from =
        sourceArea ? *sourceArea : GfxRect{0, 0, sourceDesc.width, sourceDesc.height};
    const GfxRect to = destArea ? *destArea : GfxRect{0, 0, mWidth, mHeight};
    GfxRect check;
    if (!ClipArea(&from, sourceDesc.width, sourceDesc.height, check) || check != from ||
        !ClipArea(&to, mWidth, mHeight, check) || check != to)
        return E_INVALIDARG;
    return CopyArea(to, source, from);
}

GfxResult MemorySurface::BltFast(int32_t x, int32_t y, GraphicsSurface& source,
                                 const GfxRect* sourceArea) {
    if (const GfxResult r = Check("BltFast"); r != kGfxOk)
        return r;
    SurfaceDesc sourceDesc;
    source.GetDesc(sourceDesc);
    const GfxRect from =
        sourceArea ? *sourceArea : GfxRect{0, 0, sourceDesc.width, sourceDesc.height};
    const GfxRect to{x, y, x + from.Width(), y + from.Height()};
    GfxRect check;
    if (!ClipArea(&from, sourceDesc.width, sourceDesc.height, check) || check != from ||
        !ClipArea(&to, mWidth, mHeight, check) || check != to)
        return E_INVALIDARG;
    return CopyArea(to, source, from);
}

void MemorySurface::SwapPixels(MemorySurface& other) {
    std::swap(mLevels, other.mLevels);
    std::swap(mHasPixels, other.mHasPixels);
}

GfxResult MemorySurface::Flip() {
    if (const GfxResult r = Check("Flip"); r != kGfxOk)
        return r;
    if (!mBackBuffer)
        return E_FAIL;
    if (mBackBuffer->IsMarkedLost())
        return DDERR_SURFACELOST;
    if (mBackBuffer->Width() != mWidth || mBackBuffer->Height() != mHeight ||
        !(mBackBuffer->Format() == mFormat))
        return E_FAIL;
    SwapPixels(*mBackBuffer);
    ++mFlips;
    return kGfxOk;
}

GfxResult MemorySurface::GetFlipStatus() {
    return Check("GetFlipStatus");
}

GfxResult MemorySurface::GetBltStatus() {
    return Check("GetBltStatus");
}

GfxResult MemorySurface::AddAttachedSurface(std::shared_ptr<GraphicsSurface> zBuffer) {
    if (const GfxResult r = Check("AddAttachedSurface"); r != kGfxOk)
        return r;
    if (!zBuffer)
        return E_INVALIDARG;
    mZBuffer = std::move(zBuffer);
    return kGfxOk;
}

GfxResult MemorySurface::IsLost() {
    return Check("IsLost");
}

GfxResult MemorySurface::Restore() {
    const GfxResult injected = mFaults.Enter("Restore");
    if (injected != kGfxOk)
        return injected;
    mLost = false;
    return kGfxOk;
}

uint32_t MemorySurface::ByteSize() const {
    uint32_t bytes = 0;
    for (uint32_t level = 0; level < MipLevels(); ++level)
        bytes += static_cast<uint32_t>(Pitch(level) * LevelHeight(level));
    return bytes;
}

void MemorySurface::LoadArgb(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitch,
                             LoadFilter filter) {
    if (!mHasPixels)
        AllocatePixels();
    const int32_t w = std::min(width, mWidth);
    const int32_t h = std::min(height, mHeight);
    const bool copyRows = mCodec.IsArgbOrder() && mCodec.HasAlpha();
    for (int32_t y = 0; y < h; ++y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * (pitch / 4);
        uint8_t* out = LevelBits(0) + static_cast<size_t>(y) * Pitch(0);
        if (copyRows) {
            std::memcpy(out, row, static_cast<size_t>(w) * 4);
            continue;
        }
        const uint32_t bytes = mFormat.BytesPerPixel();
        for (int32_t x = 0; x < w; ++x)
            mCodec.Write(out + static_cast<size_t>(x) * bytes, row[x]);
    }
    BuildMipLevels(filter);
}

namespace {

// The mean of four 0xAARRGGBB words, channel by channel, rounded.
uint32_t MeanOfFour(const uint32_t (&p)[4]) {
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 0;
        for (uint32_t v : p)
            sum += (v >> shift) & 0xFF;
        result |= ((sum + 2) / 4) << shift;
    }
    return result;
}

} // namespace

void MemorySurface::BuildMipLevels(LoadFilter filter) {
    if (!mHasPixels)
        return;
    // In the ARGB-order formats a raw word is its colour (a missing alpha
    // byte stays 0 through the mean), so the levels are made from the raw
    // words without converting each pixel there and back.
    const bool rawWords = mCodec.IsArgbOrder();
    for (uint32_t level = 1; level < MipLevels(); ++level) {
        const int32_t w = LevelWidth(level);
        const int32_t h = LevelHeight(level);
        const int32_t pw = LevelWidth(level - 1);
        const int32_t ph = LevelHeight(level - 1);
        const uint8_t* above = LevelBits(level - 1);
        const int32_t abovePitch = Pitch(level - 1);
        uint8_t* bits = LevelBits(level);
        const auto word = [&](int32_t x, int32_t y) {
            uint32_t v;
            std::memcpy(&v, above + static_cast<size_t>(y) * abovePitch + static_cast<size_t>(x) * 4,
                        4);
            return v;
        };
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const int32_t x0 = std::min(2 * x, pw - 1);
                const int32_t y0 = std::min(2 * y, ph - 1);
                const int32_t x1 = std::min(x0 + 1, pw - 1);
                const int32_t y1 = std::min(y0 + 1, ph - 1);
                if (rawWords) {
                    uint32_t value =
                        filter == LoadFilter::Point
                            ? word(x0, y0)
                            : MeanOfFour({word(x0, y0), word(x1, y0), word(x0, y1), word(x1, y1)});
                    if (!mCodec.HasAlpha())
                        value &= 0x00FFFFFF;
                    std::memcpy(bits + static_cast<size_t>(y) * Pitch(level) +
                                    static_cast<size_t>(x) * 4,
                                &value, 4);
                    continue;
                }
                if (filter == LoadFilter::Point) {
                    SetPixelAt(x, y, PixelAt(x0, y0, level - 1), level);
                    continue;
                }
                SetPixelAt(x, y,
                           MeanOfFour({PixelAt(x0, y0, level - 1), PixelAt(x1, y0, level - 1),
                                       PixelAt(x0, y1, level - 1), PixelAt(x1, y1, level - 1)}),
                           level);
            }
    }
}

} // namespace platform
