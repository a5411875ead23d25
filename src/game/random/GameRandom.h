#pragma once

#include "framework/core/math/TRandom.h"

#include <cstdint>

// The random source of the game's rules: the application's generator, or
// a seeded one that a test puts in its place.

// |r| mod n for the next number r taken as a signed 32-bit value (the
// magnitude of the lowest value is 2^31). 0 when n is 0 or less.
int RandomBelow(int n);
// A whole number in [low, high]: RandomBelow(high - low + 1) + low; low
// when high is below low.
int RandomInRange(int low, int high);
// |raw| mod n with raw taken as a signed 32-bit value; 0 when n is 0 or
// less.
int MagnitudeModulo(uint32_t raw, int n);
// The next raw number of the game's source.
uint32_t GameRandomNext();

// Puts a generator seeded with `seed` in place of the application's for
// its lifetime and restores the previous source afterwards.
class ScopedGameRandom {
public:
    explicit ScopedGameRandom(uint32_t seed);
    ~ScopedGameRandom();
    ScopedGameRandom(const ScopedGameRandom&) = delete;
    ScopedGameRandom& operator=(const ScopedGameRandom&) = delete;

    TRandom& Generator() { return mRandom; }

private:
    TRandom mRandom;
    TRandom* mPrevious;
};
