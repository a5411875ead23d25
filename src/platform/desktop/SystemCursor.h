#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// The built-in pointer picture that stands in when no "__systemcursor__.png"
// is among the program's files: a white arrow with a black edge, pointing up
// and left, drawn in code. Its hot spot is the arrow's tip at (0, 0).
inline constexpr const char* kSystemCursorFileName = "__systemcursor__.png";

struct CursorImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t hotX = 0;
    int32_t hotY = 0;
    std::vector<uint8_t> bgra; // rows top down, 4 bytes per pixel: blue, green, red, alpha
};

CursorImage SystemCursorImage();

// The same picture as the bytes of a PNG file (8-bit RGBA), made once.
const std::vector<uint8_t>& SystemCursorPng();

} // namespace platform
