#include "DataCheck.h"
#include "WorldPlan.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/xml/TStringTable.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using datacheck::CheckAssets;
using datacheck::Report;

std::string Problems(const Report& report) {
    std::string text;
    for (const std::string& problem : report.problems)
        text += "  " + problem + "\n";
    return text;
}

// The build's assets folder: the hand-written files copied beside the
// program and everything the generators made.
TEST(DataCheck, BuiltAssets_HoldTogether) {
    const fs::path assets = fs::path(CORVALO_BINARY_DIR) / "assets";
    const Report report = CheckAssets(assets, {{fs::path(CORVALO_SOURCE_DIR) / "src"}});
    EXPECT_TRUE(report.problems.empty()) << Problems(report);
    // The scan found the names the start-up asks for, and the check looked
    // at the generated pictures, sounds and fonts.
    EXPECT_TRUE(report.codeNames.count("strings.xml"));
    EXPECT_TRUE(report.codeNames.count("::assets/settings.xml"));
    EXPECT_GE(report.filesChecked, 30u);
    for (const char* file :
         {"gpx/cursor/arrow.png", "gpx/menu/background.jpg", "gpx/anim/sparkle.xml",
          "gpx/anim/sparkle.png", "sfx/ui_click.ogg", "sfx/ui_rollover.ogg", "sfx/fireworks1.ogg",
          "sfx/fireworks3.ogg", "music/main_menu.ogg", "strings.xml", "loc/en/strings.xml"}) {
        EXPECT_TRUE(fs::is_regular_file(assets / file)) << file;
    }
}

