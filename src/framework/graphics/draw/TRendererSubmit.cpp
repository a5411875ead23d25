// The renderer's vertex submission, colour fills and render targets.

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/display/DxError.h"
#include "platform/graphics/PixelConversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace platform;

namespace {

constexpr char kSource[] = "dxdisplayhandler";

} // namespace

void TRenderer::DrawVertices(uint32_t primitive, const TVertexList& list) {
    GraphicsDevice* device = Device();
    if (!device || IsBroken())
        return;
    static const TString kBrokenIndexedVerts("brokenindexedverts");
    if (GetSettingBool(kBrokenIndexedVerts)) {
        // An identity index list as long as the vertex list. Its entries
        // are 32 bits wide: 16 bits would stop at 65,535 vertices and leave
        // the rest of a longer list undrawn.
        const uint32_t count = list.GetCount();
        if (mIndexBuffer.size() < count) {
            size_t capacity = std::max<size_t>(mIndexBuffer.size(), 1);
            while (capacity < count)
                capacity *= 2;
            const size_t old = mIndexBuffer.size();
            mIndexBuffer.resize(capacity);
            for (size_t i = old; i < capacity; ++i)
                mIndexBuffer[i] = static_cast<uint32_t>(i);
        }
        DrawIndexedVertices(primitive, list, mIndexBuffer.data(), count);
        return;
    }
    const uint32_t format = SetVertexFormat(list.GetFormat());
    const GfxResult result =
        device->DrawPrimitive(primitive, format, list.GetVertices(), list.GetCount(), 0);
    if (result == DDERR_OUTOFVIDEOMEMORY) {
        LogPrintf("DrawVertices out of video memory");
        OnOutOfVideoMemory();
    } else if (GfxFailed(result)) {
        LogDxError(result, kSource, __LINE__);
        MarkBroken();
    }
}

void TRenderer::DrawIndexedVertices(uint32_t primitive, const TVertexList& list,
                                    const uint16_t* indices, uint32_t count) {
    DrawIndexedAny(primitive, list, indices, nullptr, count);
}

void TRenderer::DrawIndexedVertices(uint32_t primitive, const TVertexList& list,
                                    const uint32_t* indices, uint32_t count) {
    DrawIndexedAny(primitive, list, nullptr, indices, count);
}

void TRenderer::DrawIndexedAny(uint32_t primitive, const TVertexList& list, const uint16_t* indices,
                               const uint32_t* wideIndices, uint32_t count) {
    GraphicsDevice* device = Device();
    if (!device || IsBroken())
        return;
    const uint32_t format = SetVertexFormat(list.GetFormat());
    GfxResult result;
    if (mExpandIndexedDraws) {
        // Indices past the list would read past the caller's vertices.
        mExpanded.resize(count);
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t index = wideIndices ? wideIndices[i] : indices ? indices[i] : ~0u;
            if (index >= list.GetCount()) {
                LogPrintf("DrawIndexedVertices: index %u past %u vertices", unsigned(index),
                          unsigned(list.GetCount()));
                return;
            }
            std::memcpy(&mExpanded[i], list.VertexBytes(index), sizeof(TVertex));
        }
        result = device->DrawPrimitive(primitive, format, mExpanded.data(), count, 0);
    } else if (wideIndices) {
        result = device->DrawIndexedPrimitive32(primitive, format, list.GetVertices(),
                                                list.GetCount(), wideIndices, count, 0);
    } else {
        result = device->DrawIndexedPrimitive(primitive, format, list.GetVertices(),
                                              list.GetCount(), indices, count, 0);
    }
    if (GfxFailed(result))
        LogDxError(result, kSource, __LINE__);
}

void TRenderer::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                         const TColor& colour, const std::shared_ptr<TTexture>& texture) {
    if (texture) {
        const TTextureSurface description = DescribeTexture(texture.get());
        FillSurfaceRect(left, top, right, bottom, colour, &description);
    } else {
        FillSurfaceRect(left, top, right, bottom, colour, nullptr);
    }
}

