#include "Recipes.h"

#include "framework/graphics/animation/TAnimationFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
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

// The avatars: four characters in six moods each (the score card's win,
// the lose-life pop-up's loss and the menu's greeting among them), of one
// size. Every
// frame is registered at its top-left corner, keeps the whole figure inside
// it (nothing opaque on the border) and stands it on the frame's bottom;
// the packed file carries the script, which loops (but the menu's greeting,
// which plays once and ends), and the score card's also answers to "win".
// The four characters look different.
TEST(Imagegen, Avatars_FitTheirFramesAndLoop) {
    const std::vector<Animation> avatars = AvatarAnimations();
    ASSERT_EQ(avatars.size(), 24u);
    std::set<std::string> names;
    std::vector<std::vector<uint8_t>> standing;
    for (const Animation& avatar : avatars) {
        SCOPED_TRACE(avatar.path);
        const std::string stem = std::filesystem::path(avatar.path).stem().string();
        names.insert(stem);
        EXPECT_EQ(avatar.width, 150);
        EXPECT_EQ(avatar.height, 170);
        EXPECT_TRUE(avatar.registerTopLeft);
        EXPECT_NE(avatar.script.find("function DoAnim()"), std::string::npos);
        const bool greeting = stem.find("greeting") != std::string::npos;
        EXPECT_EQ(avatar.script.find("while true do") == std::string::npos, greeting);
        const bool win = stem.find("score_win") != std::string::npos;
        EXPECT_EQ(avatar.script.find("function win()") != std::string::npos, win);

        TAnimationData data;
        ASSERT_TRUE(ReadAnimationXmlFile(
            TString(("::" + (kBuiltAssets / avatar.path).string()).c_str()), data));
        EXPECT_STREQ(data.mScript.CStr(), avatar.script.c_str());
        ASSERT_EQ(data.GetFrameCount(), avatar.frames);
        for (const TAnimationFrame& frame : data.mFrames) {
            EXPECT_EQ(frame.mRegX, 0);
            EXPECT_EQ(frame.mRegY, 0);
            EXPECT_EQ(frame.mW, avatar.width);
            EXPECT_EQ(frame.mH, avatar.height);
        }
        for (int i = 0; i < avatar.frames; ++i) {
            const double t = double(i) / avatar.frames;
            const Image image = Render(avatar.width, avatar.height, [&](cairo_t* cr, int w, int h) {
                avatar.draw(cr, w, h, t);
            });
            if (i == 0 && stem.find("_stand") != std::string::npos)
                standing.push_back(image.rgba);
            int lowest = -1;
            for (int y = 0; y < image.height; ++y) {
                for (int x = 0; x < image.width; ++x) {
                    const uint8_t alpha =
                        image.rgba[(static_cast<size_t>(y) * image.width + x) * 4 + 3];
                    if (alpha < 16)
                        continue;
                    lowest = y;
                    const bool border =
                        x == 0 || y == 0 || x == image.width - 1 || y == image.height - 1;
                    ASSERT_FALSE(border) << "frame " << i << " is cut off at " << x << "," << y;
                }
            }
            EXPECT_GE(lowest, image.height - 12) << "frame " << i << " floats";
        }
    }
    for (const char* prefix : {"m", "f", "d", "c"}) {
        for (const char* mood : {"stand", "happy", "scare", "score_win", "score_lose", "greeting"})
            EXPECT_EQ(names.count(std::string(prefix) + "avatar_" + mood), 1u)
                << prefix << "avatar_" << mood;
    }
    ASSERT_EQ(standing.size(), 4u);
    for (size_t a = 0; a < standing.size(); ++a) {
        for (size_t b = a + 1; b < standing.size(); ++b)
            EXPECT_NE(standing[a], standing[b]) << a << " and " << b;
    }
    ReleaseFonts();
}

} // namespace
