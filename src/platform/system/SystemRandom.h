#pragma once

#include <cstddef>

namespace platform {

// Fills size bytes from the system's random source (the kernel's
// cryptographic generator). False when it could not fill them all; the
// buffer's content is then not to be used.
bool FillSystemRandom(void* data, size_t size);

} // namespace platform
