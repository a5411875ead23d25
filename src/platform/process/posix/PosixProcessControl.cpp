#include "platform/process/posix/PosixProcessControl.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace platform {

void PosixProcessControl::Exit(int code) {
    std::exit(code);
}

void PosixProcessControl::Sleep(uint32_t ms) {
    timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

} // namespace platform
