#pragma once

#include "framework/core/math/TVector.h"

// Row-major float matrices that transform row vectors: p' = p x M, the last
// row holding the translation. A product A x B applies A first, then B.
// Products sum in the order k = 0, 1, 2 (, 3) in 32-bit floats.

// The 2-D affine transform: rows 0 and 1 hold the linear part, row 2 the
// translation (m[2][0] = tx, m[2][1] = ty); column 2 is (0, 0, 1).
struct TMat3 {
    float m[3][3];

    TMat3() { SetIdentity(); }
    TMat3(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
          float m22);

    void SetIdentity();
    TMat3& Assign(const TMat3& other);

    // A point through the transform: x' = x m00 + y m10 + m20,
    // y' = x m01 + y m11 + m21.
    TVec2 TransformPoint(const TVec2& point) const;

    static TMat3 Multiply(const TMat3& a, const TMat3& b);
    // The product of the 2x2 linear parts; row 2 is a's, m02 = m12 = 0.
    static TMat3 MultiplyLinear(const TMat3& a, const TMat3& b);
    // Rows (cos, sin, 0), (-sin, cos, 0), (0, 0, 1); the angle in radians.
    static TMat3 MakeRotation(float angle);

    // These change the linear part only; the translation stays.
    void Rotate(float angle);
    void ScaleXY(float sx, float sy);
    void ScaleUniform(float s) { ScaleXY(s, s); }
};

struct TMat4 {
    float m[4][4];

    TMat4();
    TMat4(const float values[16]);

    void SetIdentity();
    TMat4& Assign(const TMat4& other);

    // A row vector through the matrix.
    TVec4 Transform(const TVec4& v) const;

    static TMat4 Multiply(const TMat4& a, const TMat4& b);

    // Adds (v.x, v.y, v.z, 0) to row 3.
    void Translate(const TVec3& v);
    // Each of these makes this = this x R: the rotation or scale comes after
    // what the matrix did before. The axis is used as given, not normalised.
    void RotateAxis(const TVec3& axis, float angle);
    void RotateYawPitchRoll(float yaw, float pitch, float roll);
    void RotateZ(float angle) { RotateAxis(TVec3(0.0f, 0.0f, 1.0f), angle); }
    void Scale(float sx, float sy, float sz);

    // A left-handed perspective projection whose centre is moved by offset
    // (x enters with a minus sign, y without). An offset component of
    // magnitude 1 gives -10000 in its place.
    void SetPerspective(float nearPlane, float farPlane, float fov, float aspect,
                        const TVec2& offset);
};
