#pragma once

#include <cstdint>

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
