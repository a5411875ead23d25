#include "platform/files/MappedFile.h"

#include "platform/files/RegularFile.h"

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
    // Only a regular file is mapped; a FIFO must not block the open.
    int fd = OpenRegularFile(path, &mError);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        mError = std::strerror(errno);
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
