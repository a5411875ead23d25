#include "framework/graphics/TGraphics.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/draw/TTextureSurface.h"
#include "framework/graphics/text/TTextLayout.h"

#include <chrono>

namespace {

TGraphics* gGraphics = nullptr;

uint32_t SteadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TRect Intersection(const TRect& a, const TRect& b) {
    TRect r;
    r.Intersect(a, b);
    return r;
}

} // namespace

TGraphics* TGraphics::Get() {
    if (!gGraphics) {
        gGraphics = new TGraphics;
    }
    return gGraphics;
}

void TGraphics::Destroy() {
    delete gGraphics;
    gGraphics = nullptr;
}

bool TGraphics::Exists() {
    return gGraphics != nullptr;
}

TGraphics::TGraphics() : mClock(SteadyMilliseconds) {
    if (!TRenderer::Get()) {
        mOwnRenderer = std::make_unique<TRenderer>();
    }
}

TGraphics::~TGraphics() {
    // The renderer may still ask the draw front while it goes.
    TGraphics* self = gGraphics;
    gGraphics = nullptr;
    mOwnRenderer.reset();
    gGraphics = self;
}

TRenderer* TGraphics::GetRenderer() const {
    return TRenderer::Get();
}

bool TGraphics::BeginDraw(bool preserve) {
    TRenderer* renderer = GetRenderer();
    mInDraw = renderer && renderer->BeginDraw(preserve);
    return mInDraw;
}

void TGraphics::EndDraw(bool present) {
    // 1. and 2. The frame-rate ring.
    const uint32_t now = mClock ? mClock() : 0;
    mFrameTimes[mFrameIndex] = now;
    mFrameIndex = (mFrameIndex + 1) % kFrameRing;
    if (mFrameIndex == 0) {
        const uint32_t span = now - mFrameTimes[0];
        // Fifteen frames within one millisecond: no figure to give.
        if (span != 0)
            mFramesPerSecond = 15000.0f / static_cast<float>(span);
    }
    // 3.
    if (mOverlay)
        DrawOverlay();
    // 4.
    mInDraw = false;
    if (TRenderer* renderer = GetRenderer())
        renderer->EndDraw(present);
}

void TGraphics::DrawOverlay() {
    if (!mOverlayLayout)
        mOverlayLayout.reset(
            TTextLayout::Create("", 512, 512, 0, "", 16, TColor(1.0f, 0.0f, 0.0f, 1.0f)));
    mOverlayText = TString::Format(
        "Quillmoor Version %d.%d.%d.%d<br>%f FPS<tab pos='150'>Sprites: %d<br>Mem: "
        "%dkB<tab pos='150'>TexMem: %dkB<br>MaxMem: %dkB<tab pos='150'>MaxTexMem: %dkB<br>",
        4, 0, 23, 1, static_cast<double>(mFramesPerSecond),
        GetSettingInt(TString("current_sprite_count")), static_cast<int>(GetMemoryInUse() / 1024),
        GetSettingInt(TString("texture_ram_allocated")) / 1024,
        static_cast<int>(GetMemoryPeak() / 1024),
        GetSettingInt(TString("max_texture_ram_allocated")) / 1024);
    if (Begin2d()) {
        FillRect(TRect(0, 0, 300, 64), TColor(0, 0, 0, 0));
        mOverlayLayout->SetText(mOverlayText);
        mOverlayLayout->DrawInRect(TRect(0, 0, 512, 512), 1.0f, 0, 1.0f);
        End2d();
    }
}

bool TGraphics::BeginRenderTarget(const std::shared_ptr<TTexture>& texture, int32_t mode) {
    if (DescribeTexture(texture.get()).simple || mInDraw || mInRenderTarget)
        return false;
    TRenderer* renderer = GetRenderer();
    const bool open = renderer && renderer->BeginRenderTarget(texture, mode);
    mInRenderTarget = open;
    mInDraw = open;
    return open;
}

bool TGraphics::BeginRenderTarget(const TTextureSurface& texture, int32_t mode) {
    if (texture.simple || mInDraw || mInRenderTarget)
        return false;
    TRenderer* renderer = GetRenderer();
    const bool open = renderer && renderer->BeginRenderTarget(texture, mode);
    mInRenderTarget = open;
    mInDraw = open;
    return open;
}

void TGraphics::EndRenderTarget() {
    if (TRenderer* renderer = GetRenderer())
        renderer->EndRenderTarget();
    mInRenderTarget = false;
    mInDraw = false;
}

bool TGraphics::Begin2d() {
    if (mIn2d) {
        LogPrintf("Begin2d called when already in Begin2d state");
        return false;
    }
    if (mIn3d) {
        LogPrintf("Begin2d called when already in Begin3d state");
        return false;
    }
    if (!mInDraw && !mInRenderTarget) {
        LogPrintf("ERROR: Calling Begin2d outside of a BeginDraw or BeginRenderTarget block!");
        return false;
    }
    TRenderer* renderer = GetRenderer();
    mIn2d = renderer && renderer->Begin2dStates();
    return mIn2d;
}

