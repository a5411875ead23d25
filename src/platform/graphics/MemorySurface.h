#pragma once

#include "platform/graphics/GraphicsFaults.h"
#include "platform/graphics/GraphicsSurface.h"
#include "platform/graphics/PixelConversion.h"

#include <vector>

namespace platform {

// A surface whose pixels live in memory, in any of the formats the display
// code uses (32-bit with and without alpha, 24-bit, the 16-bit ones): fills,
// copies, stretches and locks are real. The null back end's surfaces are
// these; the GL back end keeps its plain surfaces here and uses one as the
// readable copy of each texture. Textures may carry mip levels. Faults are
// reported under the operation names "Lock", "Unlock", "ColorFill", "Blt",
// "BltFast", "Flip", "GetFlipStatus", "GetBltStatus", "IsLost", "Restore".
class MemorySurface : public GraphicsSurface {
public:
    // Without `withPixels` the surface starts with no memory copy (see
    // ReleasePixels).
    MemorySurface(GraphicsFaults& faults, uint32_t caps, int32_t width, int32_t height,
                  const PixelFormat& format, uint32_t mipLevels = 1, bool withPixels = true);

    GfxResult GetDesc(SurfaceDesc& desc) const override;
    GfxResult Lock(const GfxRect* area, LockedSurface& locked) override;
    GfxResult Unlock() override;
    GfxResult ColorFill(const GfxRect* area, uint32_t rawValue) override;
    GfxResult Blt(const GfxRect* destArea, GraphicsSurface& source,
                  const GfxRect* sourceArea) override;
    GfxResult BltFast(int32_t x, int32_t y, GraphicsSurface& source,
                      const GfxRect* sourceArea) override;
    GfxResult Flip() override;
    GfxResult GetFlipStatus() override;
    GfxResult GetBltStatus() override;
    std::shared_ptr<GraphicsSurface> GetAttachedBackBuffer() override { return mBackBuffer; }
    GfxResult AddAttachedSurface(std::shared_ptr<GraphicsSurface> zBuffer) override;
    GfxResult IsLost() override;
    GfxResult Restore() override;
    void MarkLost() override { mLost = true; }

    // Direct access for the back ends and for tests (no faults, no lost
    // check). Colours are 0xAARRGGBB.
    int32_t Width() const { return mWidth; }
    int32_t Height() const { return mHeight; }
    const PixelFormat& Format() const { return mFormat; }
    uint32_t Caps() const { return mCaps; }
    uint32_t MipLevels() const { return static_cast<uint32_t>(mLevels.size()); }
    int32_t LevelWidth(uint32_t level) const;
    int32_t LevelHeight(uint32_t level) const;
    int32_t Pitch(uint32_t level = 0) const;
    uint8_t* LevelBits(uint32_t level = 0) { return mLevels[level].data(); }
    const uint8_t* LevelBits(uint32_t level = 0) const { return mLevels[level].data(); }
    uint32_t PixelAt(int32_t x, int32_t y, uint32_t level = 0) const;
    // The colour a pixel written with that 0xAARRGGBB value reads back as:
    // the format keeps only its own channels and bits.
    uint32_t StoredColour(uint32_t argb) const;
    void SetPixelAt(int32_t x, int32_t y, uint32_t argb, uint32_t level = 0);
    bool IsMarkedLost() const { return mLost; }
    // The memory copy exists (see ReleasePixels).
    bool HasPixels() const { return mHasPixels; }
    bool IsLocked() const { return mLocked; }
    std::shared_ptr<GraphicsSurface> AttachedZBuffer() const { return mZBuffer; }
    uint32_t FlipCount() const { return mFlips; }

    void AttachBackBuffer(std::shared_ptr<MemorySurface> backBuffer) { mBackBuffer = backBuffer; }
    // Bytes of every level.
    uint32_t ByteSize() const;
    // Writes 0xAARRGGBB pixels (pitch in bytes) to the top-left of the first
    // level, cut to the surface, and makes the other levels with the filter.
    void LoadArgb(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitch,
                  LoadFilter filter);
    // Makes every level below the first from it (point: nearest pixel,
    // linear: the mean of each 2 x 2 block).
    void BuildMipLevels(LoadFilter filter);

protected:
    // Called before the pixels of an area are read and after they were
    // changed, so a surface that also lives elsewhere (GL) can bring them in
    // or send them out. The area is in level 0; a pull may bring in more.
    virtual GfxResult PullPixels(const GfxRect& /*area*/) { return kGfxOk; }
    virtual GfxResult PushPixels(const GfxRect& /*area*/) { return kGfxOk; }
    // A copy from another surface may take a faster road; kGfxOk when done,
    // E_NOTIMPL-like (positive 1) to fall back to the pixel copy.
    virtual GfxResult CopyFrom(const GfxRect& /*destArea*/, GraphicsSurface& /*source*/,
                               const GfxRect& /*sourceArea*/) {
        return 1;
    }
    GfxResult Check(const char* operation);
    // CopyArea's road for whole rows, when the pixels need no conversion;
    // 1 when it does not apply.
    GfxResult CopyRows(const GfxRect& destArea, GraphicsSurface& source, const GfxRect& sourceArea);
    // A surface whose picture also lives elsewhere (a GL texture) may let
    // go of its memory copy; until AllocatePixels makes it again (zeroed)
    // pixels read as 0 and writes to single pixels are dropped.
    void ReleasePixels();
    void AllocatePixels();
    // Swaps the pixels with the back buffer (a flip in memory).
    void SwapPixels(MemorySurface& other);

    GraphicsFaults& mFaults;

private:
    GfxResult CopyArea(const GfxRect& destArea, GraphicsSurface& source, const GfxRect& sourceArea);

    uint32_t mCaps;
    int32_t mWidth;
    int32_t mHeight;
    PixelFormat mFormat;
    PixelCodec mCodec;
    std::vector<std::vector<uint8_t>> mLevels;
    bool mHasPixels = true;
    bool mLost = false;
    bool mLocked = false;
    GfxRect mLockedArea;
    uint32_t mFlips = 0;
    std::shared_ptr<MemorySurface> mBackBuffer;
    std::shared_ptr<GraphicsSurface> mZBuffer;
};

// Clips a requested area (null: all) to a width x height surface; false
// when nothing is left.
bool ClipArea(const GfxRect* requested, int32_t width, int32_t height, GfxRect& clipped);

} // namespace platform
