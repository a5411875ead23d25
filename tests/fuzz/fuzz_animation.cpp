// Feeds arbitrary bytes to the animation readers (".anm" and XML) and to the
// ".mesh" reader: nothing may be read outside the data, and what a reader
// accepts must write and read back unchanged.

#include "AnimationFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzAnimation(data, size);
}
