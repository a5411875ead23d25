// Replays the seed corpus of the Ogg source's fuzz target, and the tone
// fixtures, through the same entry function under the sanitizers.

#include "fuzz/OggFuzzEntry.h"

#include "framework/sound/SoundTestSupport.h"
#include "support/FuzzCorpus.h"

#include <gtest/gtest.h>

namespace {

TEST(OggFuzzCorpus, ReplaysSeedsAndFixtures) {
    size_t count = 0;
    for (const std::string& folder : {std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_ogg",
                                      std::string(CORVALO_SOUND_FIXTURES)}) {
        for (const support::FuzzSeed& seed : support::FuzzCorpusSeeds(folder)) {
            SCOPED_TRACE(seed.path.string());
            EXPECT_EQ(FuzzOggSource(seed.Data(), seed.bytes.size()), 0);
            ++count;
        }
    }
    EXPECT_GE(count, 7u);
}

} // namespace
