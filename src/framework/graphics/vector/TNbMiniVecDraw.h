#pragma once

#include "framework/core/text/TColor32.h"
#include "framework/graphics/text/TMvecFormat.h"
#include "framework/graphics/vector/TVecDrawSink.h"
#include "framework/graphics/vector/TVecRenderTarget.h"
#include "framework/graphics/vector/TVecRunCache.h"

#include <cstdint>
#include <memory>
#include <vector>

// The vector drawer: renders MVC4 paths (glyph outlines, cursor and
// underline bars) as anti-aliased shapes, optionally scaled, rotated,
// sheared and stroked. Paths become edges, edges become coverage at 4 x 4
// samples per pixel, and each pixel row's coverage becomes runs of equal
// coverage, drawn as horizontal lines of a line list through the draw front
// (the sink) or written into a locked render target. Runs are cached per
// shape, so a glyph drawn again at the same sub-pixel phase and state is
// only replayed. Positions are in quarter pixels; path units are 1/128 of a
// font unit. One drawer per program, owned by the platform object, which
// calibrates it once when the display is set up. Main thread only.
class TNbMiniVecDraw {
public:
    static constexpr int kSlots = 256;
    static constexpr int kLayers = 4;
    static constexpr int kTextSlot = 1;
    static constexpr int kOutlineSlot = 255;
    static constexpr int kBoldSlot = 254;
    // The pen sits in the middle of the coverage row, so shapes may reach
    // this many pixels to either side.
    static constexpr int kHalfRow = 1600;

    TNbMiniVecDraw();
    TNbMiniVecDraw(const TNbMiniVecDraw&) = delete;
    TNbMiniVecDraw& operator=(const TNbMiniVecDraw&) = delete;
    virtual ~TNbMiniVecDraw();

    // The drawer text is drawn with: the one made last that still lives
    // (the platform's, or a tool's or test's own); null when there is none.
    static TNbMiniVecDraw* GetCurrent();

    // Where spans are drawn when no target is locked; not owned. Without a
    // sink of its own the drawer draws through the draw front (TGraphics)
    // while one exists, and otherwise counts the spans and drops them.
    void SetSink(TVecDrawSink* sink) { mSink = sink; }
    // The sink in use: the drawer's own, the draw front's, or null.
    TVecDrawSink* GetSink() const;

    // The slot's colour with its alpha times scale; gives the slot's layer
    // ramp and the slot's span colours.
    void SetColor(int slot, TColor32 colour, float scale = 1.0f);
    TColor32 GetColor(int slot) const { return mSlotColours[slot & 0xFF]; }
    // Entry i of a layer's ramp: the layer's colour with alpha x 16(i + 1) /
    // 256 below 16 and x 255 / 256 from 16 on.
    TColor32 GetRamp(int layer, int entry) const { return mRamps[layer & 3][entry & 31]; }
    TColor32 GetSpanColor(int slot, int entry) const {
        return mSpanColours[slot & 0xFF][entry & 3];
    }
    static int SlotLayer(int slot);

    // Drawing state, set by the text layout between calls.
    void SetScale(float x, float y);
    float GetXScale() const { return mXScale; }
    float GetYScale() const { return mYScale; }
    void SetRotation(float cosine, float sine);
    // Stroke slot 0 is the outline, 1 the bold stroke; a width of 0 is none.
    // Widths are in screen pixels.
    void SetStroke(int slot, float width);
    void SetShear(bool italic) { mShear = italic; }
    // How spans are written into a locked target: copy (colour and alpha),
    // alpha-merge, or (both off) blended over the pixel keeping its alpha.
    void SetTargetModes(bool copy, bool alphaMerge);

    // The viewport scale when the program runs inside a host window (1
    // otherwise): text drawn to the screen scales its glyphs and strokes by
    // it. Set by the platform.
    void SetHostScale(float scale) { mHostScale = scale; }
    float GetHostScale() const { return mHostScale; }

    // Starts a run of text at (x, y) pixels. A target other than the current
    // one finishes the batch, unlocks the previous target and locks the new
    // one; with no target, spans go to the sink untextured.
    void BeginRun(float x, float y, std::shared_ptr<TVecRenderTarget> target = nullptr);
    // Draws a path at (x, y) quarter pixels from the run's position.
    void DrawPath(const TMvecPath& path, int x, int y);
    // Draws the batch through the sink or writes it into the locked target.
    void Flush();
    // Flushes and lets the target go.
    void EndDraw();
    // Finds the span offsets that make a line cover exactly its run's pixels
    // on the sink's device.
    void Calibrate();
    int GetCalibrationCount() const { return mCalibrations; }

