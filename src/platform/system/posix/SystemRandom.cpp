#include "platform/system/SystemRandom.h"

#include <cerrno>
#include <cstdint>
#include <sys/random.h>

namespace platform {

bool FillSystemRandom(void* data, size_t size) {
    uint8_t* bytes = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t got = getrandom(bytes + done, size - done, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

} // namespace platform
