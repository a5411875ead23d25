#include "framework/sound/source/TMemDataSource.h"

#include "framework/sound/manager/TSoundManager.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
// The first piece decoded; each next one is as large as all before it.
constexpr uint32_t kFirstPiece = 64 * 1024;
} // namespace

TMemDataSource::TMemDataSource(TSoundDataSource& source)
    : mChannels(source.GetChannels()), mSampleRate(source.GetSampleRate()),
      mDuration(source.GetDuration()) {
    // The header's size is only a claim (a damaged or crafted file may
    // state gigabytes): the buffer grows with what really decodes.
    const uint32_t claimed =
        static_cast<uint32_t>(std::min<uint64_t>(source.GetSize(), UINT32_MAX));
    uint32_t done = 0;
    while (done < claimed) {
        uint32_t piece = std::min(claimed - done, std::max(kFirstPiece, done));
        mData.resize(static_cast<size_t>(done) + piece);
        uint32_t got = source.Read(mData.data() + done, done, piece);
        done += std::min(got, piece);
        if (got < piece) {
            break;
        }
    }
    mData.resize(done);
    mData.shrink_to_fit();
    mSize = done;
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
