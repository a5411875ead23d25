#include "platform/process/ProcessControl.h"

#include "platform/process/posix/PosixProcessControl.h"

#include <atomic>
#include <cstdlib>

namespace platform {

namespace {
PosixProcessControl gPosix;
std::atomic<ProcessControl*> gCurrent{nullptr};
} // namespace

ProcessControl& CurrentProcessControl() {
    ProcessControl* current = gCurrent.load();
    return current ? *current : gPosix;
}

ProcessControl* SetProcessControl(ProcessControl* control) {
    ProcessControl* previous = gCurrent.exchange(control);
    return previous ? previous : &gPosix;
}

void ExitProcess(int code) {
    CurrentProcessControl().Exit(code);
    std::_Exit(code);
}

void SleepMs(uint32_t ms) {
    CurrentProcessControl().Sleep(ms);
}

} // namespace platform
