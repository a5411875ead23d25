#pragma once

#include "framework/core/text/TString.h"

// The effects list: effect names mapped to the particle, path and cut-scene
// files that make them, both lower-cased. Filled once at start-up from the
// file the configuration names (root "FXFiles", one "fx" element with
// "name" and "path" per effect; the first element of a name wins) and read
// by the board, the tiles, the effects and the screens.

// Adds the effects of a list file; a file that cannot be read adds none.
void LoadFxMap(const TString& fileName);
// The file of the effect (name compared lower-cased); empty when none.
TString GetFxPath(const TString& name);
// The number of effects listed.
size_t GetFxCount();
// Forgets every effect.
void ClearFxMap();
