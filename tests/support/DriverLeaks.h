#pragma once

// For test programs that open a window: Mesa's software GL driver keeps some
// allocations until the process ends, and is unloaded when the last GL
// window goes, after which the leak checker can no longer say whose they
// were; on X, SDL's D-Bus connection keeps a buffer too. PinGlDriver keeps
// the driver's libraries loaded once a context exists, and the suppressions
// below name these libraries. Include this header in exactly one source file
// of a test program (it defines the checker's hook).

#include <dlfcn.h>
#include <link.h>

#include <cstring>

extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:swrast_dri.so\n"
           "leak:libLLVM\n"
           "leak:libEGL_mesa.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:libglapi.so\n"
           "leak:libdbus-1.so\n";
}

namespace support {

inline void PinGlDriver() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name && (std::strstr(name, "/dri/") || std::strstr(name, "libLLVM") ||
                         std::strstr(name, "_mesa.so") || std::strstr(name, "libglapi"))) {
                // Loaded already; only marked to stay.
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}

} // namespace support
