#pragma once

#include <cstdint>

// The texture-memory count: bytes (height x pitch) of every texture surface
// alive, and the highest that count has been. Every surface the texture
// data makes is added here and subtracted again when it is released. Both
// figures are published as the settings "texture_ram_allocated" and
// "max_texture_ram_allocated" (the overlay shows them). Main thread.
class TTextureMemory {
public:
    static void Add(uint64_t bytes);
    static void Subtract(uint64_t bytes);
    static uint64_t GetAllocated();
    static uint64_t GetMaxAllocated();
    // Both figures back to zero (tests, and a new run of the tool).
    static void Reset();
};
