#pragma once

#include "framework/core/text/TString.h"

#include <vector>

// Splitting the list fields of the game-data files. Each clears its
// destination first.

// Cuts the text at every separator, keeping empty pieces ("a," gives "a"
// and ""); an empty text gives no piece.
void SplitString(std::vector<TString>& pieces, const TString& text, char separator);
// Decimal integers; blanks are dropped first unless the blank is the
// separator. An empty piece gives 0.
void SplitInts(std::vector<int>& values, const TString& text, char separator);
// Floats separated by ","; blanks are always dropped.
void SplitFloats(std::vector<float>& values, const TString& text);
// Texts, blanks dropped as for SplitInts.
void SplitStrings(std::vector<TString>& pieces, const TString& text, char separator);
