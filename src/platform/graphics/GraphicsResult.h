#pragma once

#include <cstdint>

namespace platform {

// The result of a graphics call: 0 (or another non-negative value) is
// success, a negative value a failure. The failures carry the numbers the
// display code has always branched on and logged, so a log line reads the
// same on every system.
using GfxResult = int32_t;

inline constexpr GfxResult kGfxOk = 0;

inline constexpr GfxResult MakeGfxResult(uint32_t value) {
    return static_cast<GfxResult>(value);
}

inline constexpr GfxResult E_FAIL = MakeGfxResult(0x80004005u);
inline constexpr GfxResult E_POINTER = MakeGfxResult(0x80004003u);
inline constexpr GfxResult E_INVALIDARG = MakeGfxResult(0x80070057u);
inline constexpr GfxResult E_OUTOFMEMORY = MakeGfxResult(0x8007000Eu);
inline constexpr GfxResult DDERR_UNSUPPORTED = MakeGfxResult(0x80004001u);
inline constexpr GfxResult DDERR_CURRENTLYNOTAVAIL = MakeGfxResult(0x88760028u);
inline constexpr GfxResult DDERR_NOEXCLUSIVEMODE = MakeGfxResult(0x887600E1u);
inline constexpr GfxResult DDERR_OUTOFVIDEOMEMORY = MakeGfxResult(0x8876017Cu);
inline constexpr GfxResult DDERR_SURFACEBUSY = MakeGfxResult(0x887601AEu);
inline constexpr GfxResult DDERR_SURFACELOST = MakeGfxResult(0x887601C2u);
inline constexpr GfxResult DDERR_WASSTILLDRAWING = MakeGfxResult(0x8876021Cu);
inline constexpr GfxResult DDERR_NOPALETTEATTACHED = MakeGfxResult(0x8876023Cu);
inline constexpr GfxResult DDERR_EXCLUSIVEMODEALREADYSET = MakeGfxResult(0x88760245u);
inline constexpr GfxResult DDERR_NOTLOCKED = MakeGfxResult(0x88760248u);
inline constexpr GfxResult DDERR_WRONGMODE = MakeGfxResult(0x8876024Bu);
inline constexpr GfxResult DDERR_UNSUPPORTEDMODE = MakeGfxResult(0x8876024Eu);
inline constexpr GfxResult D3DERR_SURFACE_NOT_IN_VIDMEM = MakeGfxResult(0x887602EBu);
inline constexpr GfxResult D3DERR_SCENE_END_FAILED = MakeGfxResult(0x887602FBu);
inline constexpr GfxResult D3DERR_SCENE_IN_SCENE = MakeGfxResult(0x887602F9u);
inline constexpr GfxResult D3DERR_SCENE_NOT_IN_SCENE = MakeGfxResult(0x887602FAu);

inline constexpr bool GfxFailed(GfxResult result) {
    return result < 0;
}

// The name of a result ("DDERR_SURFACELOST"), or "unknown error" for a
// failure without one; "ok" for success.
const char* GfxResultText(GfxResult result);

} // namespace platform
