#pragma once

// Float vectors of two, three and four components: plain values with no
// ownership. Sums and products are taken component by component in the
// order x, y, z, w, so results are the same on every build.

struct TVec2 {
    float x = 0.0f;
    float y = 0.0f;

    TVec2() = default;
    TVec2(float x_, float y_) : x(x_), y(y_) {}
    // Two floats in memory, x first.
    explicit TVec2(const float* xy) : x(xy[0]), y(xy[1]) {}

    TVec2& Assign(const TVec2& other) {
        x = other.x;
        y = other.y;
        return *this;
    }
    TVec2& AddAssign(const TVec2& other) {
        x += other.x;
        y += other.y;
        return *this;
    }
    TVec2& SubtractAssign(const TVec2& other) {
        x -= other.x;
        y -= other.y;
        return *this;
    }
    TVec2 Negate() const { return TVec2(-x, -y); }
    TVec2 Add(const TVec2& other) const { return TVec2(x + other.x, y + other.y); }
    TVec2 Subtract(const TVec2& other) const { return TVec2(x - other.x, y - other.y); }

    TVec2& operator+=(const TVec2& other) { return AddAssign(other); }
    TVec2& operator-=(const TVec2& other) { return SubtractAssign(other); }
    TVec2 operator-() const { return Negate(); }
    TVec2 operator+(const TVec2& other) const { return Add(other); }
    TVec2 operator-(const TVec2& other) const { return Subtract(other); }
};

struct TVec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    TVec3() = default;
    TVec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    TVec3(const TVec2& xy, float z_) : x(xy.x), y(xy.y), z(z_) {}

    TVec3& Assign(const TVec3& other) {
        x = other.x;
        y = other.y;
        z = other.z;
        return *this;
    }
    TVec3& AddAssign(const TVec3& other) {
        x += other.x;
        y += other.y;
        z += other.z;
        return *this;
    }
    TVec3& ScaleAssign(float factor) {
        x *= factor;
        y *= factor;
        z *= factor;
        return *this;
    }
    // Exact comparison of all three components.
    bool Equals(const TVec3& other) const { return x == other.x && y == other.y && z == other.z; }
    TVec3 Add(const TVec3& other) const { return TVec3(x + other.x, y + other.y, z + other.z); }
    TVec3 Scale(float factor) const { return TVec3(x * factor, y * factor, z * factor); }
    float Dot(const TVec3& other) const { return x * other.x + y * other.y + z * other.z; }
    float LengthSquared() const { return Dot(*this); }
    float Length() const;

    TVec3& operator+=(const TVec3& other) { return AddAssign(other); }
    TVec3 operator+(const TVec3& other) const { return Add(other); }
    bool operator==(const TVec3& other) const { return Equals(other); }
};

// The row type of TMat4.
struct TVec4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    TVec4() = default;
    TVec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    TVec4(const TVec3& xyz, float w_) : x(xyz.x), y(xyz.y), z(xyz.z), w(w_) {}

    TVec4& Assign(const TVec4& other) {
        x = other.x;
        y = other.y;
        z = other.z;
        w = other.w;
        return *this;
    }
    TVec4& AddAssign(const TVec4& other) {
        x += other.x;
        y += other.y;
        z += other.z;
        w += other.w;
        return *this;
    }
    TVec4& operator+=(const TVec4& other) { return AddAssign(other); }
};
