#include "framework/graphics/cursor/TCursorImage.h"

#include <bit>
#include <cstddef>

using namespace platform;

namespace {

bool IsSixteenBit(const PixelFormat& format) {
    return format.bitCount == 15 || format.bitCount == 16;
}

bool IsByteFormat(const PixelFormat& format) {
    return format.bitCount == 24 || format.bitCount == 32;
}

// How far a 16-bit product moves so that its top bits land in the mask
// (positive: to the right).
int MaskShift(uint32_t mask) {
    if (mask == 0)
        return 16;
    const int top = 31 - std::countl_zero(mask);
    return 15 - top;
}

uint16_t IntoMask(uint32_t product, uint32_t mask) {
    const int shift = MaskShift(mask);
    const uint32_t moved = shift >= 0 ? product >> shift : product << -shift;
    return static_cast<uint16_t>(moved & mask);
}

// The byte of a pixel a channel lives in.
int ByteIndex(uint32_t mask) {
    return mask == 0 ? 0 : std::countr_zero(mask) / 8;
}

} // namespace

bool IsCursorPixelVisible(bool secondSlot, uint8_t red, uint8_t green, uint8_t blue,
                          uint8_t alpha) {
    if (secondSlot)
        return alpha != 0;
    return !(red >= 248 && green == 0 && blue >= 248);
}

TCursorPixel MakeCursorPixel(const PixelFormat& screen, uint8_t red, uint8_t green, uint8_t blue,
                             uint8_t alpha) {
    TCursorPixel pixel;
    pixel.inverseAlpha = static_cast<uint8_t>(255 - alpha);
    const uint32_t r = static_cast<uint32_t>(alpha) * red;
    const uint32_t g = static_cast<uint32_t>(alpha) * green;
    const uint32_t b = static_cast<uint32_t>(alpha) * blue;
    if (IsSixteenBit(screen)) {
        pixel.value[0] = IntoMask(r, screen.redMask);
        pixel.value[1] = IntoMask(g, screen.greenMask);
        pixel.value[2] = IntoMask(b, screen.blueMask);
    } else if (IsByteFormat(screen)) {
        // Kept in the order of the pixel's bytes, so composing walks them.
        pixel.value[ByteIndex(screen.redMask)] = static_cast<uint16_t>(r);
        pixel.value[ByteIndex(screen.greenMask)] = static_cast<uint16_t>(g);
        pixel.value[ByteIndex(screen.blueMask)] = static_cast<uint16_t>(b);
    }
    return pixel;
}

TCursorImage BuildCursorImage(const uint8_t* bgra, int32_t width, int32_t height, int32_t pitch,
                              bool secondSlot, const PixelFormat& screen) {
    TCursorImage image;
    if (!bgra || width <= 0 || height <= 0)
        return image;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = bgra + static_cast<std::ptrdiff_t>(y) * pitch;
        TCursorSpan* span = nullptr;
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + x * 4;
            const uint8_t blue = p[0], green = p[1], red = p[2];
            const uint8_t alpha = secondSlot ? p[3] : 255;
            if (!IsCursorPixelVisible(secondSlot, red, green, blue, alpha)) {
                span = nullptr;
                continue;
            }
            if (!span) {
                image.emplace_back();
                span = &image.back();
                span->x = static_cast<uint16_t>(x);
                span->y = static_cast<uint16_t>(y);
            }
            span->pixels.push_back(MakeCursorPixel(screen, red, green, blue, alpha));
        }
    }
    return image;
}

void ComposeCursorImage(const TCursorImage& image, const LockedSurface& surface) {
    const PixelFormat& format = surface.format;
    const bool sixteen = IsSixteenBit(format);
    if (!surface.bits || (!sixteen && !IsByteFormat(format)))
        return;
    const int32_t bytes = sixteen ? 2 : static_cast<int32_t>(format.bitCount / 8);
    const uint32_t masks[3] = {format.redMask, format.greenMask, format.blueMask};
    for (const TCursorSpan& span : image) {
        if (span.y >= surface.height)
            continue;
        uint8_t* row = surface.bits + static_cast<std::ptrdiff_t>(span.y) * surface.pitch;
        int32_t x = span.x;
        for (const TCursorPixel& pixel : span.pixels) {
            if (x >= surface.width)
                break;
            uint8_t* p = row + static_cast<std::ptrdiff_t>(x) * bytes;
            const uint32_t keep = pixel.inverseAlpha;
            if (sixteen) {
                const uint32_t old =
                    static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
                uint32_t result = 0;
                for (int c = 0; c < 3; ++c)
                    result |= (((keep * (old & masks[c])) >> 8) + pixel.value[c]) & masks[c];
                p[0] = static_cast<uint8_t>(result);
                p[1] = static_cast<uint8_t>(result >> 8);
            } else {
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<uint8_t>((keep * p[c] + pixel.value[c]) >> 8);
            }
            ++x;
        }
    }
}
