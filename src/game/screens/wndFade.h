#pragma once

#include "framework/ui/window/TWindow.h"

#include <cstdint>

class TImage;

// One tick of a fade of the black panel: the panel's alpha after elapsed
// milliseconds going towards opaque (direction 0) or clear (direction 1)
// at rate alpha per second. Without a panel, or at a rate of 0 or less, the
// fade reaches its end at once.
struct FadeStep {
    float alpha = 0.0f;
    bool finished = false;
};
FadeStep StepFade(bool hasPanel, float alpha, uint32_t direction, float rate, uint32_t elapsedMs);

// The base of the game's fading pop-ups: it fades the pop-up's black child
// image "bmpPanelBlack", which covers the screen behind, from clear to
// opaque or back on a 32 ms tick, and tells the subclass through
// OnFadeFinished when a fade has ended. What the pop-up shows and when it
// closes is the subclass's business. Never a window type of its own.
class wndFade : public TWindow {
public:
    // The rate every pop-up fades at: a full fade takes a quarter second.
    static constexpr float kRate = 4.0f;
    static constexpr uint32_t kTickMs = 32;
    static constexpr uint32_t kToOpaque = 0;
    static constexpr uint32_t kToClear = 1;

    enum FadeState : uint32_t { kIdle = 0, kFading = 1, kFinished = 2 };

    wndFade();

    void PostInit(TWindowStyle& style) override;
    bool OnAnimate() override;

    // Fades towards opaque (0) or clear (1) from the panel's alpha as it
    // is, so a fade started during another reverses it.
    void StartFade(uint32_t direction, float rate);
    // One tick at the animator clock's time now.
    void Tick(uint32_t nowMs);
    // A fade has ended: 0 when the panel reached opaque, 1 when clear.
    virtual void OnFadeFinished(uint32_t finished);

    TImage* GetPanel() const { return mPanel; }
    FadeState GetFadeState() const { return mState; }
    float GetFadeAlpha() const { return mAlpha; }

protected:
    ~wndFade() override;

private:
    uint32_t mLastTick = 0;
    TImage* mPanel = nullptr;
    float mAlpha = 0.0f;
    uint32_t mDirection = kToOpaque;
    float mRate = 0.0f;
    FadeState mState = kIdle;
};
