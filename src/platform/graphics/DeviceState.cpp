#include "platform/graphics/DeviceState.h"

namespace platform {

DeviceState DeviceState::Initial(int32_t width, int32_t height, bool hasZBuffer) {
    using namespace gfx;
    DeviceState s;
    s.render = {
        {RenderState::Antialias, kAntialiasNone},
        {RenderState::ZEnable, hasZBuffer ? 1u : 0u},
        {RenderState::ShadeMode, kShadeGouraud},
        {RenderState::ZWriteEnable, 1},
        {RenderState::AlphaTestEnable, 0},
        {RenderState::SrcBlend, kBlendOne},
        {RenderState::DestBlend, kBlendZero},
        {RenderState::CullMode, kCullCounterClockwise},
        {RenderState::ZFunc, kCmpLessEqual},
        {RenderState::AlphaRef, 0},
        {RenderState::AlphaFunc, kCmpAlways},
        {RenderState::AlphaBlendEnable, 0},
        {RenderState::SpecularEnable, 0},
        {RenderState::TextureFactor, 0xFFFFFFFFu},
        {RenderState::Wrap0, 0},
        {RenderState::Clipping, 1},
        {RenderState::Lighting, 1},
        {RenderState::Ambient, 0},
        {RenderState::ColorVertex, 1},
        {RenderState::NormalizeNormals, 0},
        {RenderState::DiffuseMaterialSource, kMaterialSourceColor1},
        {RenderState::SpecularMaterialSource, kMaterialSourceColor2},
        {RenderState::AmbientMaterialSource, kMaterialSourceMaterial},
        {RenderState::EmissiveMaterialSource, kMaterialSourceMaterial},
    };
    s.stage = {
        {StageState::ColorOp, kOpModulate},    {StageState::ColorArg1, kArgTexture},
        {StageState::ColorArg2, kArgCurrent},  {StageState::AlphaOp, kOpSelectArg1},
        {StageState::AlphaArg1, kArgTexture},  {StageState::AlphaArg2, kArgCurrent},
        {StageState::AddressU, kAddressWrap},  {StageState::AddressV, kAddressWrap},
        {StageState::MagFilter, kFilterPoint}, {StageState::MinFilter, kFilterPoint},
        {StageState::MipFilter, kMipNone},
    };
    s.viewport = {0, 0, width, height, 0.0f, 1.0f};
    return s;
}

uint32_t DeviceState::Render(RenderState state) const {
    const auto found = render.find(state);
    return found == render.end() ? 0 : found->second;
}

uint32_t DeviceState::Stage(StageState state) const {
    const auto found = stage.find(state);
    return found == stage.end() ? 0 : found->second;
}

DeviceMatrix& DeviceState::Transform(TransformKind kind) {
    switch (kind) {
    case TransformKind::World:
        return world;
    case TransformKind::View:
        return view;
    default:
        return projection;
    }
}

GfxResult CheckDrawArguments(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                             uint32_t vertexCount) {
    const bool knownFormat = vertexFormat == gfx::kFvfNormalTex ||
                             vertexFormat == gfx::kFvfColorTex ||
                             vertexFormat == gfx::kFvfScreenColorTex;
    if (!vertices || vertexCount == 0 || !knownFormat || primitive < gfx::kPointList ||
        primitive > gfx::kTriangleFan)
        return E_INVALIDARG;
    return kGfxOk;
}

namespace {

template <typename Index>
GfxResult CheckIndices(const Index* indices, uint32_t indexCount, uint32_t vertexCount) {
    if (!indices || indexCount == 0)
        return E_INVALIDARG;
    for (uint32_t i = 0; i < indexCount; ++i)
        if (indices[i] >= vertexCount)
            return E_INVALIDARG;
    return kGfxOk;
}

} // namespace

GfxResult CheckDrawIndices(const uint16_t* indices, uint32_t indexCount, uint32_t vertexCount) {
    return CheckIndices(indices, indexCount, vertexCount);
}

GfxResult CheckDrawIndices(const uint32_t* indices, uint32_t indexCount, uint32_t vertexCount) {
    return CheckIndices(indices, indexCount, vertexCount);
}

GfxResult CheckViewport(const Viewport& viewport, GraphicsSurface& target) {
    SurfaceDesc desc;
    target.GetDesc(desc);
    if (viewport.x < 0 || viewport.y < 0 || viewport.width < 0 || viewport.height < 0 ||
        viewport.x + viewport.width > desc.width || viewport.y + viewport.height > desc.height)
        return E_INVALIDARG;
    return kGfxOk;
}

} // namespace platform
