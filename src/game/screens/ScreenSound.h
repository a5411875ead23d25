#pragma once

#include "framework/core/text/TString.h"

// The screens' sound utility: plays a named sound of the game's asset
// lists once (skipped when the asset map suppresses it), or stops every
// playing instance of one.
void PlayScreenSound(const TString& name);
void StopScreenSound(const TString& name);
