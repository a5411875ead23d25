#pragma once

#include <cstdint>

namespace platform {

// A millisecond counter that wraps at 32 bits, like a system tick count.
// The program reads time through one current source: the real monotonic
// clock by default, a hand-moved one in tests. Readers compare times by
// signed 32-bit differences, so a wrap is harmless. The application's timer,
// the framework clocks and the timed tasks all read the current source; an
// application that must leave time out (a host keeping the game waiting)
// installs a source of its own that wraps the one it replaces.
class TimeSource {
public:
    virtual ~TimeSource() = default;
    virtual uint32_t NowMs() = 0;
};

// The current source; the monotonic clock unless one was installed.
TimeSource& CurrentTimeSource();

// Installs a source (not owned; it must outlive its use) and returns the one
// it replaces. Null puts the monotonic clock back. Safe to read from other
// threads while the main thread swaps sources.
TimeSource* SetTimeSource(TimeSource* source);

// CurrentTimeSource().NowMs(): the platform timer.
uint32_t TimerNow();

} // namespace platform
