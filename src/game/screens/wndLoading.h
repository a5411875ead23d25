#pragma once

#include "framework/ui/window/TWindow.h"

#include <cstdint>
#include <memory>

class TClock;
class TParticleSystem;
class vlkClip;
class vlkCutscene;
class vlkSprite;
struct TAssetLevelList;

// The screen between a menu and a level: a closed curtain with a loading
// animation, a bar that grows while the level's asset group ("levelAssets"
// of the asset lists, the window table's "levelId") loads one asset a tick,
// and the player's avatar cheering. When all is loaded it plays its finish
// animation, fades the avatar out and runs "gfn_OnLoaderComplete()", which
// goes on to the level. Built by "DoModal('scripts/loading.lua')".
class wndLoading : public TWindow {
public:
    // 0 done, 1 start animation, 2 loading, 3 finish animation.
    enum LoadingPhase : int32_t { kDone = 0, kStarting = 1, kLoading = 2, kFinishing = 3 };
    static constexpr float kAvatarFadeRate = 0.005f; // alpha per ms
    static constexpr uint32_t kFrameMs = 16;

    wndLoading();

    const char* GetClassName() const override { return "wndLoading"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    void DrawOverlay() override;
    bool OnAnimate() override;
    // One tick at the clock reading now.
    void Step(uint32_t now);

    int32_t GetPhase() const { return mPhase; }
    float GetProgress() const { return mProgress; }
    int32_t GetLoadedCount() const { return mLoadedCount; }
    const TAssetLevelList* GetLevelGroup() const { return mLevelGroup; }
    const vlkClip* GetAvatar() const { return mAvatar.get(); }
    const vlkSprite* GetBar() const { return mBar.get(); }
    const vlkSprite* GetBarBackground() const { return mBarBackground.get(); }
    const vlkSprite* GetCurtain() const { return mCurtain.get(); }
    // Where the bar's centre goes for a progress: its left edge stays on
    // the background's left edge.
    float BarCentreX(float progress) const;

protected:
    ~wndLoading() override;

private:
    void CreateParts();
    void CreateAvatar();
    TClock* AnimatorClock();
    void PlaceBar();

    int32_t mLoadedCount = 0;
    const TAssetLevelList* mLevelGroup = nullptr;
    std::unique_ptr<vlkCutscene> mStart;
    std::unique_ptr<vlkCutscene> mFinish;
    uint32_t mLastTick = 0;
    int32_t mPhase = kDone;
    std::unique_ptr<TParticleSystem> mParticles;
    std::unique_ptr<vlkSprite> mCurtain;
    std::unique_ptr<vlkSprite> mBarBackground;
    std::unique_ptr<vlkSprite> mBar;
    float mProgress = 0.0f;
    std::unique_ptr<vlkClip> mAvatar;
    float mAvatarFadeRate = 0.0f;
};
