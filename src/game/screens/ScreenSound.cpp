#include "game/screens/ScreenSound.h"

#include "game/levels/LevelServices.h"

void PlayScreenSound(const TString& name) {
    PlayLevelSound(name, false);
}

void StopScreenSound(const TString& name) {
    StopLevelSound(name);
}
