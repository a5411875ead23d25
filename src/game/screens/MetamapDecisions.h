#pragma once

// The world map's decisions as plain functions over a player's quest map:
// which nodes the layout walk reaches and how it leaves each, the frontier,
// the path effect, the clouds and whether a world has just been cleared.
// The screen (wndMetamap) carries them out.

#include <vector>

class clsMetamap;

namespace metamap {

// The first node of each world (0-based); 55 is the final node.
constexpr int kWorldStarts[5] = {0, 10, 21, 32, 43};
constexpr int kFinalNode = 55;

struct Walk {
    std::vector<int> opened;    // reached and not completed, in walk order
    std::vector<int> completed; // reached and completed, in walk order
    std::vector<int> unshown;   // opened whose opening was not shown yet
    int frontier = -1;          // the highest node reached
    bool frontierNew = false;   // its unlock-not-yet-shown flag as read
    bool frontierCompleted = false;
};

// Breadth-first from node 0 (whatever its lock) over unlocked neighbours,
// taken from the last of each list to the first. Reads only.
Walk WalkNodes(const clsMetamap& map);

struct PathChoice {
    const char* path;    // effect name
    const char* texture; // the first emitter's texture, or null
    bool waits;          // starts after the world clear text
};
PathChoice ChoosePath(int frontier, bool isNew, bool completed);

// Locked cloud k (1 to 5) is hidden once the frontier reaches its world.
bool IsCloudHidden(int k, int frontier);
// The world (1 to 5) whose cloud lifts for this frontier; 0 for none.
int OpenedWorld(int frontier);

struct WorldClear {
    bool pending = false;       // a world was cleared: celebrate it
    bool finishQuest = false;   // the quest ends now: mark it, open its screen
    int firstNode = 0;          // the cleared world's nodes: firstNode .. frontier-1
};
// The end of the quest is celebrated once: with the quest already
// finished, completing the final node again clears nothing.
WorldClear CheckWorldClear(int frontier, bool isNew, bool completed, bool questFinished);

} // namespace metamap
