#pragma once

#include "platform/graphics/DeviceState.h"
#include "platform/graphics/GraphicsDevice.h"
#include "platform/graphics/GraphicsFaults.h"

#include <vector>

namespace platform {

// One draw as the null device received it, with the device state it was
// made in.
struct RecordedDraw {
    uint32_t primitive = 0;
    uint32_t vertexFormat = 0;
    uint32_t vertexCount = 0;
    std::vector<uint8_t> vertices; // vertexCount x 32 bytes, as given
    bool indexed = false;
    std::vector<uint16_t> indices;
    // Set instead of indices by a draw with 32-bit indices.
    std::vector<uint32_t> wideIndices;
    DeviceState state;

    // Fields of vertex i: x, y (floats 0 and 1), the diffuse colour of the
    // coloured layouts (word 4) and the texture coordinates (words 6, 7).
    float X(uint32_t i) const;
    float Y(uint32_t i) const;
    uint32_t Diffuse(uint32_t i) const;
    float U(uint32_t i) const;
    float V(uint32_t i) const;
};

// The 3-D device of the null back end: draws nothing, keeps every state it
// is given and records each draw, so tests read what the display code asked
// for. Clear writes its colour into a memory render target. Scene rules are
// checked (a second BeginScene, an EndScene or draw outside a scene fail).
// Faults are reported under the operation names ("BeginScene", "EndScene",
// "Clear", "SetViewport", "SetTransform", "SetRenderState", "SetStageState",
// "SetTexture", "DrawPrimitive", "DrawIndexedPrimitive", "SetRenderTarget",
// ...).
class NullDevice : public GraphicsDevice {
public:
    NullDevice(GraphicsFaults& faults, const DeviceCaps& caps, SurfacePtr target);

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
    GfxResult SetRenderTarget(SurfacePtr target) override;
    GfxResult GetRenderTarget(SurfacePtr& target) override;
    GfxResult GetCaps(DeviceCaps& caps) override;

    // What tests read.
    const DeviceState& State() const { return mState; }
    bool InScene() const { return mInScene; }
    uint32_t ScenesEnded() const { return mScenesEnded; }
    const std::vector<RecordedDraw>& Draws() const { return mDraws; }
    void ClearDraws() { mDraws.clear(); }
    // Each clear: flags, colour, z.
    struct RecordedClear {
        uint32_t flags;
        uint32_t color;
        float z;
        Viewport viewport;
    };
    const std::vector<RecordedClear>& Clears() const { return mClears; }

private:
    // Keeps a draw that passed its checks, with a copy of the state.
    void Record(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                const uint32_t* wideIndices = nullptr);
    GfxResult CheckDraw(const char* operation, uint32_t primitive, uint32_t vertexFormat,
                        const void* vertices, uint32_t vertexCount);
    // An indexed draw with 16- or 32-bit indices: checked, then kept.
    template <typename Index>
    GfxResult DrawIndexed(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                          uint32_t vertexCount, const Index* indices, uint32_t indexCount);

    GraphicsFaults& mFaults;
    DeviceCaps mCaps;
    DeviceState mState;
    bool mInScene = false;
    uint32_t mScenesEnded = 0;
    std::vector<RecordedDraw> mDraws;
    std::vector<RecordedClear> mClears;
};

} // namespace platform
