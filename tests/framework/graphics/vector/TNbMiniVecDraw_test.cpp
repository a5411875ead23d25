// The vector drawer with no display: shapes rasterise into an in-memory
// target with exact coverage where the geometry is exact, strokes and fills
// stack in their layer order, the run cache replays what a fresh drawing
// makes and stays within its bound, and calibration finds the offsets that
// make a line cover exactly its run's pixels.

#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TMvecTextLine.h"

#include <gtest/gtest.h>

#include "framework/graphics/MvecImage.h"

#include <cmath>
#include <limits>
#include <memory>

namespace {

using mvectest::PathBuilder;

constexpr uint32_t kWhite = 0xFFFFFFFFu;

TMvecPath PathOf(const std::vector<uint8_t>& bytes) {
    return {bytes.data(), bytes.size()};
}

std::shared_ptr<TVecPixelTarget> Draw(const std::vector<uint8_t>& path, int x, int y,
                                      int width = 64, int height = 64, float scale = 1.0f) {
    auto target = std::make_shared<TVecPixelTarget>(width, height);
    TNbMiniVecDraw drawer;
    drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(kWhite));
    drawer.SetTargetModes(true, false);
    drawer.SetScale(scale, scale);
    drawer.BeginRun(10.0f, 10.0f, target);
    drawer.DrawPath(PathOf(path), x, y);
    drawer.EndDraw();
    return target;
}

// Quarter pixels of [a, a + length) inside pixel p's [4p, 4p + 4).
int Overlap(int a, int length, int p) {
    const int lo = std::max(a, 4 * p);
    const int hi = std::min(a + length, 4 * p + 4);
    return std::max(0, hi - lo);
}

TEST(VecDraw, SquareCoverageIsExact) {
    struct Case {
        int x, y; // quarter pixels from the run position (10, 10)
        int side; // quarter pixels
    };
    const Case cases[] = {{0, 0, 40}, {2, 0, 40}, {1, 3, 40}, {-3, -5, 22}, {7, 9, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " side " << c.side);
        const auto path = PathBuilder().Rect(0, 0, c.side, c.side).End();
        const auto target = Draw(path, c.x, c.y);
        for (int py = 0; py < 64; ++py) {
            for (int px = 0; px < 64; ++px) {
                const int coverage = Overlap(40 + c.x, c.side, px) * Overlap(40 + c.y, c.side, py);
                const uint32_t alpha = target->At(px, py) >> 24;
                // The ramp's alpha for c of 16 samples: 255 x 16c / 256.
                ASSERT_EQ(alpha, static_cast<uint32_t>(255 * 16 * coverage / 256))
                    << px << "," << py;
            }
        }
    }
}

TEST(VecDraw, CurvesAreCutIntoThreePieces) {
    // A triangle with a parabola over its long side: the true area is the
    // triangle's 200 pixels plus two thirds of the curve's 200-pixel control
    // triangle; three straight pieces lose a ninth of the curve's part.
    const auto path =
        PathBuilder().Move(0, 0).Fill(1).Line(80, 0).Curve(80, 80, 0, 80).Line(0, 0).End();
    const auto target = Draw(path, 0, 0);
    double sum = 0;
    for (uint32_t p : target->GetPixels())
        sum += (p >> 24) / 255.0;
    const double threePieces = 200.0 + 200.0 * 2.0 / 3.0 * 8.0 / 9.0;
    EXPECT_NEAR(sum, threePieces, 2.0);
}

