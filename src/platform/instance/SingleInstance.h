#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Keeps a second copy of the program from running: a Unix socket named after
// the instance name, in $XDG_RUNTIME_DIR when that is a private folder of
// this user, otherwise under an abstract name that holds the user id. The
// first instance listens on it; a later start connects, sends "bring to
// front" and is told to end. In the runtime folder a lock on the file beside
// the socket (the name plus ".lock") decides which start is the first, so
// starts at the same moment cannot both win and a socket file left behind
// by an instance that crashed does not count. Connections of other users
// are neither answered nor counted.
class SingleInstance {
public:
    enum class Result {
        kFirst,  // this process holds the name now
        kSecond, // another instance runs and was asked to come to the front
        kFailed, // the guard could not be set up (the program may go on)
    };

    SingleInstance() = default;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance();

    Result Acquire(const std::string& instanceName);
    // Stops listening and removes the socket file this instance made.
    void Release();
    bool IsHeld() const { return mListener >= 0; }

    // Takes the requests that later starts sent, without waiting; gives how
    // many asked to bring this instance to the front.
    int PollFrontRequests();
    // As PollFrontRequests, but looks only when kFrontPollIntervalMs have
    // passed since the last look by nowMs (a wrapping millisecond count);
    // the first call looks. A loop that asks on every pass pays for the look
    // only a few times a second; a later start waits that long at most.
    int PollFrontRequestsAt(uint32_t nowMs);
    static constexpr uint32_t kFrontPollIntervalMs = 100;
    // How long after nowMs PollFrontRequestsAt looks next: 0 when it would
    // look now, UINT32_MAX while no name is held (nobody can ask).
    uint32_t MsUntilFrontPoll(uint32_t nowMs) const;

    // Where the socket lies: a path, or "@" and the abstract name.
    const std::string& GetAddress() const { return mAddress; }
    const std::string& GetError() const { return mError; }

    // The request a later start sends.
    static constexpr char kFrontRequest[16] = "bring to front";

private:
    Result AcquireInFolder();
    Result AcquireAbstract();
    // Binds the address and listens on it; false with mError (and the
    // bind's errno in mBindError) otherwise.
    bool Listen();
    void DropLock();

    int mListener = -1;
    // The locked file that holds the name in the runtime folder; -1 for none.
    int mLock = -1;
    int mBindError = 0;
    uint32_t mLastFrontPoll = 0;
    bool mFrontPolled = false;
    std::string mAddress;
    std::string mSocketFile;
    std::string mError;
};

} // namespace platform
