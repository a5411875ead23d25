#include "ToolRun.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using tools_test::RunTool;

const std::string kWalk = std::string(CORVALO_TEST_DATA) + "/animation/walk.xml";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Animpack : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tools_test::ToolBuilt("animpack"))
            GTEST_SKIP() << "animpack is not built";
    }
    std::string Path(const char* leaf) const { return (folder.Path() / leaf).string(); }

    support::TempFolder folder{"corvalo-animpack-"};
};

// XML -> ANM -> XML -> ANM: the second binary file equals the first, and
// the fixture's binary form is what the tool makes of its XML form.
TEST_F(Animpack, RoundTrip_KeepsTheRecords) {
    const auto first = RunTool("animpack", {"--anm", kWalk, Path("a.anm")});
    ASSERT_EQ(first.status, 0) << first.output;
    EXPECT_NE(first.output.find("3 frames"), std::string::npos) << first.output;
    const auto back = RunTool("animpack", {"--xml", Path("a.anm"), Path("b.xml")});
    ASSERT_EQ(back.status, 0) << back.output;
    const auto again = RunTool("animpack", {"--anm", Path("b.xml"), Path("c.anm")});
    ASSERT_EQ(again.status, 0) << again.output;
    const std::string anm = ReadFile(Path("a.anm"));
    EXPECT_FALSE(anm.empty());
    EXPECT_EQ(ReadFile(Path("c.anm")), anm);
    EXPECT_EQ(ReadFile(std::string(CORVALO_TEST_DATA) + "/animation/walk.anm"), anm);
}

TEST_F(Animpack, BadInputOrArguments_FailWithMessage) {
    folder.Write("broken.anm", "ANIM\x01");
    folder.Write("empty.xml", "<sequence/>");
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* printed;
    } cases[] = {
        {{"--anm", Path("empty.xml"), Path("out.anm")}, 1, "is not a readable animation"},
        {{"--xml", Path("broken.anm"), Path("out.xml")}, 1, "is not a readable animation"},
        {{"--xml", Path("missing.anm"), Path("out.xml")}, 1, "is not a readable animation"},
        {{"--png", kWalk, Path("out.png")}, 2, "usage: animpack"},
        {{"--anm", kWalk}, 2, "usage: animpack"},
    };
    for (const auto& c : cases) {
        const auto result = RunTool("animpack", c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments[0] << " " << c.arguments[1];
        EXPECT_NE(result.output.find(c.printed), std::string::npos) << result.output;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("out.anm")));
    EXPECT_FALSE(std::filesystem::exists(Path("out.xml")));
}

} // namespace
