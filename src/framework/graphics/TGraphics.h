#pragma once

#include "framework/core/math/TRect.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TRenderer;

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

    // The debug overlay (frame figures) on or off.
    void ToggleOverlay() { mOverlay = !mOverlay; }
    bool IsOverlayOn() const { return mOverlay; }

    // Fills a rectangle with a colour (0xAARRGGBB). Nothing is drawn yet;
    // the last fill is kept.
    void FillRect(const TRect& rect, uint32_t colour);
    int GetFillCount() const { return mFills; }
    TRect GetLastFillRect() const { return mLastFill; }
    uint32_t GetLastFillColour() const { return mLastFillColour; }

private:
    TGraphics();
    ~TGraphics();
    std::vector<TRect> mClipStack;
    std::unique_ptr<TRenderer> mOwnRenderer;
    bool mOverlay = false;
    int mFills = 0;
    TRect mLastFill;
    uint32_t mLastFillColour = 0;
};
