#pragma once

#include "framework/ui/window/TWindow.h"
#include "velk/motion/vlkIMoveEvent.h"

#include <cstdint>
#include <memory>

class TLinearMove;

// A window that slides or scales into place, overshoots and swings back
// with a shrinking bounce, or slides or scales out. Its own 16 ms
// animation steps the move. Only a base: the top panel and the slide-in
// pop-ups derive from it.
class clsAnimWindow : public TWindow, public vlkIMoveEvent {
public:
    // The moves StartMove knows.
    enum Direction : int32_t {
        kRandomIn = 1,
        kInFromLeft = 2,
        kInFromRight = 3,
        kInFromTop = 4,
        kInFromBottom = 5,
        kGrowIn = 6,
        kShrinkIn = 7,
        kOutToLeft = 8,
        kOutToRight = 9,
        kOutToTop = 10,
        kOutToBottom = 11,
        kShrinkOut = 12,
        kGrowOut = 13,
    };

    clsAnimWindow();

    void Init(TWindowStyle& style) override;
    bool OnAnimate() override;

    // Starts a move: the overshoot as a fraction of the size, the first
    // leg's time in ms; each later leg is shorter and 0.8 times as wide.
    void StartMove(int32_t direction, float bounce, int32_t timeMs);
    // The move by elapsed ms (OnAnimate reads them from the clock).
    void Advance(uint32_t elapsedMs);

    void OnMove(TLinearMove* move, float value, uint32_t elapsed) override;
    void OnMoveEnd(TLinearMove* move) override;
    // The move has ended: the window rests in place. Subclasses act here.
    virtual void OnMoveFinished();

    int32_t GetDirection() const { return mDirection; }
    bool IsMoving() const;

protected:
    ~clsAnimWindow() override;

private:
    bool IsSlideX() const;
    bool IsSlideY() const;
    bool IsScale() const;

    std::unique_ptr<TLinearMove> mMove;
    uint32_t mLastTime = 0;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    int32_t mDirection = 0;
    float mBounce = 0.0f;
    int32_t mBounceTime = 0;
    float mFinal = 0.0f;
};
