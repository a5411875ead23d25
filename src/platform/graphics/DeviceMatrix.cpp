#include "platform/graphics/DeviceMatrix.h"

#include <cmath>

namespace platform {

DeviceMatrix DeviceMatrix::Identity() {
    DeviceMatrix r{};
    for (int i = 0; i < 4; ++i)
        r.m[i][i] = 1.0f;
    return r;
}

DeviceMatrix MatrixOrthoOffCenterLH(float left, float right, float bottom, float top, float zn,
                                    float zf) {
    DeviceMatrix r{};
    r.m[0][0] = 2.0f / (right - left);
    r.m[1][1] = 2.0f / (top - bottom);
    r.m[2][2] = 1.0f / (zf - zn);
    r.m[3][0] = (left + right) / (left - right);
    r.m[3][1] = (top + bottom) / (bottom - top);
    r.m[3][2] = zn / (zn - zf);
    r.m[3][3] = 1.0f;
    return r;
}

DeviceMatrix MatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
    DeviceMatrix r{};
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    r.m[0][0] = yScale / aspect;
    r.m[1][1] = yScale;
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zn * zf / (zf - zn);
    return r;
}

DeviceMatrix MatrixMultiply(const DeviceMatrix& a, const DeviceMatrix& b) {
    DeviceMatrix r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

} // namespace platform
