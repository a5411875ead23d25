#pragma once

#include "velk/settings/vlkGameSettings.h"

// The base of the game's record of a player's progress: the record the
// settings object keeps in its progress slot.
class vlkUserState : public vlkUserProgress {
public:
    ~vlkUserState() override = default;
};
