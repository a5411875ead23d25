#include "framework/core/math/TVector.h"

#include <gtest/gtest.h>

#include <cmath>

// ---- vectors ----------------------------------------------------------------------

TEST(Vector, Vec2_Arithmetic) {
    const float xy[] = {3.0f, -4.0f};
    TVec2 a(xy);
    TVec2 b(1.0f, 2.0f);
    EXPECT_EQ(a.Add(b).x, 4.0f);
    EXPECT_EQ(a.Add(b).y, -2.0f);
    EXPECT_EQ(a.Subtract(b).x, 2.0f);
    EXPECT_EQ(a.Subtract(b).y, -6.0f);
    EXPECT_EQ(a.Negate().x, -3.0f);
    EXPECT_EQ(a.Negate().y, 4.0f);
    TVec2 c;
    EXPECT_EQ(c.x, 0.0f);
    c.Assign(a).AddAssign(b).SubtractAssign(TVec2(0.5f, 0.5f));
    EXPECT_EQ(c.x, 3.5f);
    EXPECT_EQ(c.y, -2.5f);
}

TEST(Vector, Vec3_DotLengthAndScale) {
    TVec3 a(TVec2(3.0f, 4.0f), 12.0f);
    EXPECT_EQ(a.LengthSquared(), 169.0f);
    EXPECT_EQ(a.Length(), 13.0f);
    EXPECT_EQ(a.Dot(TVec3(1.0f, 2.0f, 3.0f)), 3.0f + 8.0f + 36.0f);
    EXPECT_TRUE(a.Scale(2.0f).Equals(TVec3(6.0f, 8.0f, 24.0f)));
    TVec3 b;
    b.Assign(a).ScaleAssign(0.5f).AddAssign(TVec3(1.0f, 1.0f, 1.0f));
    EXPECT_TRUE(b.Equals(TVec3(2.5f, 3.0f, 7.0f)));
    EXPECT_TRUE(a.Add(b).Equals(TVec3(5.5f, 7.0f, 19.0f)));
}

// The dot product sums x, y, z in that order: (1e8 + 1) - 1e8 is 0 in floats.
TEST(Vector, Vec3_DotSumsInOrder) {
    TVec3 a(1e8f, 1.0f, -1e8f);
    EXPECT_EQ(a.Dot(TVec3(1.0f, 1.0f, 1.0f)), 0.0f);
}

TEST(Vector, Vec3_EqualsIsExact) {
    float next = std::nextafter(0.3f, 1.0f);
    EXPECT_FALSE(TVec3(0.3f, 0.0f, 0.0f).Equals(TVec3(next, 0.0f, 0.0f)));
    EXPECT_FALSE(TVec3(0.0f, 0.0f, 0.3f).Equals(TVec3(0.0f, 0.0f, next)));
    EXPECT_TRUE(TVec3(0.3f, 1.0f, 2.0f).Equals(TVec3(0.3f, 1.0f, 2.0f)));
}

TEST(Vector, Vec4_FromVec3AndAdd) {
    TVec4 a(TVec3(1.0f, 2.0f, 3.0f), 4.0f);
    TVec4 b;
    b.Assign(a).AddAssign(a);
    EXPECT_EQ(b.x, 2.0f);
    EXPECT_EQ(b.y, 4.0f);
    EXPECT_EQ(b.z, 6.0f);
    EXPECT_EQ(b.w, 8.0f);
}
