#include "platform/instance/SingleInstance.h"

#include "platform/files/Folders.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
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
// Requests that may wait for the running instance to take them; a later
// start finds no room beyond them and does not wait.
constexpr int kBacklog = 16;
// How long a later start tries to reach an instance that holds the name
// but does not listen yet: rounds and the pause between them.
constexpr int kAskRounds = 50;
constexpr useconds_t kAskPauseUs = 10000;

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

// $XDG_RUNTIME_DIR when it is a private folder of this user: owned by us and
// writable by nobody else, so no other user can put a socket or a lock file
// of their own in its place. "" otherwise.
std::string RuntimeFolder() {
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    if (!folder || !*folder || !IsFolder(folder) || access(folder, W_OK | X_OK) != 0) {
        return std::string();
    }
    struct stat info;
    if (stat(folder, &info) != 0 || info.st_uid != geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
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

// The user a connected Unix socket's other end runs as; false when unknown.
bool PeerUser(int fd, uid_t& user) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) {
        return false;
    }
    user = credentials.uid;
    return true;
}

enum class Answer {
    kAsked,    // an instance of this user took the request
    kBusy,     // a listener is there but takes no more connections now
    kStranger, // the name is held by another user's socket
    kNobody,   // nobody listens there (yet)
};

// Connects to the running instance and hands it the request. Never blocks:
// a first instance that does not take its requests must not hold up a
// later start.
Answer AskOnce(const std::string& address) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return Answer::kNobody;
    }
    sockaddr_un target;
    socklen_t length = MakeAddress(address, target);
    Answer answer = Answer::kNobody;
    if (connect(fd, reinterpret_cast<sockaddr*>(&target), length) == 0) {
        uid_t peer = 0;
        if (PeerUser(fd, peer) && peer == geteuid()) {
            (void)!send(fd, SingleInstance::kFrontRequest, sizeof SingleInstance::kFrontRequest,
                        MSG_NOSIGNAL);
            answer = Answer::kAsked;
        } else {
            answer = Answer::kStranger;
        }
    } else if (errno == EAGAIN) {
        answer = Answer::kBusy;
    }
    close(fd);
    return answer;
}

// Asks again while the instance that holds the name has not started to
// listen yet (it is between taking the name and listening).
Answer AskRunningInstance(const std::string& address) {
    Answer answer = AskOnce(address);
    for (int round = 1; round < kAskRounds && answer == Answer::kNobody; ++round) {
        usleep(kAskPauseUs);
        answer = AskOnce(address);
    }
    return answer;
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
        return AcquireInFolder();
    }
    std::string name = "corvalo-" + std::to_string(getuid()) + "-" + instanceName;
    mAddress = std::string(1, '@').append(Fitted(name, kAddressRoom));
    mSocketFile.clear();
    return AcquireAbstract();
}

// In the private runtime folder a lock on a file beside the socket decides
// who holds the name: taking it is atomic, and the system lets it go when
// its holder ends, crashed or not. The socket only carries the requests.
SingleInstance::Result SingleInstance::AcquireInFolder() {
    std::string lockFile = mSocketFile + ".lock";
    mLock = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (mLock < 0) {
        mError = "cannot open " + lockFile + ": " + std::strerror(errno);
        return Result::kFailed;
    }
    if (flock(mLock, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(mLock);
        mLock = -1;
        if (error != EWOULDBLOCK) {
            mError = "cannot lock " + lockFile + ": " + std::strerror(error);
            return Result::kFailed;
        }
        // A running instance holds it; it hears the request once it listens.
        AskRunningInstance(mAddress);
        return Result::kSecond;
    }
    // The name is ours: a socket file still there was left by an instance
    // that ended without cleaning up.
    struct stat info;
    if (lstat(mSocketFile.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            mError = mSocketFile + " is in the way and is not a socket";
            DropLock();
            return Result::kFailed;
        }
        unlink(mSocketFile.c_str());
    }
    if (!Listen()) {
        DropLock();
        return Result::kFailed;
    }
    return Result::kFirst;
}

// An abstract name belongs to whoever bound it first and goes with its
// holder's last descriptor, so binding it decides alone. Any user may bind
// any abstract name, though: the holder counts only when it runs as this
// user.
SingleInstance::Result SingleInstance::AcquireAbstract() {
    if (Listen()) {
        return Result::kFirst;
    }
    if (mBindError != EADDRINUSE) {
        return Result::kFailed;
    }
    mError.clear();
    switch (AskRunningInstance(mAddress)) {
    case Answer::kAsked:
        return Result::kSecond;
    case Answer::kStranger:
        mError = "the instance name " + mAddress + " is held by another user";
        return Result::kFailed;
    case Answer::kBusy:
    case Answer::kNobody:
        break;
    }
    mError = "the instance name stays taken and nobody answers on it: " + mAddress;
    return Result::kFailed;
}

bool SingleInstance::Listen() {
    mBindError = 0;
    int fd = NewSocket();
    if (fd < 0) {
        mError = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    sockaddr_un address;
    socklen_t length = MakeAddress(mAddress, address);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        mBindError = errno;
        mError = "bind " + mAddress + ": " + std::strerror(mBindError);
        close(fd);
        return false;
    }
    // Requests are taken by polling, so the listener never blocks.
    if (listen(fd, kBacklog) != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
        mError = std::string("listen: ") + std::strerror(errno);
        close(fd);
        if (!mSocketFile.empty()) {
            unlink(mSocketFile.c_str());
        }
        return false;
    }
    mListener = fd;
    return true;
}

void SingleInstance::DropLock() {
    if (mLock >= 0) {
        close(mLock);
        mLock = -1;
    }
}

void SingleInstance::Release() {
    if (mListener >= 0) {
        close(mListener);
        mListener = -1;
        // Removed while the lock is still held, so it cannot be the socket
        // of an instance that started after this one.
        if (!mSocketFile.empty()) {
            unlink(mSocketFile.c_str());
        }
    }
    // The lock file stays: removing it would let a start that opened it
    // just before and one that makes it anew both take a lock.
    DropLock();
}

int SingleInstance::PollFrontRequests() {
    int requests = 0;
    while (mListener >= 0) {
        int connection = accept4(mListener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (connection < 0) {
            break;
        }
        // Only starts of this user may ask; others are not waited for.
        uid_t peer = 0;
        if (!PeerUser(connection, peer) || peer != geteuid()) {
            close(connection);
            continue;
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

uint32_t SingleInstance::MsUntilFrontPoll(uint32_t nowMs) const {
    if (!IsHeld())
        return UINT32_MAX;
    if (!mFrontPolled)
        return 0;
    const int32_t since = static_cast<int32_t>(nowMs - mLastFrontPoll);
    if (since >= static_cast<int32_t>(kFrontPollIntervalMs))
        return 0;
    // A clock that went back: the next look counts from now.
    if (since < 0)
        return kFrontPollIntervalMs;
    return kFrontPollIntervalMs - static_cast<uint32_t>(since);
}

int SingleInstance::PollFrontRequestsAt(uint32_t nowMs) {
    if (mFrontPolled &&
        static_cast<int32_t>(nowMs - mLastFrontPoll) < static_cast<int32_t>(kFrontPollIntervalMs)) {
        return 0;
    }
    mFrontPolled = true;
    mLastFrontPoll = nowMs;
    return PollFrontRequests();
}

} // namespace platform
