#pragma once

#include "framework/core/text/TString.h"

// Orders text keys the way the framework collates them, for the game's
// maps keyed by text.
struct vlkTextLess {
    bool operator()(const TString& a, const TString& b) const { return a.Less(b); }
};
