#include "game/data/MetamapNodes.h"

#include "game/data/GameIds.h"
#include "velk/data/StringSplit.h"
#include "velk/data/vlkXmlData.h"

#include "game/data/DataProblems.h"

namespace {

std::vector<TNodeDefinition>& Nodes() {
    static std::vector<TNodeDefinition> nodes;
    return nodes;
}

int RewardCode(const TString& text) {
    static const struct {
        const char* name;
        int code;
    } kRewards[] = {{"wild", 1}, {"freeze", 5}, {"cat", 6}, {"showtime", 4},
                    {"dog", 7},  {"side", 3},   {"bomb", 2}};
    for (const auto& reward : kRewards)
        if (text == TString(reward.name))
            return reward.code;
    return 0;
}

} // namespace

void LoadMetamapNodes(const TString& fileName) {
    vlkXmlData data(fileName);
    const char* table = "nodesmap";
    const int count = data.GetRecordCount(table);
    const TString none;
    for (int i = 0; i < count; ++i) {
        if (data.GetRecordName(table, i).ToInt() - 1 != i) {
            ReportDataProblem(
                "LoadMetamapNodes: %s: node record %d is named \"%s\"; the nodes from here "
                "on are not loaded",
                fileName.CStr(), i, data.GetRecordName(table, i).CStr());
            return;
        }
        TNodeDefinition node;
        node.index = i;
        node.level = data.GetRecordStringOr(table, i, "level", none).ToInt();
        node.mode = ModeNameToId(data.GetRecordStringOr(table, i, "mode", none));
        if (node.mode == kModeNone) {
            ReportDataProblem(
                "LoadMetamapNodes: %s: node %d has the unknown mode \"%s\"; the nodes from "
                "here on are not loaded",
                fileName.CStr(), i + 1, data.GetRecordStringOr(table, i, "mode", none).CStr());
            return;
        }
        node.reward = RewardCode(data.GetRecordStringOr(table, i, "reward", none));
        node.goal = data.GetRecordIntOr(table, i, "goal", 0);
        SplitInts(node.neighbours, data.GetRecordStringOr(table, i, "neighbors", none), ',');
        for (int& neighbour : node.neighbours)
            --neighbour;
        Nodes().push_back(std::move(node));
    }
}

int GetNodeCount() {
    return static_cast<int>(Nodes().size());
}

const TNodeDefinition* GetNodeDefinition(int index) {
    if (index < 0 || index >= GetNodeCount())
        return nullptr;
    return &Nodes()[index];
}

void ResetMetamapNodes() {
    Nodes().clear();
}
