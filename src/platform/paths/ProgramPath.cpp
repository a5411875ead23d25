#include "platform/paths/ProgramPath.h"

#include <unistd.h>

namespace platform {

std::string ProgramFilePath() {
    // The link's length is not known beforehand: grow until it fits.
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length <= 0) {
            return std::string();
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<size_t>(length));
            return buffer;
        }
        if (buffer.size() >= 1u << 20) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFolder() {
    std::string path = ProgramFilePath();
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(0, slash + 1);
}

} // namespace platform
