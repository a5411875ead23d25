// Drawing laid-out text with no display: the layout draws through the
// vector drawer into an in-memory target (white, opaque), or through a sink
// that records the line lists the draw front would get. Each test draws a
// text two ways that differ in one thing and checks what that one thing
// does to the ink.

#include "framework/graphics/text/TTextLayout.h"

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TMvecFont.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include <gtest/gtest.h>

#include "InkProbe.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

const TColor kBlack(0.0f, 0.0f, 0.0f, 1.0f);
constexpr uint32_t kWhite = 0xFFFFFFFFu;

using texttest::Darkness;
using Box = texttest::InkBox;

int Ink(uint32_t p) {
    return Darkness(p);
}

Box InkBox(const TVecPixelTarget& target, int threshold = 1) {
    return texttest::FindInk(
        target.GetWidth(), target.GetHeight(),
        [&](int x, int y) { return Darkness(target.At(x, y)); }, threshold);
}

long TotalInk(const TVecPixelTarget& target) {
    return InkBox(target).total;
}

// Records the line lists the draw front would draw, with a viewport origin.
class RecordingSink : public TVecDrawSink {
public:
    void DrawLineList(const TVecVertex* vertices, int count) override {
        lines.insert(lines.end(), vertices, vertices + count);
    }
    void GetViewportOrigin(float& x, float& y) override {
        x = originX;
        y = originY;
    }
    std::vector<TVecVertex> lines;
    float originX = 0.0f;
    float originY = 0.0f;
};

class TextLayoutDrawTest : public ::testing::Test {
protected:
    void SetUp() override { ClearFontCache(); }
    void TearDown() override { ClearFontCache(); }

    std::unique_ptr<TTextLayout> Make(const char* text, int32_t width = 400, int32_t size = 20,
                                      int32_t align = 0, int32_t height = 200) {
        std::unique_ptr<TTextLayout> layout(
            TTextLayout::Create(text, width, height, align, "", size, kBlack));
        return layout;
    }
    std::shared_ptr<TVecPixelTarget> Draw(TTextLayout& layout, float x, float y, float scale = 1.0f,
                                          float alpha = 1.0f, int w = 480, int h = 240,
                                          float bottom = 1000.0f) {
        auto target = std::make_shared<TVecPixelTarget>(w, h, kWhite);
        layout.Draw(x, y, bottom, scale, 0, alpha, target);
        return target;
    }

    TNbMiniVecDraw mDrawer;
};

TEST_F(TextLayoutDrawTest, TheLayoutDrawsWithTheDrawerMadeLast) {
    EXPECT_EQ(TNbMiniVecDraw::GetCurrent(), &mDrawer);
    {
        TNbMiniVecDraw inner;
        EXPECT_EQ(TNbMiniVecDraw::GetCurrent(), &inner);
    }
    EXPECT_EQ(TNbMiniVecDraw::GetCurrent(), &mDrawer);
}

