#include "platform/graphics/PixelConversion.h"

#include <bit>
#include <cstring>

namespace platform {

namespace {

// A channel value of `bits` bits widened to 8 bits by repeating its bits.
uint32_t Widen(uint32_t value, int bits) {
    if (bits <= 0)
        return 0;
    if (bits >= 8)
        return (value >> (bits - 8)) & 0xFF;
    uint32_t result = 0;
    int filled = 0;
    while (filled < 8) {
        result = (result << bits) | value;
        filled += bits;
    }
    return (result >> (filled - 8)) & 0xFF;
}

uint32_t ExtractChannel(uint32_t raw, uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    return Widen((raw & mask) >> shift, bits);
}

uint32_t InsertChannel(uint32_t value8, uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t narrowed = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
    return (narrowed << shift) & mask;
}

// 32-bit red, green and blue on byte boundaries in ARGB order (the
// formats nearly every picture has): the raw value is the ARGB word, but
// for the alpha byte.
bool HasArgbLayout(const PixelFormat& format) {
    return format.bitCount == 32 && format.redMask == 0x00FF0000 &&
           format.greenMask == 0x0000FF00 && format.blueMask == 0x000000FF &&
           (!format.alphaPixels || format.alphaMask == 0xFF000000);
}

// The raw value of a pixel of 2, 3 or 4 bytes, and back; other sizes read
// nothing (false) and write nothing.
bool ReadRaw(const uint8_t* at, uint32_t bytes, uint32_t& raw) {
    switch (bytes) {
    case 4:
        std::memcpy(&raw, at, 4);
        return true;
    case 3:
        raw = at[0] | (at[1] << 8) | (at[2] << 16);
        return true;
    case 2: {
        uint16_t v;
        std::memcpy(&v, at, 2);
        raw = v;
        return true;
    }
    default:
        return false;
    }
}

void WriteRaw(uint8_t* at, uint32_t bytes, uint32_t raw) {
    switch (bytes) {
    case 4:
        std::memcpy(at, &raw, 4);
        break;
    case 3:
        at[0] = raw & 0xFF;
        at[1] = (raw >> 8) & 0xFF;
        at[2] = (raw >> 16) & 0xFF;
        break;
    case 2: {
        const uint16_t v = static_cast<uint16_t>(raw);
        std::memcpy(at, &v, 2);
        break;
    }
    default:
        break;
    }
}

} // namespace

PixelFormat PixelFormat::A8R8G8B8() {
    return {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, true, false};
}
PixelFormat PixelFormat::X8R8G8B8() {
    return {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0, false, false};
}
PixelFormat PixelFormat::R8G8B8() {
    return {24, 0x00FF0000, 0x0000FF00, 0x000000FF, 0, false, false};
}
PixelFormat PixelFormat::R5G6B5() {
    return {16, 0xF800, 0x07E0, 0x001F, 0, false, false};
}
PixelFormat PixelFormat::X1R5G5B5() {
    return {16, 0x7C00, 0x03E0, 0x001F, 0, false, false};
}
PixelFormat PixelFormat::A1R5G5B5() {
    return {16, 0x7C00, 0x03E0, 0x001F, 0x8000, true, false};
}
PixelFormat PixelFormat::A4R4G4B4() {
    return {16, 0x0F00, 0x00F0, 0x000F, 0xF000, true, false};
}
PixelFormat PixelFormat::Depth(uint32_t bits) {
    PixelFormat format;
    format.bitCount = bits;
    format.zBuffer = true;
    return format;
}

uint32_t UnpackPixel(const PixelFormat& format, uint32_t raw) {
    if (HasArgbLayout(format))
        return format.alphaPixels ? raw : raw | 0xFF000000;
    const uint32_t a = format.alphaPixels ? ExtractChannel(raw, format.alphaMask) : 0xFF;
    return (a << 24) | (ExtractChannel(raw, format.redMask) << 16) |
           (ExtractChannel(raw, format.greenMask) << 8) | ExtractChannel(raw, format.blueMask);
}

uint32_t PackPixel(const PixelFormat& format, uint32_t argb) {
    if (HasArgbLayout(format))
        return format.alphaPixels ? argb : argb & 0x00FFFFFF;
    uint32_t raw = InsertChannel((argb >> 16) & 0xFF, format.redMask) |
                   InsertChannel((argb >> 8) & 0xFF, format.greenMask) |
                   InsertChannel(argb & 0xFF, format.blueMask);
    if (format.alphaPixels)
        raw |= InsertChannel(argb >> 24, format.alphaMask);
    return raw;
}

uint32_t ReadPixel(const PixelFormat& format, const uint8_t* at) {
    uint32_t raw = 0;
    if (!ReadRaw(at, format.BytesPerPixel(), raw))
        return 0;
    return UnpackPixel(format, raw);
}

void WritePixel(const PixelFormat& format, uint8_t* at, uint32_t argb) {
    WriteRaw(at, format.BytesPerPixel(), PackPixel(format, argb));
}

PixelCodec::PixelCodec(const PixelFormat& format)
    : mBytes(format.BytesPerPixel()), mArgbOrder(HasArgbLayout(format)),
      mAlphaPixels(format.alphaPixels) {
    const uint32_t masks[4] = {format.alphaPixels ? format.alphaMask : 0, format.redMask,
                               format.greenMask, format.blueMask};
    for (int i = 0; i < 4; ++i) {
        mChannels[i].mask = masks[i];
        mChannels[i].shift = masks[i] ? std::countr_zero(masks[i]) : 0;
        mChannels[i].bits = std::popcount(masks[i]);
    }
}

uint32_t PixelCodec::Pack(uint32_t argb) const {
    if (mArgbOrder)
        return mAlphaPixels ? argb : argb & 0x00FFFFFF;
    uint32_t raw = 0;
    for (int i = 0; i < 4; ++i) {
        const Channel& c = mChannels[i];
        if (c.mask == 0)
            continue;
        const uint32_t value8 = (argb >> (24 - 8 * i)) & 0xFF;
        const uint32_t narrowed = c.bits >= 8 ? value8 << (c.bits - 8) : value8 >> (8 - c.bits);
        raw |= (narrowed << c.shift) & c.mask;
    }
    return raw;
}

uint32_t PixelCodec::Unpack(uint32_t raw) const {
    if (mArgbOrder)
        return mAlphaPixels ? raw : raw | 0xFF000000;
    uint32_t argb = mAlphaPixels ? 0 : 0xFF000000;
    for (int i = 0; i < 4; ++i) {
        const Channel& c = mChannels[i];
        if (c.mask == 0)
            continue;
        argb |= Widen((raw & c.mask) >> c.shift, c.bits) << (24 - 8 * i);
    }
    return argb;
}

uint32_t PixelCodec::Read(const uint8_t* at) const {
    uint32_t raw = 0;
    if (!ReadRaw(at, mBytes, raw))
        return 0;
    return Unpack(raw);
}

void PixelCodec::Write(uint8_t* at, uint32_t argb) const {
    WriteRaw(at, mBytes, Pack(argb));
}

uint32_t FillValue(const PixelFormat& format, float r, float g, float b, float a) {
    const auto part = [](float value, uint32_t mask) {
        return static_cast<uint32_t>(static_cast<double>(value) * mask) & mask;
    };
    return part(r, format.redMask) + part(g, format.greenMask) + part(b, format.blueMask) +
           part(a, format.alphaMask);
}

} // namespace platform
