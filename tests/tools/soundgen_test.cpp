#include "OggWriter.h"
#include "Recipes.h"

#include "framework/sound/source/TOggDataSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace soundgen;

const std::filesystem::path kBuiltAssets = std::filesystem::path(CORVALO_BINARY_DIR) / "assets";

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

// The largest step between neighbouring samples of one channel.
float LargestStep(const Buffer& buffer, int channel) {
    float largest = 0;
    for (long f = 1; f < buffer.Frames(); ++f)
        largest = std::max(largest, std::fabs(buffer.At(f, channel) - buffer.At(f - 1, channel)));
    return largest;
}

// The largest second difference of one channel: how sharply it bends.
float LargestBend(const Buffer& buffer, int channel) {
    float largest = 0;
    for (long f = 1; f + 1 < buffer.Frames(); ++f)
        largest =
            std::max(largest, std::fabs(buffer.At(f + 1, channel) - 2 * buffer.At(f, channel) +
                                        buffer.At(f - 1, channel)));
    return largest;
}

// Each recipe made here gives the bytes the build's generator wrote in its
// own process; the written file decodes through our source to the samples'
// length, channel count and rate; nothing reaches full scale; effects start
// and end at silence, except the ones played looped, whose end joins their
// start like the music's; music is stereo, at least a minute long and at
// most two, and its end joins its start with a step no larger than the
// steps inside it.
TEST(Soundgen, Recipes_WriteWhatTheySay) {
    const std::vector<SoundRecipe> recipes = SoundRecipes();
    ASSERT_FALSE(recipes.empty());
    for (const SoundRecipe& recipe : recipes) {
        SCOPED_TRACE(recipe.path);
        const Buffer buffer = recipe.make();
        ASSERT_GT(buffer.Frames(), 0);
        EXPECT_EQ(buffer.rate, 44100);
        EXPECT_EQ(buffer.channels, recipe.loop ? 2 : 1);
        EXPECT_LT(buffer.Peak(), 0.9f);
        EXPECT_GT(buffer.Peak(), 0.2f) << "too quiet";

        const auto bytes = EncodeOgg(buffer, SerialFor(recipe.path), recipe.quality);
        const auto path = kBuiltAssets / recipe.path;
        EXPECT_TRUE(bytes == ReadBytes(path));

        TOggDataSource source;
        ASSERT_TRUE(source.Open(TString(("::" + path.string()).c_str()), false));
        EXPECT_EQ(source.GetSampleRate(), 44100u);
        EXPECT_EQ(source.GetChannels(), static_cast<uint32_t>(buffer.channels));
        EXPECT_EQ(source.GetSize(), static_cast<uint64_t>(buffer.Frames()) * 2 * buffer.channels);

        for (int c = 0; c < buffer.channels; ++c) {
            const float first = buffer.At(0, c), last = buffer.At(buffer.Frames() - 1, c);
            if (recipe.loop || recipe.seamless) {
                if (recipe.loop) {
                    EXPECT_GE(buffer.Frames(), 60L * buffer.rate);
                    EXPECT_LE(buffer.Frames(), 120L * buffer.rate);
                    EXPECT_LT(std::fabs(last - first), 0.05f) << "channel " << c;
                }
                EXPECT_LE(std::fabs(last - first), LargestStep(buffer, c)) << "channel " << c;
                // The wave bends over the seam no more sharply than inside.
                const float beforeLast = buffer.At(buffer.Frames() - 2, c);
                EXPECT_LE(std::fabs(first - 2 * last + beforeLast), LargestBend(buffer, c))
                    << "channel " << c;
            } else {
                EXPECT_LT(std::fabs(first), 0.01f);
                EXPECT_LT(std::fabs(last), 0.01f);
            }
        }
    }
}

// The same recipe twice in one process: the same bytes (no time, no
// random seed from outside).
TEST(Soundgen, SameRecipe_SameBytes) {
    for (const SoundRecipe& recipe : SoundRecipes()) {
        if (recipe.loop)
            continue; // the whole-recipe test above compares the music with the build's
        SCOPED_TRACE(recipe.path);
        const auto once = EncodeOgg(recipe.make(), SerialFor(recipe.path), recipe.quality);
        const auto again = EncodeOgg(recipe.make(), SerialFor(recipe.path), recipe.quality);
        ASSERT_FALSE(once.empty());
        EXPECT_TRUE(once == again);
    }
}

} // namespace
