// Feeds arbitrary bytes to the Ogg Vorbis source through its memory
// callbacks: it must fail or decode, never read outside its data.

#include "OggFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzOggSource(data, size);
}
