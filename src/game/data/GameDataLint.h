#pragma once

#include "framework/core/text/TString.h"

#include <string>
#include <vector>

class vlkXmlData;

// Checks the game's data as the levels and the quest will use it: the
// tuning values, the board layouts, the tile kinds, every level table and
// the quest map, with what the loaders had to mend. One line per problem;
// none when the data holds together. The values a paced player can reach
// follow from one pair of cards cleared every 1.6 s.
std::vector<std::string> LintGameData(const vlkXmlData& config);

// Reads the data set of a folder (config.xml, the node file it names and
// the mode files) into the tuning values and tables, with no settings or
// screen, and checks it.
std::vector<std::string> LoadAndLintGameData(const TString& folder);
