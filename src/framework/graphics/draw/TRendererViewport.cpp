// The renderer's viewport, clip rectangle, render-surface switch and the
// copies that bring a drawn render target back into a texture.

#include "framework/core/log/TLog.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/display/DxError.h"
#include "platform/graphics/PixelConversion.h"
#include "platform/process/ProcessControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace platform;

namespace {

constexpr char kSource[] = "dxdisplayhandler";

int32_t ScaleHalfUp(int32_t value, float scale) {
    return static_cast<int32_t>(static_cast<float>(value) * scale + 0.5f);
}

int LowestBit(uint32_t mask) {
    for (int bit = 0; bit < 32; ++bit)
        if (mask & (1u << bit))
            return bit;
    return 0;
}

int BitCount(uint32_t mask) {
    int count = 0;
    for (; mask; mask &= mask - 1)
        ++count;
    return count;
}

// A channel of a source pixel as a byte: masked, then moved down by
// (bits in the mask) - 8 + (lowest bit); a negative shift moves it up, so
// a 5-bit channel comes out as its value times 8.
uint32_t Channel(uint32_t pixel, uint32_t mask) {
    const int shift = BitCount(mask) - 8 + LowestBit(mask);
    const uint32_t value = pixel & mask;
    return (shift >= 0 ? value >> shift : value << -shift) & 0xFF;
}

uint32_t ReadSourcePixel(const uint8_t* row, int32_t x, uint32_t bitCount) {
    switch (bitCount) {
    case 15:
    case 16: {
        uint16_t word;
        std::memcpy(&word, row + x * 2, 2);
        return word;
    }
    case 24:
        return uint32_t(row[x * 3]) | (uint32_t(row[x * 3 + 1]) << 8) |
               (uint32_t(row[x * 3 + 2]) << 16);
    case 32: {
        uint32_t word;
        std::memcpy(&word, row + x * 4, 4);
        return word;
    }
    default:
        return 0;
    }
}

bool CopiesDepth(uint32_t bitCount) {
    return bitCount == 15 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}

} // namespace

GfxResult TRenderer::SetDeviceViewport(const TRect& r, const TRect& target) {
    GraphicsDevice* device = Device();
    if (!device)
        return E_POINTER;
    int32_t left = std::max(r.left, 0);
    int32_t top = std::max(r.top, 0);
    int32_t right = std::max(r.right, left);
    int32_t bottom = std::max(r.bottom, top);
    const int32_t w = target.right - target.left;
    const int32_t h = target.bottom - target.top;
    if (left >= w)
        left = w - 1;
    if (top >= h)
        top = h - 1;
    right = std::min(right, w);
    bottom = std::min(bottom, h);
    Viewport viewport;
    viewport.x = left;
    viewport.y = top;
    viewport.width = std::max(right - left, 0);
    viewport.height = std::max(bottom - top, 0);
    if (mHosted) {
        const float scale = mViewportScale;
        viewport.x = ScaleHalfUp(viewport.x, scale);
        viewport.y = ScaleHalfUp(viewport.y, scale);
        viewport.width = ScaleHalfUp(viewport.width, scale);
        viewport.height = ScaleHalfUp(viewport.height, scale);
        if (scale != 0.0f) {
            int displayW = 0, displayH = 0;
            bool full = false;
            GetDisplayMode(displayW, displayH, full);
            if (static_cast<float>(displayW) <
                static_cast<float>(viewport.x + viewport.width) / scale)
                viewport.width = ScaleHalfUp(displayW, scale) - viewport.x;
            if (static_cast<float>(displayH) <
                static_cast<float>(viewport.y + viewport.height) / scale)
                viewport.height = ScaleHalfUp(displayH, scale) - viewport.y;
        }
    }
    viewport.minZ = 0.0f;
    viewport.maxZ = 1.0f;
    return device->SetViewport(viewport);
}

bool TRenderer::ApplyViewport() {
    if (!Device())
        return false;
    const GfxResult result =
        SetDeviceViewport(TRect::Intersection(mViewport, mClipRect), mTargetRect);
    if (GfxFailed(result))
        LogDxError(result, kSource, __LINE__);
    return !GfxFailed(result);
}

