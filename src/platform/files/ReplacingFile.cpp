#include "platform/files/ReplacingFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string Reason(const char* what, const std::string& path, int code) {
    return std::string(what) + " " + path + ": " + std::strerror(code);
}

} // namespace

bool ReplacingFile::Open(const std::string& path, std::string& error) {
    Abandon();
    mTarget = path;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            mTarget = resolved;
    }
    // A name nobody else uses, in the target's own folder so that the
    // rename stays on one file system.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name =
            mTarget + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            error = Reason("cannot create", name, errno);
            return false;
        }
        mStream = ::fdopen(fd, "wb");
        if (!mStream) {
            error = Reason("cannot create", name, errno);
            ::close(fd);
            ::unlink(name.c_str());
            return false;
        }
        mTemporary = name;
        mFailed = false;
        mError = 0;
        return true;
    }
    error = "cannot find a free temporary name beside " + mTarget;
    return false;
}

bool ReplacingFile::Write(const void* data, size_t size) {
    if (!mStream || mFailed)
        return false;
    if (size > 0 && std::fwrite(data, 1, size, mStream) != size) {
        mFailed = true;
        mError = errno ? errno : EIO;
    }
    return !mFailed;
}

bool ReplacingFile::Commit(std::string& error) {
    if (!mStream) {
        error = "no file is being written";
        return false;
    }
    if (!mFailed && (std::fflush(mStream) != 0 || ::fsync(::fileno(mStream)) != 0)) {
        mFailed = true;
        mError = errno;
    }
    int closed = std::fclose(mStream);
    mStream = nullptr;
    if (!mFailed && closed != 0) {
        mFailed = true;
        mError = errno;
    }
    if (mFailed) {
        error = Reason("cannot write", mTemporary, mError);
        Abandon();
        return false;
    }
    if (::rename(mTemporary.c_str(), mTarget.c_str()) != 0) {
        error = Reason("cannot replace", mTarget, errno);
        Abandon();
        return false;
    }
    mTemporary.clear();
    return true;
}

void ReplacingFile::Abandon() {
    if (mStream) {
        std::fclose(mStream);
        mStream = nullptr;
    }
    if (!mTemporary.empty()) {
        ::unlink(mTemporary.c_str());
        mTemporary.clear();
    }
}

} // namespace platform
