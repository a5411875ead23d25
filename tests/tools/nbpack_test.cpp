#include "ToolRun.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using tools_test::RunTool;

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A FIFO in the packed folder blocked the tool for ever, and a link to
// /dev/zero made it read gigabytes; the pack it was to replace stays.
TEST(NbpackTool, FifoOrDeviceInTheFolderIsRefusedAndTheOldPackKept) {
    if (!tools_test::ToolBuilt("nbpack"))
        GTEST_SKIP() << "nbpack is not built";
    support::TempFolder folder("corvalo-nbpack-");
    const std::string root = folder.Path().string();
    const std::string pack = folder.Write("game.nbp", "the old pack");
    folder.Write("pipe/a.txt", "a");
    ASSERT_EQ(::mkfifo((root + "/pipe/fifo").c_str(), 0600), 0);
    folder.Write("zero/a.txt", "a");
    std::filesystem::create_symlink("/dev/zero", root + "/zero/z.bin");
    for (const char* source : {"pipe", "zero"}) {
        SCOPED_TRACE(source);
        const tools_test::ToolResult result = RunTool("nbpack", {root + "/" + source, pack});
        EXPECT_EQ(result.status, 1) << result.output;
        EXPECT_NE(result.output.find("nbpack: not a regular file: "), std::string::npos)
            << result.output;
        EXPECT_EQ(ReadWhole(pack), "the old pack");
    }
    folder.Write("good/a.txt", "a");
    const tools_test::ToolResult result = RunTool("nbpack", {root + "/good", pack});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(ReadWhole(pack).substr(0, 4), "NBPK");
}

} // namespace