TEST(VecDraw, FillCoversBoldWhichCoversOutline) {
    const auto path = PathBuilder().Rect(0, 0, 40, 40).End();
    auto target = std::make_shared<TVecPixelTarget>(64, 64);
    TNbMiniVecDraw drawer;
    drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(0xFFFFFFFFu));
    drawer.SetColor(TNbMiniVecDraw::kBoldSlot, TColor32(0xFF00FF00u));
    drawer.SetColor(TNbMiniVecDraw::kOutlineSlot, TColor32(0xFFFF0000u));
    drawer.SetStroke(0, 2.0f);
    drawer.SetStroke(1, 1.0f);
    drawer.SetTargetModes(true, false);
    drawer.BeginRun(20.0f, 20.0f, target);
    drawer.DrawPath(PathOf(path), 0, 0);
    drawer.EndDraw();
    // Along the middle of the right side: fill, then one pixel of bold, then
    // one of outline, then nothing.
    EXPECT_EQ(target->At(29, 25), 0xFFFFFFFFu);
    EXPECT_EQ(target->At(30, 25), 0xFF00FF00u);
    EXPECT_EQ(target->At(31, 25), 0xFFFF0000u);
    EXPECT_EQ(target->At(32, 25), 0u);
    // And inside, the fill covers both strokes.
    EXPECT_EQ(target->At(20, 25), 0xFFFFFFFFu);
    EXPECT_EQ(target->At(21, 25), 0xFFFFFFFFu);
}

TEST(VecDraw, EmptyPathDrawsNothingAndRecordsAnEmptyShape) {
    TNbMiniVecDraw drawer;
    auto target = std::make_shared<TVecPixelTarget>(8, 8);
    drawer.BeginRun(2.0f, 2.0f, target);
    const std::vector<uint8_t> end = {8};
    drawer.DrawPath(PathOf(end), 0, 0);
    drawer.DrawPath(PathOf(end), 0, 0);
    drawer.DrawPath({nullptr, 0}, 0, 0);
    drawer.EndDraw();
    EXPECT_EQ(drawer.GetRunCache().GetShapeCount(), 2u); // the end byte, and no bytes
    EXPECT_EQ(drawer.GetRunCache().GetRunCount(), 0u);
    EXPECT_EQ(drawer.GetCacheHits(), 1u);
    for (uint32_t p : target->GetPixels())
        EXPECT_EQ(p, 0u);
}

TEST(VecDraw, BrokenPathsDrawWhatTheyHold) {
    TMvecFont* font = GetFont(TFontCache::kBuiltinName);
    const TMvecPath full = font->GetOutline(font->FindGlyph('&'));
    const size_t length = MvecPathLength(full);
    std::vector<uint8_t> bytes(full.data, full.data + length);
    for (size_t cut : {length / 3, length / 2, length - 1}) {
        std::vector<uint8_t> shorter(bytes.begin(), bytes.begin() + cut);
        const auto target = Draw(shorter, 0, 0, 64, 64, 0.02f);
        (void)target; // ASan checks that nothing is read past the data
    }
    // Unclosed contours and fills of slot 0 end their rows cleanly.
    const auto open = PathBuilder().Move(0, 0).Fill(1).Line(40, 0).Line(40, 40).End();
    Draw(open, 0, 0);
    const auto none = PathBuilder().Move(0, 0).Fill(0).Line(40, 0).Line(40, 40).Line(0, 0).End();
    const auto target = Draw(none, 0, 0);
    for (uint32_t p : target->GetPixels())
        EXPECT_EQ(p, 0u);
}

