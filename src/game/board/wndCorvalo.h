#pragma once

#include "game/board/BoardScreen.h"
#include "velk/container/vlkGameContainer.h"
#include "velk/display/vlkLookWatch.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TParticleSystem;
class vlkClip;
class vlkCutscene;
class vlkCutsceneText;
class vlkCutsceneTextSequence;
class vlkParticleFx;
class vlkTrailBurstFx;

// The window that hosts one level: it makes the game object (which makes
// the level), opens on the curtains, starts the level's countdown, keeps
// the game still while the host pauses it, and closes on the curtains
// once the level is over. The screen's script gives it its children: the
// board frames, the hearts, the achievement panels, the board and the two
// panels; the background picture lies in its parent's tree.
class wndCorvalo : public vlkGameContainer, public BoardScreen {
public:
    wndCorvalo();

    const char* GetClassName() const override { return "wndCorvalo"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || vlkGameContainer::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void Init(TWindowStyle& style) override;
    void PostInit(TWindowStyle& style) override;
    void Draw() override;
    void DrawOverlay() override;
    bool OnAnimate() override;

    // The frame step with the milliseconds since the last one (OnAnimate
    // reads them from the window's clock).
    void Step(uint32_t now);

    // BoardScreen
    void StartCountdown(const TString& text) override;
    void ResetAchievementPanels() override;
    void SkipCelebration() override;
    void ShowCircle(bool show) override;
    void ShowTilesCompleted() override;
    void StartCelebration() override;
    bool IsCelebrating() override;
    bool TakeScoreBurst() override;
    void CloseCurtains() override { CloseBoard(); }
    void CloseBoard() override;
    void ResetBackground() override;
    void ShowLives(int lives) override;
    void SetBoardWarning(bool on) override;
    void ShowCombo(int size) override;
    void ShowChainedCombo(int size) override;
    void ShowSuperCombo(int size) override;
    void ShowGridClear() override;
    void ShowAlmostThere() override;
    void ShowGood() override;
    void StopAlmostThere() override;
    void ShowAchievement(const TString& label) override;
    void StartFreeze() override;
    void EndFreeze() override;
    void PlayGameplayMusic() override;
    void StopGameplayMusic() override;

    // The old name of ResetBackground.
    void SelectBackground() { ResetBackground(); }

    // Through the asset lists; nothing without them.
    static void PlaySound(const TString& name, bool loop);
    static void StopSound(const TString& name);

    // The centre of the last visible board frame; (0, 0) when none shows.
    TPoint GetFrameCentre() const;

    // The ambient particles' place and look for the level about to be
    // played, and the freeze effects put away.
    void SetAmbientTheme();
    void ClearFreeze();
    bool IsGridClearPlaying() const;
    bool IsAlmostTherePlaying() const;

    static constexpr int kPanels = 5;
    // The board frames, one per board size, smallest first.
    static constexpr const char* kFrameNames[3] = {"bmpFrame7x8", "bmpFrame9x10", "bmpFrame11x12"};
    static constexpr int kFireworks = 5;
    static constexpr int kSnow = 8;

    bool IsOpening() const { return mOpening != nullptr; }
    bool IsClosing() const { return mClosing != nullptr; }
    bool IsClosePending() const { return mClosePending != 0; }
    bool IsAwaitingStart() const { return mAwaitingStart != 0; }
    bool AreFireworksStopped() const { return mFireworksStopped != 0; }
    int GetPanelCount() const { return mPanelCount; }

    // The effects as they stand, for the screen's checks; null before
    // their first use or when their files do not load.
    const vlkCutsceneTextSequence* GetCountdown() const { return mCountdown.get(); }
    const vlkCutsceneTextSequence* GetGridClear(int line) const {
        return line == 0 ? mGridClear1.get() : mGridClear2.get();
    }
    const vlkCutsceneText* GetComboText() const { return mCombo.get(); }
    const vlkCutsceneTextSequence* GetChainedComboText() const { return mChainedCombo.get(); }
    const vlkCutsceneTextSequence* GetSuperComboText() const { return mSuperCombo.get(); }
    const vlkCutsceneTextSequence* GetAlmostThereText() const { return mAlmostThere.get(); }
    const vlkCutsceneTextSequence* GetGoodText() const { return mGood.get(); }
    const vlkClip* GetCircleClip() const { return mCircle.get(); }
    const vlkClip* GetWarningClip() const { return mWarning.get(); }
    const vlkClip* GetHeartLossClip() const { return mHeartLoss.get(); }
    const TParticleSystem* GetAmbient() const { return mAmbient.get(); }
    const TParticleSystem* GetTilesCompleted() const { return mTilesCompleted.get(); }
    const vlkTrailBurstFx* GetFirework(int i) const { return mFireworks[i].get(); }
    const vlkParticleFx* GetSnow(int i) const { return mSnow[i].get(); }
    const vlkCutscene* GetFreeze() const { return mFreeze.get(); }
    const vlkCutscene* GetUnfreeze() const { return mUnfreeze.get(); }
    const vlkCutscene* GetLogoFlash() const { return mLogoFlash.get(); }
    const TParticleSystem* GetRayOfLight() const { return mRayOfLight.get(); }
    const TParticleSystem* GetLogoParticles() const { return mLogoParticles.get(); }
    const vlkParticleFx* GetScoreTrail() const { return mScoreTrail.get(); }
    const TParticleSystem* GetScoreExplosion() const { return mScoreExplosion.get(); }
    const vlkCutscene* GetPanelCutscene(int i) const { return mPanelCutscenes[i].get(); }

protected:
    ~wndCorvalo() override;

private:
    // The step changes only the board, the pop-up clips and the ambient
    // particles: each is drawn again where it changed; an effect that plays
    // or comes or goes draws the whole screen.
    void InvalidateChanges() override {}
    void OnBeforeFrame() override;
    bool AnyEffectPlaying() const;
    uint64_t EffectsPresent() const;
    void OpenCurtains();
    void UpdateCountdown(uint32_t elapsed);
    void UpdateClosing(uint32_t elapsed);
    void AfterOpening();
    bool AnyPanelPlaying() const;

    // The pop-ups and effects.
    void UpdatePopups(uint32_t elapsed);
    void UpdateEffects(uint32_t elapsed);
    void UpdateFireworks(uint32_t elapsed);
    void UpdateAchievementPanels(uint32_t elapsed);
    void DrawParticleLayers();
    void DrawPopups();
    void DeleteEffects();
    void ShowLogoFlash();
    int AddAchievementPanel();
    void StartPanelsAndFireworks();
    void MakeScoreTrail();
    TWindow* PanelWindow(int slot);
    // The file of an effect of the effect list; empty, logged once, when
    // the list does not have it.
    TString EffectFile(const char* name);
    std::unique_ptr<vlkCutsceneTextSequence> MakeSequence(const TString& file, int letterWidth);
    std::unique_ptr<vlkCutscene> MakeCutscene(const TString& file, const char* what);
    std::unique_ptr<TParticleSystem> MakeParticles(const char* name, float x, float y, float z);
    std::unique_ptr<vlkClip> MakeClip(const char* name);
    // A script global, lower-cased.
    static TString LowerGlobal(const char* name);
    // Logs a missing effect's line once per screen.
    void LogMissing(const std::string& line);

    std::unique_ptr<vlkCutsceneTextSequence> mCountdown;
    std::unique_ptr<vlkCutsceneTextSequence> mGridClear1;
    std::unique_ptr<vlkCutsceneTextSequence> mGridClear2;
    std::unique_ptr<vlkCutsceneText> mCombo;
    std::unique_ptr<vlkCutsceneTextSequence> mChainedCombo;
    std::unique_ptr<vlkCutsceneTextSequence> mSuperCombo;
    std::unique_ptr<vlkCutsceneTextSequence> mAlmostThere;
    std::unique_ptr<vlkCutsceneTextSequence> mGood;
    std::unique_ptr<vlkClip> mCircle;
    std::unique_ptr<vlkClip> mWarning;
    std::unique_ptr<vlkClip> mHeartLoss;
    std::unique_ptr<TParticleSystem> mAmbient;
    std::unique_ptr<TParticleSystem> mTilesCompleted;
    std::unique_ptr<vlkTrailBurstFx> mFireworks[kFireworks];
    std::unique_ptr<vlkCutscene> mOpening;
    uint32_t mLastUpdate = 0;
    uint8_t mFirstUpdate = 1;
    uint8_t mAwaitingStart = 0;
    uint8_t mSpriteText = 0;
    std::unique_ptr<vlkCutscene> mClosing;
    std::unique_ptr<vlkParticleFx> mSnow[kSnow];
    std::unique_ptr<vlkCutscene> mFreeze;
    std::unique_ptr<vlkCutscene> mUnfreeze;
    std::unique_ptr<vlkCutscene> mLogoFlash;
    std::unique_ptr<TParticleSystem> mRayOfLight;
    std::unique_ptr<TParticleSystem> mLogoParticles;
    std::unique_ptr<vlkParticleFx> mScoreTrail;
    std::unique_ptr<TParticleSystem> mScoreExplosion;
    uint8_t mFireworksStopped = 1;
    uint8_t mScoreBurst = 0;
    uint8_t mClosePending = 0;
    TWindow* mPanels[kPanels] = {};
    std::unique_ptr<vlkCutscene> mPanelCutscenes[kPanels];
    int32_t mPanelCount = 0;
    std::set<std::string> mLogged;
    uint64_t mEffectsPresent = 0;
    vlkLookWatch mClipWatch;
    std::vector<TRect> mAmbientBoxes;
};
