#pragma once

namespace platform {

// The matrix the device takes: 4 x 4 floats, row-major, points as row vectors
// (p' = p x M, the translation in the last row). The framework's TMat4 has
// the same layout and converts to and from it element for element; this
// layer cannot see that type, so it keeps this small one of its own.
struct DeviceMatrix {
    float m[4][4];

    static DeviceMatrix Identity();
    bool operator==(const DeviceMatrix&) const = default;
};

// A left-handed orthographic projection of the box left..right, bottom..top,
// zn..zf onto x and y in -1..1 and z in 0..1.
DeviceMatrix MatrixOrthoOffCenterLH(float left, float right, float bottom, float top, float zn,
                                    float zf);

// A left-handed perspective projection: vertical field of view in radians,
// aspect = width / height, z in 0..1 between the near and far planes.
DeviceMatrix MatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf);

// a x b: a applies first.
DeviceMatrix MatrixMultiply(const DeviceMatrix& a, const DeviceMatrix& b);

} // namespace platform
