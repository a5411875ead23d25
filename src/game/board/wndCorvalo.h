#pragma once

#include "game/board/BoardScreen.h"
#include "velk/container/vlkGameContainer.h"

#include <cstdint>
#include <memory>

class vlkCutscene;
class vlkCutsceneTextSequence;

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

    bool IsOpening() const { return mOpening != nullptr; }
    bool IsClosing() const { return mClosing != nullptr; }
    bool IsClosePending() const { return mClosePending != 0; }
    bool IsAwaitingStart() const { return mAwaitingStart != 0; }

protected:
    ~wndCorvalo() override;

private:
    void OpenCurtains();
    void UpdateCountdown(uint32_t elapsed);
    void UpdatePanelsAndClosing(uint32_t elapsed);
    void AfterOpening();
    bool AnyPanelPlaying() const;

    std::unique_ptr<vlkCutsceneTextSequence> mCountdown;
    std::unique_ptr<vlkCutscene> mOpening;
    std::unique_ptr<vlkCutscene> mClosing;
    uint32_t mLastUpdate = 0;
    uint8_t mFirstUpdate = 1;
    uint8_t mAwaitingStart = 0;
    uint8_t mSpriteText = 0;
    uint8_t mClosePending = 0;
    static constexpr int kPanels = 5;
    TWindow* mPanels[kPanels] = {};
    std::unique_ptr<vlkCutscene> mPanelCutscenes[kPanels];
};
