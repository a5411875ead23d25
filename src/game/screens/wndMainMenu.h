#pragma once

#include "framework/core/math/TVector.h"
#include "framework/ui/window/TWindow.h"

#include <array>
#include <cstdint>
#include <memory>

class ScreenCurtain;
class TParticleSystem;
class vlkClip;
class vlkSprite;

// The main menu: the menu background, the title card's particles, the
// current player's name and figure, which greets now and then, and the
// curtains it opens and closes behind. Its window table and script give
// the buttons; the screen gives the script six functions ("gfn_animClose",
// "gfn_animOpen", "gfn_updateData", "gfn_post", "gfn_isPlayerFirstTime",
// "gfn_clearPlayerFirstTime") and runs "DisableAllButtons()" and
// "EnableAllButtons()" round the curtains and "closeMainMenu()" once the
// closing curtain has fallen.
class wndMainMenu : public TWindow {
public:
    enum AvatarState : int32_t { kNoFigure = 0, kStanding = 1, kGreeting = 2 };
    static constexpr int32_t kAvatarCount = 4;
    // How long the figure stands between two greetings: kStandMinMs plus
    // up to kStandSpreadMs - 1.
    static constexpr int32_t kStandMinMs = 5000;
    static constexpr int32_t kStandSpreadMs = 5000;

    // Opens the curtains at once and starts the menu music.
    wndMainMenu();

    const char* GetClassName() const override { return "wndMainMenu"; }
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

    // The 16 ms step by the elapsed time (OnAnimate reads it from the
    // animator's clock).
    void Step(uint32_t elapsedMs);

    void CloseCurtains();
    void OpenCurtains();
    // The current player's name and avatar; the figure greets.
    void UpdateData();
    // Opens the game's community page in the browser.
    void Post();
    bool IsPlayerFirstTime();
    void ClearPlayerFirstTime();

    // Nothing when the state is the figure's already (unless forced), for
    // a state or avatar code out of range, or without a figure.
    void SetAvatarAnimation(int32_t state, bool force);

    int32_t GetAvatar() const { return mAvatar; }
    int32_t GetAvatarState() const { return mAvatarState; }
    int32_t GetStandTimeLeft() const { return mStandTimeLeft; }
    bool IsPaused() const { return mPaused != 0; }
    TVec2 GetAvatarPosition(int32_t avatar) const;
    const vlkClip* GetFigure() const { return mFigure.get(); }
    const ScreenCurtain* GetClosingCurtain() const { return mClosing.get(); }
    const ScreenCurtain* GetOpeningCurtain() const { return mOpening.get(); }
    const TParticleSystem* GetTitleCard() const { return mTitleCard.get(); }
    // The animation name of an avatar and a state ("anim_avatar_girl_stand");
    // empty when either is out of range.
    static TString AvatarAnimationName(int32_t avatar, int32_t state);

protected:
    ~wndMainMenu() override;

private:
    void ReadAvatarPosition(int32_t index, TWindowStyle& style);
    void StartTitleCard();
    void RegisterScriptFunctions();
    // Gives the figure the animation of the state and places it.
    void ShowFigure(int32_t state);

    uint8_t mPaused = 0;
    uint32_t mLastTime = 0;
    std::unique_ptr<vlkClip> mFigure;
    int32_t mAvatar = 0;
    int32_t mAvatarState = kNoFigure;
    int32_t mStandTimeLeft = 0;
    std::array<TVec2, kAvatarCount> mAvatarPositions{};
    std::unique_ptr<ScreenCurtain> mClosing;
    std::unique_ptr<ScreenCurtain> mOpening;
    std::unique_ptr<TParticleSystem> mTitleCard;
    std::unique_ptr<vlkSprite> mBackground;
};
