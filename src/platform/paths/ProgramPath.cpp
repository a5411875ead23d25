#include "platform/paths/ProgramPath.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

std::string SystemFolder() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&std::fopen), &info) == 0 || !info.dli_fname) {
        return std::string();
    }
    std::string path = info.dli_fname;
    size_t slash = path.rfind('/');
    if (path.empty() || path[0] != '/' || slash == std::string::npos) {
        return std::string();
    }
    return path.substr(0, slash + 1);
}

std::string FallbackFolder(const std::string& name) {
    const char* temp = std::getenv("TMPDIR");
    std::string folder = temp && *temp == '/' ? temp : "/tmp";
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    folder += "/" + name + "-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return std::string();
    }
    // Someone else's folder of that name (or a link to one) is not ours.
    struct stat status;
    if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != getuid() || !IsWritableFolder(folder)) {
        return std::string();
    }
    return folder;
}

bool IsWritableFolder(const std::string& path) {
    struct stat status;
    return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           access(path.c_str(), W_OK | X_OK) == 0;
}

} // namespace platform
