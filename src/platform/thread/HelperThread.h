#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

// A worker thread with a stop flag. Its body loops until ShouldStop and
// waits through WaitFor, which a Stop cuts short, so stopping never sits out
// a whole wait. Stop sets the flag and joins the thread: once it returns the
// body has left and touches nothing any more. The owner stops it before it
// destroys anything the body reads; the destructor stops it too.
class HelperThread {
public:
    HelperThread() = default;
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;
    ~HelperThread() { Stop(); }

    // Starts the body on a new thread; false when one runs already.
    bool Start(std::function<void(HelperThread&)> body);
    // Sets the stop flag, wakes the body and joins it.
    void Stop();

    bool IsRunning() const { return mThread.joinable(); }
    bool ShouldStop() const { return mStop.load(); }
    // Waits ms milliseconds or until Stop; false when stopping.
    bool WaitFor(unsigned ms);

private:
    std::thread mThread;
    std::atomic<bool> mStop{false};
    std::mutex mMutex;
    std::condition_variable mWake;
};

} // namespace platform
