// Replays the seed corpus of the XML fuzz targets through the same entry
// functions, so the normal test run checks every seed under the sanitizers.

#include "fuzz/XmlFuzzEntries.h"

#include <gtest/gtest.h>

#include "support/FuzzCorpus.h"

#include <string>
#include <vector>

namespace {

using FuzzEntry = int (*)(const uint8_t*, size_t);

// Runs the entry over every file of the folders; returns how many it ran.
size_t Replay(FuzzEntry entry, const std::vector<std::string>& folders) {
    size_t count = 0;
    for (const std::string& folder : folders) {
        for (const support::FuzzSeed& seed : support::FuzzCorpusSeeds(folder)) {
            SCOPED_TRACE(seed.path.string());
            EXPECT_EQ(entry(seed.Data(), seed.bytes.size()), 0);
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
