// The font converter against FreeType reading the same TrueType font:
// advances and ink boxes agree, every outline comes back with the same area
// and closed contours, and curves are split fine enough for the drawer.

#include "MvecConverter.h"
#include "framework/graphics/text/TMvecFont.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kRegular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The signed area of an outline, curves flattened finely, in the units of
// its points; y is taken as it comes.
struct AreaWalk {
    double area = 0.0;
    double x = 0.0;
    double y = 0.0;
    void To(double nx, double ny) {
        area += x * ny - nx * y;
        x = nx;
        y = ny;
    }
    void Curve(double cx, double cy, double nx, double ny) {
        const double x0 = x;
        const double y0 = y;
        for (int i = 1; i <= 32; ++i) {
            const double t = i / 32.0;
            const double u = 1.0 - t;
            To(u * u * x0 + 2 * u * t * cx + t * t * nx, u * u * y0 + 2 * u * t * cy + t * t * ny);
        }
    }
};

int FtMove(const FT_Vector* to, void* user) {
    auto* w = static_cast<AreaWalk*>(user);
    w->x = static_cast<double>(to->x);
    w->y = static_cast<double>(to->y);
    return 0;
}
int FtLine(const FT_Vector* to, void* user) {
    static_cast<AreaWalk*>(user)->To(static_cast<double>(to->x), static_cast<double>(to->y));
    return 0;
}
int FtConic(const FT_Vector* c, const FT_Vector* to, void* user) {
    static_cast<AreaWalk*>(user)->Curve(static_cast<double>(c->x), static_cast<double>(c->y),
                                        static_cast<double>(to->x), static_cast<double>(to->y));
    return 0;
}
int FtCubic(const FT_Vector*, const FT_Vector*, const FT_Vector* to, void* user) {
    return FtLine(to, user);
}

class ConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kRegular))
            GTEST_SKIP() << kRegular << " is missing (fonts-dejavu-core)";
        std::string error;
        ASSERT_TRUE(mvec::ConvertFont(kRegular, {}, mResult, error)) << error;
        ASSERT_EQ(FT_Init_FreeType(&mLibrary), 0);
        ASSERT_EQ(FT_New_Face(mLibrary, kRegular.c_str(), 0, &mFace), 0);
    }
    void TearDown() override {
        if (mFace)
            FT_Done_Face(mFace);
        if (mLibrary)
            FT_Done_FreeType(mLibrary);
    }

    mvec::ConvertResult mResult;
    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;
};

