#include "WorldPlan.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <regex>
#include <string>

namespace {

using worldgen::Plan;

// A node table of n nodes in a chain, each at its own place; `change`
// edits the text of one record before it is written.
std::string Table(int n, const std::string& extra = "") {
    std::string xml = "<xmlData><nodesmap type=\"multiple\">";
    const char* modes[] = {"classic", "blitz", "strategy", "joker", "cradle"};
    for (int i = 1; i <= n; ++i) {
        xml += "<node name=\"" + std::to_string(i) + "\"><x>" + std::to_string(40 + (i % 16) * 60) +
               "</x><y>" + std::to_string(40 + (i / 16) * 100) + "</y><mode>" + modes[i % 5] +
               "</mode><level>" + std::to_string(i) + "</level>";
        if (i < n)
            xml += "<neighbors>" + std::to_string(i + 1) + "</neighbors>";
        xml += "</node>";
    }
    return xml + extra + "</nodesmap></xmlData>";
}

class WorldgenTest : public ::testing::Test {
protected:
    Plan Read(const std::string& xml) {
        return worldgen::ReadPlan(folder.Write("metamap" + std::to_string(++count) + ".xml", xml));
    }
    support::TempFolder folder;
    int count = 0;
};

TEST_F(WorldgenTest, FullTable_MakesButtonsInNodeOrderWithTheirModes) {
    const Plan plan = Read(Table(56));
    ASSERT_TRUE(plan.problems.empty()) << plan.problems.front();
    const std::string lua = worldgen::WorldmapLua(plan);
    const std::regex button(R"re(NodeButton\((\d+), '(\w+)', (\d+), (\d+)\))re");
    int expected = 1;
    for (auto it = std::sregex_iterator(lua.begin(), lua.end(), button); it != std::sregex_iterator();
         ++it, ++expected) {
        const worldgen::Node& node = plan.nodes[static_cast<size_t>(expected - 1)];
        EXPECT_EQ(std::stoi((*it)[1]), expected);
        EXPECT_EQ((*it)[2], node.mode);
        EXPECT_EQ(std::stoi((*it)[3]), node.x);
        EXPECT_EQ(std::stoi((*it)[4]), node.y);
    }
    EXPECT_EQ(expected, 57) << "one button per node";
    for (const char* part : {"'btnMetamap'", "'bmpLock'", "'btnFinish'", "gfn_onMetamapButton_Pressed(n)",
                             "'lblTestMode'", "'btnBack'", "gfn_onMetamapButton_Back()",
                             "function closeMetamap()", "cradle = 'Rome'"})
        EXPECT_NE(lua.find(part), std::string::npos) << part;
    // The blocker lies over the map and Back until the curtain has opened.
    EXPECT_GT(lua.rfind("Blocker()"), lua.rfind("'btnBack'"));
    EXPECT_NE(lua.find("BlockInput(true)"), std::string::npos);
    // The end of the quest's fade lies over everything, see-through.
    const size_t fade = lua.rfind("name = 'bmpFade'");
    ASSERT_NE(fade, std::string::npos);
    EXPECT_GT(fade, lua.rfind("Blocker()"));
    EXPECT_NE(lua.find("opacity = 0", fade), std::string::npos);
}

TEST_F(WorldgenTest, PathsRunThroughTheirWorldsNodes_RoadsFollowTheEdges) {
    const Plan plan = Read(Table(56));
    ASSERT_TRUE(plan.problems.empty());
    const auto paths = worldgen::Paths();
    ASSERT_EQ(paths.size(), 10u);
    for (const worldgen::PathPlan& path : paths) {
        SCOPED_TRACE(path.name);
        const std::string xml = worldgen::PathXml(plan, path);
        // One segment per step, each from one node to the next.
        const std::regex spline(R"re(<spline>\s*<point x="(-?\d+)" y="(-?\d+)"[^>]*/>\s*<point[^>]*/>\s*<point[^>]*/>\s*<point x="(-?\d+)" y="(-?\d+)")re");
        size_t step = 0;
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), spline);
             it != std::sregex_iterator(); ++it, ++step) {
            const worldgen::Node& from = plan.nodes[static_cast<size_t>(path.nodes[step] - 1)];
            const worldgen::Node& to = plan.nodes[static_cast<size_t>(path.nodes[step + 1] - 1)];
            EXPECT_EQ(std::stoi((*it)[1]), from.x);
            EXPECT_EQ(std::stoi((*it)[2]), from.y);
            EXPECT_EQ(std::stoi((*it)[3]), to.x);
            EXPECT_EQ(std::stoi((*it)[4]), to.y);
        }
        EXPECT_EQ(step + 1, path.nodes.size());
        EXPECT_NE(xml.find("name=\"" + path.name + "\""), std::string::npos);
    }
    // Worlds' own paths cover exactly their nodes.
    for (int w = 0; w < worldgen::kWorldCount; ++w) {
        const worldgen::World& world = worldgen::Worlds()[w];
        const worldgen::PathPlan& inside = paths[static_cast<size_t>(2 * w)];
        EXPECT_EQ(inside.nodes.front(), world.firstNode) << inside.name;
        EXPECT_EQ(inside.nodes.back(), world.lastNode) << inside.name;
    }
    EXPECT_EQ(worldgen::Roads(plan).size(), 55u);
    const std::string picture = worldgen::PictureInput(plan);
    EXPECT_NE(picture.find("world mountain -100 50"), std::string::npos);
    EXPECT_NE(picture.find("world space 240 -100"), std::string::npos);
}

TEST_F(WorldgenTest, FaultyTables_AreNamedNode_ByNode) {
    const struct {
        std::string xml;
        const char* problem;
    } cases[] = {
        {Table(55), "55 nodes"},
        {Table(56, "<node name=\"58\"/>"), "node record 57 is named \"58\""},
        {std::regex_replace(Table(56), std::regex("<x>100</x>"), "<x>1010</x>"), "leave the map"},
        {std::regex_replace(Table(56), std::regex("<mode>joker</mode>"), "<mode>rome</mode>", std::regex_constants::format_first_only),
         "none of the five"},
        {std::regex_replace(Table(56), std::regex("<neighbors>3</neighbors>"), "<neighbors>90</neighbors>"),
         "unlocks node 90"},
        {std::regex_replace(Table(56), std::regex("<x>160</x><y>40</y>"), "<x>130</x><y>50</y>"), "overlap"},
        {"<xmlData/>", "no nodesmap"},
    };
    for (const auto& c : cases) {
        const Plan plan = Read(c.xml);
        std::string all;
        for (const std::string& problem : plan.problems)
            all += problem + "\n";
        EXPECT_NE(all.find(c.problem), std::string::npos) << c.problem << "\n" << all;
    }
}

} // namespace
