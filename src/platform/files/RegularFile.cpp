#include "platform/files/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int Fail(int code, const char* reason, std::string* error) {
    if (error)
        *error = reason ? reason : std::strerror(code);
    errno = code;
    return -1;
}

} // namespace

int OpenRegularFile(const std::string& path, std::string* error) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return Fail(errno, nullptr, error);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        int code = errno;
        ::close(fd);
        return Fail(code, nullptr, error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? Fail(EISDIR, "a folder", error)
                                   : Fail(EINVAL, "not a regular file", error);
    }
    // Reads of a regular file never wait anyway; the flag is cleared so
    // that the descriptor behaves like any other.
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        int code = errno;
        ::close(fd);
        return Fail(code, nullptr, error);
    }
    return fd;
}

FILE* OpenRegularFileStream(const std::string& path, std::string* error) {
    int fd = OpenRegularFile(path, error);
    if (fd < 0)
        return nullptr;
    FILE* stream = ::fdopen(fd, "rb");
    if (!stream) {
        int code = errno;
        ::close(fd);
        Fail(code, nullptr, error);
    }
    return stream;
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace platform
