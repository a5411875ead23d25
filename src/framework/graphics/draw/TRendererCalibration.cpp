// The one-time measure of the texel offset: which shift of the 2-D
// projection puts texel centres on pixel centres on this device.

#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"

#include <cstring>

using namespace platform;

namespace {

constexpr int kSmall = 16;
constexpr int kCopies = 10;

float OffsetAt(int i) {
    return static_cast<float>(i) * 0.1f - 0.5f;
}

uint32_t PixelAt(const LockedSurface& locked, int x, int y) {
    uint32_t value = 0;
    std::memcpy(&value, locked.bits + size_t(y) * locked.pitch + size_t(x) * 4, 4);
    return value;
}

bool Black(uint32_t pixel) {
    return (pixel & 0x00FFFFFFu) == 0;
}

} // namespace

void TRenderer::CalibrateTexelOffset() {
    ++mCalibrations;
    // 1.
    if (mTexelOffsetTested)
        return;
    mTexelOffsetTested = true;
    GraphicsDisplay* display = mSetup ? mSetup->GetContext().GetDirectDraw() : nullptr;
    TGraphics* graphics = TGraphics::Get();
    if (!display || !Device() || IsBroken() || graphics->IsDrawing()) {
        // Nothing to measure on: measured at the next display set-up.
        mTexelOffsetTested = false;
        return;
    }
    // 2. The small picture: white with black opposite corners.
    int32_t width = kSmall, height = kSmall;
    PixelFormat format = PixelFormat::X8R8G8B8();
    SurfacePtr small;
    if (GfxFailed(display->CreateTexture(width, height, 1, format, small)) || !small) {
        LogPrintf("CalibrateTexelOffset: no test texture");
        return;
    }
    std::vector<uint32_t> pixels(kSmall * kSmall, 0xFFFFFFFFu);
    pixels[0] = 0xFF000000u;
    pixels[kSmall * kSmall - 1] = 0xFF000000u;
    bool drawn = !GfxFailed(display->LoadTextureFromMemory(*small, pixels.data(), kSmall, kSmall,
                                                           kSmall * 4, LoadFilter::Point));
    // 3. The large target, its left half red.
    int32_t bigWidth = 1024, bigHeight = 512;
    PixelFormat bigFormat = PixelFormat::A8R8G8B8();
    SurfacePtr big;
    if (drawn &&
        (GfxFailed(display->CreateTexture(bigWidth, bigHeight, 1, bigFormat, big)) || !big))
        drawn = false;
    if (drawn) {
        const TTextureSurface target{big, bigWidth, bigHeight, true, false};
        FillSurfaceRect(0, 0, 512, 512, TColor(1, 0, 0, 1), &target);
        if (!graphics->BeginRenderTarget(target, kTargetOpaque)) {
            mTexelOffsetTested = false;
            return;
        }
        if (graphics->Begin2d()) {
            graphics->SetFilterMode(0);
            SetTextureSurface(small);
            // 4. Ten copies, one at each offset, side by side.
            for (int i = 0; i < kCopies; ++i) {
                mTexelOffset = OffsetAt(i);
                mProjectionDirty = true;
                TVertex quad[4];
                TVec2 corners[4] = {TVec2(0, 0), TVec2(kSmall, 0), TVec2(kSmall, kSmall),
                                    TVec2(0, kSmall)};
                MakeQuadVertices(TVec2(float(kSmall * i), 0), quad, corners, TVec2(0, 0),
                                 TVec2(1, 1), TMat3(), 1.0f, TColor(1, 1, 1, 1));
                graphics->DrawVertices(TVertexList::CreateKind2(quad, 4), gfx::kTriangleFan);
            }
            graphics->SetFilterMode(1);
            SetTextureSurface(nullptr);
            graphics->End2d();
        }
        graphics->EndRenderTarget();
        // 5. The first offset whose copy has both corners black.
        float found = -0.5f;
        LockedSurface locked;
        const GfxRect copies{0, 0, kSmall * kCopies, kSmall};
        if (!GfxFailed(big->Lock(&copies, locked))) {
            for (int i = 0; i < kCopies; ++i) {
                if (Black(PixelAt(locked, kSmall * i, 0)) &&
                    Black(PixelAt(locked, kSmall * i + kSmall - 1, kSmall - 1))) {
                    found = OffsetAt(i);
                    break;
                }
            }
            big->Unlock();
        }
        mTexelOffset = found;
        mProjectionDirty = true;
        LogPrintf("Texel offset: %.1f", static_cast<double>(mTexelOffset));
    }
    // 6. The screen is cleared of the test.
    FillSurfaceRect(mTargetRect.left, mTargetRect.top, mTargetRect.right, mTargetRect.bottom,
                    TColor(0, 0, 0, 1), nullptr);
}
