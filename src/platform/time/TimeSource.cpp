#include "platform/time/TimeSource.h"

#include "platform/time/posix/MonotonicTimeSource.h"

#include <atomic>

namespace platform {

namespace {

MonotonicTimeSource& Monotonic() {
    static MonotonicTimeSource source;
    return source;
}

std::atomic<TimeSource*> gCurrent{nullptr};

} // namespace

TimeSource& CurrentTimeSource() {
    TimeSource* source = gCurrent.load(std::memory_order_acquire);
    return source ? *source : Monotonic();
}

TimeSource* SetTimeSource(TimeSource* source) {
    TimeSource* previous = gCurrent.exchange(source, std::memory_order_acq_rel);
    return previous ? previous : &Monotonic();
}

uint32_t TimerNow() {
    return CurrentTimeSource().NowMs();
}

} // namespace platform
