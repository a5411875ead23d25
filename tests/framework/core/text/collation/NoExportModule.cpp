// A module named like the locale module but without its export. It counts
// how often it is loaded in the environment variable
// "CORVALO_NBLOCALE_LOADS", so the tests can see that it is loaded once.

#include <cstdio>
#include <cstdlib>

namespace {

__attribute__((constructor)) void CountLoad() {
    const char* loads = std::getenv("CORVALO_NBLOCALE_LOADS");
    char text[16];
    std::snprintf(text, sizeof text, "%d", (loads ? std::atoi(loads) : 0) + 1);
    setenv("CORVALO_NBLOCALE_LOADS", text, 1);
}

} // namespace

extern "C" __attribute__((visibility("default"))) int nbCompare(const char*, const char*) {
    return 0;
}
