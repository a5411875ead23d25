#include "platform/process/DriverLeaks.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace platform {

void PinGlDriver() {
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

const char* DriverLeakSuppressions() {
    return "leak:swrast_dri.so\n"
           "leak:libLLVM\n"
           "leak:libEGL_mesa.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:libglapi.so\n"
           "leak:libdbus-1.so\n";
}

} // namespace platform
