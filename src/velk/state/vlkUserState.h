#pragma once

// The base of the game's record of a player's progress.
class vlkUserState {
public:
    virtual ~vlkUserState() = default;
};
