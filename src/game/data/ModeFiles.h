#pragma once

#include "framework/core/text/TString.h"

class vlkXmlData;

// The loaders of the game's data tables. Each mode file loader opens its
// fixed file ("classic.xml" and so on) in the given folder (the working
// folder when empty) and appends to its table.
void LoadGameModeNames(const TString& folder = TString());
void LoadClassicLevels(const TString& folder = TString());
void LoadBlitzLevels(const TString& folder = TString());
void LoadStrategyLevels(const TString& folder = TString());
void LoadRomeLevels(const TString& folder = TString());
void LoadRomeGraphics(const TString& folder = TString());
void LoadJokerLevels(const TString& folder = TString());

// The board layouts from the "gameMode" records of the configuration.
void BuildBoardGeometry(const vlkXmlData& config);

// The tables the configuration names: board layouts, tile kinds and the
// quest-map nodes (from the node file named by game.metamap, in the
// folder).
void LoadConfigTables(const vlkXmlData& config, const TString& folder = TString());
// Every mode file, in the order game, classic, blitz, strategy, rome,
// romegpx, joker.
void LoadModeFiles(const TString& folder = TString());
// Empties every table and the mode files' tuning values, for tests and
// for the data check, which loads more than one set.
void ResetGameData();
// Makes the configuration loader read these tables (the game calls it
// before LoadGameConfig); afterModeFiles, when set, runs once the mode
// files are read (the settings object exists by then).
void InstallGameDataLoaders(void (*afterModeFiles)() = nullptr);
