#include "platform/graphics/GraphicsResult.h"

namespace platform {

const char* GfxResultText(GfxResult result) {
    if (!GfxFailed(result))
        return "ok";
    switch (result) {
    case E_FAIL:
        return "E_FAIL";
    case E_POINTER:
        return "E_POINTER";
    case E_INVALIDARG:
        return "E_INVALIDARG";
    case E_OUTOFMEMORY:
        return "E_OUTOFMEMORY";
    case DDERR_CURRENTLYNOTAVAIL:
        return "DDERR_CURRENTLYNOTAVAIL";
    case DDERR_NOEXCLUSIVEMODE:
        return "DDERR_NOEXCLUSIVEMODE";
    case DDERR_OUTOFVIDEOMEMORY:
        return "DDERR_OUTOFVIDEOMEMORY";
    case DDERR_SURFACEBUSY:
        return "DDERR_SURFACEBUSY";
    case DDERR_SURFACELOST:
        return "DDERR_SURFACELOST";
    case DDERR_WASSTILLDRAWING:
        return "DDERR_WASSTILLDRAWING";
    case DDERR_NOPALETTEATTACHED:
        return "DDERR_NOPALETTEATTACHED";
    case DDERR_EXCLUSIVEMODEALREADYSET:
        return "DDERR_EXCLUSIVEMODEALREADYSET";
    case DDERR_NOTLOCKED:
        return "DDERR_NOTLOCKED";
    case DDERR_WRONGMODE:
        return "DDERR_WRONGMODE";
    case DDERR_UNSUPPORTEDMODE:
        return "DDERR_UNSUPPORTEDMODE";
    case DDERR_UNSUPPORTED:
        return "DDERR_UNSUPPORTED";
    case D3DERR_SURFACE_NOT_IN_VIDMEM:
        return "D3DERR_SURFACE_NOT_IN_VIDMEM";
    case D3DERR_SCENE_END_FAILED:
        return "D3DERR_SCENE_END_FAILED";
    case D3DERR_SCENE_IN_SCENE:
        return "D3DERR_SCENE_IN_SCENE";
    case D3DERR_SCENE_NOT_IN_SCENE:
        return "D3DERR_SCENE_NOT_IN_SCENE";
    default:
        return "unknown error";
    }
}

} // namespace platform
