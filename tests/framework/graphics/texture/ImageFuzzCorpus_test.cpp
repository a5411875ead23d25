// Replays the seed corpus of the image decoders' fuzz target through its
// entry function, so the normal test run checks every seed under the
// sanitizers.

#include "fuzz/ImageFuzzEntry.h"

#include <gtest/gtest.h>

#include "support/FuzzCorpus.h"

#include <string>

namespace {

const std::string kCorpus = std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_images";

TEST(ImageFuzzCorpus, SeedsReplay) {
    size_t count = 0;
    for (const support::FuzzSeed& seed : support::FuzzCorpusSeeds(kCorpus)) {
        SCOPED_TRACE(seed.path.string());
        EXPECT_EQ(FuzzImageDecoders(seed.Data(), seed.bytes.size()), 0);
        ++count;
    }
    EXPECT_GE(count, 12u);
}

TEST(ImageFuzzCorpus, SeedsOfEachKindDecode) {
    // The seeds are valid files (but for the cut ones, the refused ones that
    // claim more than a texture may keep, and those the fuzzer found), so
    // each decoder gets past its header on the corpus.
    int decoded = 0;
    int refused = 0;
    for (const support::FuzzSeed& seed : support::FuzzCorpusSeeds(kCorpus)) {
        RegisterMemoryFile("seed.img", seed.Data(), static_cast<int32_t>(seed.bytes.size()));
        uint8_t* pixels = nullptr;
        int32_t w = 0, h = 0, s = 0;
        bool alpha = false;
        std::string ext = seed.path.extension().string();
        const int32_t limit = imagefuzz::kFuzzMaxSide;
        bool ok = ext == ".png"   ? LoadPngImage("seed.img", &pixels, &w, &h, &s, &alpha, limit)
                  : ext == ".jpg" ? LoadJpegImage("seed.img", &pixels, &w, &h, &s, limit)
                                  : LoadJp2Image("seed.img", &pixels, &w, &h, &s, &alpha, limit);
        FreeImageBuffer(pixels);
        const std::string leaf = seed.path.filename().string();
        if (leaf.rfind("refused-", 0) == 0) {
            EXPECT_FALSE(ok) << seed.path;
            refused += !ok;
        } else if (leaf.rfind("cut", 0) != 0 && leaf.rfind("fuzzed-", 0) != 0) {
            EXPECT_TRUE(ok) << seed.path;
            decoded += ok;
        }
    }
    EXPECT_GE(decoded, 10);
    EXPECT_GE(refused, 5);
}

TEST(ImageFuzzCorpus, EmptyInputIsHandled) {
    EXPECT_EQ(FuzzImageDecoders(nullptr, 0), 0);
}

} // namespace
