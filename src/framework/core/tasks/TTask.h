#pragma once

#include <cstdint>

// A unit of work that a task list runs once per pass of the main loop: pass 0
// on every idle pass of the event pump, pass 1 on every drawn frame. The list
// that holds a task owns it.
class TTask {
public:
    virtual ~TTask() = default;

    // Returned by MsUntilReady while only something done from outside (a
    // call, a clock started) can make the task ready.
    static constexpr uint32_t kNotDue = 0xFFFFFFFFu;

    // Whether the task runs in this pass.
    virtual bool IsReady(int pass);
    // How long the event pump may wait before the task is ready in the idle
    // pass, in milliseconds: 0 when it may be ready on any pass (the
    // default, so the pump keeps waking every millisecond for it).
    virtual uint32_t MsUntilReady() const;
    // One step; false when the task is finished and is to be deleted.
    virtual bool Run() = 0;
};
