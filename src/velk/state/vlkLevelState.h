#pragma once

// The base of the game's state of the level being played.
class vlkLevelState {
public:
    virtual ~vlkLevelState() = default;
};
