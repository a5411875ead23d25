// The MVC4 reader and TMvecFont: damaged images are refused, paths end at
// their data, and the metrics follow the font's formulas.

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TMvecFont.h"
#include "framework/graphics/text/TMvecFormat.h"

#include <gtest/gtest.h>

#include "framework/graphics/MvecImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

using mvectest::BuildFont;
using mvectest::GlyphSpec;
using mvectest::PathBuilder;

std::vector<uint8_t> Blank() {
    return {8};
}

std::vector<uint8_t> SmallFont() {
    return BuildFont({
        {32, 0, 0, 0, 0, 640, Blank()},
        {'W', 10, 1200, -1500, 0, 1280, PathBuilder().Rect(10, -1500, 1200, 0).End()},
        {'_', 0, 1000, 100, 900, 1000, PathBuilder().Rect(0, 100, 1000, 900).End()},
        {'g', 5, 900, -1000, 500, 1000, PathBuilder().Rect(5, -1000, 900, 500).End()},
        {0xC9, 10, 1200, -2100, 0, 1280, PathBuilder().Rect(10, -2100, 1200, 0).End()},
    });
}

TEST(MvecReader, ReadsRecordsInPlace) {
    const std::vector<uint8_t> image = SmallFont();
    std::vector<TMvecGlyphRecord> records;
    const char* reason = nullptr;
    ASSERT_TRUE(ReadMvecTable(image.data(), image.size(), records, reason));
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].code, 32u);
    EXPECT_EQ(records[0].pathOffset, 12u + 5 * 18);
    EXPECT_EQ(image[records[0].pathOffset], 8);
    EXPECT_EQ(records[1].top, -1500);
    EXPECT_EQ(records[1].advance, 1280);
}

TEST(MvecReader, DamagedImagesAreRefused) {
    const std::vector<uint8_t> good = SmallFont();
    struct Case {
        const char* what;
        std::vector<uint8_t> image;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"other magic", {'M', 'V', 'C', '3', 0, 0, 0, 0, 0, 0, 0, 0}});
    cases.push_back({"short header", {'M', 'V', 'C', '4', 1, 0}});
    {
        std::vector<uint8_t> cut(good.begin(), good.begin() + 12 + 18 * 4);
        cases.push_back({"table past the end", cut});
    }
    {
        std::vector<uint8_t> unsorted = good;
        unsorted[12 + 18] = 0x20; // "W" becomes a second blank code
        unsorted[12 + 18 + 1] = 0;
        cases.push_back({"codes out of order", unsorted});
    }
    {
        std::vector<uint8_t> outside = good;
        const uint32_t far = static_cast<uint32_t>(good.size());
        std::memcpy(&outside[12 + 18 * 2 + 14], &far, 4);
        cases.push_back({"path offset at the end", outside});
    }
    {
        std::vector<uint8_t> inTable = good;
        const uint32_t at = 20;
        std::memcpy(&inTable[12 + 14], &at, 4);
        cases.push_back({"path offset inside the table", inTable});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<TMvecGlyphRecord> records;
        const char* reason = nullptr;
        EXPECT_FALSE(ReadMvecTable(c.image.data(), c.image.size(), records, reason));
        EXPECT_TRUE(records.empty());
        ASSERT_NE(reason, nullptr);
        EXPECT_GT(std::strlen(reason), 0u);
        TMvecFont font(c.image, c.what);
        EXPECT_EQ(font.GetGlyphCount(), 0);
        EXPECT_EQ(font.FindGlyph('W'), -1);
        EXPECT_EQ(font.FindGlyph(32), -1);
        EXPECT_EQ(font.GetAscent(), 0.0f);
        EXPECT_TRUE(font.GetOutline(0).IsNull());
    }
}

