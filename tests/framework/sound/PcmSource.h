#pragma once

// A data source over PCM held by the test, counting its reads.

#include "framework/sound/source/TSoundDataSource.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace soundtest {

class PcmSource : public TSoundDataSource {
public:
    PcmSource(std::vector<int16_t> samples, uint32_t rate, uint32_t channels)
        : mSamples(std::move(samples)), mRate(rate), mChannels(channels) {}

    uint32_t Read(void* dest, uint32_t offset, uint32_t count) override {
        ++reads;
        uint64_t size = GetSize();
        if (offset >= size) {
            return 0;
        }
        uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(count, size - offset));
        std::memcpy(dest, reinterpret_cast<const uint8_t*>(mSamples.data()) + offset, n);
        return n;
    }
    uint64_t GetSize() override { return mSamples.size() * 2; }
    uint32_t GetSampleRate() override { return mRate; }
    uint32_t GetChannels() override { return mChannels; }
    double GetDuration() override {
        return mRate && mChannels ? double(mSamples.size()) / mChannels / mRate : 0.0;
    }

    int reads = 0;

private:
    std::vector<int16_t> mSamples;
    uint32_t mRate;
    uint32_t mChannels;
};

// Samples 1, 2, 3, ... (never 0, so silence shows).
inline std::vector<int16_t> Counting(size_t count) {
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<int16_t>(1 + i % 30000);
    }
    return samples;
}

} // namespace soundtest
