#pragma once

#include "framework/core/math/TPoint.h"
#include "framework/ui/window/TWindow.h"

#include <cstdint>
#include <memory>
#include <vector>

class ScreenCurtain;
class clsPanelModeGame;

// The quick play screen: a panel per mode (clsPanelModeGame) with its
// three difficulty buttons, opened from the current player's completed
// difficulties; a tip ("gpxToolTip" with its text "txtScore") over the
// difficulty under the pointer with the player's best score there; and the
// curtains it opens behind and closes before Play ("closeQuickPlay()") or
// Back (back to the main menu). The script's buttons call
// "gfn_onQuickPlayButton_Play" and "gfn_onQuickPlayButton_Back".
class wndQuickPlay : public TWindow {
public:
    enum QuickPlayCurtainState : int32_t {
        kOpening = 0,
        kClosingToPlay = 1,
        kClosingToBack = 2,
        kRunning = 3,
    };
    // No difficulty under the pointer.
    static constexpr int32_t kNoTip = 1000;

    // One mode's panel: its window name, the first tip index of its three
    // difficulties, the player's completed-difficulty key and the best
    // score keys of its easy, medium and hard boards.
    struct ModePanel {
        const char* name;
        int32_t base;
        const char* unlockKey;
        const char* scoreKeys[3];
    };
    // In screen order: Classic, Blitz, Strategy, Rome, Joker.
    static const ModePanel kPanels[5];

    // Quick style; registers the script functions; the menu music plays.
    wndQuickPlay();

    const char* GetClassName() const override { return "wndQuickPlay"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    void DrawOverlay() override;
    bool OnAnimate() override;
    // The 16 ms step by the elapsed time.
    void Step(uint32_t elapsedMs);

    // Ignored while a curtain plays.
    void OnBack();
    // Only while the screen runs.
    void OnPlay();

    int32_t GetCurtainState() const { return mCurtainState; }
    const ScreenCurtain* GetCurtain() const { return mCurtain.get(); }
    int32_t GetToolTipIndex() const { return mToolTipIndex; }
    const std::vector<TPoint>& GetToolTipPositions() const { return mToolTipPositions; }
    // How many times the tip was moved and given a text.
    int32_t GetToolTipChanges() const { return mToolTipChanges; }

protected:
    ~wndQuickPlay() override;

private:
    void SetupModePanel(const char* name, int32_t bits);
    void StartCurtain();
    void OnCurtainFinished();
    void UpdateToolTip();
    clsPanelModeGame* FindPanel(const char* name) const;

    int32_t mToolTipIndex = kNoTip;
    std::vector<TPoint> mToolTipPositions;
    int32_t mCurtainState = kOpening;
    std::unique_ptr<ScreenCurtain> mCurtain;
    uint32_t mLastTime = 0;
    int32_t mToolTipChanges = 0;
};
