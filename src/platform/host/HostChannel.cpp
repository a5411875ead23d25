#include "platform/host/HostChannel.h"

#include "platform/text/Hex.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool IsOpenHostSocket(int fd) {
    if (fd < 0 || fcntl(fd, F_GETFD) < 0) {
        return false;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode)) {
        return false;
    }
    pollfd state{fd, POLLRDHUP, 0};
    int ready = poll(&state, 1, 0);
    if (ready < 0) {
        return false;
    }
    return (state.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) == 0;
}

HostChannel::~HostChannel() {
    Close();
}

bool HostChannel::ParseHandle(const std::string& text, int& fd) {
    long long value = 0;
    size_t digits = 0;
    for (char c : text) {
        int digit = HexDigitValue(static_cast<unsigned char>(c));
        if (digit < 0) {
            break;
        }
        value = value * 16 + digit;
        if (value > INT_MAX) {
            return false;
        }
        ++digits;
    }
    if (digits == 0 || value == 0) {
        return false;
    }
    fd = static_cast<int>(value);
    return true;
}

bool HostChannel::Attach(int fd) {
    if (!IsOpenHostSocket(fd)) {
        return false;
    }
    Close();
    mFd = fd;
    return true;
}

void HostChannel::Close() {
    mPendingSize = 0;
    if (mFd >= 0) {
        close(mFd);
        mFd = -1;
    }
}

bool HostChannel::IsOpen() const {
    return IsOpenHostSocket(mFd);
}

bool HostChannel::Send(const HostRecord& record) {
    if (mFd < 0) {
        return false;
    }
    const char* data = reinterpret_cast<const char*>(&record);
    size_t left = sizeof record;
    while (left > 0) {
        ssize_t sent = send(mFd, data, left, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        data += sent;
        left -= static_cast<size_t>(sent);
    }
    return true;
}

bool HostChannel::Receive(HostRecord& record, int timeoutMs) {
    if (mFd < 0) {
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // Never more than the rest of one record, and never waiting inside
        // the read: a host that sends part of a record must not hold up the
        // main thread, and its bytes stay here until the rest comes, so the
        // records keep in step.
        ssize_t got =
            recv(mFd, mPending + mPendingSize, sizeof mPending - mPendingSize, MSG_DONTWAIT);
        if (got > 0) {
            mPendingSize += static_cast<size_t>(got);
            if (mPendingSize == sizeof mPending) {
                std::memcpy(&record, mPending, sizeof record);
                mPendingSize = 0;
                return true;
            }
            continue;
        }
        if (got == 0) {
            return false; // hung up, part of a record or none
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return false;
        }
        int waitMs = -1;
        if (timeoutMs >= 0) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return false;
            }
            waitMs = static_cast<int>(left.count());
        }
        pollfd ready{mFd, POLLIN, 0};
        int state = poll(&ready, 1, waitMs);
        if (state < 0 && errno != EINTR) {
            return false;
        }
        if (state == 0) {
            return false;
        }
    }
}

} // namespace platform
