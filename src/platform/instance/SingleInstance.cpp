#include "platform/instance/SingleInstance.h"

#include "platform/files/Folders.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// Room in sun_path, leaving the terminator (or, for an abstract name, the
// leading zero byte).
constexpr size_t kAddressRoom = sizeof(sockaddr_un::sun_path) - 1;
// How long a started instance may take to write its request after its
// connection was accepted.
constexpr int kRequestWaitMs = 100;

uint64_t Fnv1a(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

// The name cut so that folder + name fits, keeping it unique by a hash of
// the whole name.
std::string Fitted(const std::string& name, size_t room) {
    if (name.size() <= room) {
        return name;
    }
    char hash[24];
    std::snprintf(hash, sizeof hash, "-%016llx", static_cast<unsigned long long>(Fnv1a(name)));
    size_t keep = room > std::strlen(hash) ? room - std::strlen(hash) : 0;
    return name.substr(0, keep) + hash;
}

std::string RuntimeFolder() {
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    if (!folder || !*folder || !IsFolder(folder) || access(folder, W_OK | X_OK) != 0) {
        return std::string();
    }
    return folder;
}

// Fills the socket address; an address starting with "@" is abstract.
socklen_t MakeAddress(const std::string& address, sockaddr_un& out) {
    std::memset(&out, 0, sizeof out);
    out.sun_family = AF_UNIX;
    if (!address.empty() && address[0] == '@') {
        std::memcpy(out.sun_path + 1, address.data() + 1, address.size() - 1);
        return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size());
    }
    std::memcpy(out.sun_path, address.data(), address.size());
    return static_cast<socklen_t>(sizeof out);
}

int NewSocket() {
    return socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

// Connects to the running instance and hands it the request. False when
// nobody listens there.
bool AskRunningInstance(const std::string& address) {
    int fd = NewSocket();
    if (fd < 0) {
        return false;
    }
    sockaddr_un target;
    socklen_t length = MakeAddress(address, target);
    bool connected = connect(fd, reinterpret_cast<sockaddr*>(&target), length) == 0;
    if (connected) {
        (void)!send(fd, SingleInstance::kFrontRequest, sizeof SingleInstance::kFrontRequest,
                    MSG_NOSIGNAL);
    }
    close(fd);
    return connected;
}

} // namespace

SingleInstance::~SingleInstance() {
    Release();
}

SingleInstance::Result SingleInstance::Acquire(const std::string& instanceName) {
    Release();
    mError.clear();
    std::string folder = RuntimeFolder();
    if (!folder.empty() && folder.size() + 2 < kAddressRoom) {
        mAddress = folder + "/" + Fitted(instanceName, kAddressRoom - folder.size() - 1);
        mSocketFile = mAddress;
    } else {
        std::string name = "corvalo-" + std::to_string(getuid()) + "-" + instanceName;
        mAddress = "@" + Fitted(name, kAddressRoom);
        mSocketFile.clear();
    }

    sockaddr_un address;
    socklen_t length = MakeAddress(mAddress, address);
    // Two rounds: the second after a stale socket file was cleared away.
    for (int round = 0; round < 2; ++round) {
        int fd = NewSocket();
        if (fd < 0) {
            mError = std::string("socket: ") + std::strerror(errno);
            return Result::kFailed;
        }
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0) {
            // Requests are taken by polling, so the listener never blocks.
            if (listen(fd, 8) != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
                mError = std::string("listen: ") + std::strerror(errno);
                close(fd);
                if (!mSocketFile.empty()) {
                    unlink(mSocketFile.c_str());
                }
                return Result::kFailed;
            }
            mListener = fd;
            return Result::kFirst;
        }
        int error = errno;
        close(fd);
        if (error != EADDRINUSE) {
            mError = std::string("bind ") + mAddress + ": " + std::strerror(error);
            return Result::kFailed;
        }
        if (AskRunningInstance(mAddress)) {
            return Result::kSecond;
        }
        // Nobody answers: what is left is the socket of an instance that
        // ended without cleaning up.
        if (!mSocketFile.empty()) {
            struct stat info;
            if (lstat(mSocketFile.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) {
                unlink(mSocketFile.c_str());
            } else {
                mError = mSocketFile + " is in the way and is not a socket";
                return Result::kFailed;
            }
        }
    }
    mError = "the instance name stays taken: " + mAddress;
    return Result::kFailed;
}

void SingleInstance::Release() {
    if (mListener < 0) {
        return;
    }
    close(mListener);
    mListener = -1;
    if (!mSocketFile.empty()) {
        unlink(mSocketFile.c_str());
    }
}

int SingleInstance::PollFrontRequests() {
    int requests = 0;
    while (mListener >= 0) {
        int connection = accept4(mListener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (connection < 0) {
            break;
        }
        char buffer[sizeof kFrontRequest] = {};
        pollfd ready{connection, POLLIN, 0};
        if (poll(&ready, 1, kRequestWaitMs) > 0) {
            ssize_t got = recv(connection, buffer, sizeof buffer, 0);
            if (got == static_cast<ssize_t>(sizeof buffer) &&
                std::memcmp(buffer, kFrontRequest, sizeof buffer) == 0) {
                ++requests;
            }
        }
        close(connection);
    }
    return requests;
}

} // namespace platform
