#include "framework/sound/stream/TStreamSpooler.h"

#include "framework/sound/source/TSoundDataSource.h"

#include <cstring>

TStreamSpooler::TStreamSpooler(std::shared_ptr<TSoundDataSource> source)
    : mSource(std::move(source)) {}

bool TStreamSpooler::Fill(uint32_t size, void* dest, uint32_t* got, bool loop) {
    if (dest && size) {
        std::memset(dest, 0, size);
    }
    uint32_t done = 0;
    if (got) {
        *got = 0;
    }
    if (!mSource || size == 0 || !dest) {
        return true;
    }
    auto* out = static_cast<uint8_t*>(dest);
    const uint64_t total = mSource->GetSize();
    bool ended = false;
    // Bytes read since the last wrap: a loop over data that yields nothing
    // would go round for ever.
    uint32_t readSinceWrap = 0;
    while (size > 0) {
        if (ended) {
            if (got) {
                *got = done;
            }
            return false;
        }
        uint32_t n = size;
        if (total <= 0xFFFFFFFFu && uint64_t(mPosition) + n > total) {
            n = static_cast<uint32_t>(total - std::min<uint64_t>(total, mPosition));
            ended = true;
        }
        uint32_t r = n ? mSource->Read(out + done, mPosition, n) : 0;
        if (r < n) {
            ended = true;
            n = r;
        }
        mPosition += n;
        done += n;
        size -= n;
        readSinceWrap += n;
        if (ended && loop) {
            if (readSinceWrap == 0 && mPosition == 0) {
                if (got) {
                    *got = done;
                }
                return false;
            }
            ended = false;
            readSinceWrap = 0;
            mPosition = 0;
        }
    }
    if (got) {
        *got = done;
    }
    return true;
}

void TStreamSpooler::SeekTime(double seconds) {
    if (!mSource || seconds <= 0.0) {
        mPosition = 0;
        return;
    }
    uint32_t frameBytes = 2 * mSource->GetChannels();
    if (frameBytes == 0) {
        mPosition = 0;
        return;
    }
    uint64_t frame = static_cast<uint64_t>(seconds * mSource->GetSampleRate());
    uint64_t bytes = std::min<uint64_t>(frame * frameBytes, mSource->GetSize());
    bytes -= bytes % frameBytes;
    mPosition =
        static_cast<uint32_t>(std::min<uint64_t>(bytes, 0xFFFFFFFFu - 0xFFFFFFFFu % frameBytes));
}

float TStreamSpooler::GetDuration() const {
    return mSource ? static_cast<float>(mSource->GetDuration()) : 0.0f;
}
