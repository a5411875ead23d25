// The renderer's frames: begin and end of frame, presentation, the state
// sets of 2-D and 3-D blocks and the selection of a texture.

#include "framework/core/log/TLog.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/display/DxError.h"

using namespace platform;

namespace {

constexpr char kSource[] = "dxdisplayhandler";

} // namespace

bool TRenderer::BeginDraw(bool preserve) {
    // 1.
    GraphicsDevice* device = Device();
    if (!device || IsBroken())
        return false;
    TDXContext& context = mSetup->GetContext();
    // 2.
    const SurfacePtr& front = context.GetFrontBuffer();
    const SurfacePtr& back = context.GetBackBuffer();
    if (front && front->IsLost() == DDERR_SURFACELOST) {
        if (!mHost.isForeground || mHost.isForeground())
            MarkBroken();
        return false;
    }
    if (back && back->IsLost() == DDERR_SURFACELOST)
        return false;
    // 3.
    if (front) {
        const GfxResult flip = front->GetFlipStatus();
        if (flip == DDERR_WASSTILLDRAWING)
            return false;
        if (GfxFailed(flip))
            LogDxError(flip, kSource, __LINE__);
    }
    // 4.
    if (preserve && !context.PreserveFrame()) {
        MarkBroken();
        return false;
    }
    // 5.
    GfxResult result = device->BeginScene();
    if (result == DDERR_SURFACELOST) {
        LogPrintf("TRenderer::BeginDraw: DDERR_SURFACELOST on BeginScene");
        Restore();
        device = Device();
        if (IsBroken() || !device) {
            mInFrame = false;
            return false;
        }
        result = device->BeginScene();
        if (GfxFailed(result)) {
            LogDxError(result, kSource, __LINE__);
            MarkBroken();
            mInFrame = false;
            return false;
        }
    } else if (GfxFailed(result)) {
        LogDxError(result, kSource, __LINE__);
        mInFrame = false;
        return false;
    }
    // 6.
    mSetup->CountWorkingFrame();
    ++mWorkingCount;
    // 7. The z-buffer only; the colour buffer keeps its picture.
    SetDeviceViewport(mTargetRect, mTargetRect);
    if (const GfxResult r = device->Clear(gfx::kClearZBuffer, 0, 1.0f, 0); GfxFailed(r))
        LogDxError(r, kSource, __LINE__);
    SetDeviceViewport(TRect::Intersection(mViewport, mClipRect), mTargetRect);
    // 8.
    mInFrame = true;
    return true;
}

void TRenderer::EndDraw(bool present) {
    // 1.
    if (!mInFrame)
        return;
    mInFrame = false;
    GraphicsDevice* device = Device();
    if (!device)
        return;
    // 2.
    GfxResult result = device->EndScene();
    if (result == D3DERR_SCENE_END_FAILED) {
        MarkBroken();
        return;
    }
    if (GfxFailed(result))
        LogDxError(result, kSource, __LINE__);
    // 3.
    const bool background = mHost.inBackgroundMode && mHost.inBackgroundMode();
    if (present && !background && !GfxFailed(result))
        result = UpdateFrame();
    // 4.
    if (result == DDERR_SURFACELOST) {
        LogPrintf("TPlatform::EndDraw: DDERR_SURFACELOST on UpdateFrame or EndScene");
        Restore();
    } else if (GfxFailed(result)) {
        LogDxError(result, kSource, __LINE__);
        LogPrintf("TPlatform::EndDraw: Unexpected error (see above) on UpdateFrame or EndScene");
        Restore();
    }
}

// The device context shows the back buffer (with the software cursor, under
// the mouse mutex), waiting for the vertical blank when asked to.
GfxResult TRenderer::UpdateFrame() {
    TDXContext& context = mSetup->GetContext();
    ++mPresents;
    const GfxResult result = context.UpdateFrame();
    if (!GfxFailed(result) && mHost.presented)
        mHost.presented();
    return result;
}

bool TRenderer::Begin2dStates() {
    SetRenderState(RenderState::SpecularEnable, 0, __LINE__);
    SetRenderState(RenderState::Clipping, 0, __LINE__);
    SetTextureAddressing(3, 3);
    SetBlendMode(0);
    SetTextureFilter(1);
    SetZEnable(false);
    SetZWrite(false);
    SetCullMode(1);
    const TMat4 identity;
    SetWorldTransform(identity);
    SetViewTransform(identity);
    mProjectionDirty = true;
    return true;
}

bool TRenderer::Begin3dStates() {
    if (!mSetup || !mSetup->HasNoSpecular())
        SetRenderState(RenderState::SpecularEnable, 1, __LINE__);
    SetRenderState(RenderState::Clipping, 1, __LINE__);
    SetZEnable(true);
    SetZWrite(true);
    SetBlendMode(0);
    SetTextureFilter(1);
    SetTextureAddressing(1, 1);
    SetCullMode(3);
    return true;
}

void TRenderer::SetTexture(const std::shared_ptr<TTexture>& texture) {
    SetTextureSurface(DescribeTexture(texture.get()).surface);
}

void TRenderer::SetTextureSurface(const SurfacePtr& surface) {
    if (IsDeviceReady()) {
        if (const GfxResult r = Device()->SetTexture(0, surface); GfxFailed(r))
            LogDxError(r, kSource, __LINE__);
    }
    ApplyTextureStages(mBlendMode);
}
