#include "framework/core/math/TMatrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kNear = 1e-6f;

void ExpectNear(const TMat4& a, const TMat4& b) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_NEAR(a.m[i][j], b.m[i][j], kNear) << "element " << i << j;
        }
    }
}

} // namespace

// ---- TMat3 ------------------------------------------------------------------------

TEST(Mat3, RotationQuarterTurn_TakesXAxisToYAxis) {
    TVec2 p = TMat3::MakeRotation(kPi / 2).TransformPoint(TVec2(1.0f, 0.0f));
    EXPECT_NEAR(p.x, 0.0f, kNear);
    EXPECT_NEAR(p.y, 1.0f, kNear);
}

TEST(Mat3, TransformPoint_SumsInOrderWithTranslationLast) {
    TMat3 m(1e8f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, -1e8f, 7.0f, 1.0f);
    TVec2 p = m.TransformPoint(TVec2(1.0f, 1.0f));
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 7.0f);
}

TEST(Mat3, RotateAndScale_KeepTranslation) {
    const TMat3 starts[] = {
        TMat3(),
        TMat3(2.0f, 0.5f, 0.0f, -1.0f, 3.0f, 0.0f, 17.0f, -42.5f, 1.0f),
        TMat3(0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f, -3.25f, 1e6f, 1.0f),
    };
    for (const TMat3& start : starts) {
        TMat3 rotated = start;
        rotated.Rotate(0.7f);
        TMat3 scaled = start;
        scaled.ScaleXY(3.0f, -2.0f);
        TMat3 uniform = start;
        uniform.ScaleUniform(0.25f);
        for (const TMat3* m : {&rotated, &scaled, &uniform}) {
            EXPECT_EQ(m->m[2][0], start.m[2][0]);
            EXPECT_EQ(m->m[2][1], start.m[2][1]);
            EXPECT_EQ(m->m[0][2], 0.0f);
            EXPECT_EQ(m->m[1][2], 0.0f);
        }
        EXPECT_EQ(scaled.m[0][0], start.m[0][0] * 3.0f);
        EXPECT_EQ(scaled.m[1][1], start.m[1][1] * -2.0f);
        EXPECT_EQ(uniform.m[1][0], start.m[1][0] * 0.25f);
    }
}

TEST(Mat3, Multiply_AppliesLeftThenRight) {
    TMat3 a = TMat3::MakeRotation(0.3f);
    a.m[2][0] = 5.0f;
    a.m[2][1] = -2.0f;
    TMat3 b;
    b.ScaleXY(2.0f, 0.5f);
    b.m[2][0] = 1.0f;
    const TVec2 points[] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {-3.0f, 7.5f}, {100.0f, -0.25f}};
    TMat3 ab = TMat3::Multiply(a, b);
    for (const TVec2& p : points) {
        TVec2 once = ab.TransformPoint(p);
        TVec2 twice = b.TransformPoint(a.TransformPoint(p));
        EXPECT_NEAR(once.x, twice.x, 1e-4f);
        EXPECT_NEAR(once.y, twice.y, 1e-4f);
    }
}

TEST(Mat3, Multiply_SumsInOrder) {
    TMat3 a(1e8f, 1.0f, -1e8f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    TMat3 ones(1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_EQ(TMat3::Multiply(a, ones).m[0][0], 0.0f);
}

TEST(Mat3, MultiplyLinear_KeepsRowTwoOfLeft) {
    TMat3 a(1.0f, 2.0f, 9.0f, 3.0f, 4.0f, 9.0f, 5.0f, 6.0f, 7.0f);
    TMat3 b(0.0f, 1.0f, 8.0f, 1.0f, 0.0f, 8.0f, 8.0f, 8.0f, 8.0f);
    TMat3 r = TMat3::MultiplyLinear(a, b);
    TMat3 expected(2.0f, 1.0f, 0.0f, 4.0f, 3.0f, 0.0f, 5.0f, 6.0f, 7.0f);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(r.m[i][j], expected.m[i][j]) << i << j;
        }
    }
}

TEST(Mat3, Assign_CopiesAndSelfAssignIsHarmless) {
    TMat3 a(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f);
    TMat3 b;
    b.Assign(a);
    b.Assign(b);
    EXPECT_EQ(b.m[1][2], 6.0f);
    b.SetIdentity();
    EXPECT_EQ(b.m[1][2], 0.0f);
    EXPECT_EQ(b.m[2][2], 1.0f);
}

// ---- TMat4 ------------------------------------------------------------------------

