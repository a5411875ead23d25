// A locale module for tests whose results carry noise above the low byte:
// byte order, with -1, 0 and 1 in the low byte of 0x7700.

#include <cstring>

extern "C" __attribute__((visibility("default"))) int nbCollate(const char* a, const char* b) {
    int result = std::strcmp(a, b);
    int low = result < 0 ? 0xFF : (result > 0 ? 0x01 : 0x00);
    return 0x7700 | low;
}
