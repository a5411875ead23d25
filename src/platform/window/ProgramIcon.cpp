#include "platform/window/ProgramIcon.h"

#include <cstdlib>

namespace platform {

namespace {

constexpr int kSide = 32;

void Put(WindowIcon& icon, int x, int y, uint32_t argb) {
    uint8_t* pixel = &icon.bgra[static_cast<size_t>(y * icon.width + x) * 4];
    pixel[0] = argb & 0xFF;
    pixel[1] = (argb >> 8) & 0xFF;
    pixel[2] = (argb >> 16) & 0xFF;
    pixel[3] = argb >> 24;
}

// Inside the card: a rectangle 4..27 by 1..30 with corners cut round (radius 3).
bool InCard(int x, int y, int inset) {
    int left = 4 + inset, right = 27 - inset, top = 1 + inset, bottom = 30 - inset;
    if (x < left || x > right || y < top || y > bottom)
        return false;
    int radius = 3;
    int cx = x < left + radius ? left + radius : (x > right - radius ? right - radius : x);
    int cy = y < top + radius ? top + radius : (y > bottom - radius ? bottom - radius : y);
    int dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= radius * radius;
}

} // namespace

WindowIcon ProgramIcon() {
    WindowIcon icon;
    icon.width = kSide;
    icon.height = kSide;
    icon.bgra.assign(static_cast<size_t>(kSide * kSide) * 4, 0);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            if (!InCard(x, y, 0))
                continue;
            uint32_t colour = InCard(x, y, 1) ? 0xFFFFFFFFu : 0xFF203040u;
            // Diamond: |x - 15.5| + |y - 15.5| within 8.
            if (std::abs(2 * x - 31) + std::abs(2 * y - 31) <= 16)
                colour = 0xFFD02030u;
            Put(icon, x, y, colour);
        }
    }
    return icon;
}

} // namespace platform
