// The drawer's anti-aliasing against FreeType's: each glyph of "AgW&é" is
// drawn by the drawer into an in-memory target and by FreeType's grey
// rasteriser from the very same MVC4 outline, at the same position, and the
// coverages are compared.

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TMvecTextLine.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// The glyph's outline for FreeType, in 26.6 pixels with y up inside a
// picture of the given height; (x, y) is the pen in pixels.
struct FtShape {
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> ends;
};

FtShape ToFreeType(const TMvecPath& path, float scale, float penX, float penY, int height) {
    FtShape shape;
    auto add = [&](int x, int y, char tag) {
        const double px = penX + x * scale / 4.0;
        const double py = penY + y * scale / 4.0;
        shape.points.push_back({static_cast<FT_Pos>(std::lround(px * 64.0)),
                                static_cast<FT_Pos>(std::lround((height - py) * 64.0))});
        shape.tags.push_back(tag);
    };
    TMvecPathReader reader(path);
    for (TMvecStep step = reader.Next(); step.command != kMvecEnd; step = reader.Next()) {
        if (step.command == kMvecMove) {
            if (!shape.points.empty())
                shape.ends.push_back(static_cast<short>(shape.points.size() - 1));
            add(step.v[0], step.v[1], FT_CURVE_TAG_ON);
        } else if (step.command == kMvecLine) {
            add(step.v[0], step.v[1], FT_CURVE_TAG_ON);
        } else if (step.command == kMvecCurve) {
            add(step.v[0], step.v[1], FT_CURVE_TAG_CONIC);
            add(step.v[2], step.v[3], FT_CURVE_TAG_ON);
        }
    }
    if (!shape.points.empty())
        shape.ends.push_back(static_cast<short>(shape.points.size() - 1));
    return shape;
}

std::vector<uint8_t> FreeTypeCoverage(FT_Library library, FtShape& shape, int width, int height) {
    std::vector<uint8_t> grey(static_cast<size_t>(width) * height, 0);
    FT_Outline outline{};
    outline.n_points = static_cast<short>(shape.points.size());
    outline.n_contours = static_cast<short>(shape.ends.size());
    outline.points = shape.points.data();
    outline.tags = shape.tags.data();
    outline.contours = shape.ends.data();
    outline.flags = FT_OUTLINE_EVEN_ODD_FILL;
    FT_Bitmap bitmap{};
    bitmap.rows = static_cast<unsigned>(height);
    bitmap.width = static_cast<unsigned>(width);
    bitmap.pitch = width;
    bitmap.buffer = grey.data();
    bitmap.num_grays = 256;
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    if (outline.n_points > 0) {
        EXPECT_EQ(FT_Outline_Get_Bitmap(library, &outline, &bitmap), 0);
    }
    return grey;
}

TEST(VecDrawCoverage, GlyphsMatchFreeTypeWithinTheSamplingError) {
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    TMvecFont* font = GetFont(TFontCache::kBuiltinName);
    const uint32_t codes[] = {'A', 'g', 'W', '&', 0xE9, 0x141, 0x11F, 0x3BB, 0x416};
    // Only pixels that an edge crosses can differ: inside and outside both
    // rasterisers agree. 4 x 4 samples give coverage in steps of 1/16, and
    // an edge within a sample row is placed to a quarter pixel, so a single
    // crossed pixel may be off by a step or two, but the errors of the four
    // sample rows mostly cancel: the mean error over the crossed pixels
    // must stay below one step (1/16; it measures 0.017 to 0.042), and the
    // glyph's whole ink within 3% of FreeType's (it measures under 1.6%).
    constexpr double kEdgeLimit = 1.0 / 16.0;
    constexpr double kTotalLimit = 0.03;
    struct Size {
        float pixels;
    };
    const Size sizes[] = {{12.0f}, {25.0f}, {48.0f}};
    for (const Size& size : sizes) {
        for (uint32_t code : codes) {
            const int32_t glyph = font->FindGlyph(code);
            ASSERT_GE(glyph, 0);
            const int side = static_cast<int>(size.pixels * 2) + 8;
            TMvecTextLine line(*font, size.pixels);
            const float penX = 4.0f;
            const float penY = std::floor(side * 0.75f);
            // Drawn at a quarter-pixel phase in x to keep it honest.
            const int qx = 1;
            auto target = std::make_shared<TVecPixelTarget>(side, side);
            TNbMiniVecDraw drawer;
            drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(0xFFFFFFFFu));
            drawer.SetTargetModes(true, false);
            drawer.SetScale(line.GetScale(), line.GetScale());
            drawer.BeginRun(penX, penY, target);
            drawer.DrawPath(font->GetOutline(glyph), qx, 0);
            drawer.EndDraw();

            FtShape shape =
                ToFreeType(font->GetOutline(glyph), line.GetScale(), penX + qx / 4.0f, penY, side);
            const std::vector<uint8_t> grey = FreeTypeCoverage(library, shape, side, side);
            double difference = 0.0;
            double total = 0.0;
            double ourTotal = 0.0;
            int edgePixels = 0;
            for (int y = 0; y < side; ++y) {
                for (int x = 0; x < side; ++x) {
                    const double ours = (target->At(x, y) >> 24) / 255.0;
                    const double theirs = grey[static_cast<size_t>(y) * side + x] / 255.0;
                    difference += std::fabs(ours - theirs);
                    total += theirs;
                    ourTotal += ours;
                    if (theirs > 0.0 && theirs < 1.0)
                        ++edgePixels;
                }
            }
            ASSERT_GT(edgePixels, 0);
            const double share = difference / total;
            const double perEdge = difference / edgePixels;
            std::printf("coverage %4.0f px U+%04X: |difference| %.2f over %.1f pixels of ink "
                        "(%.2f%%), %.3f per edge pixel (%d), ink %+.2f%%\n",
                        size.pixels, code, difference, total, share * 100.0, perEdge, edgePixels,
                        (ourTotal - total) / total * 100.0);
            EXPECT_LE(perEdge, kEdgeLimit) << "U+" << std::hex << code << " at " << size.pixels;
            EXPECT_NEAR(ourTotal, total, total * kTotalLimit);
        }
    }
    FT_Done_FreeType(library);
}

} // namespace
