#include "Recipes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace imagegen;

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

const std::filesystem::path kBuiltAssets = std::filesystem::path(CORVALO_BINARY_DIR) / "assets";

Image Draw(const Picture& picture) {
    Image image = Render(picture.width, picture.height, picture.draw);
    if (picture.finish)
        picture.finish(image);
    return image;
}

// The build ran the generator in a process of its own: drawing every recipe
// again here gives the same bytes.
TEST(Imagegen, SameRecipe_SameBytes) {
    const std::vector<Picture> pictures = Pictures(IMAGEGEN_SVG_FOLDER);
    ASSERT_FALSE(pictures.empty());
    for (const Picture& picture : pictures) {
        SCOPED_TRACE(picture.path);
        EXPECT_LE(picture.width, 1024);
        EXPECT_LE(picture.height, 1024);
        const Image image = Draw(picture);
        const auto bytes = picture.format == Format::kJpeg
                               ? EncodeJpeg(image, palette::kJpegQuality)
                               : EncodePng(image);
        ASSERT_FALSE(bytes.empty());
        EXPECT_TRUE(bytes == ReadBytes(kBuiltAssets / picture.path));
    }
    ReleaseFonts();
}

// The arrow: its tip is the top-left pixel; the colour key marks exactly
// the transparent pixels, so the software cursor (every other pixel opaque)
// and the colour cursor (alpha) show the same arrow.
TEST(Imagegen, Cursor_KeyMarksExactlyTheTransparentPixels) {
    const Image image = DecodePng((kBuiltAssets / "gpx/cursor/arrow.png").string());
    ASSERT_EQ(image.width, 32);
    ASSERT_EQ(image.height, 32);
    EXPECT_GE(image.rgba[3], 96) << "the tip is not at the top-left pixel";
    int transparent = 0, opaque = 0;
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        const uint8_t* p = &image.rgba[i];
        EXPECT_EQ(p[3] == 0, IsCursorKey(p)) << "pixel " << i / 4;
        transparent += p[3] == 0;
        opaque += p[3] == 255;
    }
    EXPECT_GT(transparent, 32 * 32 / 2);
    EXPECT_GT(opaque, 60);
}

// Every animation frame differs from the one before it (the animation
// moves) and the packed sheet lies beside its XML.
TEST(Imagegen, Animations_MoveAndArePacked) {
    for (const Animation& animation : Animations()) {
        SCOPED_TRACE(animation.path);
        EXPECT_GE(animation.frames, 8);
        EXPECT_LE(animation.frames, 16);
        std::vector<uint8_t> previous;
        for (int i = 0; i < animation.frames; ++i) {
            const double t = double(i) / animation.frames;
            const Image frame =
                Render(animation.width, animation.height,
                       [&](cairo_t* cr, int w, int h) { animation.draw(cr, w, h, t); });
            EXPECT_NE(frame.rgba, previous) << "frame " << i;
            previous = frame.rgba;
        }
        const auto xml = kBuiltAssets / animation.path;
        EXPECT_TRUE(std::filesystem::is_regular_file(xml));
        EXPECT_TRUE(
            std::filesystem::is_regular_file(std::filesystem::path(xml).replace_extension(".png")));
    }
}

} // namespace
