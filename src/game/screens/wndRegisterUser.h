#pragma once

#include "framework/core/math/TVector.h"
#include "framework/ui/window/TWindow.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TAnimatedTexture;
class TButton;
class TImage;
class vlkClip;

// The avatar choice of the register screen: the radio buttons
// "btnAvatar_boy", "_girl", "_cat" and "_dog", a lock picture
// ("bmpAvatarLocked_<name>") in place of the cat and the dog until the
// player named in "gEnterNameValue" has earned them, the chosen avatar's
// figure ("avatar_<name>_on") and the highlight panel "bmpPanelBase_h"
// while the pointer rests on an avatar button. The name field and the
// making of the player are the script's. The script chooses through
// "gfn_setAvatarBoy", "gfn_setAvatarGirl", "gfn_setAvatarCat" and
// "gfn_setAvatarDog".
class wndRegisterUser : public TWindow {
public:
    // One avatar whose button, lock picture and figure all exist.
    struct AvatarEntry {
        int32_t code = 0;
        TButton* button = nullptr;
        TImage* lock = nullptr;
        std::shared_ptr<TAnimatedTexture> animation;
        bool locked = true;
    };

    wndRegisterUser();

    const char* GetClassName() const override { return "wndRegisterUser"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    void Draw() override;
    bool OnAnimate() override;

    // The avatar of that name (boy for any other text) becomes the choice
    // and its button is turned on.
    void SelectDefaultAvatar(const TString& name);
    // A change of the choice moves the figure and plays the avatar's.
    void SelectAvatar(int32_t code);
    void SelectBoy() { SelectAvatar(0); }
    void SelectGirl() { SelectAvatar(1); }
    void SelectDog() { SelectAvatar(2); }
    void SelectCat() { SelectAvatar(3); }

    int32_t GetCurrentAvatar() const { return mCurrentAvatar; }
    const std::vector<std::unique_ptr<AvatarEntry>>& GetEntries() const { return mEntries; }
    // The entry of an avatar code, null when that avatar has none.
    const AvatarEntry* FindEntry(int32_t code) const;
    const vlkClip* GetFigure() const { return mFigure.get(); }
    TImage* GetHighlight() const { return mHighlight; }
    TVec2 GetPosition(int32_t code) const;
    // How many times a figure animation was started (each SelectAvatar
    // that changed the choice, and the default's).
    int32_t GetFigurePlays() const { return mFigurePlays; }

protected:
    ~wndRegisterUser() override;

private:
    void ShowFigure(const std::shared_ptr<TAnimatedTexture>& animation);

    int32_t mCurrentAvatar = 0;
    std::array<TVec2, 4> mPositions{};
    std::unique_ptr<vlkClip> mFigure;
    // The figure's look when the screen last asked to be drawn.
    uint64_t mFigureLook = 0;
    TImage* mHighlight = nullptr;
    std::vector<std::unique_ptr<AvatarEntry>> mEntries;
    int32_t mFigurePlays = 0;
};
