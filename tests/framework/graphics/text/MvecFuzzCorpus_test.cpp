// Replays the seed corpus of the vector-font fuzz target through its entry
// function, so the normal test run checks every seed under the sanitizers.

#include "fuzz/MvecFuzzEntry.h"

#include <gtest/gtest.h>

#include "support/FuzzCorpus.h"

#include <string>

namespace {

const std::string kCorpus = std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_mvec";

TEST(MvecFuzzCorpus, SeedsReplay) {
    size_t count = 0;
    for (const support::FuzzSeed& seed : support::FuzzCorpusSeeds(kCorpus)) {
        SCOPED_TRACE(seed.path.string());
        EXPECT_EQ(FuzzMvec(seed.Data(), seed.bytes.size()), 0);
        ++count;
    }
    EXPECT_GE(count, 8u);
}

TEST(MvecFuzzCorpus, EmptyInputIsHandled) {
    EXPECT_EQ(FuzzMvec(nullptr, 0), 0);
}

} // namespace
