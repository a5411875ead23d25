// worldgen: makes the world map from the quest's node table.
//
//   worldgen METAMAP.xml ASSETS_DIR PICTURE_INPUT
//
// Writes scripts/worldmap.lua and the map's path effects (fx/) under
// ASSETS_DIR, and the map picture's plan (worlds, roads, plates) to
// PICTURE_INPUT for imagegen. A file that already holds the same bytes is
// left alone. Exits 1, naming each fault, when the table is not sound or a
// file cannot be written.

#include "WorldPlan.h"
#include "support/WriteIfChanged.h"

#include <cstdio>

namespace {

bool Write(const std::string& path, const std::string& text) {
    if (WriteIfChanged(path, std::vector<uint8_t>(text.begin(), text.end())))
        return true;
    std::fprintf(stderr, "worldgen: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: worldgen METAMAP.xml ASSETS_DIR PICTURE_INPUT\n");
        return 2;
    }
    const worldgen::Plan plan = worldgen::ReadPlan(argv[1]);
    for (const std::string& problem : plan.problems)
        std::fprintf(stderr, "worldgen: %s\n", problem.c_str());
    if (!plan.problems.empty())
        return 1;
    bool written = true;
    for (const worldgen::Product& product : worldgen::Products(plan))
        written = Write(std::string(argv[2]) + "/" + product.path, product.bytes) && written;
    written = Write(argv[3], worldgen::PictureInput(plan)) && written;
    return written ? 0 : 1;
}
