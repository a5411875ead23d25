#pragma once

#include <cstdint>

// The millisecond time that clocks and timed tasks run on. While the
// application lives it is the application's timer, which leaves out the
// time a portal host kept the game waiting, so game clocks stand still
// during such a wait; before and after, it is the platform timer. The
// application frame sits above this layer and installs its timer here.
using TFrameworkTimer = uint32_t (*)();

uint32_t GetFrameworkTime();
// Installs the timer; null puts the platform timer back. Safe while other
// threads read the time.
void SetFrameworkTimer(TFrameworkTimer timer);
