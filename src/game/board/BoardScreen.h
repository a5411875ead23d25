#pragma once

#include "framework/core/text/TString.h"

// What the board's shows and the levels need of the board screen: the
// level-start countdown, the pop-ups, the end effects, the lives, the
// warning frame and the closing of the board. The board screen window
// implements it; the levels and the board action queue hold it by pointer
// and never own it.
class BoardScreen {
public:
    virtual ~BoardScreen() = default;

    // Plays the gameplay music and shows the text's parts, separated by
    // "_", one after another.
    virtual void StartCountdown(const TString& text) = 0;

    // Play begins: no achievement panel is taken.
    virtual void ResetAchievementPanels() = 0;
    // A click: running fireworks stop.
    virtual void SkipCelebration() = 0;
    // The goal display's blink.
    virtual void ShowCircle(bool show) = 0;
    // Stops the gameplay music and plays the finish effect.
    virtual void ShowTilesCompleted() = 0;
    // The win effect; the score bursts come while it celebrates.
    virtual void StartCelebration() = 0;
    virtual bool IsCelebrating() = 0;
    // True once per burst.
    virtual bool TakeScoreBurst() = 0;
    // Disables the buttons and plays the closing curtains.
    virtual void CloseCurtains() = 0;
    // The level has ended and its pop-ups are done: the board closes.
    virtual void CloseBoard() = 0;
    // Picks the background of the next quick-play level.
    virtual void ResetBackground() = 0;
    // The hearts: 0 to 2 lives left.
    virtual void ShowLives(int lives) = 0;
    virtual void SetBoardWarning(bool on) = 0;
    // The combo pop-ups with the group size, and the cleared-board pop-up.
    virtual void ShowCombo(int size) = 0;
    virtual void ShowChainedCombo(int size) = 0;
    virtual void ShowSuperCombo(int size) = 0;
    virtual void ShowGridClear() = 0;
    virtual void ShowAlmostThere() = 0;
    // The good-card pop-up of a Joker round found in full.
    virtual void ShowGood() = 0;
    virtual void StopAlmostThere() = 0;
    // "Achieve Game N".
    virtual void ShowAchievement(const TString& label) = 0;
    virtual void StartFreeze() = 0;
    virtual void EndFreeze() = 0;
    virtual void PlayGameplayMusic() = 0;
    virtual void StopGameplayMusic() = 0;
};
