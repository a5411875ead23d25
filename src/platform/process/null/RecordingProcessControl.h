#pragma once

#include "platform/process/ProcessControl.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform {

// Thrown by RecordingProcessControl::Exit so that the code that asked to end
// the process stops where it stands and the test goes on.
struct ProcessExitRequest {
    int code = 0;
};

// A process that never ends and never sleeps: exits and sleeps are noted.
// Exit throws ProcessExitRequest (the caller must not go on); sleeps return
// at once, optionally after a real yield. Installs itself while it lives.
class RecordingProcessControl : public ProcessControl {
public:
    RecordingProcessControl();
    ~RecordingProcessControl() override;

    void Exit(int code) override;
    void Sleep(uint32_t ms) override;

    std::vector<int> GetExitCodes() const;
    std::vector<uint32_t> GetSleeps() const;
    uint64_t GetSleptMs() const { return mSleptMs; }

private:
    ProcessControl* mPrevious = nullptr;
    mutable std::mutex mMutex;
    std::vector<int> mExits;
    std::vector<uint32_t> mSleeps;
    std::atomic<uint64_t> mSleptMs{0};
};

} // namespace platform
