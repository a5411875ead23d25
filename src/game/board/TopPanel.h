#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

class dtUserState;

// What the levels need of the board screen's top panel: the score card at
// the end of a won level and the rising bonus texts of the timed modes. The
// panel window implements it; a level finds it by name and never owns it.
class TopPanel {
public:
    virtual ~TopPanel() = default;

    virtual void SetUserState(dtUserState* user) = 0;
    // The total the score card shows.
    virtual void SetTotalScore(int32_t total) = 0;
    virtual void ShowScoreCard() = 0;
    virtual void ShowJokerScoreCard(bool bonusEarned) = 0;
    // A text rising from the bottom panel ("+ 5 sec").
    virtual void ShowFloatingText(const TString& text) = 0;
    // Once a frame.
    virtual void UpdateFloatingTexts() = 0;
};
