#include "platform/paths/ProgramPath.h"

#include <climits>
#include <unistd.h>

namespace platform {

std::string ProgramFilePath() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        return std::string();
    }
    return std::string(buffer, static_cast<size_t>(length));
}

std::string ProgramFolder() {
    std::string path = ProgramFilePath();
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(0, slash + 1);
}

} // namespace platform
