#include "platform/modules/SharedModule.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

// The path through which a module is loaded from an open descriptor.
std::string DescriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

SharedModule::~SharedModule() {
    Unload();
}

SharedModule::SharedModule(SharedModule&& other) noexcept
    : mHandle(std::exchange(other.mHandle, nullptr)), mImageFd(std::exchange(other.mImageFd, -1)),
      mError(std::move(other.mError)) {}

SharedModule& SharedModule::operator=(SharedModule&& other) noexcept {
    if (this != &other) {
        Unload();
        mHandle = std::exchange(other.mHandle, nullptr);
        mImageFd = std::exchange(other.mImageFd, -1);
        mError = std::move(other.mError);
    }
    return *this;
}

bool SharedModule::Load(const std::string& path) {
    Unload();
    mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!mHandle) {
        const char* error = dlerror();
        mError = error ? error : "unknown error";
        return false;
    }
    mError.clear();
    return true;
}

bool SharedModule::LoadFromMemory(const void* data, size_t size, const std::string& name) {
    Unload();
    int fd = memfd_create(name.c_str(), MFD_CLOEXEC);
    if (fd < 0) {
        mError = std::string("cannot make an in-memory file: ") + std::strerror(errno);
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < size) {
        ssize_t count = write(fd, bytes + written, size - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            mError = std::string("cannot fill the in-memory file: ") + std::strerror(errno);
            close(fd);
            return false;
        }
        written += static_cast<size_t>(count);
    }
    return LoadOpenFile(fd);
}

bool SharedModule::LoadOpenFile(int fd) {
    Unload();
    if (fd < 0) {
        mError = "no open file";
        return false;
    }
    if (!Load(DescriptorPath(fd))) {
        close(fd);
        return false;
    }
    mImageFd = fd;
    return true;
}

void SharedModule::Unload() {
    if (mHandle) {
        dlclose(mHandle);
        mHandle = nullptr;
    }
    if (mImageFd >= 0) {
        // A module may stay resident after it was closed (C++ modules with
        // unique symbols do). The loader then still knows it by its
        // descriptor path and would hand it out again for a later module
        // opened on the same descriptor number. The descriptor of such a
        // module stays open for good, so its path is never given again.
        std::string path = DescriptorPath(mImageFd);
        if (void* resident = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
            dlclose(resident);
        } else {
            close(mImageFd);
        }
        mImageFd = -1;
    }
}

void* SharedModule::FindSymbol(const char* name) const {
    return mHandle ? dlsym(mHandle, name) : nullptr;
}

} // namespace platform
