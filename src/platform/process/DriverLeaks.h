#pragma once

// The GL driver (Mesa) keeps some allocations until the process ends and is
// unloaded when the last GL window goes, after which the leak checker of a
// sanitizer build can no longer say whose they were; SDL's D-Bus connection
// keeps a buffer too. PinGlDriver keeps the driver's libraries loaded once
// a context exists, and DriverLeakSuppressions names these libraries for
// the leak checker's suppression hook, which a program defines in its own
// main source file (the hook must be in the program itself):
//
//   extern "C" const char* __lsan_default_suppressions() {
//       return platform::DriverLeakSuppressions();
//   }
namespace platform {

void PinGlDriver();
const char* DriverLeakSuppressions();

} // namespace platform
