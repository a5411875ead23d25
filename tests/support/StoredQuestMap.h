#pragma once

// Reads a node out of the quest map as the player's profile stores it
// ("UserMetamap": numbers joined by '^', a head of four or five numbers,
// then five for each node), apart from the game's own reader so that a
// check sees what was written.

#include <cstddef>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace support {

// The node's place (numbered from 1): locked, not yet shown, completed,
// best score, lives; empty when the map holds no such node.
inline std::vector<int> StoredQuestNode(const std::string& map, int node) {
    std::vector<int> values;
    std::istringstream in(map);
    for (std::string token; std::getline(in, token, '^');)
        values.push_back(std::atoi(token.c_str()));
    const size_t head = values.size() > 1 && values[1] ? 5 : 4;
    const size_t at = head + 5 * static_cast<size_t>(node - 1);
    if (node < 1 || at + 5 > values.size())
        return {};
    return std::vector<int>(values.begin() + static_cast<long>(at),
                            values.begin() + static_cast<long>(at + 5));
}

} // namespace support
