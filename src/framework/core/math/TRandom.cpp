#include "framework/core/math/TRandom.h"

#include <algorithm>

namespace {

constexpr int kShift = 397;
constexpr uint32_t kMatrix = 0x9908B0DFu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;

} // namespace

TRandom::TRandom() {
    static const uint32_t kKeys[] = {0x43C0A11Au, 0x0B5E55EDu, 0x7E57AB1Eu, 0x5EEDF00Du};
    SeedByArray(kKeys, 4);
}

void TRandom::Seed(uint32_t seed) {
    mState[0] = seed;
    for (int i = 1; i < kStateSize; ++i) {
        uint32_t previous = mState[i - 1];
        mState[i] = 1812433253u * (previous ^ (previous >> 30)) + static_cast<uint32_t>(i);
    }
    mIndex = kStateSize;
}

void TRandom::SeedByArray(const uint32_t* keys, int count) {
    // An empty key array mixes in nothing rather than reading past its end.
    if (!keys || count <= 0) {
        static const uint32_t kNoKey = 0;
        keys = &kNoKey;
        count = 1;
    }
    Seed(19650218u);
    int i = 1;
    int j = 0;
    for (int k = std::max(kStateSize, count); k > 0; --k) {
        uint32_t previous = mState[i - 1];
        mState[i] = (mState[i] ^ ((previous ^ (previous >> 30)) * 1664525u)) + keys[j] +
                    static_cast<uint32_t>(j);
        ++i;
        ++j;
        if (i >= kStateSize) {
            mState[0] = mState[kStateSize - 1];
            i = 1;
        }
        if (j >= count) {
            j = 0;
        }
    }
    for (int k = kStateSize - 1; k > 0; --k) {
        uint32_t previous = mState[i - 1];
        mState[i] =
            (mState[i] ^ ((previous ^ (previous >> 30)) * 1566083941u)) - static_cast<uint32_t>(i);
        ++i;
        if (i >= kStateSize) {
            mState[0] = mState[kStateSize - 1];
            i = 1;
        }
    }
    mState[0] = 0x80000000u;
}

void TRandom::Regenerate() {
    for (int k = 0; k < kStateSize; ++k) {
        uint32_t y = (mState[k] & kUpperMask) | (mState[(k + 1) % kStateSize] & kLowerMask);
        mState[k] = mState[(k + kShift) % kStateSize] ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
    }
    mIndex = 0;
}

uint32_t TRandom::Next() {
    if (mIndex >= kStateSize) {
        Regenerate();
    }
    uint32_t y = mState[mIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}
