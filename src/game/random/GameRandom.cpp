#include "game/random/GameRandom.h"

#include "framework/app/TApplication.h"

#include <cstdlib>

namespace {

// The generator a test put in place, or null for the application's.
TRandom* gOverride = nullptr;

// Without an application (tools, tests that set none) the rules draw from
// a generator of their own.
TRandom& Fallback() {
    static TRandom random;
    return random;
}

} // namespace

uint32_t GameRandomNext() {
    if (gOverride)
        return gOverride->Next();
    if (TApplication* application = TApplication::Get())
        return application->Random();
    return Fallback().Next();
}

int MagnitudeModulo(uint32_t raw, int n) {
    if (n <= 0)
        return 0;
    // Widened first: the magnitude of the lowest value does not fit 32 bits.
    const int64_t r = static_cast<int32_t>(raw);
    return static_cast<int>(std::llabs(r) % n);
}

int RandomBelow(int n) {
    return n <= 0 ? 0 : MagnitudeModulo(GameRandomNext(), n);
}

int RandomInRange(int low, int high) {
    if (high < low)
        return low;
    const int64_t span = static_cast<int64_t>(high) - low + 1;
    const int64_t r = static_cast<int32_t>(GameRandomNext());
    return static_cast<int>(low + std::llabs(r) % span);
}

ScopedGameRandom::ScopedGameRandom(uint32_t seed) : mPrevious(gOverride) {
    mRandom.Seed(seed);
    gOverride = &mRandom;
}

ScopedGameRandom::~ScopedGameRandom() {
    gOverride = mPrevious;
}
