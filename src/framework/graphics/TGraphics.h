#pragma once

#include "framework/core/TRect.h"

#include <cstddef>
#include <vector>

// The draw front through which every drawing call passes: the 2-D blocks,
// the clip-rectangle stack and the draw state. One instance, made by the
// application main after the sound manager and destroyed by the application
// destructor. Only the clip stack is here yet.
class TGraphics {
public:
    // The draw front, made on first call.
    static TGraphics* Get();
    // Destroys the draw front; a later Get makes a new one.
    static void Destroy();
    static bool Exists();

    void PushClipRect(const TRect& rect) { mClipStack.push_back(rect); }
    // Pops the top rectangle; nothing when the stack is empty.
    void PopClipRect();
    // The top rectangle; empty with an empty stack.
    TRect GetClipRect() const { return mClipStack.empty() ? TRect() : mClipStack.back(); }
    size_t GetClipDepth() const { return mClipStack.size(); }

private:
    TGraphics() = default;
    std::vector<TRect> mClipStack;
};
