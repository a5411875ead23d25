#pragma once

// Entry function of the Ogg Vorbis source's fuzz target. The libFuzzer
// program calls it with generated files; the corpus replay test calls it
// with every seed, so each `make test` runs the corpus under the sanitizers.

#include "framework/sound/source/TMemDataSource.h"
#include "framework/sound/source/TOggDataSource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// Takes the paths the game takes with a sound: opens the input as an Ogg
// file held in memory, reads it to its end, reads at 0 again (a replay or a
// loop), reads from the middle, reads pieces smaller than a frame, and
// decodes it whole into memory. A read never reports more bytes than it was
// asked for, and the same bytes come back from the start each time.
inline int FuzzOggSource(const uint8_t* data, size_t size) {
    TOggDataSource source;
    if (!source.OpenMemory(std::vector<uint8_t>(data, data + size))) {
        return 0;
    }
    std::vector<uint8_t> buffer(16384);
    const uint32_t wanted = static_cast<uint32_t>(buffer.size());
    std::vector<uint8_t> first;
    uint32_t offset = 0;
    for (int i = 0; i < 256; ++i) {
        uint32_t got = source.Read(buffer.data(), offset, wanted);
        if (got > wanted) {
            std::abort();
        }
        if (got == 0) {
            break;
        }
        if (first.size() < 4096) {
            first.insert(first.end(), buffer.begin(), buffer.begin() + got);
        }
        offset += got;
    }
    first.resize(std::min<size_t>(first.size(), 4096));
    uint32_t again = source.Read(buffer.data(), 0, 4096);
    if (again > 4096 ||
        (again != 0 && again == first.size() && std::memcmp(buffer.data(), first.data(), again))) {
        std::abort();
    }
    // A few bytes at a time, fewer than a frame holds.
    uint8_t piece[3];
    for (uint32_t at = again; at < again + 12; at += 3) {
        if (source.Read(piece, at, 3) > 3) {
            std::abort();
        }
    }
    for (uint64_t middle : {uint64_t(offset / 2), source.GetSize() / 2}) {
        if (middle > 16 && middle < 0xFFFFFFFFu &&
            source.Read(buffer.data(), static_cast<uint32_t>(middle), 4096) > 4096) {
            std::abort();
        }
    }
    TMemDataSource memory(source);
    if (memory.GetSize() > source.GetSize()) {
        std::abort();
    }
    return 0;
}
