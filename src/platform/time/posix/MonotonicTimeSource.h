#pragma once

#include "platform/time/TimeSource.h"

namespace platform {

// Milliseconds of the system's monotonic clock, cut to 32 bits. Never goes
// back when the wall clock is changed.
class MonotonicTimeSource : public TimeSource {
public:
    uint32_t NowMs() override;
};

} // namespace platform
