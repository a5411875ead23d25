// The renderer's render and texture-stage states: the setters the draw
// front calls, the blend table, the 2-D and 3-D projections and the render
// hints.

#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/display/DxError.h"
#include "platform/graphics/DeviceMatrix.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace platform;

namespace {

constexpr char kSource[] = "dxdisplayhandler";

DeviceMatrix ToDevice(const TMat4& matrix) {
    DeviceMatrix device;
    std::memcpy(device.m, matrix.m, sizeof(device.m));
    return device;
}

TMat4 FromDevice(const DeviceMatrix& matrix) {
    TMat4 result;
    std::memcpy(result.m, matrix.m, sizeof(result.m));
    return result;
}

bool HintOn(const TString& value) {
    return std::atoi(value.ToStd().c_str()) > 0;
}

} // namespace

void TRenderer::SetRenderState(RenderState state, uint32_t value, int line) {
    if (GraphicsDevice* device = Device())
        if (const GfxResult r = device->SetRenderState(state, value); GfxFailed(r))
            LogDxError(r, kSource, line);
}

void TRenderer::SetStageState(StageState state, uint32_t value, int line) {
    if (GraphicsDevice* device = Device())
        if (const GfxResult r = device->SetStageState(0, state, value); GfxFailed(r))
            LogDxError(r, kSource, line);
}

void TRenderer::SetShadeMode(int mode) {
    SetRenderState(RenderState::ShadeMode, mode == 2 ? gfx::kShadeGouraud : gfx::kShadeFlat,
                   __LINE__);
}

void TRenderer::SetWorldTransform(const TMat4& matrix) {
    if (GraphicsDevice* device = Device())
        device->SetTransform(TransformKind::World, ToDevice(matrix));
}

void TRenderer::SetViewTransform(const TMat4& matrix) {
    if (GraphicsDevice* device = Device())
        if (const GfxResult r = device->SetTransform(TransformKind::View, ToDevice(matrix));
            GfxFailed(r))
            LogDxError(r, kSource, __LINE__);
}

void TRenderer::SetProjection(const TMat4& matrix) {
    GraphicsDevice* device = Device();
    if (!device)
        return;
    mProjection = matrix;
    mProjectionDirty = true;
    const GfxResult r = device->SetTransform(TransformKind::Projection, ToDevice(matrix));
    mProjectionOnDevice = !GfxFailed(r);
    if (GfxFailed(r))
        LogDxError(r, kSource, __LINE__);
}

void TRenderer::KeepTransforms(KeptTransforms& kept) const {
    GraphicsDevice* device = Device();
    kept.valid = device && !GfxFailed(device->GetTransform(TransformKind::World, kept.world)) &&
                 !GfxFailed(device->GetTransform(TransformKind::View, kept.view)) &&
                 !GfxFailed(device->GetTransform(TransformKind::Projection, kept.projection));
}

void TRenderer::RestoreTransforms(const KeptTransforms& kept) {
    if (!kept.valid)
        return;
    SetWorldTransform(FromDevice(kept.world));
    SetViewTransform(FromDevice(kept.view));
    SetProjection(FromDevice(kept.projection));
}

void TRenderer::GetWorldTransform(TMat4& matrix) const {
    GraphicsDevice* device = Device();
    if (!device)
        return;
    DeviceMatrix world;
    if (const GfxResult r = device->GetTransform(TransformKind::World, world); GfxFailed(r)) {
        LogDxError(r, kSource, __LINE__);
        return;
    }
    matrix = FromDevice(world);
}

void TRenderer::SetCullMode(int mode) {
    const uint32_t value = mode == 2   ? gfx::kCullClockwise
                           : mode == 3 ? gfx::kCullCounterClockwise
                                       : gfx::kCullNone;
    SetRenderState(RenderState::CullMode, value, __LINE__);
}

void TRenderer::SetAmbient(const TColor& colour) {
    SetRenderState(RenderState::Ambient, TColor32(colour).GetValue(), __LINE__);
}

void TRenderer::SetMaterial(const Material& material) {
    if (GraphicsDevice* device = Device())
        if (const GfxResult r = device->SetMaterial(material); GfxFailed(r))
            LogDxError(r, kSource, __LINE__);
}

void TRenderer::SetZWrite(bool on) {
    mZWrite = on;
    SetRenderState(RenderState::ZWriteEnable, on ? 1 : 0, __LINE__);
}

void TRenderer::SetZEnable(bool on) {
    mZEnable = on;
    SetRenderState(RenderState::ZEnable, on ? 1 : 0, __LINE__);
}

void TRenderer::SetTextureAddressing(int u, int v) {
    const auto mode = [](int m) {
        return m == 1 ? gfx::kAddressWrap : m == 2 ? gfx::kAddressMirror : gfx::kAddressClamp;
    };
    SetStageState(StageState::AddressU, mode(u), __LINE__);
    SetStageState(StageState::AddressV, mode(v), __LINE__);
}

