#include "framework/graphics/vector/TGraphicsVecSink.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/display/TDisplaySetup.h"
#include "framework/graphics/draw/TVertexList.h"
#include "platform/graphics/GraphicsSurface.h"
#include "platform/graphics/PixelConversion.h"

#include <algorithm>
#include <cstddef>

// The drawer's vertices are the draw front's screen-pixel vertices.
static_assert(sizeof(TVecVertex) == sizeof(TVertex));
static_assert(offsetof(TVecVertex, x) == offsetof(TVertex, x) &&
              offsetof(TVecVertex, y) == offsetof(TVertex, y) &&
              offsetof(TVecVertex, z) == offsetof(TVertex, z) &&
              offsetof(TVecVertex, rhw) == offsetof(TVertex, w) &&
              offsetof(TVecVertex, diffuse) == offsetof(TVertex, diffuse) &&
              offsetof(TVecVertex, specular) == offsetof(TVertex, specular) &&
              offsetof(TVecVertex, u) == offsetof(TVertex, u) &&
              offsetof(TVecVertex, v) == offsetof(TVertex, v));

void TGraphicsVecSink::ClearTexture() {
    TGraphics::Get()->SetTexture(nullptr);
}

void TGraphicsVecSink::DrawLineList(const TVecVertex* vertices, int count) {
    if (count <= 0)
        return;
    TGraphics::Get()->DrawVertices(
        TVertexList::CreateKind3(reinterpret_cast<const TVertex*>(vertices),
                                 static_cast<uint32_t>(count)),
        platform::gfx::kLineList);
}

void TGraphicsVecSink::GetViewportOrigin(float& x, float& y) {
    const TRect viewport = TGraphics::Get()->GetViewport();
    x = static_cast<float>(viewport.left);
    y = static_cast<float>(viewport.top);
}

bool TGraphicsVecSink::OpenFrame() {
    TGraphics* graphics = TGraphics::Get();
    if (!graphics->BeginDraw(false))
        return false;
    if (!graphics->Begin2d()) {
        graphics->EndDraw(false);
        return false;
    }
    graphics->SetTexture(nullptr);
    mFrameOpen = true;
    return true;
}

void TGraphicsVecSink::CloseFrame() {
    if (!mFrameOpen)
        return;
    TGraphics* graphics = TGraphics::Get();
    graphics->End2d();
    graphics->EndDraw(false);
    mFrameOpen = false;
}

bool TGraphicsVecSink::BeginCalibrationTarget(int width, int height) {
    TGraphics* graphics = TGraphics::Get();
    TRenderer* renderer = graphics->GetRenderer();
    TDisplaySetup* setup = renderer ? renderer->GetDisplaySetup() : nullptr;
    if (!setup || graphics->IsDrawing())
        return false;
    const platform::SurfacePtr& back = setup->GetContext().GetBackBuffer();
    if (!back)
        return false;
    platform::SurfaceDesc desc;
    if (back->GetDesc(desc) != platform::kGfxOk)
        return false;
    // The strip of 128 four-pixel cells must fit.
    mWidth = std::min(width, static_cast<int>(desc.width));
    mHeight = std::min(height, static_cast<int>(desc.height));
    if (mWidth < 512 || mHeight < 4)
        return false;
    mCalibrating = OpenFrame();
    return mCalibrating;
}

void TGraphicsVecSink::ClearCalibrationRect(int x0, int y0, int x1, int y1) {
    if (!mCalibrating || (!mFrameOpen && !OpenFrame()))
        return;
    // Black: the back buffer shows no alpha.
    TGraphics::Get()->FillRect(TRect(x0, y0, std::min(x1, mWidth), std::min(y1, mHeight)),
                               TColor(0.0f, 0.0f, 0.0f, 0.0f));
}

bool TGraphicsVecSink::ReadCalibrationTarget(std::vector<uint32_t>& pixels, int& width,
                                             int& height) {
    if (!mCalibrating)
        return false;
    // Ending the frame sends every batched draw to the device.
    CloseFrame();
    TRenderer* renderer = TGraphics::Get()->GetRenderer();
    TDisplaySetup* setup = renderer ? renderer->GetDisplaySetup() : nullptr;
    const platform::SurfacePtr* back = setup ? &setup->GetContext().GetBackBuffer() : nullptr;
    // Only the strip's rows matter and only they are read back; the rest
    // reads as transparent.
    const int rows = std::min(mHeight, 8);
    const platform::GfxRect strip{0, 0, mWidth, rows};
    platform::LockedSurface locked;
    if (!back || !*back || (*back)->Lock(&strip, locked) != platform::kGfxOk)
        return false;
    width = mWidth;
    height = mHeight;
    pixels.assign(static_cast<size_t>(width) * height, 0u);
    const uint32_t step = locked.format.BytesPerPixel();
    for (int y = 0; y < rows; ++y) {
        const uint8_t* row = locked.bits + static_cast<ptrdiff_t>(y) * locked.pitch;
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] =
                platform::ReadPixel(locked.format, row + static_cast<size_t>(x) * step);
    }
    (*back)->Unlock();
    return true;
}

void TGraphicsVecSink::EndCalibrationTarget() {
    CloseFrame();
    mCalibrating = false;
}
