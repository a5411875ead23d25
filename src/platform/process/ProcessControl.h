#pragma once

#include <cstdint>

namespace platform {

// Ending the process and sleeping go through here, so that tests can catch
// an exit instead of dying and see the waits instead of sitting through
// them. The real back end (posix/) exits and sleeps; the recording one
// (null/) notes both.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    // Ends the process with the code. A back end that returns leaves the
    // caller to end the process itself.
    virtual void Exit(int code) = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

// The current back end: the real one unless another was installed.
ProcessControl& CurrentProcessControl();
// Installs a back end (not owned) and gives back the one it replaces; null
// puts the real one back.
ProcessControl* SetProcessControl(ProcessControl* control);

// Ends the process through the current back end. Should that back end
// return, the process ends at once with the code.
[[noreturn]] void ExitProcess(int code);
// Sleeps the calling thread through the current back end.
void SleepMs(uint32_t ms);

} // namespace platform