TEST(MvecReader, PathReadsCommandsAndEndsAtItsData) {
    std::vector<uint8_t> path = PathBuilder()
                                    .Group()
                                    .Colour(1, 2, 3)
                                    .Move(-5, 7)
                                    .Fill(1)
                                    .Fill2(2)
                                    .Line(300, -400)
                                    .Curve(1, 2, -3, -32768)
                                    .End();
    TMvecPathReader reader({path.data(), path.size()});
    const uint8_t expected[] = {1, 7, 4, 2, 3, 5, 6, 8};
    std::vector<TMvecStep> steps;
    for (uint8_t op : expected) {
        TMvecStep step = reader.Next();
        EXPECT_EQ(step.command, op);
        steps.push_back(step);
    }
    EXPECT_EQ(steps[1].b[2], 3);
    EXPECT_EQ(steps[2].v[0], -5);
    EXPECT_EQ(steps[2].v[1], 7);
    EXPECT_EQ(steps[5].v[1], -400);
    EXPECT_EQ(steps[6].v[3], -32768);
    EXPECT_EQ(reader.Consumed(), path.size());
    EXPECT_EQ(MvecPathLength({path.data(), path.size() + 0}), path.size());

    // Every shortening ends the path where its data ends, without reading on.
    for (size_t cut = 0; cut < path.size(); ++cut) {
        std::vector<uint8_t> shorter(path.begin(), path.begin() + cut);
        const size_t length = MvecPathLength({shorter.data(), shorter.size()});
        EXPECT_LE(length, shorter.size());
    }
    // A byte that is no command ends the path too.
    const uint8_t odd[] = {4, 0, 0, 0, 0, 9, 5, 1, 0, 1, 0, 8};
    TMvecPathReader oddReader({odd, sizeof odd});
    EXPECT_EQ(oddReader.Next().command, 4);
    EXPECT_EQ(oddReader.Next().command, kMvecEnd);
    EXPECT_EQ(oddReader.Next().command, kMvecEnd);
}

TEST(MvecFont, MetricsFollowTheFormulas) {
    TMvecFont font(SmallFont(), "small");
    ASSERT_EQ(font.GetGlyphCount(), 5);
    EXPECT_FLOAT_EQ(font.GetAscent(), 1500 / 128.0f);
    // "_" reaches lower than "g" but does not count.
    EXPECT_FLOAT_EQ(font.GetDescent(), 500 / 128.0f);
    const float sum = font.GetAscent() + font.GetDescent();
    EXPECT_FLOAT_EQ(font.GetLinePadding(true), sum * 0.15f / 0.8f);
    EXPECT_FLOAT_EQ(font.GetLinePadding(false), sum * 0.05f / 0.8f);
    EXPECT_FLOAT_EQ(font.GetBoxShare(), 0.8f);
    EXPECT_FLOAT_EQ(font.GetStrokeFactor(), 1.0f);

    const int32_t w = font.FindGlyph('W');
    ASSERT_EQ(w, 1);
    EXPECT_FLOAT_EQ(font.GetAdvance(w), 10.0f);
    EXPECT_FLOAT_EQ(font.GetLeft(w), 10 / 128.0f);
    EXPECT_FLOAT_EQ(font.GetRight(w), 1200 / 128.0f);
    EXPECT_FLOAT_EQ(font.GetFitFactor(w), 1.0f);
    // The capital with an accent is taller than its line cell and shrinks.
    const int32_t e = font.FindGlyph(0xC9);
    const float h = font.GetAscent() + font.GetLinePadding(true);
    EXPECT_FLOAT_EQ(font.GetFitFactor(e), 1.0f / (2100 / 128.0f / h));
    EXPECT_LT(font.GetFitFactor(e), 1.0f);
    // "_" below the descent shrinks by the bottom share.
    const int32_t under = font.FindGlyph('_');
    const float l = font.GetDescent() + font.GetLinePadding(false);
    EXPECT_FLOAT_EQ(font.GetFitFactor(under), 1.0f / (900 / 128.0f / l));
}

TEST(MvecFont, IndexesOutsideTheTableGiveNeutralValues) {
    TMvecFont font(SmallFont(), "small");
    for (int32_t index : {-1, 5, 1000}) {
        EXPECT_TRUE(font.GetOutline(index).IsNull());
        EXPECT_EQ(font.GetAdvance(index), 0.0f);
        EXPECT_EQ(font.GetLeft(index), 0.0f);
        EXPECT_EQ(font.GetRight(index), 0.0f);
        EXPECT_EQ(font.GetFitFactor(index), 1.0f);
    }
}