void TRenderer::SetTextureFilter(int mode) {
    if (mode == 0) {
        SetStageState(StageState::MinFilter, gfx::kFilterPoint, __LINE__);
        SetStageState(StageState::MagFilter, gfx::kFilterPoint, __LINE__);
        SetStageState(StageState::MipFilter, gfx::kMipPoint, __LINE__);
    } else if (mode == 1) {
        SetStageState(StageState::MinFilter, gfx::kFilterLinear, __LINE__);
        SetStageState(StageState::MagFilter, gfx::kFilterLinear, __LINE__);
        SetStageState(StageState::MipFilter, gfx::kMipLinear, __LINE__);
    }
}

uint32_t TRenderer::SetVertexFormat(int32_t format) {
    // The device is told only when the lighting changes: this runs before
    // every draw.
    const int lighting = format >= 1 && format <= 3 ? 0 : 1;
    if (lighting != mDeviceLighting) {
        SetRenderState(RenderState::Lighting, static_cast<uint32_t>(lighting), __LINE__);
        mDeviceLighting = lighting;
    }
    if (format == TVertexList::kFormatScreen)
        return gfx::kFvfScreenColorTex;
    const uint32_t fvf = TVertexList::DeviceFormat(format);
    if (!mProjectionDirty || !TGraphics::Exists() || !TGraphics::Get()->IsIn2d())
        return fvf;
    mProjectionDirty = false;
    const int32_t dx = std::max(mClipRect.left - mViewport.left, 0);
    const int32_t dy = std::max(mClipRect.top - mViewport.top, 0);
    const TRect r = TRect::Intersection(TRect::Intersection(mViewport, mTargetRect), mClipRect);
    const float w = static_cast<float>(r.right - r.left);
    const float h = static_cast<float>(r.bottom - r.top);
    const float t = mTexelOffset;
    const float left = static_cast<float>(dx) - t;
    const float top = static_cast<float>(dy) - t;
    DeviceMatrix ortho =
        MatrixOrthoOffCenterLH(left, left + w, top + h, top, mNearPlane, mFarPlane);
    // z passes unchanged.
    ortho.m[2][2] = 1.0f;
    ortho.m[3][3] = 1.0f;
    ortho.m[2][3] = 0.0f;
    ortho.m[3][2] = 0.0f;
    const TMat4 projection = FromDevice(ortho);
    if (mProjectionOnDevice &&
        std::memcmp(projection.m, mProjection.m, sizeof(projection.m)) == 0) {
        // The device has this matrix already.
        mProjectionDirty = true;
        return fvf;
    }
    SetProjection(projection);
    return fvf;
}

void TRenderer::SetBlendMode(int32_t mode) {
    mBlendMode = mode;
    const bool alphaTarget = IsAlphaTarget();
    const auto blend = [&](uint32_t source, uint32_t dest) {
        SetRenderState(RenderState::SrcBlend, source, __LINE__);
        SetRenderState(RenderState::DestBlend, dest, __LINE__);
        SetRenderState(RenderState::AlphaBlendEnable, 1, __LINE__);
    };
    switch (mode) {
    case 0:
        blend(gfx::kBlendSrcAlpha, alphaTarget ? gfx::kBlendOne : gfx::kBlendInvSrcAlpha);
        break;
    case 1:
        SetRenderState(RenderState::AlphaBlendEnable, 0, __LINE__);
        break;
    case 2:
        blend(gfx::kBlendSrcAlpha, gfx::kBlendOne);
        break;
    case 3:
        if (!alphaTarget)
            blend(gfx::kBlendZero, gfx::kBlendInvSrcColor);
        else if (mNewSubtractive)
            blend(gfx::kBlendOne, gfx::kBlendOne);
        else
            blend(gfx::kBlendSrcAlpha, gfx::kBlendInvSrcAlpha);
        break;
    case 4:
        blend(gfx::kBlendZero, gfx::kBlendSrcColor);
        break;
    default:
        break;
    }
    ApplyTextureStages(mode);
}

