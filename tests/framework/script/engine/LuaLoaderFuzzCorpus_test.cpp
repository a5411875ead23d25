// Replays the seeds of the script loader's fuzz target through the check
// its entry function makes, so the normal test run checks them under the
// sanitizers.

#include "fuzz/LuaLoaderFuzzEntry.h"

#include <gtest/gtest.h>

#include "support/FuzzCorpus.h"

#include <string>
#include <vector>

namespace {

const std::string kCorpus = std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_lua_load";

TEST(LuaLoaderFuzzCorpus, ReplaysSeeds) {
    const std::vector<support::FuzzSeed> seeds = support::FuzzCorpusSeeds(kCorpus);
    for (const support::FuzzSeed& seed : seeds) {
        SCOPED_TRACE(seed.path.string());
        EXPECT_EQ(CheckLuaLoad(seed.Data(), seed.bytes.size()), "");
    }
    EXPECT_GE(seeds.size(), 6u);
    EXPECT_EQ(CheckLuaLoad(nullptr, 0), "");
}

} // namespace
