#pragma once

#include "platform/process/ProcessControl.h"

namespace platform {

// The real process: exit runs the exit handlers (so the log and open files
// are flushed); sleeps are nanosleep, resumed after a signal.
class PosixProcessControl : public ProcessControl {
public:
    void Exit(int code) override;
    void Sleep(uint32_t ms) override;
};

} // namespace platform
