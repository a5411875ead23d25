#pragma once

#include "game/board/BoardScreen.h"

// A board screen that ignores every call, for tests that look at one
// operation only and override it.
class NullBoardScreen : public BoardScreen {
public:
    void StartCountdown(const TString&) override {}
    void ResetAchievementPanels() override {}
    void SkipCelebration() override {}
    void ShowCircle(bool) override {}
    void ShowTilesCompleted() override {}
    void StartCelebration() override {}
    bool IsCelebrating() override { return false; }
    bool TakeScoreBurst() override { return false; }
    void CloseCurtains() override {}
    void CloseBoard() override {}
    void ResetBackground() override {}
    void ShowLives(int) override {}
    void SetBoardWarning(bool) override {}
    void ShowCombo(int) override {}
    void ShowChainedCombo(int) override {}
    void ShowSuperCombo(int) override {}
    void ShowGridClear() override {}
    void ShowAlmostThere() override {}
    void ShowGood() override {}
    void StopAlmostThere() override {}
    void ShowAchievement(const TString&) override {}
    void StartFreeze() override {}
    void EndFreeze() override {}
    void PlayGameplayMusic() override {}
    void StopGameplayMusic() override {}
};
