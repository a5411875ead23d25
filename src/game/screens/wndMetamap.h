#pragma once

#include "framework/ui/window/TWindow.h"

#include <cstdint>
#include <memory>
#include <vector>

class TParticleSystem;
class clsMetamap;
class clsMetamapButton;
class vlkCutscene;
class vlkCutsceneTextSequence;
class vlkParticleFx;

// The quest's world map: a node button (clsMetamapButton "mbtn_N") per
// node of the player's quest map, laid out from the model by a walk from
// node 0; the opening of newly reached nodes, the clouds over the worlds
// not reached, the path effect along the current world's road, and, when
// a world has just been cleared, its celebration (then the achievements,
// and at the end of the quest the finish screen). A press on a reachable
// node makes it the quest map's current node and closes the curtain;
// "closeMetamap()" then plays its level. Back closes the curtain and goes
// back to the main menu. Built by "DoModal('scripts/worldmap.lua')".
class wndMetamap : public TWindow {
public:
    // 0 opening, 1 closing to play, 2 closing to go back, 3 running.
    enum CurtainState : int32_t {
        kOpening = 0,
        kClosingToPlay = 1,
        kClosingToBack = 2,
        kRunning = 3
    };
    static constexpr uint32_t kFrameMs = 16;
    static constexpr int kWorlds = 5;

    wndMetamap();

    const char* GetClassName() const override { return "wndMetamap"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    void Draw() override;
    void DrawOverlay() override;
    bool OnAnimate() override;
    // One tick at the animator clock reading now.
    void Step(uint32_t now);

    void OnButtonPressed(int32_t n);
    void OnBack();

    int32_t GetCurtainState() const { return mCurtainState; }
    bool HasCurtain() const { return mCurtain != nullptr; }
    bool IsLaidOut() const { return mLaidOut; }
    int32_t GetFrontier() const { return mFrontier; }
    bool IsWorldClearPending() const { return mWorldClearPending != 0; }
    bool IsFinishQuestPending() const { return mFinishQuestPending != 0; }
    size_t GetUnlockEffectCount() const { return mUnlockEffects.size(); }
    size_t GetMapClearEffectCount() const { return mMapClearEffects.size(); }
    const vlkParticleFx* GetPathEffect() const { return mPathEffect.get(); }
    const char* GetPathName() const { return mPathName; }
    const vlkCutscene* GetLockedCloud(int k) const { return mLockedClouds[k].get(); }
    const vlkCutscene* GetUnlockedCloud() const { return mUnlockedCloud.get(); }
    const vlkCutsceneTextSequence* GetWorldClearText() const { return mWorldClearText.get(); }
    const std::vector<clsMetamapButton*>& GetButtons() const { return mButtons; }

protected:
    ~wndMetamap() override;

private:
    void CreateAmbientEffects();
    void UpdateNodes();
    void ShowNodeUnlocked(int k);
    void StartPathEffect(bool isNew, bool completed);
    void HideClearedClouds();
    void PrepareUnlockedCloud();
    void CheckWorldClear(bool isNew, bool completed);
    void StartCurtain();
    void OnCurtainFinished();
    void MapClear();
    void OpenNode();
    void UpdateEffects(uint32_t elapsed);
    void DrawEffects();
    bool ShowBackButton(bool show);
    void AddUnlockEffect(float x, float y);
    void AddMapClearEffect(float x, float y);
    void PlaySound(const char* name);
    void SaveMap();
    void EffectPoint(int k, float& x, float& y) const;
    // The button set fits the model (count and modes); logs the first
    // difference.
    bool ButtonsFitModel() const;

    clsMetamap* mModel = nullptr;
    std::vector<clsMetamapButton*> mButtons;
    int32_t mCurtainState = kOpening;
    std::unique_ptr<vlkCutscene> mCurtain;
    uint32_t mLastTick = 0;
    std::unique_ptr<vlkParticleFx> mPathEffect;
    const char* mPathName = nullptr;
    bool mPathWaits = false;
    uint8_t mHideBackButton = 0;
    std::vector<std::unique_ptr<TParticleSystem>> mUnlockEffects;
    std::vector<std::unique_ptr<TParticleSystem>> mMapClearEffects;
    std::unique_ptr<vlkCutscene> mMountainBirds;
    std::unique_ptr<vlkCutscene> mBeachBirds;
    std::unique_ptr<vlkCutscene> mLockedClouds[kWorlds];
    std::unique_ptr<vlkCutscene> mUnlockedCloud;
    int32_t mCloudX[kWorlds] = {-100, 20, 435, 600, 240};
    int32_t mCloudY[kWorlds] = {50, 330, 410, 100, -100};
    int32_t mFrontier = 0;
    uint8_t mFrontierNew = 0;
    std::unique_ptr<vlkCutsceneTextSequence> mWorldClearText;
    std::unique_ptr<TParticleSystem> mWorldClearParticles;
    uint8_t mFinishQuestPending = 0;
    uint8_t mWorldClearPending = 0;
    // The layout ran: the buttons fit the model.
    bool mLaidOut = false;
    // A map without a layout lets its buttons go at its first tick: in
    // PostInit the screen script has not yet made (and shut) the rest.
    bool mEnableButtonsOnTick = false;
};
