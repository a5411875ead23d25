#pragma once

#include "framework/graphics/texture/TImageBuffer.h"

#include <cstdint>

class TFile;
typedef void* opj_stream_t;

// JPEG 2000 files, read through the file system, into the square BGRA
// buffer of TImageBuffer.h. The codec is chosen from the first bytes: the
// JP2 signature box gives a JP2 file, the start of a codestream (FF 4F FF 51)
// a bare codestream. Grey images come out as (g, g, g, 255), colour images
// from their red, green and blue components; an alpha component goes into
// the fourth byte and sets hasAlpha. Samples of other precisions are scaled
// to 8 bits, signed samples are moved to the unsigned range, sYCC is turned
// into RGB and subsampled components are upsampled. Rows are padded to the
// side by repeating their last pixel, and the rows below the image repeat
// its last row. Colour spaces that have no such form (CMYK, e-YCC) fail with
// a log line. A picture whose buffer side would be beyond maxSide, or of
// more than four components, is refused from its header.
bool LoadJp2Image(const char* name, uint8_t** buffer, int32_t* width, int32_t* height,
                  int32_t* side, bool* hasAlpha, int32_t maxSide = kMaxImageSide);
void FreeJp2Image(uint8_t* buffer);

// A decoder stream over an open file of the file system (reads, skips and
// seeks go to the file; the file stays the caller's). Null on failure;
// release with opj_stream_destroy.
opj_stream_t* Jp2FileStream(TFile* file);
