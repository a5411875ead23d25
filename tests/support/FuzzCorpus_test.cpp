#include "support/FuzzCorpus.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(FuzzCorpus, SeedsAreTheFolderFilesInNameOrder) {
    support::TempFolder folder("corvalo-corpus-");
    folder.Write(folder.Path() / "b_seed", std::string("two\0bytes", 9));
    folder.Write(folder.Path() / "a_seed", "one");
    folder.Write(folder.Path() / "c_empty", "");
    std::filesystem::create_directories(folder.Path() / "a_folder");
    const std::vector<support::FuzzSeed> seeds = support::FuzzCorpusSeeds(folder.Path());
    ASSERT_EQ(seeds.size(), 3u);
    EXPECT_EQ(seeds[0].path.filename(), "a_seed");
    EXPECT_EQ(seeds[0].bytes, "one");
    EXPECT_EQ(seeds[1].path.filename(), "b_seed");
    EXPECT_EQ(seeds[1].bytes, std::string("two\0bytes", 9));
    EXPECT_EQ(seeds[1].Data()[3], 0);
    EXPECT_EQ(seeds[2].path.filename(), "c_empty");
    EXPECT_TRUE(seeds[2].bytes.empty());
}

TEST(FuzzCorpus, MissingFolderThrows) {
    support::TempFolder folder("corvalo-corpus-");
    EXPECT_THROW(support::FuzzCorpusSeeds(folder.Path() / "none"),
                 std::filesystem::filesystem_error);
}

} // namespace
