#include "framework/core/math/TRect.h"

#include <gtest/gtest.h>

// ---- TRect ------------------------------------------------------------------------

TEST(Rect, ContainsIsHalfOpen) {
    const TRect r(0, 0, 10, 10);
    struct Case {
        int32_t x, y;
        bool inside;
    } cases[] = {
        {0, 0, true},   {9, 9, true},   {10, 5, false},  {5, 10, false},
        {-1, 5, false}, {5, -1, false}, {10, 10, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(r.Contains(c.x, c.y), c.inside) << c.x << "," << c.y;
    }
    EXPECT_FALSE(TRect(5, 5, 5, 5).Contains(5, 5));
}

TEST(Rect, IntersectAndUnion) {
    struct Case {
        TRect a, b, intersection, unionOf;
    } cases[] = {
        {{0, 0, 5, 5}, {10, 10, 20, 20}, {10, 10, 5, 5}, {0, 0, 20, 20}},
        {{0, 0, 10, 10}, {5, -5, 15, 5}, {5, 0, 10, 5}, {0, -5, 15, 10}},
        {{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        TRect r;
        r.Intersect(c.a, c.b);
        EXPECT_EQ(r, c.intersection);
        r.Union(c.a, c.b);
        EXPECT_EQ(r, c.unionOf);
    }
    // The result may be one of the inputs.
    TRect a(0, 0, 10, 10);
    a.Intersect(a, TRect(5, 5, 20, 20));
    EXPECT_EQ(a, TRect(5, 5, 10, 10));
}
