#include "game/screens/MetamapDecisions.h"

#include "game/data/MetamapNodes.h"
#include "game/progress/clsMetamap.h"

#include <deque>

namespace metamap {

namespace {

bool IsWorldStart(int frontier) {
    return frontier == 10 || frontier == 21 || frontier == 32 || frontier == 43;
}

} // namespace

Walk WalkNodes(const clsMetamap& map) {
    Walk walk;
    if (map.GetNodeCount() <= 0)
        return walk;
    std::deque<int> queue{0};
    std::vector<bool> seen(static_cast<size_t>(map.GetNodeCount()), false);
    seen[0] = true; // visited or queued
    while (!queue.empty()) {
        const int k = queue.front();
        queue.pop_front();
        const clsNodeMap* node = map.GetNode(k);
        if (k > walk.frontier) {
            walk.frontier = k;
            walk.frontierNew = node->unlockNotYetShown;
            walk.frontierCompleted = node->completed;
        }
        if (!node->completed) {
            walk.opened.push_back(k);
            if (node->unlockNotYetShown)
                walk.unshown.push_back(k);
        } else {
            walk.completed.push_back(k);
        }
        // Neighbours from the last entry to the first.
        static const std::vector<int> kNone;
        const std::vector<int>& neighbours =
            node->GetDefinition() ? node->GetDefinition()->neighbours : kNone;
        for (auto it = neighbours.rbegin(); it != neighbours.rend(); ++it) {
            const int j = *it;
            const clsNodeMap* next = map.GetNode(j);
            if (next && !seen[static_cast<size_t>(j)] && !next->locked) {
                seen[static_cast<size_t>(j)] = true;
                queue.push_back(j);
            }
        }
    }
    return walk;
}

PathChoice ChoosePath(int frontier, bool isNew, bool completed) {
    if (frontier < 10)
        return {"PathM", nullptr, false};
    if (frontier == 10 && isNew)
        return {"PathMF", nullptr, true};
    if (frontier <= 20)
        return {"PathF", nullptr, false};
    if (frontier == 21 && isNew)
        return {"PathFC", nullptr, true};
    if (frontier <= 31)
        return {"PathC", nullptr, false};
    if (frontier == 32 && isNew)
        return {"PathCB", "CarLeft", true};
    if (frontier <= 42)
        return {"PathB", nullptr, false};
    if (frontier == 43 && isNew)
        return {"PathBS", "ShipLeft", true};
    if (frontier <= 54)
        return {"PathS", "ShipLeft", false};
    if (completed)
        return {"PathFinish", "ShipLeft", false};
    return {"PathS", "ShipLeft", false};
}

bool IsCloudHidden(int k, int frontier) {
    return k >= 1 && k <= 5 && frontier >= kWorldStarts[k - 1];
}

int OpenedWorld(int frontier) {
    for (int w = 0; w < 5; ++w)
        if (frontier == kWorldStarts[w])
            return w + 1;
    return 0;
}

WorldClear CheckWorldClear(int frontier, bool isNew, bool completed, bool questFinished) {
    WorldClear clear;
    const bool final = frontier == kFinalNode && completed;
    clear.pending = (IsWorldStart(frontier) && isNew) || final;
    if (final) {
        if (!questFinished)
            clear.finishQuest = true;
        else
            clear.pending = false;
    }
    if (clear.pending) {
        for (int w = 4; w >= 0; --w)
            if (kWorldStarts[w] < frontier) {
                clear.firstNode = kWorldStarts[w];
                break;
            }
    }
    return clear;
}

} // namespace metamap
