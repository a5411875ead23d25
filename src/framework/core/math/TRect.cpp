#include "framework/core/math/TRect.h"

#include <algorithm>

void TRect::Union(const TRect& a, const TRect& b) {
    TRect result(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                 std::max(a.bottom, b.bottom));
    *this = result;
}

void TRect::Intersect(const TRect& a, const TRect& b) {
    TRect result(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom));
    *this = result;
}
