#include "platform/graphics/null/NullDevice.h"

#include "platform/graphics/MemorySurface.h"
#include "platform/graphics/PixelConversion.h"

#include <cstring>

namespace platform {

namespace {

uint32_t Word(const std::vector<uint8_t>& vertices, uint32_t vertex, uint32_t word) {
    uint32_t value = 0;
    const size_t at = static_cast<size_t>(vertex) * gfx::kVertexSize + word * 4;
    if (at + 4 <= vertices.size())
        std::memcpy(&value, vertices.data() + at, 4);
    return value;
}

float FloatWord(const std::vector<uint8_t>& vertices, uint32_t vertex, uint32_t word) {
    const uint32_t bits = Word(vertices, vertex, word);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

bool HasZBuffer(const SurfacePtr& target) {
    const auto* memory = dynamic_cast<const MemorySurface*>(target.get());
    return memory && memory->AttachedZBuffer() != nullptr;
}

} // namespace

float RecordedDraw::X(uint32_t i) const {
    return FloatWord(vertices, i, 0);
}
float RecordedDraw::Y(uint32_t i) const {
    return FloatWord(vertices, i, 1);
}
uint32_t RecordedDraw::Diffuse(uint32_t i) const {
    return Word(vertices, i, 4);
}
float RecordedDraw::U(uint32_t i) const {
    return FloatWord(vertices, i, 6);
}
float RecordedDraw::V(uint32_t i) const {
    return FloatWord(vertices, i, 7);
}

NullDevice::NullDevice(GraphicsFaults& faults, const DeviceCaps& caps, SurfacePtr target)
    : mFaults(faults), mCaps(caps) {
    SurfaceDesc desc;
    target->GetDesc(desc);
    mState = DeviceState::Initial(desc.width, desc.height, HasZBuffer(target));
    mState.target = std::move(target);
}

GfxResult NullDevice::BeginScene() {
    if (const GfxResult r = mFaults.Enter("BeginScene"); r != kGfxOk)
        return r;
    if (mInScene)
        return D3DERR_SCENE_IN_SCENE;
    if (mState.target->IsLost() != kGfxOk)
        return DDERR_SURFACELOST;
    mInScene = true;
    return kGfxOk;
}

GfxResult NullDevice::EndScene() {
    if (const GfxResult r = mFaults.Enter("EndScene"); r != kGfxOk) {
        mInScene = false;
        return r;
    }
    if (!mInScene)
        return D3DERR_SCENE_NOT_IN_SCENE;
    mInScene = false;
    ++mScenesEnded;
    return kGfxOk;
}

GfxResult NullDevice::Clear(uint32_t flags, uint32_t color, float z, uint32_t /*stencil*/) {
    if (const GfxResult r = mFaults.Enter("Clear"); r != kGfxOk)
        return r;
    mClears.push_back({flags, color, z, mState.viewport});
    if (flags & gfx::kClearTarget) {
        SurfaceDesc desc;
        mState.target->GetDesc(desc);
        const Viewport& v = mState.viewport;
        const GfxRect area{v.x, v.y, v.x + v.width, v.y + v.height};
        return mState.target->ColorFill(&area, PackPixel(desc.format, color));
    }
    return kGfxOk;
}

GfxResult NullDevice::SetViewport(const Viewport& viewport) {
    if (const GfxResult r = mFaults.Enter("SetViewport"); r != kGfxOk)
        return r;
    if (const GfxResult r = CheckViewport(viewport, *mState.target); r != kGfxOk)
        return r;
    mState.viewport = viewport;
    return kGfxOk;
}

GfxResult NullDevice::GetViewport(Viewport& viewport) {
    viewport = mState.viewport;
    return mFaults.Enter("GetViewport");
}

GfxResult NullDevice::SetTransform(TransformKind kind, const DeviceMatrix& matrix) {
    if (const GfxResult r = mFaults.Enter("SetTransform"); r != kGfxOk)
        return r;
    mState.Transform(kind) = matrix;
    return kGfxOk;
}

GfxResult NullDevice::GetTransform(TransformKind kind, DeviceMatrix& matrix) {
    if (const GfxResult r = mFaults.Enter("GetTransform"); r != kGfxOk)
        return r;
    matrix = mState.Transform(kind);
    return kGfxOk;
}

GfxResult NullDevice::SetMaterial(const Material& material) {
    if (const GfxResult r = mFaults.Enter("SetMaterial"); r != kGfxOk)
        return r;
    mState.material = material;
    return kGfxOk;
}

GfxResult NullDevice::GetMaterial(Material& material) {
    material = mState.material;
    return mFaults.Enter("GetMaterial");
}

GfxResult NullDevice::SetRenderState(RenderState state, uint32_t value) {
    if (const GfxResult r = mFaults.Enter("SetRenderState"); r != kGfxOk)
        return r;
    mState.render[state] = value;
    return kGfxOk;
}

GfxResult NullDevice::GetRenderState(RenderState state, uint32_t& value) {
    value = mState.Render(state);
    return mFaults.Enter("GetRenderState");
}

GfxResult NullDevice::SetStageState(uint32_t stage, StageState state, uint32_t value) {
    if (const GfxResult r = mFaults.Enter("SetStageState"); r != kGfxOk)
        return r;
    if (stage != 0)
        return E_INVALIDARG;
    mState.stage[state] = value;
    return kGfxOk;
}

GfxResult NullDevice::GetStageState(uint32_t stage, StageState state, uint32_t& value) {
    value = 0;
    if (stage != 0)
        return E_INVALIDARG;
    value = mState.Stage(state);
    return mFaults.Enter("GetStageState");
}

GfxResult NullDevice::SetTexture(uint32_t stage, SurfacePtr texture) {
    if (const GfxResult r = mFaults.Enter("SetTexture"); r != kGfxOk)
        return r;
    if (stage != 0)
        return E_INVALIDARG;
    mState.texture = std::move(texture);
    return kGfxOk;
}

GfxResult NullDevice::CheckDraw(const char* operation, uint32_t primitive, uint32_t vertexFormat,
                                const void* vertices, uint32_t vertexCount) {
    if (const GfxResult r = mFaults.Enter(operation); r != kGfxOk)
        return r;
    if (const GfxResult r = CheckDrawArguments(primitive, vertexFormat, vertices, vertexCount);
        r != kGfxOk)
        return r;
    if (!mInScene)
        return D3DERR_SCENE_NOT_IN_SCENE;
    if (mState.target->IsLost() != kGfxOk)
        return DDERR_SURFACELOST;
    return kGfxOk;
}

GfxResult NullDevice::DrawPrimitive(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                                    uint32_t vertexCount, uint32_t /*flags*/) {
    if (const GfxResult r =
            CheckDraw("DrawPrimitive", primitive, vertexFormat, vertices, vertexCount);
        r != kGfxOk)
        return r;
    Record(primitive, vertexFormat, vertices, vertexCount, nullptr, 0);
    return kGfxOk;
}

template <typename Index>
GfxResult NullDevice::DrawIndexed(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                                  uint32_t vertexCount, const Index* indices,
                                  uint32_t indexCount) {
    if (const GfxResult r =
            CheckDraw("DrawIndexedPrimitive", primitive, vertexFormat, vertices, vertexCount);
        r != kGfxOk)
        return r;
    if (const GfxResult r = CheckDrawIndices(indices, indexCount, vertexCount); r != kGfxOk)
        return r;
    if constexpr (sizeof(Index) == 2)
        Record(primitive, vertexFormat, vertices, vertexCount, indices, indexCount);
    else
        Record(primitive, vertexFormat, vertices, vertexCount, nullptr, indexCount, indices);
    return kGfxOk;
}

GfxResult NullDevice::DrawIndexedPrimitive(uint32_t primitive, uint32_t vertexFormat,
                                           const void* vertices, uint32_t vertexCount,
                                           const uint16_t* indices, uint32_t indexCount,
                                           uint32_t /*flags*/) {
    return DrawIndexed(primitive, vertexFormat, vertices, vertexCount, indices, indexCount);
}

GfxResult NullDevice::DrawIndexedPrimitive32(uint32_t primitive, uint32_t vertexFormat,
                                             const void* vertices, uint32_t vertexCount,
                                             const uint32_t* indices, uint32_t indexCount,
                                             uint32_t /*flags*/) {
    return DrawIndexed(primitive, vertexFormat, vertices, vertexCount, indices, indexCount);
}

void NullDevice::Record(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                        uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                        const uint32_t* wideIndices) {
    RecordedDraw draw;
    draw.primitive = primitive;
    draw.vertexFormat = vertexFormat;
    draw.vertexCount = vertexCount;
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    draw.vertices.assign(bytes, bytes + static_cast<size_t>(vertexCount) * gfx::kVertexSize);
    if (indices) {
        draw.indexed = true;
        draw.indices.assign(indices, indices + indexCount);
    }
    if (wideIndices) {
        draw.indexed = true;
        draw.wideIndices.assign(wideIndices, wideIndices + indexCount);
    }
    draw.state = mState;
    mDraws.push_back(std::move(draw));
}

GfxResult NullDevice::SetRenderTarget(SurfacePtr target) {
    if (const GfxResult r = mFaults.Enter("SetRenderTarget"); r != kGfxOk)
        return r;
    if (!target)
        return E_INVALIDARG;
    SurfaceDesc desc;
    target->GetDesc(desc);
    mState.target = std::move(target);
    mState.viewport = {0, 0, desc.width, desc.height, 0.0f, 1.0f};
    return kGfxOk;
}

GfxResult NullDevice::GetRenderTarget(SurfacePtr& target) {
    target = mState.target;
    return mFaults.Enter("GetRenderTarget");
}

GfxResult NullDevice::GetCaps(DeviceCaps& caps) {
    caps = mCaps;
    return mFaults.Enter("GetCaps");
}

} // namespace platform
