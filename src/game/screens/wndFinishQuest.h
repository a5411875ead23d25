#pragma once

#include "framework/ui/window/TWindow.h"

#include <cstdint>
#include <memory>

class TImage;
class TParticleSystem;
class vlkCutscene;
class vlkTrailBurstFx;

// The end of the quest: the title "FinishQuest" over the "Titlecard"
// glow and a chain of eight fireworks; when the title ends the message
// panel "bmpPanel" shows, whose button calls "gfn_onFinishQuest_Back".
// Leaving fades the whole screen to black and back through the image
// "bmpFade" found below the window's grandparent, hiding the parent at
// black, and then runs "FinishQuest_Back()" once. Opened by the world map
// with "DoModal('scripts/finish_quest.lua')".
class wndFinishQuest : public TWindow {
public:
    static constexpr int kFireworks = 8;
    static constexpr uint32_t kFrameMs = 33;
    static constexpr float kFadeRate = 0.001f; // alpha per ms: one second each way
    // 0 none, 2 to black, 1 back.
    enum FadePhase : int32_t { kNoFade = 0, kFadingBack = 1, kFadingToBlack = 2 };

    wndFinishQuest();

    const char* GetClassName() const override { return "wndFinishQuest"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    void Draw() override;
    bool OnAnimate() override;
    void Update(uint32_t elapsed);
    void OnBack();

    int32_t GetFadePhase() const { return mFadePhase; }
    bool IsFading() const { return mFading != 0; }
    const TImage* GetFadeImage() const { return mFadeImage; }
    const vlkTrailBurstFx* GetFirework(int i) const { return mFireworks[i].get(); }
    const vlkCutscene* GetTitle() const { return mTitle.get(); }
    int32_t GetLaunches() const { return mLaunches; }

protected:
    ~wndFinishQuest() override;

private:
    TImage* FindFadeImage() const;
    void TurnFade();
    void UpdateFade(uint32_t elapsed);
    void UpdateFireworks(uint32_t elapsed);
    void Launch(int i);

    int32_t mFadePhase = kNoFade;
    uint32_t mLastTick = 0;
    std::unique_ptr<vlkCutscene> mTitle;
    std::unique_ptr<vlkTrailBurstFx> mFireworks[kFireworks];
    std::unique_ptr<TParticleSystem> mTitleParticles;
    TImage* mFadeImage = nullptr;
    uint8_t mFading = 0;
    float mFadeRate = 0.0f;
    TWindow* mPanel = nullptr;
    // Fireworks launched so far, for the screen's checks.
    int32_t mLaunches = 0;
};
