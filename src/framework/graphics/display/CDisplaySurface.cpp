#include "framework/graphics/display/CDisplaySurface.h"

using namespace platform;

GfxResult CDisplaySurface::Create(GraphicsDisplay& display, const SurfaceSpec& spec) {
    Release();
    const GfxResult result = display.CreateSurface(spec, mSurface);
    if (GfxFailed(result)) {
        mSurface.reset();
        return result;
    }
    mSurface->GetDesc(mDesc);
    return result;
}

void CDisplaySurface::Release() {
    mSurface.reset();
    mDesc = SurfaceDesc();
}
