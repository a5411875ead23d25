#pragma once

#include "framework/graphics/texture/TImageBuffer.h"

#include <cstdint>

#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

class TFile;

// JPEG files, read through the file system, into the square BGRA buffer of
// TImageBuffer.h; every pixel's alpha byte is 0xFF and a grey image comes
// out as (g, g, g, 0xFF). A picture whose buffer side would be beyond
// maxSide is refused from its header. The decoder may use 16 MiB, and
// besides that what the coefficients of a picture of several scans
// (progressive) need. A file cut short still decodes (the missing part is
// grey, with a logged warning); 12-bit, CMYK and broken files fail with a
// log line and a null *buffer.
bool LoadJpegImage(const char* name, uint8_t** buffer, int32_t* width, int32_t* height,
                   int32_t* side, int32_t maxSide = kMaxImageSide);
void FreeJpegImage(uint8_t* buffer);

// Makes the decompressor read from an open file of the file system, 4096
// bytes at a time. An empty file is the error "Empty input file"; a file
// that ends before the end-of-image marker gives the warning "Premature end
// of JPEG file" and reads on as if the marker were there. The file must
// stay open while the decompressor reads.
void JpegFileSource(j_decompress_ptr decompressor, TFile* file);
