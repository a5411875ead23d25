#include "platform/thread/HelperThread.h"

#include <chrono>

namespace platform {

bool HelperThread::Start(std::function<void(HelperThread&)> body) {
    if (mThread.joinable() || !body) {
        return false;
    }
    mStop = false;
    mThread = std::thread([this, body = std::move(body)] { body(*this); });
    return true;
}

void HelperThread::Stop() {
    if (!mThread.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mStop = true;
    }
    mWake.notify_all();
    mThread.join();
}

bool HelperThread::WaitFor(unsigned ms) {
    std::unique_lock<std::mutex> lock(mMutex);
    mWake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return mStop.load(); });
    return !mStop.load();
}

} // namespace platform
