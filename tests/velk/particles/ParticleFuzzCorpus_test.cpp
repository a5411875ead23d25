// Replays the seeds of the particle reader's fuzz target through the check
// its entry function makes, so the normal test run checks them under the
// sanitizers.

#include "fuzz/ParticleFuzzEntry.h"

#include <gtest/gtest.h>

#include "support/FuzzCorpus.h"

#include <string>
#include <vector>

namespace {

const std::string kCorpus = std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_particles";

TEST(ParticleFuzzCorpus, ReplaysSeeds) {
    const std::vector<support::FuzzSeed> seeds = support::FuzzCorpusSeeds(kCorpus);
    for (const support::FuzzSeed& seed : seeds) {
        SCOPED_TRACE(seed.path.string());
        EXPECT_EQ(CheckParticleDescription(seed.Data(), seed.bytes.size()), "");
    }
    EXPECT_GE(seeds.size(), 3u);
    EXPECT_EQ(CheckParticleDescription(nullptr, 0), "");
}

} // namespace
