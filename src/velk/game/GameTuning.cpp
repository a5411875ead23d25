#include "velk/game/GameTuning.h"

TGameTuning gGameTuning;
