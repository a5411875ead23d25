#pragma once

// The quest map's one source: the node table of metamap.xml, with each
// node's place on the 1024x768 world map. From it come the world map
// screen's script (worldmap.lua), the map picture's plan (worlds, roads,
// plates) and the path effects that run along the roads of each world.
// tools/worldgen writes them at build time; the data check reads the same
// table and holds the built files to it.

#include <string>
#include <vector>

namespace worldgen {

constexpr int kMapWidth = 1024;
constexpr int kMapHeight = 768;
// A node button's side; "x" and "y" of the table are its centre.
constexpr int kNodeSize = 48;
constexpr int kWorldCount = 5;

struct Node {
    int number = 0;      // 1-based, as in the table and the window names
    std::string mode;    // "classic", "blitz", "strategy", "joker" or "cradle"
    int level = 0;
    int x = 0, y = 0;    // centre on the map
    int goal = 0;
    std::vector<int> neighbours; // 1-based numbers
};

// A world of the map: its theme, the cloud that covers it while it is
// locked (the top-left of the cloud's picture) and its nodes.
struct World {
    const char* theme;
    int cloudX, cloudY;
    int firstNode, lastNode; // 1-based, inclusive
};

// The five worlds in quest order; node 56, the last, belongs to none.
const World* Worlds();

struct Road {
    int from, to; // 1-based node numbers
};

// One path effect: its name in the effect list, its file under assets/,
// the nodes it runs through (1-based, in order) and ms per segment.
struct PathPlan {
    std::string name;
    std::string file;
    std::vector<int> nodes;
    int segmentMs = 0;
};

struct Plan {
    std::vector<Node> nodes;
    std::vector<std::string> problems; // empty when the table is sound
};

// Reads the "nodesmap" records of a node file; problems name the file.
Plan ReadPlan(const std::string& metamapFile);
std::vector<Road> Roads(const Plan& plan);
std::vector<PathPlan> Paths();

// The products, as the build writes them.
std::string WorldmapLua(const Plan& plan);
// Plain lines for the map picture: "world THEME CLOUDX CLOUDY", "road X1
// Y1 X2 Y2", "plate X Y MODE".
std::string PictureInput(const Plan& plan);
std::string PathXml(const Plan& plan, const PathPlan& path);

// Every file worldgen writes, relative to the assets folder (the picture
// input excepted), with its bytes.
struct Product {
    std::string path;
    std::string bytes;
};
std::vector<Product> Products(const Plan& plan);

} // namespace worldgen