void TRenderer::SetViewport(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!Device())
        return;
    mProjectionDirty = true;
    const TRect previous = mViewport;
    mViewport = TRect(left, top, right, bottom);
    if (!ApplyViewport()) {
        LogPrintf("Bad viewport: %d, %d, %d, %d", left, top, right, bottom);
        mViewport = previous;
    }
    mProjectionDirty = true;
}

bool TRenderer::SetScissorRegion(const std::vector<TRect>& rects) {
    GraphicsDevice* device = Device();
    if (!device)
        return false;
    // A hosted display scales the screen's pixels; the region is not
    // scaled with them.
    if (!rects.empty() && mHosted && mViewportScale != 1.0f) {
        device->SetScissorRegion(nullptr, 0);
        return false;
    }
    std::vector<GfxRect> region;
    region.reserve(rects.size());
    for (const TRect& r : rects)
        region.push_back(GfxRect{r.left, r.top, r.right, r.bottom});
    const GfxResult result =
        device->SetScissorRegion(region.data(), static_cast<uint32_t>(region.size()));
    if (GfxFailed(result)) {
        device->SetScissorRegion(nullptr, 0);
        return false;
    }
    return true;
}

bool TRenderer::SetClipRect(const TRect& rect) {
    mClipRect = rect;
    mProjectionDirty = true;
    return ApplyViewport();
}

void TRenderer::PushViewport(const TRect& rect) {
    mViewportStack.push_back(mViewport);
    SetViewport(rect.left, rect.top, rect.right, rect.bottom);
}

void TRenderer::PopViewport() {
    // Pushes and pops are paired by the callers; an unpaired pop keeps the
    // viewport rather than read past the stack.
    if (mViewportStack.empty()) {
        LogPrintf("TRenderer::PopViewport: no viewport to pop");
        return;
    }
    mViewport = mViewportStack.back();
    mViewportStack.pop_back();
    if (Device())
        SetDeviceViewport(mViewport, mTargetRect);
    mProjectionDirty = true;
}

bool TRenderer::ChangeRenderTarget(const SurfacePtr& oldSurface, const SurfacePtr& newSurface) {
    GraphicsDevice* device = Device();
    if (oldSurface == newSurface || !device || !newSurface)
        return true;
    device->SetRenderTarget(newSurface);
    const TRect kept = mTargetRect;
    SurfaceDesc desc;
    newSurface->GetDesc(desc);
    const float scale = mViewportScale != 0.0f ? mViewportScale : 1.0f;
    mTargetRect =
        TRect(0, 0, ScaleHalfUp(desc.width, 1.0f / scale), ScaleHalfUp(desc.height, 1.0f / scale));
    mViewport = mTargetRect;
    GfxResult result = SetDeviceViewport(mViewport, mTargetRect);
    if (!GfxFailed(result))
        return true;
    mTargetRect = kept;
    LogDxError(result, kSource, __LINE__);
    LogPrintf("Bad viewport in switching render target!");
    mViewport = kept;
    result = SetDeviceViewport(mViewport, mTargetRect);
    if (!GfxFailed(result))
        return true;
    mTargetRect = kept;
    LogDxError(result, kSource, __LINE__);
    if (result == DDERR_CURRENTLYNOTAVAIL) {
        if (desc.format.bitCount == 16) {
            LogPrintf("Failed to SetRenderTarget with bit depth 16");
            mSixteenBitTargetsFail = true;
            MarkBroken();
        } else {
            static bool logged = false;
            if (!logged) {
                logged = true;
                LogPrintf("Failed to SetRenderTarget with alpha bit depth %d",
                          static_cast<int>(desc.format.bitCount));
            }
        }
    }
    return true;
}

void TRenderer::CopyTargetToTexture(const std::shared_ptr<TTexture>& texture, const TRect& rect) {
    CopyTargetToSurface(DescribeTexture(texture.get()), rect);
}

void TRenderer::CopyTargetAlphaToTexture(const std::shared_ptr<TTexture>& texture) {
    CopyTargetAlphaToSurface(DescribeTexture(texture.get()));
}

void TRenderer::MakeTextureOpaque(const std::shared_ptr<TTexture>& texture) {
    MakeSurfaceOpaque(DescribeTexture(texture.get()));
}

