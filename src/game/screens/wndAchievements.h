#pragma once

#include "game/screens/wndFade.h"
#include "framework/core/math/TVector.h"
#include "velk/game/GameTuning.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TImage;
class TText;
class dtUserState;
class vlkClip;
class vlkSprite;
class wndToolTip;

// The twenty achievements as the player's progress stands: entry n - 1 is
// achievement n.
inline constexpr int kAchievementCount = 20;
using AchievementFlags = std::array<bool, kAchievementCount>;
AchievementFlags EvaluateAchievements(const dtUserState& user, const TGameTuning::Achieve& achieve);
// The title tier of a count won: 1 for none to five, then one more for
// each further five.
int32_t AchievementTier(int32_t won);
// The meter at a ratio won of 0 to 1: the bar placed by its centre and
// scaled from its 23 pixels, the brain on top of it.
struct AchievementMeter {
    float barX = 0.0f;
    float barY = 0.0f;
    float barScaleY = 0.0f;
    float brainX = 0.0f;
    float brainY = 0.0f;
    float brainScale = 0.0f;
};
AchievementMeter MeasureAchievementMeter(float ratio);
// The progress an achievement counted in quest play shows after its tip,
// ".(done/needed)" with done at most needed; empty for the others.
TString AchievementProgress(int32_t n, const dtUserState& user, const TGameTuning::Achieve& achieve);

// The achievement board: a fading pop-up over the player's twenty
// achievements, lit or dark, the count won, a meter with a brain on top,
// three titles by the count, the player's name and avatar and a tool tip
// for the icon under the pointer. It only reads the progress. Scripts
// close it through "gfn_OnBackAchievements"; after its closing fade it runs
// "closeAchievements()".
class wndAchievements : public wndFade {
public:
    enum Step : uint32_t { kOpening = 0, kOpen = 1, kClosing = 2 };

    // One achievement's icons and tip.
    struct Slot {
        bool achieved = false;
        TImage* iconOn = nullptr;
        TImage* iconOff = nullptr;
        TRect rect;
        bool questModeNote = false;
        TString label;
        TString tip;
    };

    wndAchievements();

    const char* GetClassName() const override { return "wndAchievements"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    void Draw() override;
    void DrawOverlay() override;
    bool OnMouseMove(TPoint point) override;
    void OnFadeFinished(uint32_t finished) override;
    void OnBack();

    Step GetStep() const { return mStep; }
    const std::vector<std::unique_ptr<Slot>>& GetSlots() const { return mSlots; }
    const TRect& GetHoverArea() const { return mHoverArea; }
    const vlkSprite* GetBrain() const { return mBrain.get(); }
    const vlkSprite* GetBar() const { return mBar.get(); }
    const vlkClip* GetAvatarClip() const { return mAvatarClip.get(); }
    wndToolTip* GetToolTip() const { return mToolTip; }

protected:
    ~wndAchievements() override;

private:
    void SetMeter(float ratio);
    void ShowBoard(bool show);
    void HideTip();
    void MakeAvatarClip(int32_t avatar);

    Step mStep = kOpening;
    TWindow* mContent = nullptr;
    std::unique_ptr<vlkClip> mAvatarClip;
    std::unique_ptr<vlkSprite> mBrain;
    std::unique_ptr<vlkSprite> mBar;
    std::unique_ptr<vlkSprite> mBackground;
    std::unique_ptr<vlkSprite> mMeterBackground;
    std::vector<std::unique_ptr<Slot>> mSlots;
    wndToolTip* mToolTip = nullptr;
    TRect mHoverArea;
    std::vector<TVec2> mAvatarPositions;
    TText* mQuestModeLabel = nullptr;
    bool mInWindowList = false;
};
