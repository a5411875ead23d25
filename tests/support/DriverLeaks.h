#pragma once

// For test programs that open a window: the leak checker's suppression hook
// over the platform's list of GL driver libraries (see
// platform/process/DriverLeaks.h), and PinGlDriver for programs that make a
// GL context without the SDL window. Include this header in exactly one
// source file of a test program (it defines the checker's hook).

#include "platform/process/DriverLeaks.h"

extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return platform::DriverLeakSuppressions();
}

namespace support {

inline void PinGlDriver() { platform::PinGlDriver(); }

} // namespace support
