#pragma once

#include "platform/graphics/GraphicsTypes.h"

#include <cstdint>

namespace platform {

// Moving pixels between the surface formats and 0xAARRGGBB words. Each
// channel is scaled by bit replication, so a full 5-bit channel reads as 255
// and 255 written to it stays full. A format without alpha pixels reads as
// opaque.
uint32_t ReadPixel(const PixelFormat& format, const uint8_t* at);
void WritePixel(const PixelFormat& format, uint8_t* at, uint32_t argb);
// The raw value of a colour in a format (what a colour fill writes).
uint32_t PackPixel(const PixelFormat& format, uint32_t argb);
uint32_t UnpackPixel(const PixelFormat& format, uint32_t raw);

// The same conversions for one format, with each channel's place and width
// worked out once: what a surface uses for its own pixels.
class PixelCodec {
public:
    explicit PixelCodec(const PixelFormat& format);
    uint32_t Pack(uint32_t argb) const;
    uint32_t Unpack(uint32_t raw) const;
    uint32_t Read(const uint8_t* at) const;
    void Write(uint8_t* at, uint32_t argb) const;
    // The raw value is the 0xAARRGGBB word, but for the alpha byte where
    // the format has no alpha.
    bool IsArgbOrder() const { return mArgbOrder; }
    bool HasAlpha() const { return mAlphaPixels; }

private:
    struct Channel {
        uint32_t mask = 0;
        int shift = 0;
        int bits = 0;
    };
    // Alpha, red, green, blue: the bytes of an ARGB word from the top.
    Channel mChannels[4];
    uint32_t mBytes = 0;
    bool mArgbOrder = false;
    bool mAlphaPixels = false;
};

// The value of a colour fill as the display code builds it from channel
// values in 0..1: each channel times its mask, truncated, masked.
uint32_t FillValue(const PixelFormat& format, float r, float g, float b, float a);

} // namespace platform
