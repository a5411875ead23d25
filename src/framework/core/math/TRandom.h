#pragma once

#include <cstdint>

// The program's random number generator: the Mersenne Twister MT19937 with
// its standard seeding, giving 32-bit numbers. The platform object owns one
// and seeds it from the clock at start; a fixed seed gives the published
// reference sequence. Not thread-safe.
class TRandom {
public:
    static constexpr int kStateSize = 624;

    // Seeded by a fixed key array; the application seeds it again at start.
    TRandom();

    void Seed(uint32_t seed);
    void SeedByArray(const uint32_t* keys, int count);
    uint32_t Next();

    // Index of the next state word; kStateSize or more means the state is
    // regenerated before the next number.
    int GetIndex() const { return mIndex; }

private:
    void Regenerate();

    uint32_t mState[kStateSize];
    int mIndex = kStateSize + 1;
};
