#include "platform/files/MappedFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool MappedFile::Open(const std::string& path) {
    Close();
    mError.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        mError = std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        mError = std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        mError = "not a regular file";
        ::close(fd);
        return false;
    }
    if (st.st_size <= 0) {
        mError = "empty file";
        ::close(fd);
        return false;
    }
    size_t size = static_cast<size_t>(st.st_size);
    void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    int mapError = errno;
    // The mapping keeps its own reference to the file.
    ::close(fd);
    if (view == MAP_FAILED) {
        mError = std::strerror(mapError);
        return false;
    }
    mData = static_cast<const unsigned char*>(view);
    mSize = size;
    return true;
}

void MappedFile::Close() {
    if (mData)
        ::munmap(const_cast<unsigned char*>(mData), mSize);
    mData = nullptr;
    mSize = 0;
}

} // namespace platform
