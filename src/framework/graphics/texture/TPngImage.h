#pragma once

#include "framework/graphics/texture/TImageBuffer.h"

#include <cstdint>

// PNG files, read through the file system (so pack entries load too), into
// the square BGRA buffer of TImageBuffer.h. Every colour type and bit depth
// comes out as 8-bit blue, green, red, alpha; a file with a gamma chunk is
// corrected for a screen gamma of 2.2. hasAlpha is true for grey-with-alpha
// and RGBA images and for palette images with a transparency chunk (an RGB
// or grey image with one gets the alpha in its pixels but reports none).
// A picture whose buffer side would be beyond maxSide is refused from its
// header; text and other chunks the decoder does not use are skipped unread,
// and no other chunk may claim more than a few MiB. Every failure is logged
// and leaves *buffer null.
bool LoadPngImage(const char* name, uint8_t** buffer, int32_t* width, int32_t* height,
                  int32_t* side, bool* hasAlpha, int32_t maxSide = kMaxImageSide);
void FreePngImage(uint8_t* buffer);
