#pragma once

#include <cstdint>

// The largest pixel position, size or offset a window works with: far past
// any screen, far inside the integers.
inline constexpr int32_t kPixelLimit = 1 << 20;

// A number that becomes a pixel, a size or an index: clamped to the range
// before the conversion, so that no value a script or a file gives can
// make the conversion overflow. NaN reads as the low end.
inline int32_t ClampedInt(double value, int32_t low, int32_t high) {
    if (!(value >= static_cast<double>(low)))
        return low;
    if (value >= static_cast<double>(high))
        return high;
    return static_cast<int32_t>(value);
}
