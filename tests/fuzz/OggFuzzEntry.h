#pragma once

// Entry function of the Ogg Vorbis source's fuzz target. The libFuzzer
// program calls it with generated files; the corpus replay test calls it
// with every seed, so each `make test` runs the corpus under the sanitizers.

#include "framework/sound/source/TOggDataSource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Opens the input as an Ogg file held in memory and decodes a bounded
// amount of it: from the start, again from the start, and from the middle.
// A read never reports more bytes than it was asked for.
inline int FuzzOggSource(const uint8_t* data, size_t size) {
    TOggDataSource source;
    if (!source.OpenMemory(std::vector<uint8_t>(data, data + size))) {
        return 0;
    }
    std::vector<uint8_t> buffer(16384);
    const uint32_t wanted = static_cast<uint32_t>(buffer.size());
    uint32_t offset = 0;
    for (int i = 0; i < 64; ++i) {
        uint32_t got = source.Read(buffer.data(), offset, wanted);
        if (got > wanted) {
            std::abort();
        }
        if (got == 0) {
            break;
        }
        offset += got;
    }
    if (source.Read(buffer.data(), 0, 4096) > 4096) {
        std::abort();
    }
    uint64_t total = source.GetSize();
    if (total > 16 && total < 0xFFFFFFFFu) {
        if (source.Read(buffer.data(), static_cast<uint32_t>(total / 2), 4096) > 4096) {
            std::abort();
        }
    }
    return 0;
}
