#include "platform/process/LargeBlocks.h"

#include <malloc.h>

namespace platform {

namespace {

// The allocator's own starting threshold; fixing it turns off the raise.
constexpr int kLargeBlockBytes = 128 * 1024;

} // namespace

void GiveBackLargeBlocks() {
    mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
}

} // namespace platform