    float GetStartOffset() const { return mStartOffset; }
    float GetEndOffset() const { return mEndOffset; }
    float GetRowOffset() const { return mRowOffset; }
    int GetBatchCapacity() const { return mCapacity; }

    TVecRunCache& GetRunCache() { return mCache; }
    size_t GetCacheHits() const { return mHits; }
    size_t GetCacheMisses() const { return mMisses; }
    // Vertices handed to the sink, or dropped for want of one.
    size_t GetVerticesDrawn() const { return mVerticesDrawn; }
    size_t GetVerticesDropped() const { return mVerticesDropped; }
    // Comparisons made keeping the active edges in order, over the drawer's
    // life: n log n per sample row at most.
    size_t GetSortSteps() const { return mSortSteps; }

private:
    struct Edge {
        float topX, topY, bottomX, bottomY;
        float slope;
        float x;
        int first; // first sample row it crosses
        int last;  // last sample row it crosses
        int8_t dir;
        uint8_t slot;
        uint8_t group;
    };
    struct Point {
        float x, y;
    };
    // A run placed on the screen, for writing into a target.
    struct PlacedRun {
        int x0, x1, y;
        uint32_t colour;
    };

    void Rasterise(const TMvecPath& path, int subX, int subY, std::vector<TVecRun>& runs);
    // Sample rows a shape may take above and below the pen.
    int RowBudget() const;
    void ReadEdges(const TMvecPath& path, int subX, int subY);
    void AddSegment(Point a, Point b, uint8_t fillSlot, uint8_t group);
    void AddEdge(Point a, Point b, uint8_t slot, uint8_t group, int8_t dir);
    Point Transform(Point p) const;
    void Scan(std::vector<TVecRun>& runs);
    // Orders the active edges by x: the first `carried` were in order on the
    // row above, the rest begin on this row.
    void SortActive(size_t carried);
    void AddStretch(float xa, float xb, int slot);
    void FlushPixelRow(int row, std::vector<TVecRun>& runs);
    int TopColour(int maxGroup) const;
    void Emit(const std::vector<TVecRun>& runs, int pixelX, int pixelY);
    void EmitLine(float x0, float x1, float y, uint32_t colour, int px0, int px1, int py);
    void WriteTarget();
    void UnlockTarget();
    bool RunCalibration();

    TVecDrawSink* mSink = nullptr;
    float mHostScale = 1.0f;
    std::vector<TVecVertex> mBatch;
    std::vector<PlacedRun> mPlaced;
    int mCount = 0;      // vertices in the batch
    int mCapacity = 256; // 256, or 64 after a failed calibration

    TColor32 mSlotColours[kSlots];
    TColor32 mRamps[kLayers][32];
    TColor32 mSpanColours[kSlots][4];

    float mXScale = 1.0f;
    float mYScale = 1.0f;
    float mCos = 1.0f;
    float mSin = 0.0f;
    float mStroke[2] = {0.0f, 0.0f};
    bool mShear = false;
    bool mCopyMode = false;
    bool mMergeMode = false;

    int mBaseX = 0;
    int mBaseY = 0;
    int mPhaseX = 0;
    int mPhaseY = 0;

    // Rasterising one shape.
    std::vector<Edge> mEdges;
    std::vector<int> mActive;
    float mSubX = 0.0f;
    float mSubY = 0.0f;
    int mRowLimit = 0;
    int mMaxGroup = 2;
    int mWinding[2] = {0, 0};
    uint64_t mParity[256][4] = {};
    std::vector<int16_t> mCoverage[kLayers];
    bool mDirty[kLayers] = {false, false, false, false};
    int mLow[kLayers] = {0, 0, 0, 0};
    int mHigh[kLayers] = {0, 0, 0, 0};

    float mStartOffset = 0.25f;
    float mEndOffset = 0.25f;
    float mRowOffset = 0.25f;

    TVecRunCache mCache;
    TVecShapeKey mProbe;
    std::vector<TVecRun> mFresh;
    size_t mHits = 0;
    size_t mMisses = 0;

    std::shared_ptr<TVecRenderTarget> mTarget;
    bool mTargetLocked = false;
    uint32_t* mTargetPixels = nullptr;
    int mTargetWidth = 0;
    int mTargetHeight = 0;
    int mTargetPitch = 0;

    int mCalibrations = 0;
    size_t mVerticesDrawn = 0;
    size_t mVerticesDropped = 0;
    size_t mSortSteps = 0;
};