TEST(VecDraw, StatesThatAreNotFiniteDrawNothing) {
    const auto square = PathBuilder().Rect(0, 0, 8, 8).End();
    TNbMiniVecDraw drawer;
    auto target = std::make_shared<TVecPixelTarget>(8, 8);
    drawer.SetTargetModes(true, false);
    drawer.BeginRun(2.0f, 2.0f, target);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float bad : {inf, -inf, nan}) {
        drawer.SetScale(bad, 1.0f);
        drawer.DrawPath(PathOf(square), 0, 0);
        drawer.SetScale(1.0f, bad);
        drawer.DrawPath(PathOf(square), 0, 0);
    }
    drawer.SetScale(1.0f, 1.0f);
    drawer.SetStroke(0, nan);
    drawer.DrawPath(PathOf(square), 0, 0);
    drawer.EndDraw();
    EXPECT_EQ(drawer.GetRunCache().GetShapeCount(), 0u);
    for (uint32_t p : target->GetPixels())
        EXPECT_EQ(p, 0u);
    // -0 and 0 are one key.
    drawer.SetStroke(0, 0.0f);
    drawer.SetRotation(1.0f, 0.0f);
    drawer.BeginRun(2.0f, 2.0f, target);
    drawer.DrawPath(PathOf(square), 0, 0);
    drawer.SetRotation(1.0f, -0.0f);
    drawer.DrawPath(PathOf(square), 0, 0);
    drawer.EndDraw();
    EXPECT_EQ(drawer.GetRunCache().GetShapeCount(), 1u);
    EXPECT_EQ(drawer.GetCacheHits(), 1u);
}

TEST(VecDraw, WideShapesAreClippedToTheCoverageRow) {
    // A bar from 2000 pixels left of the pen to 2000 right of it.
    const auto path = PathBuilder().Rect(-8000, 0, 8000, 8).End();
    auto target = std::make_shared<TVecPixelTarget>(4400, 4);
    TNbMiniVecDraw drawer;
    drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(kWhite));
    drawer.SetTargetModes(true, false);
    drawer.BeginRun(2200.0f, 1.0f, target);
    drawer.DrawPath(PathOf(path), 0, 0);
    drawer.EndDraw();
    EXPECT_EQ(target->At(2200 - 1601, 1), 0u);
    EXPECT_EQ(target->At(2200 - 1600, 1), kWhite);
    EXPECT_EQ(target->At(2200 + 1599, 1), kWhite);
    EXPECT_EQ(target->At(2200 + 1600, 1), 0u);
}

// Glyphs of many segments: ordering the edges that cross a sample row costs
// n log n at most, however the path lists them.
TEST(VecDraw, ManyEdgesOnOneRowAreOrderedInNLogN) {
    constexpr int kRows = 16; // sample rows of both shapes
    // 3000 bars of 2 quarter pixels at a pitch of 4, listed out of order:
    // every pixel column is half covered.
    constexpr int kBars = 3000;
    PathBuilder bars;
    for (int k = 0; k < kBars; ++k) {
        const int i = static_cast<int>((static_cast<long>(k) * 1777) % kBars);
        const int x = 4 * i - 2 * kBars;
        bars.Move(x, 0);
        if (k == 0)
            bars.Fill(1);
        bars.Line(x + 2, 0).Line(x + 2, kRows).Line(x, kRows).Line(x, 0);
    }
    // 1500 thin wedges whose edges all cross each other between the top
    // and the bottom row: their order turns right round.
    constexpr int kWedges = 1500;
    PathBuilder wedges;
    for (int i = 0; i < kWedges; ++i) {
        const int top = 8 * i - 4 * kWedges;
        const int bottom = 8 * (kWedges - 1 - i) - 4 * kWedges;
        wedges.Move(top, 0);
        if (i == 0)
            wedges.Fill(1);
        wedges.Line(bottom, kRows).Line(bottom + 1, kRows).Line(top, 0);
    }
    struct Case {
        const char* name;
        std::vector<uint8_t> path;
        int edges;
    };
    const Case cases[] = {{"bars", bars.End(), 2 * kBars}, {"wedges", wedges.End(), 2 * kWedges}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto target = std::make_shared<TVecPixelTarget>(3200, 8);
        TNbMiniVecDraw drawer;
        drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(kWhite));
        drawer.SetTargetModes(true, false);
        drawer.BeginRun(1600.0f, 2.0f, target);
        drawer.DrawPath(PathOf(c.path), 0, 0);
        drawer.EndDraw();
        const double n = c.edges;
        const double bound = kRows * (6.0 * n + 2.0 * n * std::log2(n));
        EXPECT_LE(static_cast<double>(drawer.GetSortSteps()), bound);
        // Sorting one by one would take n^2 / 4 steps on the first row.
        EXPECT_LT(bound, n * n / 4.0);
        if (c.edges == 2 * kBars) {
            // Half of every pixel from the first bar to the last, on both
            // pixel rows.
            for (int y = 2; y < 6; ++y)
                for (int x = 1600 - kBars / 2; x < 1600 + kBars / 2; ++x)
                    ASSERT_EQ(target->At(x, y) >> 24, 255u * 16 * 8 / 256) << x << "," << y;
        }
    }
}

