#pragma once

#include "framework/core/tasks/TTask.h"

class TDXContext;

// The after-restore task of the software cursor: once the display is back,
// it rebuilds the cursor images and their surfaces. The application's
// restore list owns it; the context only points at it, and each clears the
// other's pointer when it goes first.
class MouseTextureListener : public TTask {
public:
    explicit MouseTextureListener(TDXContext* context) : mContext(context) {}
    ~MouseTextureListener() override;

    // Rebuilds the images and stays; without a context it asks to go.
    bool Run() override;
    void Detach() { mContext = nullptr; }
    TDXContext* GetContext() const { return mContext; }

private:
    TDXContext* mContext = nullptr;
};
