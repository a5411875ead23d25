// Feeds arbitrary bytes to the PNG, JPEG and JPEG 2000 decoders through the
// file system's in-memory files.

#include "ImageFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzImageDecoders(data, size);
}
