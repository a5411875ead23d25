#pragma once

#include "framework/core/math/TVector.h"
#include "framework/core/text/TString.h"
#include "framework/ui/window/TWindow.h"
#include "game/board/BottomPanel.h"
#include "velk/display/vlkLookWatch.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TAnimatedTexture;
class TLinearMove;
class TText;
class TTexture;
class dtUserState;
class vlkClip;
class vlkSprite;

// The board screen's heads-up strip: level number, level score and total
// with counting animations, the goal count and its bar, the time bar with
// its spark, the clock of the timed modes, the mode's icon, the new-row
// button, the quest task and the player's avatar in the mood the level
// sets. It also picks the board's background and, at the end of a level,
// stores the total into the player's record. The screen's script makes it
// with its text, button and picture children; the level finds it by name,
// gives it the play info and calls the set-up of its mode.
class btmCorvalo : public TWindow, public BottomPanel {
public:
    btmCorvalo();

    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }

    const char* GetClassName() const override { return "btmCorvalo"; }
    bool IsKindOf(TWindowClassId id) const override;
    void PostInit(TWindowStyle& style) override;
    void Draw() override;
    void DrawOverlay() override;
    bool OnAnimate() override;
    void OnBeforeFrame() override;

    // The counting step at a time of the animator's clock (OnAnimate reads
    // it from there).
    void Animate(uint32_t now);

    // BottomPanel
    void SetPlayInfo(int mode, int difficulty, int task, const TString& style) override;
    void SetupClassic(dtUserState* user) override;
    void SetupBlitz(dtUserState* user) override;
    void SetupStrategy(dtUserState* user) override;
    void SetupRome(dtUserState* user) override;
    void SetupJoker(dtUserState* user, int difficulty) override;
    void ShowClock(bool show) override;
    void SetNewRowEnabled(bool enabled) override;
    void UpdateNewRowEnabled(bool enabled) override;
    void ShowNewRowButton(bool show) override;
    void UpdateTimeBar(float fraction) override;
    void UpdateClock(int32_t remainingMs) override;
    void UpdateGoalBar(float fraction) override;
    void AddScore(int32_t points) override;
    int32_t GetScore() const override { return mTotalShown; }
    void SetAvatarMood(int mood) override;
    void SetAvatarVisible(bool visible) override;
    int32_t StoreScore() override;

    // Runs "selectBackground(region, time of day)"; the argument comes back
    // lower-cased.
    void SelectBackground(TString& timeOfDay);
    // Shows the icon of mode 1 to 5 and hides the others.
    void ShowModeIcon(int mode);
    // Task 3 and 4 have an icon: it replaces the previous one; true then.
    bool SetTaskIcon(int task);
    void HideNewRowAndTimeBar();
    // Each display whose source in the user state changed.
    void RefreshCounters();
    void SetClockText(int32_t ms);

    // Read by tests and the layout probe.
    int GetMood() const { return mMood; }
    const TString& GetAvatarPrefix() const { return mAvatarPrefix; }
    int32_t GetTotalRunning() const { return mTotalRunning; }
    bool IsNewRowEnabled() const { return mNewRowEnabled != 0; }
    bool IsHoldingFullClock() const { return mHoldFullClock != 0; }
    float GetClockTotal() const { return mClockTotal; }
    const vlkSprite* GetTimeBar() const { return mTimeBar.get(); }
    const vlkSprite* GetGoalBar() const { return mGoalBar.get(); }
    const vlkSprite* GetLayoutBar2() const { return mLayoutBar2.get(); }
    const vlkSprite* GetTaskIcon() const { return mTaskIcon.get(); }
    const vlkClip* GetSpark() const { return mSpark.get(); }
    const vlkClip* GetAvatar() const { return mAvatar.get(); }
    const TVec2& GetAvatarPosition(size_t index) const { return mAvatarPositions.at(index); }

    static constexpr int kMoodStand = 4;
    static constexpr int kMoodHappy = 5;
    static constexpr int kMoodScare = 6;

protected:
    ~btmCorvalo() override;

private:
    enum class Mode { kClassic, kBlitz, kStrategy, kRome, kJoker };

    void Setup(Mode mode, dtUserState* user, int jokerDifficulty);
    void ShowTask(Mode mode);
    void FillRoundDisplay(int jokerDifficulty);
    void LoadAvatarIconPosition(size_t index, const TWindowStyle& style, const char* table);
    void CreateCounters();
    void CreateSpark();
    void PlaceTimeBar(float fraction);
    void PlaceGoalBar(float fraction);
    // The level state's difficulty (1 to 3), else the panel's + 1.
    int BoardSize() const;
    TText* Text(const char* name) const;
    void SetTextOf(const char* name, const TString& text);
    void ShowChild(const char* name, bool show);

    dtUserState* mUser = nullptr;
    uint8_t mNewRowEnabled = 1;
    int32_t mGoalLeft = 0;
    int32_t mGoalTotal = 0;
    int32_t mLivesShown = 0;
    int32_t mBestComboShown = 0;
    int32_t mLevelScoreShown = 0;
    int32_t mTotalShown = 0;
    int32_t mTotalRunning = 0;
    std::unique_ptr<vlkSprite> mTimeBar;
    TVec2 mTimeBarOrigin;
    std::shared_ptr<TTexture> mTimeBarTexture;
    std::unique_ptr<vlkSprite> mLayoutBar1;
    std::unique_ptr<vlkSprite> mLayoutBar2;
    std::unique_ptr<vlkSprite> mGoalBar;
    TVec2 mGoalBarOrigin;
    std::shared_ptr<TTexture> mGoalBarTexture;
    std::unique_ptr<vlkClip> mSpark;
    std::unique_ptr<vlkClip> mAvatar;
    TString mAvatarPrefix;
    int mMood = kMoodStand;
    std::unique_ptr<vlkSprite> mTaskIcon;
    vlkLookWatch mLookWatch;
    float mIconX = 0.0f;
    float mIconY = 0.0f;
    uint8_t mHoldFullClock = 0;
    float mClockTotal = 0.0f;

public:
    // Set by the level before its set-up (SetPlayInfo): 1 Classic,
    // 2 Strategy, 3 Blitz, 4 Joker, 5 Rome; the difficulty index 0 to 2;
    // the quest task (0 none); "quest" or "quick".
    int32_t mode = 0;
    int32_t difficulty = 0;
    int32_t task = 0;
    TString style;

private:
    std::vector<TVec2> mAvatarPositions;
    uint32_t mLastAnimation = 0;
    std::unique_ptr<TLinearMove> mTotalCounter;
    std::unique_ptr<TLinearMove> mLevelScoreCounter;
    int32_t mTotalBase = 0;
    int32_t mLevelScoreBase = 0;
    // The text children found missing, logged once each.
    std::vector<std::string> mMissingTexts;
};
