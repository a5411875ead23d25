#pragma once

// Builds "ZXML" packed images in tests: the magic, the packed and unpacked
// sizes as little-endian 32-bit words, then the zlib stream.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace support {

// Overwrites the 32-bit little-endian word at offset (4 is the packed size,
// 8 the unpacked size).
inline void SetHeader32(std::string& image, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// The packed image of the text.
inline std::string PackZxml(const std::string& text) {
    uLongf packedSize = compressBound(text.size());
    std::vector<Bytef> packed(packedSize);
    EXPECT_EQ(compress(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(text.data()),
                       text.size()),
              Z_OK);
    std::string image = "ZXML" + std::string(8, '\0');
    SetHeader32(image, 4, static_cast<uint32_t>(packedSize));
    SetHeader32(image, 8, static_cast<uint32_t>(text.size()));
    image.append(reinterpret_cast<const char*>(packed.data()), packedSize);
    return image;
}

} // namespace support