TEST(VecDraw, RotationAndShearMoveTheShape) {
    // A 2 x 10 pixel bar rotated by 90 degrees lies 10 x 2.
    const auto bar = PathBuilder().Rect(0, 0, 8, 40).End();
    auto target = std::make_shared<TVecPixelTarget>(64, 64);
    TNbMiniVecDraw drawer;
    drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(kWhite));
    drawer.SetTargetModes(true, false);
    drawer.SetRotation(0.0f, 1.0f);
    drawer.BeginRun(30.0f, 30.0f, target);
    drawer.DrawPath(PathOf(bar), 0, 0);
    drawer.EndDraw();
    int lit = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (target->At(x, y) >> 24) {
                ++lit;
                EXPECT_TRUE(x >= 20 && x < 30 && y >= 30 && y < 32) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(lit, 20);

    // Sheared, the top of an upright bar leans to the right.
    const auto upright = PathBuilder().Rect(0, -48, 8, 0).End();
    target = std::make_shared<TVecPixelTarget>(64, 64);
    TNbMiniVecDraw italic;
    italic.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(kWhite));
    italic.SetTargetModes(true, false);
    italic.SetShear(true);
    italic.BeginRun(10.0f, 30.0f, target);
    italic.DrawPath(PathOf(upright), 0, 0);
    italic.EndDraw();
    EXPECT_GE(target->At(10, 29) >> 24, 200u); // bottom row: moved by at most a third of a pixel
    EXPECT_EQ(target->At(10, 18) >> 24, 0u);   // top row: moved right by about 4 pixels
    EXPECT_EQ(target->At(14, 18) >> 24, 255u);
}

TEST(VecDraw, TargetModesWriteAsTheySay) {
    struct Case {
        bool copy, merge;
        uint32_t destination;
        uint32_t expected;
    };
    // The run's colour is white at alpha 255 x 8 / 16 = 127.
    const Case cases[] = {
        {true, false, 0xFF000000u, 0x7FFFFFFFu},
        {false, true, 0x00000000u, 0x7FFFFFFFu},
        {false, true, 0x80000000u, 0xFF7F7F7Fu}, // alphas add, channels weigh by alpha
        {false, true, 0xFF0000FFu, 0xFF5555FFu},
        {false, false, 0xFF000000u, 0xFF7F7F7Fu}, // blended; the pixel keeps its alpha
        {false, false, 0x10000000u, 0x107F7F7Fu},
    };
    const auto half = PathBuilder().Rect(0, 0, 2, 4).End(); // half of one pixel
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.copy << c.merge << std::hex << " " << c.destination);
        auto target = std::make_shared<TVecPixelTarget>(4, 4, c.destination);
        TNbMiniVecDraw drawer;
        drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(kWhite));
        drawer.SetTargetModes(c.copy, c.merge);
        drawer.BeginRun(1.0f, 1.0f, target);
        drawer.DrawPath(PathOf(half), 0, 0);
        drawer.EndDraw();
        EXPECT_EQ(target->At(1, 1), c.expected) << std::hex << target->At(1, 1);
        EXPECT_EQ(target->At(2, 1), c.destination);
    }
}

