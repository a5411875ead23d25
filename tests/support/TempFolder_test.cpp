#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(TempFolder, IsAFreshFolderNamedFromThePrefix) {
    support::TempFolder first("corvalo-support-");
    support::TempFolder second("corvalo-support-");
    EXPECT_TRUE(fs::is_directory(first.Path()));
    EXPECT_TRUE(fs::is_empty(first.Path()));
    EXPECT_EQ(first.Path().parent_path(), fs::temp_directory_path());
    EXPECT_EQ(first.Path().filename().string().rfind("corvalo-support-", 0), 0u);
    EXPECT_NE(first.Path(), second.Path());
}

TEST(TempFolder, Write_MakesFoldersAndGivesTheFullPath) {
    support::TempFolder folder("corvalo-support-");
    std::string path = folder.Write("a/b/c.bin", std::string("x\0y", 3));
    EXPECT_EQ(path, (folder.Path() / "a/b/c.bin").string());
    EXPECT_EQ(ReadWhole(path), std::string("x\0y", 3));
    // An absolute path is written where it says.
    std::string elsewhere = (folder.Path() / "d.txt").string();
    EXPECT_EQ(folder.Write(elsewhere, "d"), elsewhere);
    EXPECT_EQ(ReadWhole(elsewhere), "d");
}

TEST(TempFolder, Destruction_RemovesEverythingEvenBehindReadOnlyFolders) {
    fs::path root;
    {
        support::TempFolder folder("corvalo-support-");
        root = folder.Path();
        folder.Write("open/locked/inner/file.txt", "text");
        fs::permissions(root / "open" / "locked" / "inner", fs::perms::owner_read);
        fs::permissions(root / "open" / "locked", fs::perms::none);
        fs::permissions(root, fs::perms::owner_read | fs::perms::owner_exec);
    }
    EXPECT_FALSE(fs::exists(root));
}

} // namespace
