// FileGets with the buffer first, as the game's credits reader calls it:
// the same lines as the handle-first form.

#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileSystem.h"

#include "FileTestTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(FileGets, BufferFirst_ReadsTheLinesOfTheHandleFirstForm) {
    FileTestTree tree;
    SetUserDataFolder(TString((tree.Root() + "/user").c_str()));
    tree.Write(tree.Root() + "/user/credits.txt", "Design\r\nArt\r\nlast");
    TFile* file = FileOpen("user:credits.txt", kFileReadText);
    ASSERT_NE(file, nullptr);
    std::vector<std::string> lines;
    char buffer[8192];
    // The line read together with the end of the file comes back as null.
    while (char* end = FileGets(buffer, static_cast<int32_t>(sizeof buffer), file)) {
        EXPECT_EQ(end, buffer + std::string(buffer).size());
        lines.push_back(buffer);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"Design\n", "Art\n"}));
    FileClose(file);
}

} // namespace