TEST(VecDraw, TargetsAreLockedPerRunAndLetGo) {
    auto first = std::make_shared<TVecPixelTarget>(16, 16);
    auto second = std::make_shared<TVecPixelTarget>(16, 16);
    const auto square = PathBuilder().Rect(0, 0, 8, 8).End();
    TNbMiniVecDraw drawer;
    drawer.SetTargetModes(true, false);
    drawer.BeginRun(1.0f, 1.0f, first);
    drawer.DrawPath(PathOf(square), 0, 0);
    drawer.BeginRun(2.0f, 2.0f, first); // same target: stays locked
    EXPECT_EQ(first->GetLockCount(), 1);
    drawer.BeginRun(1.0f, 1.0f, second);
    EXPECT_FALSE(first->IsLocked());
    EXPECT_TRUE(second->IsLocked());
    EXPECT_NE(first->At(1, 1), 0u); // the batch was finished into the first
    drawer.EndDraw();
    EXPECT_FALSE(second->IsLocked());

    // A target that will not lock loses its text, and nothing else happens.
    auto stuck = std::make_shared<TVecPixelTarget>(16, 16);
    stuck->FailLock(true);
    drawer.BeginRun(1.0f, 1.0f, stuck);
    drawer.DrawPath(PathOf(square), 0, 0);
    drawer.EndDraw();
    EXPECT_EQ(drawer.GetVerticesDropped(), 4u); // two rows of one run each
    for (uint32_t p : stuck->GetPixels())
        EXPECT_EQ(p, 0u);
}

// Draws text with a drawer into a fresh target.
std::shared_ptr<TVecPixelTarget> DrawText(TNbMiniVecDraw& drawer, const char* text, float size,
                                          float x) {
    auto target = std::make_shared<TVecPixelTarget>(200, 80);
    TMvecTextLine line(*GetFont(TFontCache::kBuiltinName), size);
    drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(kWhite));
    drawer.SetTargetModes(true, false);
    drawer.BeginRun(x, 50.0f, target);
    line.Draw(drawer, text);
    drawer.EndDraw();
    return target;
}

TEST(VecDrawCache, ReplaysMatchAFreshDrawing) {
    TNbMiniVecDraw warm;
    DrawText(warm, "AgW&\xC3\xA9", 25.0f, 5.0f);
    const size_t misses = warm.GetCacheMisses();
    EXPECT_EQ(misses, 5u);
    // Another pixel position at the same phase replays every glyph.
    const auto replayed = DrawText(warm, "AgW&\xC3\xA9", 25.0f, 12.0f);
    EXPECT_EQ(warm.GetCacheMisses(), misses);
    EXPECT_EQ(warm.GetCacheHits(), 5u);
    TNbMiniVecDraw cold;
    const auto fresh = DrawText(cold, "AgW&\xC3\xA9", 25.0f, 12.0f);
    EXPECT_EQ(replayed->GetPixels(), fresh->GetPixels());
    // Another sub-pixel phase rasterises again.
    DrawText(warm, "AgW&\xC3\xA9", 25.0f, 12.5f);
    EXPECT_EQ(warm.GetCacheMisses(), misses + 5);
}

TEST(VecDrawCache, PathsAreKnownByTheirBytesNotTheirAddress) {
    // A cursor bar made in the same buffer twice, the second time longer.
    std::vector<uint8_t> bar = PathBuilder().Rect(0, 0, 4, 16).End();
    TNbMiniVecDraw drawer;
    auto target = std::make_shared<TVecPixelTarget>(32, 32);
    drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(kWhite));
    drawer.SetTargetModes(true, false);
    drawer.BeginRun(4.0f, 4.0f, target);
    drawer.DrawPath(PathOf(bar), 0, 0);
    const std::vector<uint8_t> longer = PathBuilder().Rect(0, 0, 4, 64).End();
    std::copy(longer.begin(), longer.end(), bar.begin());
    drawer.DrawPath(PathOf(bar), 16, 0);
    drawer.EndDraw();
    EXPECT_EQ(drawer.GetCacheMisses(), 2u);
    EXPECT_EQ(target->At(8, 19) >> 24, 255u); // the second bar is 16 pixels high
    EXPECT_EQ(target->At(4, 19) >> 24, 0u);   // the first only 4
}

