#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Writes 0xAARRGGBB pixels (rows top down, pitch in pixels) as an RGBA PNG
// file. False, with a log line, when the file cannot be written.
bool WritePngFile(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                  int32_t pitch);

} // namespace platform
