#include "platform/time/posix/MonotonicTimeSource.h"

#include <time.h>

namespace platform {

uint32_t MonotonicTimeSource::NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

} // namespace platform
