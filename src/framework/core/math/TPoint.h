#pragma once

#include <cstdint>

// A point of integer coordinates: pixels of a window or of the screen.
struct TPoint {
    int32_t x = 0;
    int32_t y = 0;

    TPoint() = default;
    TPoint(int32_t x_, int32_t y_) : x(x_), y(y_) {}

    bool operator==(const TPoint& other) const = default;
};
