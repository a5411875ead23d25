#pragma once

#include "framework/core/text/TString.h"

// What the board's shows need of the board screen: the level-start
// countdown. The board screen window implements it; the levels and the
// board action queue hold it by pointer and never own it.
class BoardScreen {
public:
    virtual ~BoardScreen() = default;

    // Plays the gameplay music and shows the text's parts, separated by
    // "_", one after another.
    virtual void StartCountdown(const TString& text) = 0;
};
