#include "platform/files/DirectoryListing.h"
#include "platform/files/MappedFile.h"

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

} // namespace