// The map picture is drawn from the plan worldgen made of the same table.
TEST(DataCheck, WorldMapPicturePlan_FollowsTheNodeTable) {
    const fs::path assets = fs::path(CORVALO_BINARY_DIR) / "assets";
    const worldgen::Plan plan = worldgen::ReadPlan((assets / "metamap.xml").string());
    ASSERT_TRUE(plan.problems.empty());
    std::ifstream in(CORVALO_WORLDMAP_PLAN);
    const std::string made((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(made, worldgen::PictureInput(plan));
    EXPECT_TRUE(fs::is_regular_file(assets / "gpx/worldmap/worldmap.jpg"));
}

TEST(DataCheck, StringTable_HoldsTheWindowTitle) {
    SetAssetsFolder(TString((fs::path(CORVALO_BINARY_DIR) / "assets").string().c_str()));
    InitFileSystem();
    TStringTable table;
    ASSERT_TRUE(table.LoadFile("loc/en/strings.xml"));
    EXPECT_EQ(table.GetString("window_title").ToStd(), "Corvalo");
    EXPECT_EQ(table.GetString("Level Complete1", "7").ToStd(), "Level 7 complete!");
    // Markup is stored escaped in the cell and comes out as tags.
    EXPECT_NE(table.GetString("lblAvatarUnlockContent", "Cat").ToStd().find("<br>"),
              std::string::npos);
    ClearNameRegistry();
    SetAssetsFolder(TString("assets"));
}

// A tiny valid PNG (1 x 1, transparent).
const char kPixelPng[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1f\x15"
                         "\xc4\x89\0\0\0\rIDATx\x9c"
                         "c\0\x01\0\0\x05\0\x01\r\n-\xb4\0\0\0\0IEND\xae"
                         "B`\x82";

const char kStrings[] =
    "<?xml version=\"1.0\"?>\n<Workbook><Worksheet><Table>\n"
    "<Row><Cell><Data>hello</Data></Cell><Cell><Data>Hello</Data></Cell></Row>\n"
    "</Table></Worksheet></Workbook>\n";

const char kStart[] = "// \"gpx/commented.png\" is not asked for\n"
                      "const char* kPicture = \"gpx/a.png\";\n"
                      "const char* kMain = \"scripts/main.lua\";\n";

// A fixture of one data file of each kind that names one another; each
// case breaks one thing and the check must say so.
class DataCheckFixture : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("assets/settings.xml", "<settings><locale>en</locale></settings>");
        folder.Write("assets/strings.xml", kStrings);
        folder.Write("assets/loc/en/strings.xml", kStrings);
        folder.Write("assets/gpx/a.png", std::string(kPixelPng, sizeof kPixelPng - 1));
        folder.Write("assets/scripts/main.lua",
                     "local t = { image = \"gpx/a\", label = \"hello\" }\n"
                     "local folder = \"gpx/\" -- names made at run time are not checked\n"
                     "-- a comment naming gpx/nothing.png is no use\n"
                     "return function() return t end\n");
        folder.Write("src/start.cpp", kStart);
    }
    Report Check() { return CheckAssets(folder.Path() / "assets", {{folder.Path() / "src"}}); }

    support::TempFolder folder{"corvalo-datacheck-"};
};

TEST_F(DataCheckFixture, WholeFixture_Passes) {
    const Report report = Check();
    EXPECT_TRUE(report.problems.empty()) << Problems(report);
    EXPECT_TRUE(report.codeNames.count("gpx/a.png"));
    EXPECT_TRUE(report.labels.count("hello"));
}

TEST_F(DataCheckFixture, EachBrokenRule_IsReported) {
    const struct {
        const char* what;
        const char* file; // written (or removed, when text is null)
        const char* text;
        const char* expected;
    } cases[] = {
        {"missing file", "assets/gpx/a.png", nullptr, "\"gpx/a.png\" is missing"},
        {"wrong XML root", "assets/settings.xml", "<config><a>1</a></config>",
         "root \"config\", its reader expects \"settings\""},
        {"Lua syntax error", "assets/scripts/main.lua", "local t = {\nreturn t\n",
         "scripts/main.lua: does not compile"},
        {"missing label", "assets/scripts/main.lua",
         "local t = { label = \"goodbye\" }\nreturn t\n",
         "label \"goodbye\" is not in the string table"},
        {"screen script the code opens, missing", "src/pause.cpp",
         "void Pause() { RunScript(\"DoModal('scripts/pause.lua')\"); }\n",
         "src/pause.cpp: \"scripts/pause.lua\" is missing"},
        {"screen script a script opens, missing", "assets/scripts/main.lua",
         "return function() DoModal('scripts/gone.lua') end\n",
         "scripts/main.lua: \"scripts/gone.lua\" is missing"},
        {"script nothing names", "assets/scripts/orphan.lua", "return 1\n",
         "scripts/orphan.lua: nothing names this script"},
        {"script that names only itself", "assets/scripts/orphan.lua",
         "DoModal('scripts/orphan.lua')\n", "scripts/orphan.lua: nothing names this script"},
        {"level group's file missing", "assets/assets.xml",
         "<assets><fixedAssets/><levelAssets><level id=\"1\">"
         "<music name=\"song\" path=\"music/song.ogg\"/></level></levelAssets></assets>",
         "assets.xml: \"music/song.ogg\" is missing"},
        {"level group naming a fixed asset with another file", "assets/assets.xml",
         "<assets><fixedAssets><image name=\"a\" path=\"gpx/a.png\"/></fixedAssets>"
         "<levelAssets><level id=\"2\"><image name=\"a\" path=\"scripts/main.lua\"/></level>"
         "</levelAssets></assets>",
         "assets.xml: level 2's \"a\" is the fixed asset gpx/a.png, not scripts/main.lua"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        // The files a case adds go again.
        fs::remove(folder.Path() / "src/pause.cpp");
        fs::remove(folder.Path() / "assets/scripts/orphan.lua");
        fs::remove(folder.Path() / "assets/assets.xml");
        if (c.text)
            folder.Write(c.file, c.text);
        else
            fs::remove(folder.Path() / c.file);
        const Report report = Check();
        ASSERT_EQ(report.problems.size(), c.text ? 1u : 2u) << Problems(report);
        EXPECT_NE(report.problems.front().find(c.expected), std::string::npos) << Problems(report);
    }
}

// The game's tables are checked with the rest: the shipped ones with the
// golden tile's record gone fail.
TEST_F(DataCheckFixture, GameTables_AreChecked) {
    const fs::path shipped = fs::path(CORVALO_SOURCE_DIR) / "assets";
    for (const char* name : {"config.xml", "game.xml", "classic.xml", "blitz.xml", "strategy.xml",
                             "rome.xml", "romegpx.xml", "joker.xml", "metamap.xml"})
        fs::copy_file(shipped / name, folder.Path() / "assets" / name);
    // The lists the configuration names.
    folder.Write("assets/assets.xml", "<assets><fixedAssets/></assets>");
    folder.Write("assets/fx.xml", "<FXFiles/>");
    Report report = Check();
    EXPECT_TRUE(report.problems.empty()) << Problems(report);

    std::ifstream in(folder.Path() / "assets/config.xml");
    std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string golden = "<tile name=\"golden\"><type>special</type></tile>";
    ASSERT_NE(config.find(golden), std::string::npos);
    config.erase(config.find(golden), golden.size());
    folder.Write("assets/config.xml", config);
    report = Check();
    ASSERT_EQ(report.problems.size(), 1u) << Problems(report);
    EXPECT_NE(report.problems[0].find("tile kind golden is defined 0 times"), std::string::npos);
}

// The world map's made files follow the node table: a hand-edited or stale
// one, or a table the map has no room for, is named.
TEST_F(DataCheckFixture, WorldMap_IsHeldToTheNodeTable) {
    const fs::path shipped = fs::path(CORVALO_SOURCE_DIR) / "assets";
    fs::copy_file(shipped / "metamap.xml", folder.Path() / "assets/metamap.xml");
    const worldgen::Plan plan = worldgen::ReadPlan((folder.Path() / "assets/metamap.xml").string());
    ASSERT_TRUE(plan.problems.empty());
    for (const worldgen::Product& product : worldgen::Products(plan))
        folder.Write("assets/" + product.path, product.bytes);
    folder.Write("assets/fx/pathsparks.xml", "<parsys name=\"p\"/>");
    const auto worldProblems = [](const Report& report) {
        std::string text;
        for (const std::string& problem : report.problems)
            if (problem.find("worldgen") != std::string::npos ||
                problem.find("metamap.xml") != std::string::npos)
                text += problem + "\n";
        return text;
    };
    EXPECT_EQ(worldProblems(Check()), "");

    folder.Write("assets/fx/pathmf.xml", worldgen::PathXml(plan, worldgen::Paths()[0]));
    EXPECT_NE(worldProblems(Check()).find("fx/pathmf.xml: not what tools/worldgen makes"),
              std::string::npos);

    std::ifstream in(folder.Path() / "assets/metamap.xml");
    std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string place = "<x>" + std::to_string(plan.nodes[0].x) + "</x>";
    table.replace(table.find(place), place.size(), "<x>2000</x>");
    folder.Write("assets/metamap.xml", table);
    EXPECT_NE(worldProblems(Check()).find("node 1: its button would leave the map"),
              std::string::npos);
}

} // namespace