TEST(VecDrawCache, BoundHoldsWhileZooming) {
    TNbMiniVecDraw drawer;
    // The largest W (about 480 pixels tall) alone takes some 4000 runs.
    drawer.GetRunCache().SetRunLimit(20000);
    TMvecFont* font = GetFont(TFontCache::kBuiltinName);
    const TMvecPath w = font->GetOutline(font->FindGlyph('W'));
    auto target = std::make_shared<TVecPixelTarget>(400, 400);
    drawer.BeginRun(100.0f, 300.0f, target);
    for (int step = 0; step < 200; ++step) {
        const float scale = 0.01f + 0.0005f * step;
        drawer.SetScale(scale, scale);
        drawer.DrawPath(w, 0, 0);
        ASSERT_LE(drawer.GetRunCache().GetRunCount(), 20000u);
    }
    drawer.EndDraw();
    EXPECT_GT(drawer.GetRunCache().GetEvictions(), 0u);
    EXPECT_EQ(drawer.GetCacheMisses(), 200u);
    // The last zoom level is still there and replays.
    drawer.BeginRun(100.0f, 300.0f, target);
    drawer.DrawPath(w, 0, 0);
    drawer.EndDraw();
    EXPECT_EQ(drawer.GetCacheHits(), 1u);
}

// A device that draws lines the way a rasteriser does: pixel (i, j) has its
// centre at (i + c, j + c); a line from xa to xb at y lights the pixels whose
// centres lie in [xa, xb), on the row whose centre band holds y.
class RasterSink : public TVecDrawSink {
public:
    explicit RasterSink(float centre, bool dead = false) : mCentre(centre), mDead(dead) {}

    void DrawLineList(const TVecVertex* v, int count) override {
        for (int i = 0; i + 1 < count; i += 2) {
            const int row = static_cast<int>(std::floor(v[i].y - mCentre + 0.5f));
            if (mDead || row < 0 || row >= mHeight)
                continue;
            for (int x = 0; x < mWidth; ++x) {
                const float c = static_cast<float>(x) + mCentre;
                if (c >= v[i].x && c < v[i + 1].x)
                    Pixels()[static_cast<size_t>(row) * mWidth + x] = v[i].diffuse;
            }
        }
    }
    bool BeginCalibrationTarget(int width, int height) override {
        mCalibrating = true;
        mTarget.assign(static_cast<size_t>(width) * height, 0xFF123456u);
        mWidth = width;
        mHeight = height;
        return true;
    }
    void ClearCalibrationRect(int x0, int y0, int x1, int y1) override {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                mTarget[static_cast<size_t>(y) * mWidth + x] = 0;
    }
    bool ReadCalibrationTarget(std::vector<uint32_t>& pixels, int& width, int& height) override {
        pixels = mTarget;
        width = mWidth;
        height = mHeight;
        return true;
    }
    void EndCalibrationTarget() override {
        mCalibrating = false;
        mWidth = 64;
        mHeight = 64;
    }
    std::vector<uint32_t> screen = std::vector<uint32_t>(64 * 64, 0);

private:
    uint32_t* Pixels() { return mCalibrating ? mTarget.data() : screen.data(); }
    float mCentre;
    bool mDead;
    bool mCalibrating = false;
    std::vector<uint32_t> mTarget;
    int mWidth = 64;
    int mHeight = 64;
};

TEST(VecDrawCalibration, WithoutADeviceTheFallbackOffsetsHold) {
    TNbMiniVecDraw drawer;
    EXPECT_FLOAT_EQ(drawer.GetStartOffset(), 0.25f);
    drawer.Calibrate();
    EXPECT_EQ(drawer.GetCalibrationCount(), 1);
    EXPECT_FLOAT_EQ(drawer.GetStartOffset(), -0.75f);
    EXPECT_FLOAT_EQ(drawer.GetEndOffset(), -0.75f);
    EXPECT_FLOAT_EQ(drawer.GetRowOffset(), 0.25f);
    EXPECT_EQ(drawer.GetBatchCapacity(), 256);
}

