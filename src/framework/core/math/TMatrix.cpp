#include "framework/core/math/TMatrix.h"

#include <cmath>

// ---- TMat3 ---------------------------------------------------------------------

TMat3::TMat3(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
             float m22)
    : m{{m00, m01, m02}, {m10, m11, m12}, {m20, m21, m22}} {}

void TMat3::SetIdentity() {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            m[i][j] = i == j ? 1.0f : 0.0f;
        }
    }
}

TMat3& TMat3::Assign(const TMat3& other) {
    if (this != &other) {
        *this = other;
    }
    return *this;
}

TVec2 TMat3::TransformPoint(const TVec2& p) const {
    return TVec2(p.x * m[0][0] + p.y * m[1][0] + m[2][0], p.x * m[0][1] + p.y * m[1][1] + m[2][1]);
}

TMat3 TMat3::Multiply(const TMat3& a, const TMat3& b) {
    TMat3 result;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            float sum = a.m[i][0] * b.m[0][j];
            sum += a.m[i][1] * b.m[1][j];
            sum += a.m[i][2] * b.m[2][j];
            result.m[i][j] = sum;
        }
    }
    return result;
}

TMat3 TMat3::MultiplyLinear(const TMat3& a, const TMat3& b) {
    TMat3 result;
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            float sum = a.m[i][0] * b.m[0][j];
            sum += a.m[i][1] * b.m[1][j];
            result.m[i][j] = sum;
        }
        result.m[i][2] = 0.0f;
    }
    for (int j = 0; j < 3; ++j) {
        result.m[2][j] = a.m[2][j];
    }
    return result;
}

TMat3 TMat3::MakeRotation(float angle) {
    float c = std::cos(angle);
    float s = std::sin(angle);
    return TMat3(c, s, 0.0f, -s, c, 0.0f, 0.0f, 0.0f, 1.0f);
}

void TMat3::Rotate(float angle) {
    *this = MultiplyLinear(*this, MakeRotation(angle));
}

void TMat3::ScaleXY(float sx, float sy) {
    *this = MultiplyLinear(*this, TMat3(sx, 0.0f, 0.0f, 0.0f, sy, 0.0f, 0.0f, 0.0f, 1.0f));
}

// ---- TMat4 ---------------------------------------------------------------------

TMat4::TMat4() {
    SetIdentity();
}

TMat4::TMat4(const float values[16]) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m[i][j] = values[4 * i + j];
        }
    }
}

void TMat4::SetIdentity() {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m[i][j] = i == j ? 1.0f : 0.0f;
        }
    }
}

TMat4& TMat4::Assign(const TMat4& other) {
    if (this != &other) {
        *this = other;
    }
    return *this;
}

TVec4 TMat4::Transform(const TVec4& v) const {
    const float in[4] = {v.x, v.y, v.z, v.w};
    float out[4];
    for (int j = 0; j < 4; ++j) {
        float sum = in[0] * m[0][j];
        sum += in[1] * m[1][j];
        sum += in[2] * m[2][j];
        sum += in[3] * m[3][j];
        out[j] = sum;
    }
    return TVec4(out[0], out[1], out[2], out[3]);
}

TMat4 TMat4::Multiply(const TMat4& a, const TMat4& b) {
    TMat4 result;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = a.m[i][0] * b.m[0][j];
            sum += a.m[i][1] * b.m[1][j];
            sum += a.m[i][2] * b.m[2][j];
            sum += a.m[i][3] * b.m[3][j];
            result.m[i][j] = sum;
        }
    }
    return result;
}

void TMat4::Translate(const TVec3& v) {
    m[3][0] += v.x;
    m[3][1] += v.y;
    m[3][2] += v.z;
}

void TMat4::RotateAxis(const TVec3& axis, float angle) {
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    const float t = 1.0f - c;
    const float x = axis.x;
    const float y = axis.y;
    const float z = axis.z;
    const float r[16] = {
        t * x * x + c,
        t * x * y + z * s,
        t * x * z - y * s,
        0.0f,
        t * x * y - z * s,
        t * y * y + c,
        t * y * z + x * s,
        0.0f,
        t * x * z + y * s,
        t * y * z - x * s,
        t * z * z + c,
        0.0f,
        0.0f,
        0.0f,
        0.0f,
        1.0f,
    };
    *this = Multiply(*this, TMat4(r));
}

void TMat4::RotateYawPitchRoll(float yaw, float pitch, float roll) {
    const float cy = std::cos(yaw);
    const float sy = std::sin(yaw);
    const float cp = std::cos(pitch);
    const float sp = std::sin(pitch);
    const float cr = std::cos(roll);
    const float sr = std::sin(roll);
    const float r[16] = {
        cr * cy + sr * sp * sy,
        sr * cp,
        sr * sp * cy - cr * sy,
        0.0f,
        cr * sp * sy - sr * cy,
        cr * cp,
        cr * sp * cy + sr * sy,
        0.0f,
        cp * sy,
        -sp,
        cp * cy,
        0.0f,
        0.0f,
        0.0f,
        0.0f,
        1.0f,
    };
    *this = Multiply(*this, TMat4(r));
}

void TMat4::Scale(float sx, float sy, float sz) {
    const float d[16] = {sx,   0.0f, 0.0f, 0.0f, 0.0f, sy,   0.0f, 0.0f,
                         0.0f, 0.0f, sz,   0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    *this = Multiply(*this, TMat4(d));
}

void TMat4::SetPerspective(float nearPlane, float farPlane, float fov, float aspect,
                           const TVec2& offset) {
    const float k = std::cos(fov / 2.0f) / std::sin(fov / 2.0f);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m[i][j] = 0.0f;
        }
    }
    m[0][0] = k * aspect;
    m[1][1] = k;
    m[2][0] = std::fabs(offset.x) == 1.0f ? -10000.0f : -offset.x / (1.0f - std::fabs(offset.x));
    m[2][1] = std::fabs(offset.y) == 1.0f ? -10000.0f : offset.y / (1.0f - std::fabs(offset.y));
    m[2][2] = farPlane / (farPlane - nearPlane);
    m[2][3] = 1.0f;
    m[3][2] = -nearPlane * farPlane / (farPlane - nearPlane);
}
