#pragma once

#include "platform/graphics/DeviceMatrix.h"
#include "platform/graphics/GraphicsResult.h"
#include "platform/graphics/GraphicsSurface.h"

namespace platform {

// The 3-D device that draws into a render target (the back buffer, or a
// texture). It keeps the render states, the states of texture stage 0, the
// transforms, the viewport and the material, and draws lists of 32-byte
// vertices (see gfx::kFvf...) between BeginScene and EndScene. Made by
// GraphicsDisplay::CreateDevice. Main thread only.
class GraphicsDevice {
public:
    virtual ~GraphicsDevice() = default;

    virtual GfxResult BeginScene() = 0;
    virtual GfxResult EndScene() = 0;
    // Clears the viewport: colour (0xAARRGGBB), depth, stencil by the
    // gfx::kClear... flags.
    virtual GfxResult Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) = 0;

    virtual GfxResult SetViewport(const Viewport& viewport) = 0;
    virtual GfxResult GetViewport(Viewport& viewport) = 0;
    virtual GfxResult SetTransform(TransformKind kind, const DeviceMatrix& matrix) = 0;
    virtual GfxResult GetTransform(TransformKind kind, DeviceMatrix& matrix) = 0;
    virtual GfxResult SetMaterial(const Material& material) = 0;
    virtual GfxResult GetMaterial(Material& material) = 0;

    virtual GfxResult SetRenderState(RenderState state, uint32_t value) = 0;
    virtual GfxResult GetRenderState(RenderState state, uint32_t& value) = 0;
    // Stage 0 only; another stage is E_INVALIDARG.
    virtual GfxResult SetStageState(uint32_t stage, StageState state, uint32_t value) = 0;
    virtual GfxResult GetStageState(uint32_t stage, StageState state, uint32_t& value) = 0;
    // A texture made by CreateTexture or CreateSurface with kCapsTexture, or
    // null for none (an unbound stage reads as white).
    virtual GfxResult SetTexture(uint32_t stage, SurfacePtr texture) = 0;

    // Primitive types gfx::kLineList ... kTriangleFan; the caller keeps the
    // vertices until the call returns.
    virtual GfxResult DrawPrimitive(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                                    uint32_t vertexCount, uint32_t flags) = 0;
    virtual GfxResult DrawIndexedPrimitive(uint32_t primitive, uint32_t vertexFormat,
                                           const void* vertices, uint32_t vertexCount,
                                           const uint16_t* indices, uint32_t indexCount,
                                           uint32_t flags) = 0;
    // The same with 32-bit indices, for lists of more than 65,535 vertices.
    virtual GfxResult DrawIndexedPrimitive32(uint32_t primitive, uint32_t vertexFormat,
                                             const void* vertices, uint32_t vertexCount,
                                             const uint32_t* indices, uint32_t indexCount,
                                             uint32_t flags) = 0;

    // Draws and colour clears into the back buffer touch only these
    // rectangles (target pixels) until the region is set again; an empty
    // region lifts it. Render targets other than the back buffer are never
    // cut. A device that cannot cut answers DDERR_UNSUPPORTED.
    virtual GfxResult SetScissorRegion(const GfxRect* rects, uint32_t count) {
        (void)rects;
        (void)count;
        return DDERR_UNSUPPORTED;
    }
    virtual GfxResult SetRenderTarget(SurfacePtr target) = 0;
    virtual GfxResult GetRenderTarget(SurfacePtr& target) = 0;
    virtual GfxResult GetCaps(DeviceCaps& caps) = 0;
};

using DevicePtr = std::shared_ptr<GraphicsDevice>;

} // namespace platform
