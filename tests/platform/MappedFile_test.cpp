#include "platform/files/DirectoryListing.h"
#include "platform/files/Folders.h"
#include "platform/files/MappedFile.h"
#include "platform/files/WholeFile.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <filesystem>
#include <string>

namespace {

class PlatformFilesTest : public ::testing::Test {
protected:
    support::TempFolder folder{"corvalo-map-"};
    const std::string root = folder.Path().string();
};

TEST_F(PlatformFilesTest, MappedFile_MapsTheWholeFileReadOnly) {
    platform::MappedFile file;
    ASSERT_TRUE(file.Open(folder.Write("a.bin", std::string("ab\0cd", 5))));
    ASSERT_EQ(file.Size(), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.Data()), 5), std::string("ab\0cd", 5));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Data(), nullptr);
}

TEST_F(PlatformFilesTest, MappedFile_RefusesMissingEmptyAndFolders) {
    platform::MappedFile file;
    EXPECT_FALSE(file.Open(root + "/missing"));
    EXPECT_FALSE(file.LastError().empty());
    EXPECT_FALSE(file.Open(folder.Write("empty", "")));
    EXPECT_EQ(file.LastError(), "empty file");
    EXPECT_FALSE(file.Open(root));
    EXPECT_EQ(file.Size(), 0u);
}

TEST_F(PlatformFilesTest, ListDirectory_SortsByBytesAndMarksLinks) {
    folder.Write("b", "");
    folder.Write("B", "");
    folder.Write("a", "");
    std::filesystem::create_directory(root + "/dir");
    std::filesystem::create_directory_symlink(root + "/dir", root + "/link");
    std::filesystem::create_symlink(root + "/nowhere", root + "/dangling");
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::ListDirectory(root, entries));
    std::string names;
    for (const auto& entry : entries)
        names +=
            entry.name + (entry.isDirectory ? "/" : "") + (entry.isSymbolicLink ? "@" : "") + " ";
    EXPECT_EQ(names, "B a b dangling@ dir/ link/@ ");
    EXPECT_FALSE(platform::ListDirectory(root + "/missing", entries));
    EXPECT_TRUE(entries.empty());
}

TEST_F(PlatformFilesTest, MakeFolderLevels_MakesEveryMissingLevel) {
    EXPECT_TRUE(platform::MakeFolderLevels(root + "/a/b/c"));
    EXPECT_TRUE(std::filesystem::is_directory(root + "/a/b/c"));
    // Levels that are there already are fine, and so is a trailing separator.
    EXPECT_TRUE(platform::MakeFolderLevels(root + "/a/b/c/"));
    EXPECT_TRUE(platform::MakeFolderLevels(root + "/a/b/d"));
    EXPECT_TRUE(std::filesystem::is_directory(root + "/a/b/d"));
}

TEST_F(PlatformFilesTest, MakeFolderLevels_LeavesTheLevelsBeforeFromAlone) {
    std::string path = root + "/missing/x/y";
    // The levels ending before the start index are not made, so "x" and "y"
    // cannot be made under them either.
    EXPECT_FALSE(platform::MakeFolderLevels(path, root.size() + 9));
    EXPECT_FALSE(std::filesystem::exists(root + "/missing"));
    // A start past the end makes nothing and only tells whether the path is
    // a folder.
    EXPECT_TRUE(platform::MakeFolderLevels(root, root.size() + 1));
    EXPECT_FALSE(platform::MakeFolderLevels(path, path.size() + 1));
    EXPECT_FALSE(std::filesystem::exists(root + "/missing"));
}

TEST_F(PlatformFilesTest, MakeFolderLevels_FailsWhereAFileStands) {
    folder.Write("file", "x");
    EXPECT_FALSE(platform::MakeFolderLevels(root + "/file"));
    EXPECT_FALSE(platform::MakeFolderLevels(root + "/file/below"));
    EXPECT_FALSE(std::filesystem::is_directory(root + "/file"));
}

TEST_F(PlatformFilesTest, ReadWholeFile_GivesEveryByte) {
    std::string content(200000, 'x');
    content[5] = '\0';
    content.back() = 'y';
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(folder.Write("big.bin", content), bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
    ASSERT_TRUE(platform::ReadWholeFile(folder.Write("empty", ""), bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(PlatformFilesTest, ReadWholeFile_StopsPastTheLimitAndFailsOnMissingFiles) {
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(
        platform::ReadWholeFile(folder.Write("big.bin", std::string(200000, 'x')), bytes, 1000));
    EXPECT_GT(bytes.size(), 1000u);
    EXPECT_LT(bytes.size(), 200000u);
    EXPECT_FALSE(platform::ReadWholeFile(root + "/missing", bytes));
    // A folder opens as a stream but cannot be read.
    EXPECT_FALSE(platform::ReadWholeFile(root, bytes));
}

} // namespace
