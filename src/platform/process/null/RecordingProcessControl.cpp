#include "platform/process/null/RecordingProcessControl.h"

#include <thread>

namespace platform {

RecordingProcessControl::RecordingProcessControl() : mPrevious(SetProcessControl(this)) {}

RecordingProcessControl::~RecordingProcessControl() {
    SetProcessControl(mPrevious);
}

void RecordingProcessControl::Exit(int code) {
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mExits.push_back(code);
    }
    throw ProcessExitRequest{code};
}

void RecordingProcessControl::Sleep(uint32_t ms) {
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mSleeps.push_back(ms);
    }
    mSleptMs += ms;
    // Other threads still get their turn.
    std::this_thread::yield();
}

std::vector<int> RecordingProcessControl::GetExitCodes() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mExits;
}

std::vector<uint32_t> RecordingProcessControl::GetSleeps() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mSleeps;
}

} // namespace platform
