// Replays the seed corpus of the animation and mesh fuzz target through its
// entry function, so the normal test run checks every seed under the
// sanitizers.

#include "fuzz/AnimationFuzzEntry.h"

#include <gtest/gtest.h>

#include "support/FuzzCorpus.h"

#include <string>

namespace {

const std::string kCorpus = std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_animation";

TEST(AnimationFuzzCorpus, SeedsReplay) {
    size_t count = 0;
    for (const support::FuzzSeed& seed : support::FuzzCorpusSeeds(kCorpus)) {
        SCOPED_TRACE(seed.path.string());
        EXPECT_EQ(FuzzAnimation(seed.Data(), seed.bytes.size()), 0);
        ++count;
    }
    EXPECT_GE(count, 6u);
}

TEST(AnimationFuzzCorpus, EmptyInputIsHandled) {
    EXPECT_EQ(FuzzAnimation(nullptr, 0), 0);
}

} // namespace
