// Replays the seeds of the translator's fuzz target through the check its
// entry function makes, so the normal test run checks every seed under the
// sanitizers.

#include "fuzz/LuaTranslatorFuzzEntry.h"

#include <gtest/gtest.h>

#include "support/FuzzCorpus.h"

#include <string>
#include <vector>

namespace {

const std::string kCorpus = std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_lua_translate";

TEST(LuaTranslatorFuzzCorpus, ReplaysSeeds) {
    const std::vector<support::FuzzSeed> seeds = support::FuzzCorpusSeeds(kCorpus);
    for (const support::FuzzSeed& seed : seeds) {
        SCOPED_TRACE(seed.path.string());
        EXPECT_EQ(CheckLuaTranslation(seed.Data(), seed.bytes.size()), "");
    }
    EXPECT_GE(seeds.size(), 6u);
}

TEST(LuaTranslatorFuzzCorpus, EmptyInputIsHandled) {
    EXPECT_EQ(CheckLuaTranslation(nullptr, 0), "");
}

// A refusal on the input's third line and a wrapped translation both pass.
TEST(LuaTranslatorFuzzCorpus, RefusedAndAcceptedInputsPass) {
    const std::string refused = "x = 1\n\ny = = 2";
    EXPECT_EQ(CheckLuaTranslation(reinterpret_cast<const uint8_t*>(refused.data()), refused.size()),
              "");
    const std::string accepted = "for k, v in {1} do\n continue\nend";
    EXPECT_EQ(
        CheckLuaTranslation(reinterpret_cast<const uint8_t*>(accepted.data()), accepted.size()),
        "");
}

} // namespace
