#pragma once

#include "platform/graphics/GraphicsTypes.h"

#include <cstdint>
#include <vector>

// One visible pixel of a cursor image, already in the screen's format: the
// three colour values multiplied by the pixel's alpha (on 15- and 16-bit
// screens shifted into their channel masks; on 24- and 32-bit screens the
// 16-bit products, in the byte order of the screen pixel) and 255 minus the
// alpha. Eight bytes, so an image costs little to keep.
struct TCursorPixel {
    uint16_t value[3] = {0, 0, 0};
    uint8_t inverseAlpha = 255;
};

// A run of visible pixels on one row of the image, starting at (x, y).
struct TCursorSpan {
    uint16_t x = 0;
    uint16_t y = 0;
    std::vector<TCursorPixel> pixels;
};

// A cursor picture converted once, when it is set, into spans of visible
// pixels in the screen format, so drawing it touches no transparent pixel.
// The main slot's pictures are colour-keyed (magenta is transparent,
// everything else opaque); the second slot's keep their alpha.
using TCursorImage = std::vector<TCursorSpan>;

// Slot 0: red and blue at least 248 with no green is transparent. Slot 1:
// alpha 0 is transparent.
bool IsCursorPixelVisible(bool secondSlot, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);

// The pixel entry of a colour for a screen format; screens other than 15,
// 16, 24 and 32 bits get an entry without values.
TCursorPixel MakeCursorPixel(const platform::PixelFormat& screen, uint8_t red, uint8_t green,
                             uint8_t blue, uint8_t alpha);

// Scans the picture (4-byte pixels blue, green, red, alpha; pitch in bytes)
// row by row into spans of visible pixels. Slot 0 pixels are made opaque.
TCursorImage BuildCursorImage(const uint8_t* bgra, int32_t width, int32_t height, int32_t pitch,
                              bool secondSlot, const platform::PixelFormat& screen);

// Blends the image over the locked pixels (the image's top-left at the
// surface's top-left): 15/16 bits channel by channel within the masks,
// 24/32 bits byte by byte (the fourth byte of a 32-bit pixel is kept).
// Pixels outside the locked area are left alone; other depths compose
// nothing.
void ComposeCursorImage(const TCursorImage& image, const platform::LockedSurface& surface);
