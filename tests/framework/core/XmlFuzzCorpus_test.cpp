// Replays the seed corpus of the XML fuzz targets through the same entry
// functions, so the normal test run checks every seed under the sanitizers.

#include "../../fuzz/XmlFuzzEntries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using FuzzEntry = int (*)(const uint8_t*, size_t);

// Runs the entry over every file of the folders; returns how many it ran.
size_t Replay(FuzzEntry entry, const std::vector<std::string>& folders) {
    size_t count = 0;
    for (const std::string& folder : folders) {
        std::vector<std::filesystem::path> files;
        for (const auto& item : std::filesystem::directory_iterator(folder)) {
            if (item.is_regular_file()) {
                files.push_back(item.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const auto& path : files) {
            std::ifstream in(path, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
            SCOPED_TRACE(path.string());
            EXPECT_EQ(entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
            ++count;
        }
    }
    return count;
}

const std::string kCorpus = std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus";
const std::string kXmlData = std::string(CORVALO_TEST_DATA) + "/xml";

TEST(XmlFuzzCorpus, ReaderReplaysSeeds) {
    EXPECT_GE(Replay(FuzzXmlReader, {kCorpus + "/fuzz_xml", kXmlData}), 5u);
}

TEST(XmlFuzzCorpus, StringTableReplaysSeeds) {
    EXPECT_GE(Replay(FuzzStringTable, {kCorpus + "/fuzz_stringtable", kXmlData}), 3u);
}

TEST(XmlFuzzCorpus, EmptyInputIsHandled) {
    EXPECT_EQ(FuzzXmlReader(nullptr, 0), 0);
    EXPECT_EQ(FuzzStringTable(nullptr, 0), 0);
}

} // namespace
