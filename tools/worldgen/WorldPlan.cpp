#include "WorldPlan.h"

#include "framework/core/text/TString.h"
#include "framework/core/xml/TXmlNode.h"

#include <cmath>
#include <cstdio>
#include <set>

namespace worldgen {

namespace {

constexpr World kWorlds[kWorldCount] = {
    {"mountain", -100, 50, 1, 10},  {"forest", 20, 330, 11, 21},  {"city", 435, 410, 22, 32},
    {"beach", 600, 100, 33, 43},    {"space", 240, -100, 44, 55},
};

const char* const kModes[] = {"classic", "blitz", "strategy", "joker", "cradle"};

bool KnownMode(const std::string& mode) {
    for (const char* known : kModes)
        if (mode == known)
            return true;
    return false;
}

std::string Text(const TXmlNode& record, const char* field) {
    const TXmlNode* child = record.FindChild(field);
    return child ? std::string(child->GetText().CStr()) : std::string();
}

// A whole number, or false when the text is not one.
bool Number(const std::string& text, int& value) {
    if (text.empty())
        return false;
    size_t used = 0;
    try {
        value = std::stoi(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size();
}

std::string Format(const char* format, double a = 0, double b = 0, double c = 0, double d = 0) {
    char line[160];
    std::snprintf(line, sizeof line, format, a, b, c, d);
    return line;
}

struct Point {
    double x, y;
};

Point At(const Plan& plan, int number) {
    const Node& node = plan.nodes[static_cast<size_t>(number - 1)];
    return {double(node.x), double(node.y)};
}

} // namespace

const World* Worlds() {
    return kWorlds;
}

Plan ReadPlan(const std::string& metamapFile) {
    Plan plan;
    auto problem = [&](const std::string& what) { plan.problems.push_back(metamapFile + ": " + what); };
    TXmlNode document;
    document.LoadFile(TString(("::" + metamapFile).c_str()));
    const TXmlNode* root = document.FindChild("xmlData");
    const TXmlNode* table = root ? root->FindChild("nodesmap") : nullptr;
    if (!table) {
        problem("no nodesmap table");
        return plan;
    }
    for (size_t i = 0; i < table->GetChildCount(); ++i) {
        const TXmlNode& record = *table->GetChild(i);
        Node node;
        const std::string name = record.GetAttribute("name").CStr();
        if (!Number(name, node.number) || node.number != int(plan.nodes.size()) + 1) {
            problem("node record " + std::to_string(i + 1) + " is named \"" + name + "\"");
            return plan;
        }
        const std::string where = "node " + name + ": ";
        node.mode = Text(record, "mode");
        if (!KnownMode(node.mode))
            problem(where + "mode \"" + node.mode + "\" is none of the five");
        if (!Number(Text(record, "level"), node.level))
            problem(where + "no level");
        if (!Number(Text(record, "x"), node.x) || !Number(Text(record, "y"), node.y))
            problem(where + "no place (\"x\" and \"y\")");
        const int half = kNodeSize / 2;
        if (node.x < half || node.y < half || node.x > kMapWidth - half ||
            node.y > kMapHeight - half)
            problem(where + "its button would leave the map");
        const std::string goal = Text(record, "goal");
        if (!goal.empty() && (!Number(goal, node.goal) || node.goal < 0))
            problem(where + "goal \"" + goal + "\" is no number from 0 up");
        std::string list = Text(record, "neighbors");
        size_t start = 0;
        while (start < list.size()) {
            size_t comma = list.find(',', start);
            if (comma == std::string::npos)
                comma = list.size();
            int neighbour = 0;
            if (!Number(list.substr(start, comma - start), neighbour))
                problem(where + "neighbours \"" + list + "\" are not numbers");
            else
                node.neighbours.push_back(neighbour);
            start = comma + 1;
        }
        plan.nodes.push_back(node);
    }
    const int count = int(plan.nodes.size());
    if (count != kWorlds[kWorldCount - 1].lastNode + 1)
        problem(std::to_string(count) + " nodes; the map has places for " +
                std::to_string(kWorlds[kWorldCount - 1].lastNode + 1));
    for (const Node& node : plan.nodes)
        for (int n : node.neighbours)
            if (n < 1 || n > count)
                problem("node " + std::to_string(node.number) + " unlocks node " +
                        std::to_string(n) + ", which does not exist");
    // Two buttons on one spot would hide each other.
    for (size_t a = 0; a < plan.nodes.size(); ++a)
        for (size_t b = a + 1; b < plan.nodes.size(); ++b)
            if (std::abs(plan.nodes[a].x - plan.nodes[b].x) < kNodeSize &&
                std::abs(plan.nodes[a].y - plan.nodes[b].y) < kNodeSize)
                problem("nodes " + std::to_string(a + 1) + " and " + std::to_string(b + 1) +
                        " overlap");
    return plan;
}

std::vector<Road> Roads(const Plan& plan) {
    std::vector<Road> roads;
    std::set<std::pair<int, int>> seen;
    const int count = int(plan.nodes.size());
    for (const Node& node : plan.nodes)
        for (int n : node.neighbours) {
            if (n < 1 || n > count)
                continue;
            const auto key = std::make_pair(std::min(node.number, n), std::max(node.number, n));
            if (seen.insert(key).second)
                roads.push_back({node.number, n});
        }
    return roads;
}

std::vector<PathPlan> Paths() {
    // Inside a world the effect runs from its first node to its last; the
    // paths between worlds (and to the final node) run from the last node
    // of one to the first of the next.
    auto range = [](int first, int last) {
        std::vector<int> nodes;
        for (int n = first; n <= last; ++n)
            nodes.push_back(n);
        return nodes;
    };
    const int kInside = 450;
    const int kBetween = 1600;
    return {
        {"PathM", "fx/pathm.xml", range(1, 10), kInside},
        {"PathMF", "fx/pathmf.xml", {10, 11}, kBetween},
        {"PathF", "fx/pathf.xml", range(11, 21), kInside},
        {"PathFC", "fx/pathfc.xml", {21, 22}, kBetween},
        {"PathC", "fx/pathc.xml", range(22, 32), kInside},
        {"PathCB", "fx/pathcb.xml", {32, 33}, kBetween},
        {"PathB", "fx/pathb.xml", range(33, 43), kInside},
        {"PathBS", "fx/pathbs.xml", {43, 44}, kBetween},
        {"PathS", "fx/paths.xml", range(44, 55), kInside},
        {"PathFinish", "fx/pathfinish.xml", {55, 56}, kBetween},
    };
}

std::string WorldmapLua(const Plan& plan) {
    std::string lua =
        "-- Made by the build from metamap.xml (tools/worldgen): the world map.\n"
        "-- Do not edit; change the node table instead.\n"
        "ReadFile('scripts/common.lua')\n\n"
        "-- Each node's mode and level, in node order.\n"
        "kMetamapNodes = {\n";
    for (const Node& node : plan.nodes)
        lua += "    { mode = '" + node.mode + "', level = " + std::to_string(node.level) + " },\n";
    lua += "}\n\n"
           "local kButtonSize = " + std::to_string(kNodeSize) + "\n\n"
           "-- The pictures of the node buttons: open by mode, and completed.\n"
           "local kNodeGraphics = {\n";
    for (const char* kind : {"classic", "blitz", "strategy", "joker", "cradle", "done"}) {
        const std::string base = std::string("'gpx/worldmap/node_") + kind;
        lua += std::string("    ") + kind + " = { " + base + "_off.png', " + base + "_on.png', " +
               base + "_off_over.png' },\n";
    }
    lua += "}\n\n"
           "-- A node's button: open (by its mode), locked, or completed.\n"
           "local function NodeButton(n, mode, x, y)\n"
           "    return clsMetamapButton {\n"
           "        name = 'mbtn_' .. n, id = n, type = mode,\n"
           "        x = x - kButtonSize / 2, y = y - kButtonSize / 2, w = kButtonSize, h = kButtonSize,\n"
           "        Button { name = 'btnMetamap', x = 0, y = 0, graphics = kNodeGraphics[mode],\n"
           "                 command = function() gMetamapNode = n; gfn_onMetamapButton_Pressed(n) end },\n"
           "        Bitmap { name = 'bmpLock', image = 'gpx/worldmap/node_lock.png', alpha = true,\n"
           "                 x = 0, y = 0 },\n"
           "        Button { name = 'btnFinish', x = 0, y = 0, graphics = kNodeGraphics.done,\n"
           "                 command = function() gMetamapNode = n; gfn_onMetamapButton_Pressed(n) end },\n"
           "    }\n"
           "end\n\n"
           "local function GoalIcon(n, x, y)\n"
           "    return Bitmap { name = 'bmpIconGoal_' .. n, image = 'gpx/worldmap/goal.png', alpha = true,\n"
           "                    x = x + kButtonSize / 2 - 12, y = y - kButtonSize / 2 - 12 }\n"
           "end\n\n"
           "local map = {\n"
           "    name = 'wndMetamap', x = 0, y = 0, w = 1024, h = 768,\n"
           "    Bitmap { name = 'bmpMap', image = 'gpx/worldmap/worldmap.jpg', x = 0, y = 0 },\n";
    for (const Node& node : plan.nodes)
        lua += "    NodeButton(" + std::to_string(node.number) + ", '" + node.mode + "', " +
               std::to_string(node.x) + ", " + std::to_string(node.y) + "),\n";
    // A goal icon only where the node has a goal.
    for (const Node& node : plan.nodes)
        if (node.goal > 0)
            lua += "    GoalIcon(" + std::to_string(node.number) + ", " +
                   std::to_string(node.x) + ", " + std::to_string(node.y) + "),\n";
    lua += "    Label('lblTestMode', 'worldmap_test_mode', 312, 10, 400, 30),\n"
           "}\n\n"
           "-- The map's buttons are shut while the curtains move: the blocker, laid\n"
           "-- over the map, takes every click until the opening curtain has ended.\n"
           "function EnableAllButtons()\n"
           "    BlockInput(false)\n"
           "end\n\n"
           "-- The pressed node's level is next: the flow that opened the map plays it\n"
           "-- (through the loading screen) and opens the map again.\n"
           "function closeMetamap()\n"
           "    local node = kMetamapNodes[gMetamapNode or 0]\n"
           "    if node then\n"
           "        local modes = { classic = 'Classic', blitz = 'Blitz', strategy = 'Strategy',\n"
           "                        joker = 'Joker', cradle = 'Rome' }\n"
           "        gGameMode = modes[node.mode]\n"
           "        gGameStyle = 'quest'\n"
           "        gGameDifficulty = 'easy'\n"
           "        ModalReturn('play')\n"
           "    else\n"
           "        DebugOut('worldmap.lua: no node ' .. tostring(gMetamapNode))\n"
           "    end\n"
           "    CloseWindow()\n"
           "end\n\n"
           "MakeDialog {\n"
           "    wndMetamap(map),\n"
           "    LabelledButton('btnBack', 'worldmap_back', 854, 700, false,\n"
           "                   { command = function() gfn_onMetamapButton_Back() end }),\n"
           "    Blocker(),\n"
           "    -- The end of the quest fades the whole map to black and back over\n"
           "    -- this; it waits see-through and lets every click through.\n"
           "    Bitmap { name = 'bmpFade', image = 'gpx/ui/fade_black.png', scale = 64,\n"
           "             x = 0, y = 0, opacity = 0 },\n"
           "}\n"
           "BlockInput(true)\n";
    return lua;
}

std::string PictureInput(const Plan& plan) {
    std::string text = "# Made by the build from metamap.xml (tools/worldgen).\n";
    for (int w = 0; w < kWorldCount; ++w)
        text += std::string("world ") + kWorlds[w].theme + " " + std::to_string(kWorlds[w].cloudX) +
                " " + std::to_string(kWorlds[w].cloudY) + "\n";
    for (const Road& road : Roads(plan)) {
        const Point a = At(plan, road.from);
        const Point b = At(plan, road.to);
        text += Format("road %.0f %.0f %.0f %.0f\n", a.x, a.y, b.x, b.y);
    }
    for (const Node& node : plan.nodes)
        text += "plate " + std::to_string(node.x) + " " + std::to_string(node.y) + " " + node.mode +
                "\n";
    return text;
}

std::string PathXml(const Plan& plan, const PathPlan& path) {
    std::vector<Point> points;
    for (int n : path.nodes)
        points.push_back(At(plan, n));
    std::string xml = "<?xml version=\"1.0\"?>\n"
                      "<!-- Made by the build from metamap.xml (tools/worldgen): the path effect\n"
                      "     through nodes " +
                      std::to_string(path.nodes.front()) + " to " +
                      std::to_string(path.nodes.back()) + ". -->\n" + "<path name=\"" +
                      path.name + "\" time=\"" + std::to_string(path.segmentMs) +
                      "\" loop=\"false\">\n" + "  <parsys file=\"pathsparks.xml\"/>\n";
    // One Bezier segment from node to node, its handles from the nodes
    // around it, so the effect turns smoothly at each node.
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const Point p0 = points[i == 0 ? 0 : i - 1];
        const Point p1 = points[i];
        const Point p2 = points[i + 1];
        const Point p3 = points[i + 2 < points.size() ? i + 2 : i + 1];
        const Point c1 = {p1.x + (p2.x - p0.x) / 6.0, p1.y + (p2.y - p0.y) / 6.0};
        const Point c2 = {p2.x - (p3.x - p1.x) / 6.0, p2.y - (p3.y - p1.y) / 6.0};
        xml += "  <spline>\n";
        for (const Point& p : {p1, c1, c2, p2})
            xml += Format("    <point x=\"%.0f\" y=\"%.0f\" z=\"0\"/>\n", p.x, p.y);
        xml += "  </spline>\n";
    }
    xml += "</path>\n";
    return xml;
}

std::vector<Product> Products(const Plan& plan) {
    std::vector<Product> products;
    products.push_back({"scripts/worldmap.lua", WorldmapLua(plan)});
    for (const PathPlan& path : Paths())
        products.push_back({path.file, PathXml(plan, path)});
    return products;
}

} // namespace worldgen
