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
// an empty image. Returns 0 when either side is negative or the result
// would be beyond maxSide (itself never more than kMaxImageSide).
int32_t ImageBufferSide(int64_t width, int64_t height, int32_t maxSide = kMaxImageSide);

// The decoders read the image size from the file's header and refuse a
// picture whose buffer would be beyond the side the caller will keep, before
// anything is decoded or allocated for it. This logs that refusal as
// "<decoder>: <name>: image of WxH is larger than the limit of N pixels".
void LogImageTooLarge(const char* decoder, const char* name, int64_t width, int64_t height,
                      int32_t maxSide);

// A cleared side x side x 4 buffer, or null when it cannot be had.
uint8_t* AllocImageBuffer(int32_t side);
void FreeImageBuffer(uint8_t* buffer);