TEST(MvecFont, FindGlyphSearchesEveryCode) {
    TMvecFont* font = GetFont(TFontCache::kBuiltinName);
    ASSERT_NE(font, nullptr);
    ASSERT_GT(font->GetGlyphCount(), 200);
    for (int32_t i = 0; i < font->GetGlyphCount(); ++i) {
        EXPECT_EQ(font->FindGlyph(font->GetCode(i)), i);
        if (i > 0 && font->GetCode(i) > font->GetCode(i - 1) + 1) {
            EXPECT_EQ(font->FindGlyph(font->GetCode(i) - 1), -1);
        }
    }
    EXPECT_EQ(font->FindGlyph(0), -1);
    EXPECT_EQ(font->FindGlyph(0x10FFFF), -1);
}

TEST(MvecFont, AFontWithoutWTakesItsTallestAsciiGlyph) {
    TMvecFont font(BuildFont({
                       {'A', 0, 100, -1400, 0, 200, PathBuilder().Rect(0, -1400, 100, 0).End()},
                       {'b', 0, 100, -1600, 0, 200, PathBuilder().Rect(0, -1600, 100, 0).End()},
                       {0xC0, 0, 100, -2000, 0, 200, PathBuilder().Rect(0, -2000, 100, 0).End()},
                   }),
                   "no W");
    EXPECT_EQ(font.FindGlyph('W'), -1);
    EXPECT_FLOAT_EQ(font.GetAscent(), 1600 / 128.0f);
    EXPECT_TRUE(std::isfinite(font.GetFitFactor(2)));
}

// The built-in font against the font formulas (its numbers are our own
// font's, not fixed ones).
TEST(MvecFont, BuiltInFontFollowsTheFormulas) {
    TMvecFont* font = GetFont(TFontCache::kBuiltinName);
    ASSERT_NE(font, nullptr);
    const int32_t w = font->FindGlyph('W');
    ASSERT_GE(w, 0);
    EXPECT_FLOAT_EQ(font->GetAscent(), -font->GetTop(w));
    float descent = 0.0f;
    for (uint32_t code = 0; code < 128; ++code) {
        const int32_t g = font->FindGlyph(code);
        if (g >= 0 && code != '_')
            descent = std::max(descent, font->GetBottom(g));
    }
    EXPECT_FLOAT_EQ(font->GetDescent(), descent);
    // The converter scales ascent plus descent to about 178 units.
    EXPECT_NEAR(font->GetAscent() + font->GetDescent(), 178.0f, 0.5f);
    // Printable ASCII and Latin-1 are all there; the blank is one end byte.
    for (uint32_t code = 32; code < 127; ++code)
        EXPECT_GE(font->FindGlyph(code), 0) << code;
    for (uint32_t code = 0xA1; code <= 0xFF; ++code)
        EXPECT_GE(font->FindGlyph(code), 0) << code;
    for (uint32_t code :
         {0x2013u, 0x2014u, 0x2018u, 0x2019u, 0x201Cu, 0x201Du, 0x2022u, 0x2026u, 0x20ACu, 0x2122u})
        EXPECT_GE(font->FindGlyph(code), 0) << code;
    const TMvecPath blank = font->GetOutline(font->FindGlyph(32));
    ASSERT_FALSE(blank.IsNull());
    EXPECT_EQ(blank.data[0], 8);
    int shrunk = 0;
    for (int32_t i = 0; i < font->GetGlyphCount(); ++i) {
        if (font->GetFitFactor(i) < 1.0f)
            ++shrunk;
        // Below the Latin-1 capitals with marks above (U+00C0 to U+00DD)
        // nothing is taller than its line.
        const uint32_t code = font->GetCode(i);
        if (code < 0xC0 || (code >= 0xDE && code < 0x100)) {
            EXPECT_EQ(font->GetFitFactor(i), 1.0f) << code;
        }
    }
    // Only tall accented capitals (in the extended blocks too) and a few
    // tall signs shrink.
    EXPECT_GT(shrunk, 18);
    EXPECT_LT(shrunk, font->GetGlyphCount() / 5);
    EXPECT_LT(font->GetFitFactor(font->FindGlyph(0xC5)), 1.0f); // A with ring
    EXPECT_EQ(font->GetFitFactor(font->FindGlyph('A')), 1.0f);
}

} // namespace
