#pragma once

#include "framework/core/tasks/TTask.h"

#include <functional>

// The after-restore task of the software cursor: once the display is back,
// it has the cursor images and their surfaces rebuilt. The application's
// restore list owns it; the device context that made it only points at it,
// and each lets go of the other when it goes first: Detach when the
// context goes, the gone function when the task goes.
class MouseTextureListener : public TTask {
public:
    MouseTextureListener(std::function<void()> restore, std::function<void()> gone)
        : mRestore(std::move(restore)), mGone(std::move(gone)) {}
    ~MouseTextureListener() override;

    // Rebuilds the images and stays; once detached it asks to go.
    bool Run() override;
    void Detach() {
        mRestore = nullptr;
        mGone = nullptr;
    }
    bool IsAttached() const { return mRestore != nullptr; }

private:
    std::function<void()> mRestore;
    std::function<void()> mGone;
};
