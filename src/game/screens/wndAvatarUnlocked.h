#pragma once

#include "framework/ui/window/TWindow.h"

#include <cstdint>
#include <memory>

class vlkClip;

// The pop-up of an avatar won on the quest map (the cat for reward 6, the
// dog for 7): the avatar's winning animation, its name in the text
// "lblAvatarUnlockContent", and the pending reward cleared, so the pop-up
// shows once per unlock. Closing it is the script's business.
class wndAvatarUnlocked : public TWindow {
public:
    static constexpr uint32_t kTickMs = 32;
    static constexpr int32_t kCatReward = 6;
    static constexpr int32_t kDogReward = 7;

    const char* GetClassName() const override { return "wndAvatarUnlocked"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    // Leaves the table's "fit" and alignment keys unread.
    void PostInit(TWindowStyle& style) override;
    bool OnAnimate() override;
    void DrawOverlay() override;

    const vlkClip* GetClip() const { return mClip.get(); }

protected:
    ~wndAvatarUnlocked() override;

private:
    std::unique_ptr<vlkClip> mClip;
};
