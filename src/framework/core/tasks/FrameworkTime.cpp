#include "framework/core/tasks/FrameworkTime.h"

#include "platform/time/TimeSource.h"

#include <atomic>

namespace {

std::atomic<TFrameworkTimer> gTimer{nullptr};

} // namespace

uint32_t GetFrameworkTime() {
    TFrameworkTimer timer = gTimer.load(std::memory_order_acquire);
    return timer ? timer() : platform::TimerNow();
}

void SetFrameworkTimer(TFrameworkTimer timer) {
    gTimer.store(timer, std::memory_order_release);
}