TEST_F(TextLayoutDrawTest, InkLiesInsideTheTextBoundsAtThePosition) {
    struct Case {
        const char* text;
        int32_t align;
    };
    const Case cases[] = {
        {"Hello world", 0}, {"Matching pairs of tiles, one after another", 1}, {"Right aligned", 2},
        {"Two\nlines", 4},  {"<font size='30'>Big</font> and small", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto layout = Make(c.text, 300, 20, c.align, 100);
        auto target = Draw(*layout, 40.0f, 60.0f);
        const Box ink = InkBox(*target, 16);
        ASSERT_FALSE(ink.Empty());
        const TRect bounds = layout->GetTextBounds(1.0f);
        // Ink may overhang the advance box by a pixel or two (anti-aliasing
        // and glyph overhang).
        EXPECT_GE(ink.left, 40 + bounds.left - 2);
        EXPECT_LE(ink.right, 40 + bounds.right + 2);
        EXPECT_GE(ink.top, 60 + bounds.top);
        EXPECT_LE(ink.bottom, 60 + bounds.bottom);
        // And it fills most of the width.
        EXPECT_GT(ink.Width(), (bounds.right - bounds.left) * 8 / 10);
    }
}

TEST_F(TextLayoutDrawTest, PositionMovesTheInkByWholePixels) {
    auto layout = Make("Corvalo");
    const Box a = InkBox(*Draw(*layout, 10.0f, 10.0f));
    const Box b = InkBox(*Draw(*layout, 57.0f, 33.0f));
    EXPECT_EQ(b.left - a.left, 47);
    EXPECT_EQ(b.top - a.top, 23);
    EXPECT_EQ(a.count, b.count);
}

TEST_F(TextLayoutDrawTest, AlphaFactorScalesTheInk) {
    auto layout = Make("Alpha");
    const long full = TotalInk(*Draw(*layout, 5.0f, 5.0f, 1.0f, 1.0f));
    const long half = TotalInk(*Draw(*layout, 5.0f, 5.0f, 1.0f, 0.5f));
    const long none = TotalInk(*Draw(*layout, 5.0f, 5.0f, 1.0f, 0.0f));
    EXPECT_GT(full, 0);
    EXPECT_NEAR(static_cast<double>(half) / full, 0.5, 0.05);
    EXPECT_EQ(none, 0);
}

TEST_F(TextLayoutDrawTest, ScaleSizesGlyphsAndNegativeScaleDrawsNothing) {
    auto layout = Make("Scale");
    const Box one = InkBox(*Draw(*layout, 5.0f, 5.0f, 1.0f));
    const Box two = InkBox(*Draw(*layout, 5.0f, 5.0f, 2.0f));
    EXPECT_NEAR(two.Width(), 2 * one.Width(), 3);
    EXPECT_NEAR(two.Height(), 2 * one.Height(), 3);
    EXPECT_TRUE(InkBox(*Draw(*layout, 5.0f, 5.0f, -1.0f)).Empty());
    EXPECT_TRUE(InkBox(*Draw(*layout, 5.0f, 5.0f, 0.0f)).Empty());
}

TEST_F(TextLayoutDrawTest, LargeGlyphsAreDrawnWhole) {
    // "W" reaches the ascent, "g" the descent; at 300 and 400 pixels a line
    // both lie far more than 128 pixels from the baseline.
    for (int32_t size : {300, 400}) {
        SCOPED_TRACE(size);
        auto layout = Make("Wg", 2000, size, 0, 1000);
        const auto target = Draw(*layout, 10.0f, 10.0f, 1.0f, 1.0f, 900, 560);
        const Box box = InkBox(*target, 128);
        ASSERT_FALSE(box.Empty());
        const TTextLine& line = *layout->GetLines()[0];
        const TTextRun& run = line.runs[0];
        const float baseline = 10.0f + static_cast<float>(line.baseline) / 4.0f;
        const float top = baseline + run.font->GetTop(run.font->FindGlyph('W')) * run.scale / 4.0f;
        const float bottom =
            baseline + run.font->GetBottom(run.font->FindGlyph('g')) * run.scale / 4.0f;
        EXPECT_NEAR(box.top, top, 2.0f);
        EXPECT_NEAR(box.bottom + 1, bottom, 2.0f);
        // The top row holds the ends of the W's four arms, not a cut
        // across its whole width; the bottom row the g's curve.
        const int32_t w = run.font->FindGlyph('W');
        const float wWidth = (run.font->GetRight(w) - run.font->GetLeft(w)) * run.scale / 4.0f;
        int topInk = 0;
        int bottomInk = 0;
        for (int x = box.left; x <= box.right; ++x) {
            topInk += Ink(target->At(x, box.top)) >= 128;
            bottomInk += Ink(target->At(x, box.bottom)) >= 128;
        }
        EXPECT_GT(topInk, 0);
        EXPECT_LT(topInk, wWidth * 0.45f);
        EXPECT_GT(bottomInk, 0);
        EXPECT_LT(bottomInk, wWidth * 0.45f);
    }
}

TEST_F(TextLayoutDrawTest, ALayoutDrawsOnAfterTheFontCacheIsEmptied) {
    auto layout = Make("Cache <font face='fonts/nothing.mvec'>gone</font>");
    const Box before = InkBox(*Draw(*layout, 5.0f, 5.0f));
    ASSERT_FALSE(before.Empty());
    ClearFontCache();
    const Box after = InkBox(*Draw(*layout, 5.0f, 5.0f));
    EXPECT_EQ(after.count, before.count);
    EXPECT_EQ(after.total, before.total);
    // Laid out again, it takes the cache's new fonts.
    layout->SetText("Cache again");
    ClearFontCache();
    EXPECT_FALSE(InkBox(*Draw(*layout, 5.0f, 5.0f)).Empty());
    EXPECT_EQ(TFontCache::Instance().GetSize(), 0u);
}

TEST_F(TextLayoutDrawTest, BoldAndOutlineWidenTheInkAndTakeTheirColours) {
    auto plain = Make("Bold");
    auto bold = Make("<b>Bold</b>");
    auto outlined = Make("<outline color='ff0000' size='3'>Bold</outline>");
    const auto plainTarget = Draw(*plain, 10.0f, 10.0f);
    const auto boldTarget = Draw(*bold, 10.0f, 10.0f);
    const auto outlineTarget = Draw(*outlined, 10.0f, 10.0f);
    EXPECT_GT(TotalInk(*boldTarget), TotalInk(*plainTarget) * 11 / 10);
    const Box p = InkBox(*plainTarget, 64);
    const Box o = InkBox(*outlineTarget, 64);
    // Three pixels of outline on each side.
    EXPECT_NEAR(o.Width() - p.Width(), 6, 2);
    EXPECT_NEAR(o.Height() - p.Height(), 6, 2);
    int red = 0;
    int black = 0;
    for (uint32_t px : outlineTarget->GetPixels()) {
        const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
        red += r > 200 && g < 60 && b < 60;
        black += r < 60 && g < 60 && b < 60;
    }
    EXPECT_GT(red, 50) << "the outline is drawn in its colour";
    EXPECT_GT(black, 20) << "the fill covers the outline";
}

TEST_F(TextLayoutDrawTest, HoveredLinkTakesItsLinkColour) {
    auto layout = Make("<a id='go' color='0000ff'>Go there</a>");
    auto countBlue = [](const TVecPixelTarget& t) {
        int blue = 0;
        for (uint32_t px : t.GetPixels())
            blue += (px & 0xFF) > 200 && ((px >> 16) & 0xFF) < 60;
        return blue;
    };
    const auto before = Draw(*layout, 5.0f, 5.0f);
    EXPECT_EQ(countBlue(*before), 0) << "without hover the run's colour is used";
    const TVec2 point(10.0f, 10.0f);
    ASSERT_TRUE(layout->HasLinkAt(&point, 0));
    const auto hovered = Draw(*layout, 5.0f, 5.0f);
    EXPECT_GT(countBlue(*hovered), 30);
    EXPECT_EQ(InkBox(*hovered, 64).count, InkBox(*before, 64).count);
}

TEST_F(TextLayoutDrawTest, TextWithoutLinksIsNotDrawnInTheEmptyLinkColour) {
    // No hover link and no link id are both empty: the plain text must keep
    // its own colour, not the (transparent) link colour.
    auto layout = Make("Plain words");
    EXPECT_GT(InkBox(*Draw(*layout, 5.0f, 5.0f), 128).count, 50);
}

TEST_F(TextLayoutDrawTest, ItalicLeansToTheRight) {
    auto upright = Make("l", 100, 60);
    auto italic = Make("<i>l</i>", 100, 60);
    auto centre = [](const TVecPixelTarget& t, int y) {
        long sum = 0, weight = 0;
        for (int x = 0; x < t.GetWidth(); ++x) {
            sum += static_cast<long>(x) * Ink(t.At(x, y));
            weight += Ink(t.At(x, y));
        }
        return weight ? static_cast<double>(sum) / weight : -1.0;
    };
    const auto u = Draw(*upright, 10.0f, 0.0f, 1.0f, 1.0f, 120, 80);
    const auto i = Draw(*italic, 10.0f, 0.0f, 1.0f, 1.0f, 120, 80);
    const Box box = InkBox(*i, 64);
    ASSERT_FALSE(box.Empty());
    const double lean = centre(*i, box.top + 2) - centre(*i, box.bottom - 2);
    const double uprightLean = centre(*u, box.top + 2) - centre(*u, box.bottom - 2);
    // A third of the height, as the shear says.
    EXPECT_NEAR(lean, (box.Height() - 4) / 3.0, 3.0);
    EXPECT_NEAR(uprightLean, 0.0, 0.6);
}

TEST_F(TextLayoutDrawTest, TabPutsTheNextTextAtItsPosition) {
    // A tab's position is in pixels from the line's anchor.
    auto layout = Make("a<tab pos='100'>I", 400, 20);
    const auto target = Draw(*layout, 0.0f, 0.0f);
    int left = -1;
    for (int x = 60; x < target->GetWidth() && left < 0; ++x) {
        for (int y = 0; y < 40; ++y) {
            if (Ink(target->At(x, y)) > 64) {
                left = x;
                break;
            }
        }
    }
    // The pen at 100 pixels from the line's anchor (plus its half-pixel
    // offset and the glyph's left bearing of a pixel or two).
    EXPECT_GE(left, 100);
    EXPECT_LE(left, 104);
}

TEST_F(TextLayoutDrawTest, CursorDrawsABarAsTallAsTheGlyphBox) {
    auto without = Make("ab", 200, 40);
    auto with = Make("ab<cursor>", 200, 40);
    const auto a = Draw(*without, 10.0f, 10.0f);
    const auto b = Draw(*with, 10.0f, 10.0f);
    const Box inkA = InkBox(*a, 64);
    const Box inkB = InkBox(*b, 64);
    EXPECT_GT(inkB.right, inkA.right) << "the bar stands after the text";
    // The bar spans the glyph box: 80% of the 40-pixel line.
    int column = 0;
    for (int y = 0; y < b->GetHeight(); ++y)
        column += Ink(b->At(inkB.right, y)) > 64;
    EXPECT_NEAR(column, 32, 3);
}

TEST_F(TextLayoutDrawTest, UnderlineRunsTheLengthOfTheRunBelowTheBaseline) {
    auto plain = Make("under", 200, 20);
    auto under = Make("<u>under</u>", 200, 20);
    const auto a = Draw(*plain, 10.0f, 10.0f);
    const auto b = Draw(*under, 10.0f, 10.0f);
    // The rows where the underline added ink.
    int rows = 0;
    int longest = 0;
    for (int y = 0; y < b->GetHeight(); ++y) {
        int run = 0;
        int best = 0;
        for (int x = 0; x < b->GetWidth(); ++x) {
            const bool added = Ink(b->At(x, y)) > Ink(a->At(x, y)) + 32 || Ink(b->At(x, y)) > 200;
            run = added ? run + 1 : 0;
            best = std::max(best, run);
        }
        if (best > 20) {
            ++rows;
            longest = std::max(longest, best);
        }
    }
    const Box word = InkBox(*a, 64);
    EXPECT_GE(rows, 1);
    EXPECT_LE(rows, 2);
    EXPECT_NEAR(longest, word.Width(), 3);
    const Box line = InkBox(*b, 64);
    EXPECT_GT(line.bottom, word.bottom) << "below the letters' ink";
}

TEST_F(TextLayoutDrawTest, RotationTurnsTheInkAboutTheOrigin) {
    auto layout = Make("Rotate me", 200, 20);
    const Box flat = InkBox(*Draw(*layout, 200.0f, 150.0f, 1.0f, 1.0f, 480, 480), 64);
    layout->SetRotation(90.0f, 0, 0);
    const Box turned = InkBox(*Draw(*layout, 200.0f, 150.0f, 1.0f, 1.0f, 480, 480), 64);
    ASSERT_FALSE(turned.Empty());
    EXPECT_NEAR(turned.Width(), flat.Height(), 3);
    EXPECT_NEAR(turned.Height(), flat.Width(), 3);
    // Turned a quarter clockwise about (200, 150): the text runs downwards
    // from there and its tops face right.
    EXPECT_GE(turned.top, 150);
    EXPECT_LE(turned.right, 200);
}

TEST_F(TextLayoutDrawTest, LinesBelowTheBottomLimitOrScrolledAreLeftOut) {
    auto layout = Make("one\ntwo\nthree\nfour", 200, 20);
    const Box all = InkBox(*Draw(*layout, 0.0f, 0.0f, 1.0f, 1.0f, 200, 120, 1000.0f), 64);
    const Box two = InkBox(*Draw(*layout, 0.0f, 0.0f, 1.0f, 1.0f, 200, 120, 40.0f), 64);
    EXPECT_GT(all.bottom, 60);
    EXPECT_LT(two.bottom, 40);
    layout->SetFirstLine(2.0f);
    const Box scrolled = InkBox(*Draw(*layout, 0.0f, 0.0f, 1.0f, 1.0f, 200, 120, 1000.0f), 64);
    EXPECT_LT(scrolled.bottom, 40) << "two lines from the top";
}

TEST_F(TextLayoutDrawTest, DrawInRectDrawsAtTheCornerWithTheHeightAsLimit) {
    auto layout = Make("one\ntwo\nthree", 200, 20);
    auto a = std::make_shared<TVecPixelTarget>(300, 120, kWhite);
    auto b = std::make_shared<TVecPixelTarget>(300, 120, kWhite);
    layout->Draw(TVec2(30.0f, 20.0f), 40.0f, 1.0f, 0, 1.0f, a);
    layout->DrawInRect(TRect(30, 20, 230, 60), 1.0f, 0, 1.0f, b);
    EXPECT_EQ(a->GetPixels(), b->GetPixels());
    EXPECT_LT(InkBox(*b, 64).bottom, 60);
    EXPECT_FALSE(a->IsLocked()) << "the target is let go after the draw";
}

TEST_F(TextLayoutDrawTest, ToTheScreenTextIsPlacedInTheViewportAndScaledWhenHosted) {
    RecordingSink sink;
    mDrawer.SetSink(&sink);
    auto layout = Make("Screen");
    layout->Draw(10.0f, 10.0f, 1000.0f, 1.0f, 0, 1.0f);
    const std::vector<TVecVertex> plain = sink.lines;
    ASSERT_FALSE(plain.empty());

    sink.lines.clear();
    sink.originX = 30.0f;
    sink.originY = 40.0f;
    layout->Draw(10.0f, 10.0f, 1000.0f, 1.0f, 0, 1.0f);
    ASSERT_EQ(sink.lines.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        EXPECT_FLOAT_EQ(sink.lines[i].x, plain[i].x + 30.0f);
        EXPECT_FLOAT_EQ(sink.lines[i].y, plain[i].y + 40.0f);
        EXPECT_EQ(sink.lines[i].diffuse, plain[i].diffuse);
    }

    auto extent = [](const std::vector<TVecVertex>& v) {
        float lo = 1e9f, hi = -1e9f;
        for (const TVecVertex& p : v) {
            lo = std::min(lo, p.x);
            hi = std::max(hi, p.x);
        }
        return hi - lo;
    };
    sink.lines.clear();
    sink.originX = sink.originY = 0.0f;
    mDrawer.SetHostScale(2.0f);
    layout->Draw(10.0f, 10.0f, 1000.0f, 1.0f, 0, 1.0f);
    EXPECT_NEAR(extent(sink.lines), 2.0f * extent(plain), 3.0f);

    // Into a target the host scale does not apply.
    const Box hosted = InkBox(*Draw(*layout, 5.0f, 5.0f), 64);
    mDrawer.SetHostScale(1.0f);
    const Box normal = InkBox(*Draw(*layout, 5.0f, 5.0f), 64);
    EXPECT_EQ(hosted.Width(), normal.Width());
    mDrawer.SetSink(nullptr);
}

TEST_F(TextLayoutDrawTest, DrawingLeavesTheDrawerInItsPlainState) {
    auto layout = Make("<i><b><outline size='2'>x</outline></b></i>");
    layout->SetRotation(30.0f, 0, 0);
    Draw(*layout, 50.0f, 50.0f);
    // A plain square drawn afterwards is neither sheared, stroked nor turned.
    auto target = std::make_shared<TVecPixelTarget>(64, 64, kWhite);
    TTextLayout square;
    square.SetBlockSize(100, 100);
    square.SetFontSize(20);
    square.SetColor(kBlack);
    square.SetText("I");
    square.Draw(10.0f, 10.0f, 1000.0f, 1.0f, 0, 1.0f, target);
    auto fresh = std::make_shared<TVecPixelTarget>(64, 64, kWhite);
    {
        TNbMiniVecDraw clean;
        square.Draw(10.0f, 10.0f, 1000.0f, 1.0f, 0, 1.0f, fresh);
    }
    EXPECT_EQ(target->GetPixels(), fresh->GetPixels());
}

} // namespace