TEST(Mat4, PerspectiveOffsets) {
    struct Case {
        TVec2 offset;
        float m20;
        float m21;
    } cases[] = {
        {{0.0f, 0.0f}, 0.0f, 0.0f},       {{1.0f, 0.0f}, -10000.0f, 0.0f},
        {{-1.0f, 0.0f}, -10000.0f, 0.0f}, {{0.0f, 1.0f}, 0.0f, -10000.0f},
        {{0.5f, 0.5f}, -1.0f, 1.0f},      {{-0.5f, -0.75f}, 1.0f, -3.0f},
    };
    for (const Case& c : cases) {
        TMat4 m;
        m.SetPerspective(1.0f, 101.0f, kPi / 2, 0.75f, c.offset);
        EXPECT_EQ(m.m[2][0], c.m20) << c.offset.x << "," << c.offset.y;
        EXPECT_EQ(m.m[2][1], c.m21) << c.offset.x << "," << c.offset.y;
        EXPECT_NEAR(m.m[1][1], 1.0f, kNear);
        EXPECT_NEAR(m.m[0][0], 0.75f, kNear);
        EXPECT_EQ(m.m[2][2], 101.0f / 100.0f);
        EXPECT_EQ(m.m[3][2], -101.0f / 100.0f);
        EXPECT_EQ(m.m[2][3], 1.0f);
        EXPECT_EQ(m.m[3][3], 0.0f);
        EXPECT_EQ(m.m[0][1], 0.0f);
        EXPECT_EQ(m.m[3][0], 0.0f);
    }
}

TEST(Mat4, RotateZ_QuarterTurnTakesXToY) {
    TMat4 m;
    m.RotateZ(kPi / 2);
    TVec4 p = m.Transform(TVec4(1.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_NEAR(p.x, 0.0f, kNear);
    EXPECT_NEAR(p.y, 1.0f, kNear);
    EXPECT_EQ(p.w, 1.0f);
}

TEST(Mat4, RotateAxis_UsesAxisUnnormalised) {
    TMat4 m;
    m.RotateAxis(TVec3(0.0f, 0.0f, 2.0f), kPi);
    // t = 2, c = -1: t z z + c = 7.
    EXPECT_NEAR(m.m[2][2], 7.0f, 1e-5f);
    EXPECT_NEAR(m.m[0][0], -1.0f, 1e-5f);
}

TEST(Mat4, YawPitchRoll_SingleAnglesMatchAxisRotations) {
    struct Case {
        float yaw, pitch, roll;
        TVec3 axis;
        float angle;
    } cases[] = {
        {0.4f, 0.0f, 0.0f, {0.0f, 1.0f, 0.0f}, 0.4f},
        {0.0f, -1.1f, 0.0f, {1.0f, 0.0f, 0.0f}, -1.1f},
        {0.0f, 0.0f, 2.5f, {0.0f, 0.0f, 1.0f}, 2.5f},
    };
    for (const Case& c : cases) {
        TMat4 ypr;
        ypr.RotateYawPitchRoll(c.yaw, c.pitch, c.roll);
        TMat4 axis;
        axis.RotateAxis(c.axis, c.angle);
        ExpectNear(ypr, axis);
    }
}

TEST(Mat4, YawPitchRoll_IsRollThenPitchThenYaw) {
    TMat4 combined;
    combined.RotateYawPitchRoll(0.3f, 0.5f, 0.7f);
    TMat4 steps;
    steps.RotateAxis(TVec3(0.0f, 0.0f, 1.0f), 0.7f);
    steps.RotateAxis(TVec3(1.0f, 0.0f, 0.0f), 0.5f);
    steps.RotateAxis(TVec3(0.0f, 1.0f, 0.0f), 0.3f);
    ExpectNear(combined, steps);
}

TEST(Mat4, TranslateScaleAndMultiply) {
    TMat4 m;
    m.Scale(2.0f, 3.0f, 4.0f);
    m.Translate(TVec3(10.0f, 20.0f, 30.0f));
    TVec4 p = m.Transform(TVec4(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(p.x, 12.0f);
    EXPECT_EQ(p.y, 23.0f);
    EXPECT_EQ(p.z, 34.0f);
    EXPECT_EQ(p.w, 1.0f);
    // Scaling after the translation scales it too.
    m.Scale(0.5f, 1.0f, 1.0f);
    EXPECT_EQ(m.m[3][0], 5.0f);
    const float values[16] = {1e8f, 1.0f, -1e8f, 0.0f, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float ones[16] = {1, 0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(TMat4::Multiply(TMat4(values), TMat4(ones)).m[0][0], 0.0f);
    TMat4 copy;
    copy.Assign(TMat4(values)).Assign(copy);
    EXPECT_EQ(copy.m[0][2], -1e8f);
}

// Axis (1, 2, 3) turned a quarter: s = 1, c = 0, t = 1, worked out by hand
// from the rows of the rotation, so each off-diagonal sign is checked.
TEST(Mat4, RotateAxis_RowsFollowTheFormula) {
    TMat4 m;
    m.RotateAxis(TVec3(1.0f, 2.0f, 3.0f), kPi / 2);
    const float expected[4][4] = {
        {1.0f, 5.0f, 1.0f, 0.0f},
        {-1.0f, 4.0f, 7.0f, 0.0f},
        {5.0f, 5.0f, 9.0f, 0.0f},
        {0.0f, 0.0f, 0.0f, 1.0f},
    };
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_NEAR(m.m[i][j], expected[i][j], 1e-5f) << "element " << i << j;
        }
    }
    // On a matrix that already translates, the rotation comes after it.
    TMat4 moved;
    moved.Translate(TVec3(1.0f, 0.0f, 0.0f));
    moved.RotateZ(kPi / 2);
    EXPECT_NEAR(moved.m[3][0], 0.0f, kNear);
    EXPECT_NEAR(moved.m[3][1], 1.0f, kNear);
}
