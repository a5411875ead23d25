#include "ToolRun.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <string>

namespace {

using tools_test::RunTool;

class XmltoolLabel : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tools_test::ToolBuilt("xmltool"))
            GTEST_SKIP() << "xmltool is not built";
        file =
            folder.Write("strings.xml", "<Table><Row><Data>hello</Data><Data>Hello %1%</Data></Row>"
                                        "<Row><Data>bad</Data><Data>%nolabel%</Data></Row>"
                                        "<Row><Data>marker</Data><Data>#####</Data></Row></Table>");
    }

    support::TempFolder folder{"corvalo-xmltool-"};
    std::string file;
};

// A label that is missing, or whose escapes fail, printed the marker and
// exited 0.
TEST_F(XmltoolLabel, StatusTellsWhetherTheLabelWasFound) {
    const struct {
        const char* label;
        const char* argument;
        int status;
        const char* printed;
    } cases[] = {
        {"hello", "you", 0, "Hello you\n"},
        {"marker", "", 0, "#####\n"},
        {"missing", "", 1, "#####\n"},
        {"bad", "", 1, "#####\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const tools_test::ToolResult result =
            RunTool("xmltool", {"label", file, c.label, c.argument});
        EXPECT_EQ(result.status, c.status) << result.output;
        EXPECT_NE(result.output.find(c.printed), std::string::npos) << result.output;
        const bool complained = result.output.find("xmltool: label '" + std::string(c.label) +
                                                   "' is missing") != std::string::npos;
        EXPECT_EQ(complained, c.status != 0) << result.output;
    }
}

} // namespace
