#pragma once

#include <cstdint>

// A colour of four float channels, each normally 0 to 1.
struct TColor {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    constexpr TColor() = default;
    constexpr TColor(float red, float green, float blue, float alpha)
        : r(red), g(green), b(blue), a(alpha) {}

    constexpr bool operator==(const TColor&) const = default;
};

// A colour as the display surfaces store it: one 32-bit word laid out as
// 0xAARRGGBB (blue in bits 0-7, green 8-15, red 16-23, alpha 24-31).
class TColor32 {
public:
    constexpr TColor32() = default; // transparent black
    constexpr TColor32(uint32_t value) : mValue(value) {}
    constexpr TColor32(uint8_t r, uint8_t g, uint8_t b, uint8_t a) : mValue(Pack(r, g, b, a)) {}
    // Each channel times 255, truncated toward zero: 0.5 gives 127.
    // Channels outside 0 to 1 are held to that range first.
    explicit TColor32(const TColor& color);

    constexpr uint32_t GetValue() const { return mValue; }

    constexpr uint8_t GetAlpha() const { return Channel(kAlphaShift); }
    constexpr uint8_t GetRed() const { return Channel(kRedShift); }
    constexpr uint8_t GetGreen() const { return Channel(kGreenShift); }
    constexpr uint8_t GetBlue() const { return Channel(kBlueShift); }

    constexpr void SetAlpha(uint8_t value) { SetChannel(kAlphaShift, value); }
    constexpr void SetRed(uint8_t value) { SetChannel(kRedShift, value); }
    constexpr void SetGreen(uint8_t value) { SetChannel(kGreenShift, value); }
    constexpr void SetBlue(uint8_t value) { SetChannel(kBlueShift, value); }

    constexpr bool operator==(const TColor32&) const = default;

private:
    static constexpr int kBlueShift = 0;
    static constexpr int kGreenShift = 8;
    static constexpr int kRedShift = 16;
    static constexpr int kAlphaShift = 24;

    static constexpr uint32_t Pack(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        return (uint32_t(a) << kAlphaShift) | (uint32_t(r) << kRedShift) |
               (uint32_t(g) << kGreenShift) | (uint32_t(b) << kBlueShift);
    }
    constexpr uint8_t Channel(int shift) const { return uint8_t(mValue >> shift); }
    constexpr void SetChannel(int shift, uint8_t value) {
        mValue = (mValue & ~(0xFFu << shift)) | (uint32_t(value) << shift);
    }

    uint32_t mValue = 0;
};
