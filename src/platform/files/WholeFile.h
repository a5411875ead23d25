#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// Reads a whole disk file into bytes. Stops once more than limit bytes are
// in (the caller sees the size pass its limit). False (bytes then not to be
// used) when the file does not open, is not a regular file (a FIFO, a
// device) or a read fails.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes,
                   size_t limit = static_cast<size_t>(-1));

} // namespace platform
