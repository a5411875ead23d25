#pragma once

#include "platform/graphics/DeviceState.h"
#include "platform/graphics/GraphicsDevice.h"
#include "platform/graphics/gl/GlApi.h"
#include "platform/graphics/gl/GlPrograms.h"
#include "platform/graphics/gl/GlShared.h"

#include <memory>
#include <vector>

namespace platform {

class GlTexture;

// The 3-D device on OpenGL 2.1, drawing into the back buffer's framebuffer
// or a texture's. It keeps the device's conventions: pixel centres on whole
// coordinates (every primitive is moved by half a pixel), row-vector
// matrices, depth 0..1, cull modes judged on screen, flat shading from the
// first vertex, texture stage 0 as small GLSL programs (one per combination
// of states in use, made once). Draws that share their state are gathered
// and reach GL as one call; state is sent only when it changed. Made by
// GlDisplay::CreateDevice.
class GlDevice : public GraphicsDevice {
public:
    GlDevice(std::shared_ptr<GlShared> shared, const DeviceCaps& caps, SurfacePtr target);
    ~GlDevice() override;

    GfxResult BeginScene() override;
    GfxResult EndScene() override;
    GfxResult Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) override;
    GfxResult SetViewport(const Viewport& viewport) override;
    GfxResult GetViewport(Viewport& viewport) override;
    GfxResult SetTransform(TransformKind kind, const DeviceMatrix& matrix) override;
    GfxResult GetTransform(TransformKind kind, DeviceMatrix& matrix) override;
    GfxResult SetMaterial(const Material& material) override;
    GfxResult GetMaterial(Material& material) override;
    GfxResult SetRenderState(RenderState state, uint32_t value) override;
    GfxResult GetRenderState(RenderState state, uint32_t& value) override;
    GfxResult SetStageState(uint32_t stage, StageState state, uint32_t value) override;
    GfxResult GetStageState(uint32_t stage, StageState state, uint32_t& value) override;
    GfxResult SetTexture(uint32_t stage, SurfacePtr texture) override;
    GfxResult DrawPrimitive(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                            uint32_t vertexCount, uint32_t flags) override;
    GfxResult DrawIndexedPrimitive(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                                   uint32_t vertexCount, const uint16_t* indices,
                                   uint32_t indexCount, uint32_t flags) override;
    GfxResult DrawIndexedPrimitive32(uint32_t primitive, uint32_t vertexFormat,
                                     const void* vertices, uint32_t vertexCount,
                                     const uint32_t* indices, uint32_t indexCount,
                                     uint32_t flags) override;
    GfxResult SetScissorRegion(const GfxRect* rects, uint32_t count) override;
    GfxResult SetRenderTarget(SurfacePtr target) override;
    GfxResult GetRenderTarget(SurfacePtr& target) override;
    GfxResult GetCaps(DeviceCaps& caps) override;

    // Sends the gathered draws to GL.
    void Flush();
    // GL draw calls made so far (the gathering shows here).
    uint32_t GlDrawCalls() const { return mGlDraws; }
    size_t ProgramCount() const { return mPrograms.Count(); }

private:
    GfxResult Append(const char* operation, uint32_t primitive, uint32_t vertexFormat,
                     const uint8_t* vertices, uint32_t vertexCount, const uint16_t* indices,
                     uint32_t indexCount, const uint32_t* wideIndices = nullptr);
    void ApplyState();
    // Whether every fragment of the batch comes out of the program with
    // alpha exactly 1, sampling that texture (null: none).
    bool BatchIsOpaque(const GlTexture* texture) const;
    GLuint TargetFramebuffer(int32_t& width, int32_t& height);

    // GL state as last sent; -1 (or all ones) when unknown.
    struct Sent {
        uint32_t changes = ~0u;
        GLuint framebuffer = ~0u;
        Viewport viewport{-1, -1, -1, -1, -1.0f, -1.0f};
        int blend = -1;
        GLenum srcBlend = 0, destBlend = 0;
        int depthTest = -1, depthWrite = -1;
        GLenum depthFunc = 0;
        int cull = -1;
        GLenum cullFace = 0;
        int flat = -1;
        GLuint texture = ~0u;
        GLuint program = ~0u;
        uint32_t format = 0;
    };

    std::shared_ptr<GlShared> mShared;
    DeviceCaps mCaps;
    DeviceState mState;
    GlPrograms mPrograms;
    bool mInScene = false;
    Sent mSent;

    // The gathered draws: a list of whole primitives in one vertex layout.
    GLenum mBatchMode = 0;
    uint32_t mBatchFormat = 0;
    std::vector<uint8_t> mBatch;
    uint32_t mGlDraws = 0;
    // The rectangles of the back buffer that draws may touch; empty for all.
    std::vector<GfxRect> mRegion;
    // True while the target is the back buffer and a region is set.
    bool IsCut() const;
};

} // namespace platform
