#pragma once

#include "framework/core/text/TString.h"

// The game's string table text of a label with up to five arguments
// substituted; the label itself (and a log line) when the game has no
// string table.
TString GetLocalizedString(const TString& label, const TString& a1 = TString(),
                           const TString& a2 = TString(), const TString& a3 = TString(),
                           const TString& a4 = TString(), const TString& a5 = TString());
