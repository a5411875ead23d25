#pragma once

#include <cstddef>

// The built-in font's MVC4 image, made from DejaVu Sans by the mvecfont
// tool when the program is built.
extern const unsigned char kBuiltinFontData[];
extern const size_t kBuiltinFontDataSize;