TEST_F(ConverterTest, AdvancesAndInkBoxesMatchFreeType) {
    TMvecFont font(mResult.image, "converted");
    ASSERT_EQ(font.GetGlyphCount(), mResult.glyphs);
    // What is left out is what DejaVu Sans lacks, or what would not fit the
    // format's 16 bits; the basic set is whole.
    for (uint32_t code : mResult.missing)
        EXPECT_EQ(FT_Get_Char_Index(mFace, code), 0u) << code;
    const std::vector<uint32_t> basic = mvec::BasicGlyphSet();
    for (uint32_t code : basic)
        EXPECT_GE(font.FindGlyph(code), 0) << code;
    EXPECT_LE(mResult.tooLarge.size(), 4u);
    for (uint32_t code : mResult.tooLarge) {
        ASSERT_EQ(FT_Load_Char(mFace, code, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
        FT_BBox box;
        FT_Outline_Get_BBox(&mFace->glyph->outline, &box);
        const double extent = std::max(
            {std::fabs(static_cast<double>(box.xMin)), std::fabs(static_cast<double>(box.xMax)),
             std::fabs(static_cast<double>(box.yMin)), std::fabs(static_cast<double>(box.yMax)),
             static_cast<double>(mFace->glyph->metrics.horiAdvance)});
        EXPECT_GT(extent * mResult.scale * 128.0, 32000.0) << code;
    }
    // The blocks a player's name may use: Latin Extended-A and -B, Greek,
    // Cyrillic, and the punctuation and currency blocks.
    for (uint32_t code : {0x141u, 0x142u, 0x150u, 0x151u, 0x15Eu, 0x15Fu, 0x11Fu, 0x1EAu, 0x3BBu,
                          0x3A9u, 0x416u, 0x44Fu, 0x2030u, 0x20BDu, 0x20B9u})
        EXPECT_GE(font.FindGlyph(code), 0) << code;
    EXPECT_GT(font.GetGlyphCount(), 1000);
    const double unit = mResult.scale * 128.0; // stored units per TrueType unit
    for (int32_t i = 0; i < font.GetGlyphCount(); ++i) {
        const uint32_t code = font.GetCode(i);
        SCOPED_TRACE(code);
        ASSERT_EQ(FT_Load_Char(mFace, code, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
        EXPECT_NEAR(font.GetAdvance(i) * 128.0, mFace->glyph->metrics.horiAdvance * unit, 0.5);
        if (mFace->glyph->outline.n_points == 0) {
            EXPECT_EQ(font.GetRight(i), 0.0f);
            continue;
        }
        FT_BBox box;
        FT_Outline_Get_BBox(&mFace->glyph->outline, &box);
        // Boxes are rounded outwards to whole stored units.
        EXPECT_NEAR(font.GetLeft(i) * 128.0, box.xMin * unit, 1.0);
        EXPECT_NEAR(font.GetRight(i) * 128.0, box.xMax * unit, 1.0);
        EXPECT_NEAR(font.GetTop(i) * 128.0, -box.yMax * unit, 1.0);
        EXPECT_NEAR(font.GetBottom(i) * 128.0, -box.yMin * unit, 1.0);
    }
}

TEST_F(ConverterTest, EveryOutlineRoundTripsClosedAndInsideItsBox) {
    TMvecFont font(mResult.image, "converted");
    const double unit = mResult.scale * 128.0;
    FT_Outline_Funcs funcs{};
    funcs.move_to = FtMove;
    funcs.line_to = FtLine;
    funcs.conic_to = FtConic;
    funcs.cubic_to = FtCubic;
    for (int32_t i = 0; i < font.GetGlyphCount(); ++i) {
        const uint32_t code = font.GetCode(i);
        SCOPED_TRACE(code);
        TMvecPathReader reader(font.GetOutline(i));
        TMvecStep step = reader.Next();
        if (step.command == kMvecEnd)
            continue; // a blank
        ASSERT_EQ(step.command, kMvecMove);
        const TMvecStep style = reader.Next();
        ASSERT_EQ(style.command, kMvecFillStyle);
        ASSERT_EQ(style.b[0], 1);
        AreaWalk ours;
        int startX = step.v[0], startY = step.v[1];
        int atX = startX, atY = startY;
        ours.x = atX;
        ours.y = atY;
        int contours = 1;
        const float left = font.GetLeft(i) * 128, right = font.GetRight(i) * 128;
        const float top = font.GetTop(i) * 128, bottom = font.GetBottom(i) * 128;
        for (step = reader.Next(); step.command != kMvecEnd; step = reader.Next()) {
            if (step.command == kMvecMove) {
                EXPECT_EQ(atX, startX);
                EXPECT_EQ(atY, startY);
                startX = atX = step.v[0];
                startY = atY = step.v[1];
                ours.x = atX;
                ours.y = atY;
                ++contours;
                continue;
            }
            ASSERT_TRUE(step.command == kMvecLine || step.command == kMvecCurve);
            if (step.command == kMvecLine) {
                ours.To(step.v[0], step.v[1]);
                atX = step.v[0];
                atY = step.v[1];
            } else {
                // Split fine enough for three straight pieces.
                EXPECT_LE(std::abs(atX - 2 * step.v[0] + step.v[2]), 2048 + 2);
                EXPECT_LE(std::abs(atY - 2 * step.v[1] + step.v[3]), 2048 + 2);
                ours.Curve(step.v[0], step.v[1], step.v[2], step.v[3]);
                atX = step.v[2];
                atY = step.v[3];
            }
            EXPECT_GE(atX, left);
            EXPECT_LE(atX, right);
            EXPECT_GE(atY, top);
            EXPECT_LE(atY, bottom);
        }
        // The last contour is closed too.
        EXPECT_EQ(atX, startX);
        EXPECT_EQ(atY, startY);

        ASSERT_EQ(FT_Load_Char(mFace, code, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
        AreaWalk theirs;
        FT_Outline_Decompose(&mFace->glyph->outline, &funcs, &theirs);
        EXPECT_EQ(contours, mFace->glyph->outline.n_contours);
        // y is flipped, so the signed areas have opposite signs.
        const double expected = -theirs.area * unit * unit;
        EXPECT_NEAR(ours.area, expected, std::fabs(expected) * 0.01 + 4000.0);
    }
}

TEST(Converter, AFontWithoutWStillHasAnAscent) {
    if (!std::filesystem::exists(kRegular))
        GTEST_SKIP() << kRegular << " is missing";
    mvec::ConvertOptions options;
    ASSERT_TRUE(mvec::ParseGlyphSet("32-86,88-126", options.codes));
    mvec::ConvertResult result;
    std::string error;
    ASSERT_TRUE(mvec::ConvertFont(kRegular, options, result, error)) << error;
    TMvecFont font(result.image, "no W");
    EXPECT_EQ(font.GetGlyphCount(), 94);
    EXPECT_EQ(font.FindGlyph('W'), -1);
    EXPECT_GT(font.GetAscent(), 100.0f);
    EXPECT_LT(font.GetAscent(), 178.0f);
    for (int32_t i = 0; i < font.GetGlyphCount(); ++i)
        EXPECT_TRUE(std::isfinite(font.GetFitFactor(i)));
}

TEST(Converter, GlyphSetListsAndFailures) {
    std::vector<uint32_t> codes;
    EXPECT_TRUE(mvec::ParseGlyphSet("65,0x41-0x43", codes));
    EXPECT_EQ(codes, (std::vector<uint32_t>{65, 65, 66, 67}));
    for (const char* bad : {"", "a", "5-3", "1,,2", "0x110000"})
        EXPECT_FALSE(mvec::ParseGlyphSet(bad, codes)) << bad;
    mvec::ConvertResult result;
    std::string error;
    EXPECT_FALSE(mvec::ConvertFont("/nonexistent.ttf", {}, result, error));
    EXPECT_FALSE(error.empty());
    // Codes the font lacks are reported, the rest converted.
    if (std::filesystem::exists(kRegular)) {
        mvec::ConvertOptions options;
        options.codes = {65, 0xE000};
        ASSERT_TRUE(mvec::ConvertFont(kRegular, options, result, error));
        EXPECT_EQ(result.glyphs, 1);
        EXPECT_EQ(result.missing, (std::vector<uint32_t>{0xE000}));
    }
}

} // namespace
