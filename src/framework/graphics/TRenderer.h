#pragma once

#include <atomic>

// The display handler: one renderer per process, built when the game first
// sets its display mode, owning the device context and the display. Display
// creation, presentation and device-loss recovery are not here yet: this
// holds the switches the application frame sets and answers the questions
// it asks.
class TRenderer {
public:
    struct Point {
        int x = -1;
        int y = -1;
    };

    TRenderer();
    TRenderer(const TRenderer&) = delete;
    TRenderer& operator=(const TRenderer&) = delete;
    virtual ~TRenderer();

    // The renderer, or null while none exists.
    static TRenderer* Get();

    void SetVerticalSync(bool on) { mVerticalSync = on; }
    bool GetVerticalSync() const { return mVerticalSync; }

    // Whether a frame may be presented now (a display exists and is not lost).
    bool CanPresent() const { return false; }
    // Redraws the software cursor at the point ((-1, -1): where it is);
    // gives x = -1 when there was nothing to draw.
    Point PresentFrame(int x, int y);
    bool IsPresentDone() const { return true; }
    bool IsDeviceValid() const { return false; }
    void OnOutOfVideoMemory() { mLowMemory = true; }
    bool IsLowMemory() const { return mLowMemory; }

private:
    std::atomic<bool> mVerticalSync{false};
    bool mLowMemory = false;
};
