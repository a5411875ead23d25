#pragma once

#include <cstddef>
#include <cstdint>

// The pixel form every image decoder returns: a square buffer whose side is
// a power of two, 4 bytes per pixel in the order blue, green, red, alpha,
// rows from the top, the image in the top-left width x height pixels. The
// buffer comes from the general heap; the decoders' Free functions release
// it.

// Images wider or taller than this are refused before anything is
// allocated: the square buffer of a larger one would take more than
// 256 MiB.
constexpr int32_t kMaxImageSide = 8192;

// The smallest power of two not below the larger of width and height; 1 for
// an empty image. Returns 0 when either side is negative or beyond
// kMaxImageSide.
int32_t ImageBufferSide(int64_t width, int64_t height);

// A cleared side x side x 4 buffer, or null when it cannot be had.
uint8_t* AllocImageBuffer(int32_t side);
void FreeImageBuffer(uint8_t* buffer);
