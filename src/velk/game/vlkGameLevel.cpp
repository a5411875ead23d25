#include "velk/game/vlkGameLevel.h"

void vlkGameLevel::Start() {
    mRunning = true;
    mPaused = false;
}