bool TGraphics::Begin3d() {
    if (mIn2d) {
        LogPrintf("Begin3d called when already in Begin2d state");
        return false;
    }
    if (mIn3d) {
        LogPrintf("Begin3d called when already in Begin3d state");
        return false;
    }
    if (!mInDraw && !mInRenderTarget) {
        LogPrintf("ERROR: Calling Begin3d outside of a BeginDraw or BeginRenderTarget block!");
        return false;
    }
    TRenderer* renderer = GetRenderer();
    mIn3d = renderer && renderer->Begin3dStates();
    return mIn3d;
}

void TGraphics::End2d() {
    if (!mIn2d) {
        LogPrintf("End2d called when not in Begin2d state");
        return;
    }
    if (!mInDraw && !mInRenderTarget)
        LogPrintf("ERROR: Calling End2d after EndDraw or EndRenderTarget!");
    if (TRenderer* renderer = GetRenderer())
        renderer->ResetTransforms();
    mIn2d = false;
}

void TGraphics::End3d() {
    if (!mIn3d) {
        LogPrintf("End3d called when not in Begin3d state");
        return;
    }
    if (!mInDraw && !mInRenderTarget)
        LogPrintf("Calling End3d after EndDraw or EndRenderTarget!");
    // The renderer has nothing to undo at the end of a 3-D block: the
    // texture and the transforms stay as the block left them.
    mIn3d = false;
}

void TGraphics::DrawVertices(const TVertexList& list, uint32_t primitive) {
    if (!mIn2d && !mIn3d) {
        LogPrintf("DrawVertices called when not in Begin2d or Begin3d state");
        return;
    }
    if (TRenderer* renderer = GetRenderer())
        renderer->DrawVertices(primitive, list);
}

void TGraphics::SetTexture(const std::shared_ptr<TTexture>& texture) {
    const bool simple = texture && DescribeTexture(texture.get()).simple;
    const std::shared_ptr<TTexture>& chosen = simple ? nullptr : texture;
    if (mTexture != chosen)
        mTexture = chosen;
    if (TRenderer* renderer = GetRenderer())
        renderer->SetTexture(mTexture);
}

void TGraphics::SetBlendMode(TBlendMode mode) {
    if (TRenderer* renderer = GetRenderer())
        renderer->SetBlendMode(mode);
}

void TGraphics::SetCullMode(int mode) {
    if (TRenderer* renderer = GetRenderer())
        renderer->SetCullMode(mode);
}

void TGraphics::SetFilterMode(int mode) {
    if (TRenderer* renderer = GetRenderer())
        renderer->SetTextureFilter(mode);
}

void TGraphics::SetWorldTransform(const TMat4& matrix) {
    if (TRenderer* renderer = GetRenderer())
        renderer->SetWorldTransform(matrix);
}

void TGraphics::GetWorldTransform(TMat4& matrix) const {
    if (TRenderer* renderer = GetRenderer())
        renderer->GetWorldTransform(matrix);
}

TRect TGraphics::GetViewport() const {
    TRenderer* renderer = GetRenderer();
    return renderer ? renderer->GetViewport() : TRect();
}

void TGraphics::PushViewport(const TRect& rect) {
    if (TRenderer* renderer = GetRenderer())
        renderer->PushViewport(rect);
}

void TGraphics::PopViewport() {
    if (TRenderer* renderer = GetRenderer())
        renderer->PopViewport();
}

void TGraphics::PushClipRect(const TRect& rect) {
    mClipStack.push_back(rect);
    if (TRenderer* renderer = GetRenderer())
        renderer->SetClipRect(rect);
}

void TGraphics::PopClipRect() {
    if (mClipStack.size() <= 1)
        return;
    mClipStack.pop_back();
    if (TRenderer* renderer = GetRenderer())
        renderer->SetClipRect(mClipStack.back());
}

void TGraphics::FillRect(const TRect& rect, const TColor& colour,
                         const std::shared_ptr<TTexture>& texture) {
    ++mFills;
    mLastFill = rect;
    mLastFillColour = TColor32(colour).GetValue();
    TRect area = rect;
    TRenderer* renderer = GetRenderer();
    if (!renderer)
        return;
    if (!texture) {
        const TRect viewport = renderer->GetViewport();
        const TRect moved(rect.left + viewport.left, rect.top + viewport.top,
                          rect.right + viewport.left, rect.bottom + viewport.top);
        area = Intersection(moved, viewport);
    }
    renderer->FillRect(area.left, area.top, area.right, area.bottom, colour, texture);
}

void TGraphics::SetOption(const TString& key, const TString& value) {
    if (TRenderer* renderer = GetRenderer())
        renderer->SetRenderHint(key, value);
}

TString TGraphics::GetOption(const TString& key) const {
    TRenderer* renderer = GetRenderer();
    return renderer ? renderer->GetRenderHint(key) : TString();
}

bool TGraphics::RequiresSquareTextures() const {
    TRenderer* renderer = GetRenderer();
    return renderer && renderer->IsSquareTexturesOnly();
}
