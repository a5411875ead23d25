#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Keeps a second copy of the program from running: a Unix socket named after
// the instance name, in $XDG_RUNTIME_DIR when that is a usable folder,
// otherwise under an abstract name that holds the user id. The first
// instance listens on it; a later start connects, sends "bring to front"
// and is told to end. A socket file left behind by an instance that crashed
// does not count: when nobody answers on it, it is taken over.
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

    // Where the socket lies: a path, or "@" and the abstract name.
    const std::string& GetAddress() const { return mAddress; }
    const std::string& GetError() const { return mError; }

    // The request a later start sends.
    static constexpr char kFrontRequest[16] = "bring to front";

private:
    int mListener = -1;
    std::string mAddress;
    std::string mSocketFile;
    std::string mError;
};

} // namespace platform
