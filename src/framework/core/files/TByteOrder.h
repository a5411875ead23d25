#pragma once

#include <cstdint>
#include <vector>

// The 32-bit little-endian numbers of the program's file formats (pack
// tables, packed XML headers), read from and written to bytes in memory
// whatever the byte order of the machine.

// The number stored in the four bytes at data.
inline uint32_t ReadLittleEndian32(const void* data) {
    const auto* p = static_cast<const unsigned char*>(data);
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Appends the four bytes of value, lowest first.
inline void AppendLittleEndian32(std::vector<unsigned char>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}
