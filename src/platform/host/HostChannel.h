#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// One message between the game and the program that hosts it: the message
// number and its two parameters, as the host's window messages carry them.
// Sent as 16 bytes in the machine's byte order (both ends run on one
// machine).
struct HostRecord {
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
    uint32_t reserved = 0;
};
static_assert(sizeof(HostRecord) == 16);

// The connection to a hosting program. The host starts the game with one
// end of a connected socket and names its descriptor on the command line
// ("-wnd=" and the number in hexadecimal); "the host window exists" means
// that this socket is open and the host has not hung up. The channel owns
// the descriptor once attached and closes it when it goes.
class HostChannel {
public:
    HostChannel() = default;
    HostChannel(const HostChannel&) = delete;
    HostChannel& operator=(const HostChannel&) = delete;
    ~HostChannel();

    // Reads the hexadecimal descriptor number at the start of text (up to
    // the first character that is not a hex digit). False for no digits, for
    // 0 and for numbers out of range.
    static bool ParseHandle(const std::string& text, int& fd);

    // Takes over the descriptor when it names an open socket; false (and
    // nothing taken) otherwise.
    bool Attach(int fd);
    // Closes the descriptor.
    void Close();

    int GetFd() const { return mFd; }
    // The socket is open and the host has not hung up.
    bool IsOpen() const;

    // Sends one record; false when the host is gone.
    bool Send(const HostRecord& record);
    // Waits up to timeoutMs (0: just looks, below 0: without a limit) for
    // one whole record; false when none came or the host is gone. The bytes
    // of a record that has come only in part are kept for the next call.
    bool Receive(HostRecord& record, int timeoutMs);

private:
    int mFd = -1;
    // The start of a record whose rest has not come yet.
    char mPending[sizeof(HostRecord)] = {};
    size_t mPendingSize = 0;
};

// Whether a descriptor names an open socket whose other end has not hung up.
bool IsOpenHostSocket(int fd);

} // namespace platform
