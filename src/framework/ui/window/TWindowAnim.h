#pragma once

#include "framework/core/tasks/TAnimTask.h"

class TWindow;

// A window's animation task: each time it is due it calls the window's
// OnAnimate, and ends when that answers false or the window is gone. It
// lives in the task list of the window's modal and runs on its clock.
class TWindowAnim : public TAnimTask {
public:
    explicit TWindowAnim(TWindow* window) : mWindow(window) {}
    ~TWindowAnim() override;

    bool Step() override;
    TWindow* GetWindow() const { return mWindow; }
    // The window is gone (or let the task go): the task ends at its next step.
    void ForgetWindow() { mWindow = nullptr; }

private:
    TWindow* mWindow = nullptr;
};
