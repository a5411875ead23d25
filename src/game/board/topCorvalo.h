#pragma once

#include "game/board/TopPanel.h"
#include "game/screens/clsAnimWindow.h"

#include <functional>
#include <memory>
#include <vector>

class TTextSprite;
class vlkClip;

// The board screen's top panel: the score card at the end of a won level,
// which slides in with the fanfare and the player's cheering avatar, and
// the bonus texts of the timed modes that rise from the bottom bar and
// fade. The card's own script clears it through "gfn_ClearTopWindow".
class topCorvalo : public clsAnimWindow, public TopPanel {
public:
    // Builds the card's children from a screen script with the card as the
    // script's current window. The default runs the file in the window
    // manager's script; tests put their own children in.
    using CardBuilder = std::function<void(TWindow* card, const TString& file)>;
    static CardBuilder SetCardBuilder(CardBuilder builder);

    // Where the card sits and how big it is.
    static constexpr int32_t kCardX = 194;
    static constexpr int32_t kCardY = 189;
    static constexpr int32_t kCardWidth = 635;
    static constexpr int32_t kCardHeight = 389;
    // A floating text starts here and rises to kTextEndY over its life.
    static constexpr float kTextStartX = 260.0f;
    static constexpr float kTextStartY = 720.0f;
    static constexpr float kTextEndY = 695.0f;
    static constexpr int32_t kTextLife = 100;

    // One rising text and how it is drawn.
    struct FloatingText {
        std::shared_ptr<TTextSprite> sprite;
        float x = kTextStartX;
        float y = kTextStartY;
        float scale = 1.0f;
        float alpha = 1.0f;
        int32_t life = kTextLife;
    };

    topCorvalo();

    const char* GetClassName() const override { return "topCorvalo"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || clsAnimWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    void DrawOverlay() override;
    void OnMoveFinished() override;

    // TopPanel
    void SetUserState(dtUserState* user) override { mUser = user; }
    void SetTotalScore(int32_t total) override { mTotalScore = total; }
    void ShowScoreCard() override;
    void ShowJokerScoreCard(bool bonusEarned) override;
    void ShowFloatingText(const TString& text) override;
    void UpdateFloatingTexts() override;

    // The card's script is done with it: the avatar and the fanfare stop,
    // the card goes.
    void ClearTopWindow();

    // The level number the card shows: the user state's, or in quest play
    // the current node's level + 1.
    int32_t GetCardLevel() const;
    // The score-card avatar animation of an avatar index; empty for none.
    static TString GetAvatarAnimation(int32_t avatar);

    TWindow* GetCard() const { return mCard; }
    const vlkClip* GetAvatarClip() const { return mAvatarClip.get(); }
    int32_t GetTotalScore() const { return mTotalScore; }
    const std::vector<FloatingText>& GetFloatingTexts() const { return mTexts; }

protected:
    ~topCorvalo() override;

private:
    void ShowCard(const char* script, const char* lastLabel, const TString& lastValue);
    void MakeAvatarClip();

    std::vector<FloatingText> mTexts;
    int32_t mTotalScore = 0;
    std::unique_ptr<vlkClip> mAvatarClip;
    TWindow* mCard = nullptr;
    dtUserState* mUser = nullptr;
};
