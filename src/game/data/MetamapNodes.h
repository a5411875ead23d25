#pragma once

#include "framework/core/text/TString.h"

#include <vector>

// One node of the quest map as the node file defines it.
struct TNodeDefinition {
    int index = 0; // 0-based
    int mode = 0;  // mode id
    int goal = 0;
    int level = 0;
    // 0 none, 1 wild, 2 bomb, 3 side, 4 showtime, 5 freeze, 6 cat, 7 dog.
    int reward = 0;
    std::vector<int> neighbours; // 0-based indices unlocked by completing it
};

// Reads the "nodesmap" records of a node file into the node table,
// stopping at the first node out of sequence or of an unknown mode.
void LoadMetamapNodes(const TString& fileName);
int GetNodeCount();
// Null outside the table.
const TNodeDefinition* GetNodeDefinition(int index);
void ResetMetamapNodes();
