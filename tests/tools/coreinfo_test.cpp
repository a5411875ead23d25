#include "ToolRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tools_test::RunTool;

class CoreinfoTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tools_test::ToolBuilt("coreinfo"))
            GTEST_SKIP() << "coreinfo is not built";
    }
};

// A mistyped number was taken as 0, and one past 32 bits wrapped around,
// with status 0 both times.
TEST_F(CoreinfoTool, RefusesWhatIsNotAWholeNumberInRange) {
    const std::vector<std::vector<std::string>> refused = {
        {"--seed", "abc"}, {"--seed", "99999999999"}, {"--seed", "-1"},
        {"--seed", "12 "}, {"--seed", "0x"},          {"--count", "-3"},
    };

    for (const auto& arguments : refused) {
        SCOPED_TRACE(arguments[0] + " \"" + arguments[1] + "\"");
        const tools_test::ToolResult result = RunTool("coreinfo", arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.output.find("coreinfo: " + arguments[0] + " takes a whole number"),
                  std::string::npos)
            << result.output;
        EXPECT_EQ(result.output.find("random, seed"), std::string::npos);
    }
}

TEST_F(CoreinfoTool, TakesDecimalAndHexNumbers) {
    const struct {
        std::vector<std::string> arguments;
        const char* seedLine;
    } cases[] = {
        {{"--seed", "7", "--count", "2"}, "random, seed 7:"},
        {{"--seed", "0x10", "--count", "0"}, "random, seed 16:"},
        {{"--seed", "010", "--count", "1"}, "random, seed 10:"},
        {{"--seed", "4294967295", "--count", "1"}, "random, seed 4294967295:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seedLine);
        const tools_test::ToolResult result = RunTool("coreinfo", c.arguments);
        EXPECT_EQ(result.status, 0) << result.output;
        EXPECT_NE(result.output.find(c.seedLine), std::string::npos) << result.output;
    }
}

} // namespace
