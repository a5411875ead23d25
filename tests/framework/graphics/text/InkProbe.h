#pragma once

// Finding the ink of drawn text in a picture, for the drawing tests: the
// box around every pixel inked at least a threshold, their count and the
// sum of all ink.

#include <algorithm>
#include <cstdint>

namespace texttest {

// How dark a pixel (0xAARRGGBB) is on white: its largest channel change.
inline int Darkness(uint32_t p) {
    return 255 - static_cast<int>(std::min({(p >> 16) & 0xFFu, (p >> 8) & 0xFFu, p & 0xFFu}));
}

struct InkBox {
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1; // inclusive
    int bottom = -1;
    int count = 0;  // pixels at or above the threshold
    long total = 0; // all ink
    bool Empty() const { return count == 0; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
    float CentreX() const { return (left + right + 1) / 2.0f; }
    float CentreY() const { return (top + bottom + 1) / 2.0f; }
};

// inkAt(x, y) gives the ink of a pixel (0 to 255).
template <typename InkAt> InkBox FindInk(int width, int height, InkAt inkAt, int threshold = 1) {
    InkBox box;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int ink = inkAt(x, y);
            box.total += ink;
            if (ink < threshold)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
            ++box.count;
        }
    return box;
}

} // namespace texttest
