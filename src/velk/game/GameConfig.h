#pragma once

#include "framework/core/text/TString.h"

class vlkGameSettings;
class vlkXmlData;

// Reads the configuration file once at start-up: the gameplay constants
// into gGameTuning, the effects list, the asset lists and the settings
// object into their globals, and sets the screen (full screen when the
// settings say so). Called before the fixed assets load and before the
// window types are registered.
void LoadGameConfig(const TString& configFile, int screenWidth, int screenHeight);

// Reads the tuning values of a configuration into gGameTuning, without
// touching the asset lists, the settings or the screen (the data check
// and the tests read them alone).
void ReadGameTuning(vlkXmlData& config);

// Makes the game's settings object and readies the current player's data.
// The game sets its own; by default a plain vlkGameSettings.
using GameSettingsCreator = vlkGameSettings* (*)();
void SetGameSettingsCreator(GameSettingsCreator creator);

// The game's own tables. The first reader takes the configuration after
// the tuning values (board layouts, tile kinds, quest-map nodes); the
// second reads the mode files once the settings object and the screen
// exist. Either may be null.
using ConfigTablesReader = void (*)(const vlkXmlData& config);
using ModeFilesReader = void (*)();
void SetGameDataLoaders(ConfigTablesReader configTables, ModeFilesReader modeFiles);
