#include "framework/sound/source/TMemDataSource.h"

#include "framework/sound/manager/TSoundManager.h"

#include <algorithm>
#include <cstring>

TMemDataSource::TMemDataSource(TSoundDataSource& source)
    : mChannels(source.GetChannels()), mSampleRate(source.GetSampleRate()),
      mDuration(source.GetDuration()) {
    uint32_t size = static_cast<uint32_t>(source.GetSize());
    mData.assign(size, 0);
    mSize = size ? source.Read(mData.data(), 0, size) : 0;
    mData.resize(mSize);
}

uint32_t TMemDataSource::Read(void* dest, uint32_t offset, uint32_t count) {
    TSoundLock lock;
    if (offset >= mSize || !dest) {
        return 0;
    }
    uint32_t n = std::min(count, mSize - offset);
    std::memcpy(dest, mData.data() + offset, n);
    return n;
}
