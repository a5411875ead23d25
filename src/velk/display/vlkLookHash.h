#pragma once

#include <cstdint>
#include <cstring>

// A number for how something looks, made from the values it is drawn by
// (FNV-1a over their bytes): equal values give equal numbers, and any
// change almost surely another.
class vlkLookHash {
public:
    template <typename T> void Add(const T& value) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char byte : bytes)
            mHash = (mHash ^ byte) * 1099511628211ull;
    }
    uint64_t Value() const { return mHash; }

private:
    uint64_t mHash = 14695981039346656037ull;
};
