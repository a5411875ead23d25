// Replays the seeds of the pattern matcher's fuzz target through the check
// its entry function makes, so the normal test run checks them under the
// sanitizers.

#include "fuzz/LuaPatternFuzzEntry.h"

#include <gtest/gtest.h>

#include "support/FuzzCorpus.h"

#include <string>
#include <vector>

namespace {

const std::string kCorpus = std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_lua_patterns";

TEST(LuaPatternFuzzCorpus, ReplaysSeeds) {
    const std::vector<support::FuzzSeed> seeds = support::FuzzCorpusSeeds(kCorpus);
    for (const support::FuzzSeed& seed : seeds) {
        SCOPED_TRACE(seed.path.string());
        EXPECT_EQ(CheckLuaPatterns(seed.Data(), seed.bytes.size()), "");
    }
    EXPECT_GE(seeds.size(), 10u);
    EXPECT_EQ(CheckLuaPatterns(nullptr, 0), "");
}

} // namespace
