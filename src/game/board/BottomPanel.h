#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

class dtUserState;

// What the levels need of the board screen's bottom panel: the set-up for
// the mode, the new-row controls, the time bar or clock, the score and the
// avatar. The panel window implements it; a level finds it by name among
// the board screen's children and never owns it.
class BottomPanel {
public:
    virtual ~BottomPanel() = default;

    // The mode number (1 to 5), the difficulty index (0 to 2), the quest
    // task and the style ("quest" or "quick"), before the set-up.
    virtual void SetPlayInfo(int mode, int difficulty, int task, const TString& style) = 0;
    virtual void SetupClassic(dtUserState* user) = 0;
    virtual void SetupBlitz(dtUserState* user) = 0;
    virtual void SetupStrategy(dtUserState* user) = 0;
    virtual void SetupRome(dtUserState* user) = 0;
    virtual void SetupJoker(dtUserState* user, int difficulty) = 0;
    // True: the clock; false: the new-row controls.
    virtual void ShowClock(bool show) = 0;
    virtual void SetNewRowEnabled(bool enabled) = 0;
    virtual void UpdateNewRowEnabled(bool enabled) = 0;
    virtual void ShowNewRowButton(bool show) = 0;
    // The row timer's fraction (0 to 1).
    virtual void UpdateTimeBar(float fraction) = 0;
    // The countdown's remaining ms.
    virtual void UpdateClock(int32_t remainingMs) = 0;
    virtual void UpdateGoalBar(float fraction) = 0;
    // Counts the shown total up by the points.
    virtual void AddScore(int32_t points) = 0;
    // The shown total.
    virtual int32_t GetScore() const = 0;
    // 4 stand, 5 happy, 6 scare.
    virtual void SetAvatarMood(int mood) = 0;
    virtual void SetAvatarVisible(bool visible) = 0;
    // Writes the shown total into the user state and returns it.
    virtual int32_t StoreScore() = 0;
};
