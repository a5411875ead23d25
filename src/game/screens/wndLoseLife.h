#pragma once

#include "framework/ui/window/TWindow.h"

#include <cstdint>
#include <memory>

class vlkClip;

// The pop-up of a life lost: three hearts "bmp1".."bmp3" of which the one
// lost now breaks (the animation "HeartB" over it) and those lost before
// are gone, the player's avatar in its losing pose, the sound "lose_life",
// and "lblGameOver" only when no life is left. The window table gives
// "LifeCount" (lives left, 2 by default) and "avatar_x", "avatar_y".
// Closing it is the script's business.
class wndLoseLife : public TWindow {
public:
    wndLoseLife();

    const char* GetClassName() const override { return "wndLoseLife"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    bool OnAnimate() override;
    void DrawOverlay() override;

    // Lives left, 0 to 2 (other values change nothing): the hearts from
    // that index on are hidden and the heart at that index breaks.
    void SetLifeCount(int32_t lives);

    // The avatar's losing animation of an avatar code; empty for none.
    static const char* GetAvatarAnimation(int32_t avatar);

    const vlkClip* GetHeart() const { return mHeart.get(); }
    const vlkClip* GetAvatar() const { return mAvatar.get(); }

protected:
    ~wndLoseLife() override;

private:
    std::unique_ptr<vlkClip> mHeart;
    std::unique_ptr<vlkClip> mAvatar;
};
