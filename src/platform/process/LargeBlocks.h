#pragma once

namespace platform {

// Large blocks (decoded pictures, texture storage, conversion buffers) are
// mapped on their own and given back to the system when freed, whatever
// was freed before. By default the allocator raises that threshold to the
// largest block freed so far, after which such blocks come from the heap,
// where a freed one stays resident between smaller ones. Called once,
// first thing in the program.
void GiveBackLargeBlocks();

} // namespace platform
