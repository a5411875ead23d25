#pragma once

// A unit of work that a task list runs once per pass of the main loop: pass 0
// on every idle pass of the event pump, pass 1 on every drawn frame. The list
// that holds a task owns it.
class TTask {
public:
    virtual ~TTask() = default;

    // Whether the task runs in this pass.
    virtual bool IsReady(int pass);
    // One step; false when the task is finished and is to be deleted.
    virtual bool Run() = 0;
};
