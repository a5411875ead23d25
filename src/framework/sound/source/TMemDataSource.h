#pragma once

#include "framework/sound/source/TSoundDataSource.h"

#include <cstdint>
#include <vector>

// A sound decoded whole into memory, so playing it costs no decoding.
class TMemDataSource : public TSoundDataSource {
public:
    // Decodes the whole source. A source that ends before its stated size
    // (a truncated file) gives the bytes it delivered.
    explicit TMemDataSource(TSoundDataSource& source);

    uint32_t Read(void* dest, uint32_t offset, uint32_t count) override;
    uint64_t GetSize() override { return mSize; }
    uint32_t GetSampleRate() override { return mSampleRate; }
    uint32_t GetChannels() override { return mChannels; }
    double GetDuration() override { return mDuration; }

private:
    std::vector<uint8_t> mData;
    uint32_t mSize = 0;
    uint32_t mChannels = 0;
    uint32_t mSampleRate = 0;
    double mDuration = 0.0;
};
