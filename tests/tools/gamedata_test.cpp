#include "ToolRun.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using tools_test::RunTool;

const fs::path kShipped = fs::path(CORVALO_TEST_DATA) / ".." / ".." / "assets";

class Gamedata : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tools_test::ToolBuilt("gamedata"))
            GTEST_SKIP() << "gamedata is not built";
    }
};

TEST_F(Gamedata, Dump_PrintsTheBuiltTables) {
    const auto result = RunTool("gamedata", {"dump", kShipped.string()});
    EXPECT_EQ(result.status, 0) << result.output;
    for (const char* line :
         {"[boards] 3\n", "1: 7x8 slots=63 window=376,112,518,592 first=(37,629)",
          "3: 11x12 slots=143", "14: golden type=102 value=0", "9: wild type=101 value=2000",
          "[classic] 56\n", "[rome] 56\n", "[joker] 56\n", "[nodes] 56\n",
          "rome index=1,21,41 timer=120,110,100", "joker index=10,12,15"})
        EXPECT_NE(result.output.find(line), std::string::npos) << line << "\n" << result.output;
}

TEST_F(Gamedata, Lint_PassesShippedDataAndFailsWithoutATileRecord) {
    auto result = RunTool("gamedata", {"lint", kShipped.string()});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("the game data holds together"), std::string::npos);

    support::TempFolder folder{"corvalo-gamedata-"};
    for (const auto& entry : fs::directory_iterator(kShipped))
        if (entry.path().extension() == ".xml")
            fs::copy_file(entry.path(), folder.Path() / entry.path().filename());
    std::ifstream in(folder.Path() / "config.xml");
    std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string joker = "<tile name=\"joker\"><type>special</type></tile>";
    ASSERT_NE(config.find(joker), std::string::npos);
    config.erase(config.find(joker), joker.size());
    folder.Write("config.xml", config);

    result = RunTool("gamedata", {"lint", folder.Path().string()});
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("config.xml: tile kind joker is defined 0 times"),
              std::string::npos)
        << result.output;
}

TEST_F(Gamedata, BadArguments_ShowTheUsage) {
    for (const auto& arguments : {std::vector<std::string>{}, {"print"}, {"lint", "a", "b"}}) {
        const auto result = RunTool("gamedata", arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.output.find("usage: gamedata dump|lint"), std::string::npos);
    }
}

} // namespace
