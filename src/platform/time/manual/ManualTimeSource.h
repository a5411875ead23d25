#pragma once

#include "platform/time/TimeSource.h"

#include <atomic>

namespace platform {

// A clock that moves only when told to, for tests: Set jumps to a time,
// Advance moves forward (or back, with a negative step), wrapping at 32 bits.
// Counts how often it was read.
class ManualTimeSource : public TimeSource {
public:
    explicit ManualTimeSource(uint32_t start = 0) : mNow(start) {}

    uint32_t NowMs() override {
        mReads.fetch_add(1, std::memory_order_relaxed);
        return mNow.load(std::memory_order_relaxed);
    }
    void Set(uint32_t now) { mNow.store(now, std::memory_order_relaxed); }
    void Advance(int64_t ms) {
        mNow.store(
            static_cast<uint32_t>(mNow.load(std::memory_order_relaxed) + static_cast<uint64_t>(ms)),
            std::memory_order_relaxed);
    }
    uint64_t Reads() const { return mReads.load(std::memory_order_relaxed); }

private:
    std::atomic<uint32_t> mNow;
    std::atomic<uint64_t> mReads{0};
};

// Installs a source for the life of a scope and puts the previous one back.
class ScopedTimeSource {
public:
    explicit ScopedTimeSource(TimeSource& source) : mPrevious(SetTimeSource(&source)) {}
    ~ScopedTimeSource() { SetTimeSource(mPrevious); }
    ScopedTimeSource(const ScopedTimeSource&) = delete;
    ScopedTimeSource& operator=(const ScopedTimeSource&) = delete;

private:
    TimeSource* mPrevious;
};

} // namespace platform
