#pragma once

#include "platform/graphics/DeviceMatrix.h"
#include "platform/graphics/GraphicsSurface.h"

#include <map>

namespace platform {

// Everything a 3-D device keeps between calls, starting from the values a
// new device has: both back ends hold one, and the null back end copies it
// into each recorded draw.
struct DeviceState {
    std::map<RenderState, uint32_t> render;
    std::map<StageState, uint32_t> stage;
    DeviceMatrix world = DeviceMatrix::Identity();
    DeviceMatrix view = DeviceMatrix::Identity();
    DeviceMatrix projection = DeviceMatrix::Identity();
    Viewport viewport;
    Material material;
    SurfacePtr texture;
    SurfacePtr target;

    // A new device's state drawing into a target of that size; the depth
    // test is on when the target has a z-buffer.
    static DeviceState Initial(int32_t width, int32_t height, bool hasZBuffer);

    uint32_t Render(RenderState state) const;
    uint32_t Stage(StageState state) const;
    DeviceMatrix& Transform(TransformKind kind);
};

// The argument rules both back ends apply before they take a draw or a
// viewport: E_INVALIDARG for missing vertices, an unknown vertex format or
// primitive type, missing indices or an index past the vertex count, and a
// viewport that does not lie within the render target.
GfxResult CheckDrawArguments(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                             uint32_t vertexCount);
GfxResult CheckDrawIndices(const uint16_t* indices, uint32_t indexCount, uint32_t vertexCount);
GfxResult CheckDrawIndices(const uint32_t* indices, uint32_t indexCount, uint32_t vertexCount);
GfxResult CheckViewport(const Viewport& viewport, GraphicsSurface& target);

} // namespace platform