// The surfaces of this system have no device context to copy through, so
// the copy always takes the lock path: it reads the render surface by its
// channel masks, whatever its depth.
void TRenderer::CopyTargetToSurface(const TTextureSurface& texture, const TRect& rect) {
    const SurfacePtr source = RenderSurface();
    if (!source || !texture.surface)
        return;
    LockedSurface from;
    if (const GfxResult r = source->Lock(nullptr, from); GfxFailed(r)) {
        LogDxError(r, kSource, __LINE__);
        return;
    }
    const int32_t width = std::min({rect.right - rect.left, texture.width, from.width});
    const int32_t height = std::min({rect.bottom - rect.top, texture.height, from.height});
    LockedSurface to;
    if (const GfxResult r = texture.surface->Lock(nullptr, to); GfxFailed(r)) {
        LogDxError(r, kSource, __LINE__);
        source->Unlock();
        return;
    }
    const PixelFormat& f = from.format;
    if (CopiesDepth(f.bitCount)) {
        const int32_t rows = std::min(height, to.height);
        const int32_t columns = std::min(width, to.width);
        const uint32_t step = to.format.BytesPerPixel();
        for (int32_t y = 0; y < rows; ++y) {
            const uint8_t* in = from.bits + size_t(y) * from.pitch;
            uint8_t* out = to.bits + size_t(y) * to.pitch;
            for (int32_t x = 0; x < columns; ++x) {
                const uint32_t pixel = ReadSourcePixel(in, x, f.bitCount);
                WritePixel(to.format, out + size_t(x) * step,
                           0xFF000000u | (Channel(pixel, f.redMask) << 16) |
                               (Channel(pixel, f.greenMask) << 8) | Channel(pixel, f.blueMask));
            }
        }
    }
    texture.surface->Unlock();
    source->Unlock();
}

void TRenderer::CopyTargetAlphaToSurface(const TTextureSurface& texture) {
    const SurfacePtr source = RenderSurface();
    if (!texture.alpha || !source || !texture.surface)
        return;
    LockedSurface from;
    if (GfxFailed(source->Lock(nullptr, from)))
        return;
    LockedSurface to;
    if (GfxFailed(texture.surface->Lock(nullptr, to))) {
        source->Unlock();
        return;
    }
    const PixelFormat& f = from.format;
    const int32_t rows = std::min({texture.height, from.height, to.height});
    const int32_t columns = std::min({texture.width, from.width, to.width});
    if (CopiesDepth(f.bitCount)) {
        const uint32_t step = to.format.BytesPerPixel();
        for (int32_t y = 0; y < rows; ++y) {
            const uint8_t* in = from.bits + size_t(y) * from.pitch;
            uint8_t* out = to.bits + size_t(y) * to.pitch;
            for (int32_t x = 0; x < columns; ++x) {
                const uint32_t pixel = ReadSourcePixel(in, x, f.bitCount);
                const uint32_t alpha =
                    f.bitCount == 32 ? (pixel & 0xFF) : Channel(pixel, f.redMask);
                uint8_t* at = out + size_t(x) * step;
                WritePixel(to.format, at,
                           (platform::ReadPixel(to.format, at) & 0x00FFFFFFu) | (alpha << 24));
            }
        }
    }
    texture.surface->Unlock();
    source->Unlock();
}

void TRenderer::MakeSurfaceOpaque(const TTextureSurface& texture) {
    if (!texture.alpha || !texture.surface)
        return;
    LockedSurface locked;
    if (GfxFailed(texture.surface->Lock(nullptr, locked)))
        return;
    const int32_t rows = std::min(texture.height, locked.height);
    const int32_t columns = std::min(texture.width, locked.width);
    const uint32_t step = locked.format.BytesPerPixel();
    for (int32_t y = 0; y < rows; ++y) {
        uint8_t* row = locked.bits + size_t(y) * locked.pitch;
        for (int32_t x = 0; x < columns; ++x) {
            uint8_t* at = row + size_t(x) * step;
            WritePixel(locked.format, at, platform::ReadPixel(locked.format, at) | 0xFF000000u);
        }
    }
    texture.surface->Unlock();
}

GfxResult TRenderer::WaitForFlip() {
    if (!mSetup)
        return kGfxOk;
    const SurfacePtr& front = mSetup->GetContext().GetFrontBuffer();
    if (!front)
        return kGfxOk;
    GfxResult result = front->GetFlipStatus();
    while (result == DDERR_WASSTILLDRAWING) {
        CurrentProcessControl().Sleep(1);
        result = front->GetFlipStatus();
    }
    return result;
}