void TRenderer::FillSurfaceRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                const TColor& colour, const TTextureSurface* texture) {
    TGraphics* graphics = TGraphics::Exists() ? TGraphics::Get() : nullptr;
    if (!texture && graphics && graphics->IsDrawing()) {
        // A. A quad drawn in the frame or target.
        const bool was2d = graphics->IsIn2d();
        const bool was3d = graphics->IsIn3d();
        // A block of the fill's own resets the transforms and the texture
        // as it opens and closes: what the caller had is put back after.
        const std::shared_ptr<TTexture> kept = graphics->GetTexture();
        KeptTransforms transforms;
        if (!was2d)
            KeepTransforms(transforms);
        if (was3d)
            graphics->End3d();
        if (!was2d)
            graphics->Begin2d();
        TVertex quad[4];
        TVec2 corners[4] = {TVec2(float(left), float(top)), TVec2(float(right), float(top)),
                            TVec2(float(right), float(bottom)), TVec2(float(left), float(bottom))};
        const float alpha = IsAlphaTarget() ? colour.a : 1.0f;
        MakeQuadVertices(TVec2(-float(mViewport.left), -float(mViewport.top)), quad, corners,
                         TVec2(0, 0), TVec2(1, 1), TMat3(), alpha, colour);
        graphics->SetTexture(nullptr);
        // A fill replaces what is under it, alpha included: blended, a
        // transparent fill in an alpha target (where colours add) would
        // leave the earlier alpha in place.
        SetBlendMode(1);
        DrawVertices(gfx::kTriangleFan, TVertexList::CreateKind2(quad, 4));
        SetBlendMode(0);
        if (!was2d) {
            graphics->End2d();
            if (was3d)
                graphics->Begin3d();
            RestoreTransforms(transforms);
        }
        graphics->SetTexture(kept);
        return;
    }
    // B. A colour fill of the surface.
    SurfacePtr surface;
    TRect bounds;
    if (texture) {
        surface = texture->surface;
        bounds = TRect(0, 0, texture->width, texture->height);
    } else {
        if (mSetup)
            surface = mSetup->GetContext().GetBackBuffer();
        // Before the application has pushed its screen, the target bounds.
        const bool clipped = graphics && graphics->GetClipDepth() > 0;
        bounds = TRect::Intersection(mTargetRect, clipped ? graphics->GetClipRect() : mTargetRect);
    }
    if (!surface)
        return;
    TRect area = TRect::Intersection(TRect(left, top, right, bottom), bounds);
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    if (!texture && mHosted) {
        const auto scaled = [&](int32_t v) {
            return static_cast<int32_t>(std::lround(static_cast<float>(v) * mViewportScale));
        };
        area = TRect(scaled(area.left), scaled(area.top), scaled(area.right), scaled(area.bottom));
    }
    SurfaceDesc desc;
    surface->GetDesc(desc);
    const uint32_t value = FillValue(desc.format, colour.r, colour.g, colour.b, colour.a);
    const GfxRect rect{area.left, area.top, area.right, area.bottom};
    if (const GfxResult r = surface->ColorFill(&rect, value); GfxFailed(r))
        LogDxError(r, kSource, __LINE__);
}

bool TRenderer::BeginRenderTarget(const std::shared_ptr<TTexture>& texture, int32_t mode) {
    if (!BeginRenderTarget(DescribeTexture(texture.get()), mode))
        return false;
    mTargetTexture = texture;
    return true;
}

bool TRenderer::BeginRenderTarget(const TTextureSurface& texture, int32_t mode) {
    // 1.
    if (!Device() || IsBroken())
        return false;
    // 2.
    if (!texture.surface) {
        MarkBroken();
        return false;
    }
    // 3.
    mTargetMode = mode;
    mTarget = texture;
    mTargetOpen = true;
    WaitForFlip();
    // 4.
    mViewportScale = 1.0f;
    // 5.
    PushViewport(TRect(0, 0, texture.width, texture.height));
    mSavedRect = mViewport;
    // 6.
    if (mHost.invalidateAll)
        mHost.invalidateAll();
    // 7.
    if (mode == kTargetOverTexture || mode == kTargetOverTexture3) {
        const SurfacePtr target = RenderSurface();
        const GfxRect area{0, 0, std::min(texture.width, mTargetRect.right),
                           std::min(texture.height, mTargetRect.bottom)};
        const GfxResult r =
            target ? target->Blt(&area, *texture.surface, &area) : GfxResult(E_POINTER);
        if (GfxFailed(r)) {
            LogDxError(r, kSource, __LINE__);
            LogPrintf("BeginRenderTarget failed because of the above DX error.");
            UndoRenderTarget();
            return false;
        }
    }
    // 8.
    if (mode == kTargetAlpha)
        FillSurfaceRect(0, 0, texture.width, texture.height, TColor(0, 0, 0, 0), nullptr);
    // 9.
    WaitForFlip();
    if (BeginDraw(false))
        return true;
    UndoRenderTarget();
    return false;
}

void TRenderer::UndoRenderTarget() {
    mTargetTexture.reset();
    mTarget = TTextureSurface();
    mTargetOpen = false;
    PopViewport();
    mViewportScale = mSecondScale;
}

void TRenderer::EndRenderTarget() {
    // 1.
    mViewportScale = mSecondScale;
    // 2.
    if (!mTargetOpen)
        return;
    // 3.
    EndDraw(false);
    PopViewport();
    // 4.
    const TRect copy(0, 0, std::min(mSavedRect.right, mTargetRect.right),
                     std::min(mSavedRect.bottom, mTargetRect.bottom));
    mSavedRect = mTargetRect;
    // 5.
    const TTextureSurface target = mTarget;
    if (mTargetMode >= 0 && mTargetMode <= 3) {
        bool copied = false;
        if (DisplayDepth() == 32) {
            const SurfacePtr source = RenderSurface();
            if (!target.surface) {
                MarkBroken();
                mTargetOpen = false;
                mTargetTexture.reset();
                return;
            }
            const GfxRect area{copy.left, copy.top, copy.right, copy.bottom};
            copied = source && !GfxFailed(target.surface->Blt(&area, *source, &area));
        }
        if (!copied)
            CopyTargetToSurface(target, copy);
        if (mTargetMode != kTargetKeepAlpha)
            MakeSurfaceOpaque(target);
    } else if (mTargetMode == kTargetAlpha) {
        CopyTargetAlphaToSurface(target);
    }
    // 6.
    mTargetOpen = false;
    mTarget = TTextureSurface();
    mTargetTexture.reset();
}