void TRenderer::ApplyTextureStages(int32_t mode) {
    SetRenderState(RenderState::TextureFactor, 0xFFFFFFFFu, __LINE__);
    if (!IsAlphaTarget()) {
        SetStageState(StageState::ColorArg1, gfx::kArgTexture, __LINE__);
        if (mNewRenderBlend)
            SetStageState(StageState::ColorArg2, gfx::kArgCurrent, __LINE__);
        SetStageState(StageState::ColorOp, gfx::kOpModulate, __LINE__);
        if (mode == 1 || (mode == 3 && mNewSubtractive)) {
            SetStageState(StageState::AlphaArg1, gfx::kArgFactor, __LINE__);
            SetStageState(StageState::AlphaOp, gfx::kOpSelectArg1, __LINE__);
        } else {
            SetStageState(StageState::AlphaArg1, gfx::kArgTexture, __LINE__);
            SetStageState(StageState::AlphaOp, gfx::kOpModulate, __LINE__);
        }
        return;
    }
    if (mode == 3 && mNewSubtractive) {
        SetStageState(StageState::ColorArg1, gfx::kArgFactor, __LINE__);
    } else {
        const bool textured = TGraphics::Exists() && TGraphics::Get()->GetTexture() != nullptr;
        if (textured) {
            SetStageState(StageState::ColorArg1, gfx::kArgTexture | gfx::kArgAlphaReplicate,
                          __LINE__);
            if (mNewRenderBlend) {
                SetStageState(StageState::ColorArg2, gfx::kArgDiffuse | gfx::kArgAlphaReplicate,
                              __LINE__);
                SetStageState(StageState::ColorOp, gfx::kOpModulate, __LINE__);
            }
        } else {
            SetStageState(StageState::ColorArg1, gfx::kArgDiffuse | gfx::kArgAlphaReplicate,
                          __LINE__);
            if (mNewRenderBlend)
                SetStageState(StageState::ColorOp, gfx::kOpSelectArg1, __LINE__);
        }
    }
    if (!mNewRenderBlend)
        SetStageState(StageState::ColorOp, gfx::kOpSelectArg1, __LINE__);
    SetStageState(StageState::AlphaArg1, gfx::kArgFactor, __LINE__);
    SetStageState(StageState::AlphaOp, gfx::kOpSelectArg1, __LINE__);
}

void TRenderer::SetPerspective(float nearPlane, float farPlane, float fov, float aspect) {
    GraphicsDevice* device = Device();
    if (!device)
        return;
    mNearPlane = nearPlane;
    mFarPlane = farPlane;
    const TRect r = TRect::Intersection(TRect::Intersection(mViewport, mTargetRect), mClipRect);
    const float rw = static_cast<float>(r.right - r.left);
    const float rh = static_cast<float>(r.bottom - r.top);
    const float vw = static_cast<float>(mViewport.right - mViewport.left);
    const float vh = static_cast<float>(mViewport.bottom - mViewport.top);
    if (aspect == 0.0f && rw != 0.0f)
        aspect = rh / rw;
    if (rh != vh && vh != 0.0f)
        fov = 2.0f * std::atan(std::tan(fov / 2.0f) * (rh / vh));
    TVec2 shift;
    if (vw != 0.0f)
        shift.x = static_cast<float>((r.right - mViewport.right) + (r.left - mViewport.left)) / vw;
    if (vh != 0.0f)
        shift.y = static_cast<float>((r.bottom - mViewport.bottom) + (r.top - mViewport.top)) / vh;
    mProjection.SetPerspective(nearPlane, farPlane, fov, aspect, shift);
    const GfxResult result = device->SetTransform(TransformKind::Projection, ToDevice(mProjection));
    mProjectionOnDevice = !GfxFailed(result);
    if (GfxFailed(result))
        LogDxError(result, kSource, __LINE__);
}

void TRenderer::ResetTransforms() {
    if (TGraphics::Exists())
        TGraphics::Get()->SetTexture(nullptr);
    const TMat4 identity;
    SetWorldTransform(identity);
    SetViewTransform(identity);
}

void TRenderer::SetRenderHint(const TString& key, const TString& value) {
    const std::string name = key.ToStd();
    const bool on = HintOn(value);
    if (name == "antialias") {
        // With a display the hint lives there: a creation that refuses
        // antialiasing turns it off.
        if (mSetup)
            mSetup->SetAntialias(on);
        else
            mAntialias = on;
        if (GraphicsDevice* device = Device())
            device->SetRenderState(RenderState::Antialias,
                                   on ? gfx::kAntialiasSortIndependent : gfx::kAntialiasNone);
    } else if (name == "hint_antialias") {
        if (mSetup)
            mSetup->SetHintAntialias(on);
        else
            mHintAntialias = on;
    } else if (name == "new_subtractive") {
        mNewSubtractive = on;
    } else if (name == "new_render_blend") {
        mNewRenderBlend = on;
    }
}

TString TRenderer::GetRenderHint(const TString& key) const {
    const std::string name = key.ToStd();
    const auto flag = [](bool on) { return TString(on ? "1" : "0"); };
    if (name == "antialias")
        return flag(mSetup ? mSetup->GetAntialias() : mAntialias);
    if (name == "hint_antialias")
        return flag(mSetup ? mSetup->GetHintAntialias() : mHintAntialias);
    if (name == "new_subtractive")
        return flag(mNewSubtractive);
    if (name == "16bitmode") {
        const uint32_t depth = DisplayDepth();
        return flag(IsLowMemory() || depth == 15 || depth == 16);
    }
    return TString();
}
