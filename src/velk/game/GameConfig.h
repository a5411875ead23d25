#pragma once

#include "framework/core/text/TString.h"

class vlkGameSettings;

// Reads the configuration file once at start-up: the gameplay constants
// into gGameTuning, the effects list, the asset lists and the settings
// object into their globals, and sets the screen (full screen when the
// settings say so). Called before the fixed assets load and before the
// window types are registered.
void LoadGameConfig(const TString& configFile, int screenWidth, int screenHeight);

// Makes the game's settings object and readies the current player's data.
// The game sets its own; by default a plain vlkGameSettings.
using GameSettingsCreator = vlkGameSettings* (*)();
void SetGameSettingsCreator(GameSettingsCreator creator);