TEST(VecDrawCalibration, FindsOffsetsThatDrawRunsExactly) {
    struct Case {
        float centre;
        float start, end, row;
    };
    // Integer pixel centres, and centres in the middle of pixels.
    const Case cases[] = {{0.0f, -0.25f, 0.0f, 0.25f}, {0.5f, -0.25f, 0.5f, 0.75f}};
    const auto shape = PathBuilder().Rect(0, 0, 40, 24).Rect(48, 30, 70, 60).End();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.centre);
        RasterSink sink(c.centre);
        TNbMiniVecDraw drawer;
        drawer.SetSink(&sink);
        drawer.Calibrate();
        EXPECT_FLOAT_EQ(drawer.GetStartOffset(), c.start);
        EXPECT_FLOAT_EQ(drawer.GetEndOffset(), c.end);
        EXPECT_FLOAT_EQ(drawer.GetRowOffset(), c.row);
        // Drawn as lines on the device, the shape lights what the in-memory
        // target gets.
        drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(kWhite));
        drawer.BeginRun(5.0f, 7.0f);
        drawer.DrawPath(PathOf(shape), 1, 2);
        drawer.EndDraw();
        auto target = std::make_shared<TVecPixelTarget>(64, 64);
        drawer.SetTargetModes(true, false);
        drawer.BeginRun(5.0f, 7.0f, target);
        drawer.DrawPath(PathOf(shape), 1, 2);
        drawer.EndDraw();
        EXPECT_EQ(sink.screen, target->GetPixels());
        EXPECT_GT(drawer.GetVerticesDrawn(), 0u);
    }
}

TEST(VecDrawCalibration, ADeviceThatDrawsNothingGetsSmallerBatches) {
    RasterSink sink(0.0f, true);
    TNbMiniVecDraw drawer;
    drawer.SetSink(&sink);
    drawer.Calibrate();
    EXPECT_EQ(drawer.GetBatchCapacity(), 64);
    EXPECT_FLOAT_EQ(drawer.GetStartOffset(), -0.75f);
    EXPECT_FLOAT_EQ(drawer.GetEndOffset(), -0.75f);
    EXPECT_FLOAT_EQ(drawer.GetRowOffset(), 0.25f);
}

TEST(VecDraw, ColourRampsAndSpanColours) {
    TNbMiniVecDraw drawer;
    drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(0xC8102030u), 0.5f);
    EXPECT_EQ(drawer.GetColor(1).GetValue(), 0x64102030u); // alpha 200 x 0.5
    EXPECT_EQ(drawer.GetRamp(3, 0).GetAlpha(), 100 * 16 / 256);
    EXPECT_EQ(drawer.GetRamp(3, 15).GetAlpha(), 100);
    EXPECT_EQ(drawer.GetRamp(3, 20).GetAlpha(), 100 * 255 / 256);
    EXPECT_EQ(drawer.GetRamp(3, 7).GetValue() & 0xFFFFFFu, 0x102030u);
    EXPECT_EQ(drawer.GetSpanColor(1, 0).GetAlpha(), 100 * 17 / 256);
    EXPECT_EQ(drawer.GetSpanColor(1, 3).GetAlpha(), 100 * 128 / 256);
    struct Case {
        int slot, layer;
    };
    for (Case c : {Case{255, 0}, Case{254, 1}, Case{1, 3}, Case{2, 2}, Case{0, 2}, Case{253, 2}})
        EXPECT_EQ(TNbMiniVecDraw::SlotLayer(c.slot), c.layer) << c.slot;
}

} // namespace
