#pragma once

#include "platform/graphics/GraphicsResult.h"
#include "platform/graphics/GraphicsTypes.h"

#include <memory>

namespace platform {

// A block of pixels the display owns: the primary surface (what the screen
// shows), the back buffer drawn into, off-screen plain surfaces, textures
// and the z-buffer. Made by GraphicsDisplay::CreateSurface or CreateTexture
// and shared by whoever holds it; it stays valid (possibly lost) while held.
// Every call may fail with DDERR_SURFACELOST while the surface is lost; a
// lost surface keeps failing until Restore. Main thread, or under the
// caller's lock.
class GraphicsSurface {
public:
    virtual ~GraphicsSurface() = default;

    virtual GfxResult GetDesc(SurfaceDesc& desc) const = 0;

    // The pixels of the whole surface (area null) or of an area, rows top
    // down. Reading the back buffer or a texture gives what was drawn; the
    // pixels written go back to the surface at Unlock.
    virtual GfxResult Lock(const GfxRect* area, LockedSurface& locked) = 0;
    virtual GfxResult Unlock() = 0;

    // Writes the raw pixel value (in the surface's format, see FillValue) to
    // the area, or the whole surface for null. Clipped to the surface.
    virtual GfxResult ColorFill(const GfxRect* area, uint32_t rawValue) = 0;
    // Copies the source area (null: all of it) to the destination area
    // (null: all of this surface), stretching when the sizes differ and
    // converting the pixel format.
    virtual GfxResult Blt(const GfxRect* destArea, GraphicsSurface& source,
                          const GfxRect* sourceArea) = 0;
    // A same-size copy of the source area to (x, y); the area must lie inside
    // both surfaces (E_INVALIDARG otherwise).
    virtual GfxResult BltFast(int32_t x, int32_t y, GraphicsSurface& source,
                              const GfxRect* sourceArea) = 0;

    // Primary surface with a back buffer: shows the back buffer.
    virtual GfxResult Flip() = 0;
    // 0 when the last flip (blit) is done, DDERR_WASSTILLDRAWING while not.
    virtual GfxResult GetFlipStatus() = 0;
    virtual GfxResult GetBltStatus() = 0;
    // The back buffer attached to a flipping primary surface; null for the
    // others.
    virtual std::shared_ptr<GraphicsSurface> GetAttachedBackBuffer() = 0;
    // Attaches a z-buffer to a surface the device draws into.
    virtual GfxResult AddAttachedSurface(std::shared_ptr<GraphicsSurface> zBuffer) = 0;

    // DDERR_SURFACELOST while lost, else 0.
    virtual GfxResult IsLost() = 0;
    virtual GfxResult Restore() = 0;
    // Loses the surface as a display change would (tests and the injection
    // of device loss).
    virtual void MarkLost() = 0;
};

using SurfacePtr = std::shared_ptr<GraphicsSurface>;

} // namespace platform
