#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/vector/TGraphicsVecSink.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kRowWidth = 2 * TNbMiniVecDraw::kHalfRow;
// Quarter-pixel columns the coverage row can take.
constexpr int kColumnLimit = 4 * TNbMiniVecDraw::kHalfRow;
// Sample rows above and below the pen: shapes reach as far up and down as
// the coverage row lets them reach to the sides.
constexpr int kMaxRowLimit = 4 * TNbMiniVecDraw::kHalfRow;
// The largest coordinate of a path, in path units.
constexpr float kPathReach = 32768.0f;
// Positions beyond this many quarter pixels are held to it.
constexpr int64_t kPositionLimit = int64_t{1} << 28;

uint32_t WithAlpha(TColor32 colour, int alpha) {
    return (colour.GetValue() & 0x00FFFFFFu) | (static_cast<uint32_t>(alpha) << 24);
}

float Clamp(float v, float limit) {
    if (!(v == v))
        return 0.0f; // not a number
    return std::max(-limit, std::min(limit, v));
}

int ClampPosition(int64_t v) {
    return static_cast<int>(std::max(-kPositionLimit, std::min(kPositionLimit, v)));
}

int HighestBit(const uint64_t words[4]) {
    for (int w = 3; w >= 0; --w) {
        if (words[w])
            return w * 64 + 63 - __builtin_clzll(words[w]);
    }
    return 0;
}

// Live drawers in the order they were made; the last is the current one.
std::vector<TNbMiniVecDraw*>& LiveDrawers() {
    static std::vector<TNbMiniVecDraw*> drawers;
    return drawers;
}

} // namespace

TVecDrawSink* TNbMiniVecDraw::GetSink() const {
    if (mSink)
        return mSink;
    static TGraphicsVecSink front;
    return TGraphics::Exists() ? &front : nullptr;
}

TNbMiniVecDraw* TNbMiniVecDraw::GetCurrent() {
    return LiveDrawers().empty() ? nullptr : LiveDrawers().back();
}

TNbMiniVecDraw::TNbMiniVecDraw() {
    LiveDrawers().push_back(this);
    // Vertices keep z, rhw, specular and texture coordinates from here on.
    mBatch.assign(256, TVecVertex());
    mPlaced.assign(128, PlacedRun{});
    for (auto& row : mCoverage)
        row.assign(kRowWidth + 2, 0);
    for (int slot = 1; slot < kSlots; ++slot)
        mSlotColours[slot] = TColor32(0xFF000000u);
    // Slot 2 stands for the shape colours' layer until a path defines one.
    for (int slot : {kOutlineSlot, kBoldSlot, 2, kTextSlot})
        SetColor(slot, mSlotColours[slot], 1.0f);
    mSlotColours[0] = TColor32(0u);
}

TNbMiniVecDraw::~TNbMiniVecDraw() {
    UnlockTarget();
    auto& live = LiveDrawers();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

int TNbMiniVecDraw::SlotLayer(int slot) {
    switch (slot) {
    case kOutlineSlot:
        return 0;
    case kBoldSlot:
        return 1;
    case kTextSlot:
        return 3;
    default:
        return 2;
    }
}

void TNbMiniVecDraw::SetColor(int slot, TColor32 colour, float scale) {
    slot &= 0xFF;
    float scaled = colour.GetAlpha() * scale;
    scaled = scaled == scaled ? std::max(0.0f, std::min(255.0f, scaled)) : 0.0f;
    const int alpha = static_cast<int>(scaled);
    mSlotColours[slot] = TColor32(WithAlpha(colour, alpha));
    const int layer = SlotLayer(slot);
    for (int i = 0; i < 32; ++i) {
        const int a = i < 16 ? alpha * 16 * (i + 1) / 256 : alpha * 255 / 256;
        mRamps[layer][i] = TColor32(WithAlpha(colour, a));
    }
    const int shares[4] = {17, 40, 73, 128};
    for (int i = 0; i < 4; ++i)
        mSpanColours[slot][i] = TColor32(WithAlpha(colour, alpha * shares[i] / 256));
}

void TNbMiniVecDraw::SetScale(float x, float y) {
    mXScale = x;
    mYScale = y;
}

void TNbMiniVecDraw::SetRotation(float cosine, float sine) {
    mCos = cosine;
    mSin = sine;
}

void TNbMiniVecDraw::SetStroke(int slot, float width) {
    if (slot == 0 || slot == 1)
        mStroke[slot] = width;
}

void TNbMiniVecDraw::SetTargetModes(bool copy, bool alphaMerge) {
    mCopyMode = copy;
    mMergeMode = alphaMerge;
}

void TNbMiniVecDraw::BeginRun(float x, float y, std::shared_ptr<TVecRenderTarget> target) {
    const float px = Clamp(x, 1.0e7f);
    const float py = Clamp(y, 1.0e7f);
    mBaseX = static_cast<int>(px);
    mBaseY = static_cast<int>(py);
    mPhaseX = static_cast<int>(px * 4.0f) % 4;
    mPhaseY = static_cast<int>(py * 4.0f) % 4;
    if (target != mTarget) {
        Flush();
        UnlockTarget();
        mTarget = std::move(target);
        if (mTarget) {
            mTargetLocked = mTarget->Lock(mTargetPixels, mTargetWidth, mTargetHeight, mTargetPitch);
            if (!mTargetLocked)
                LogPrintf("Vector drawing: the render target cannot be locked; its text is lost");
        }
    }
    if (!mTarget) {
        if (TVecDrawSink* sink = GetSink())
            sink->ClearTexture();
    }
}

void TNbMiniVecDraw::UnlockTarget() {
    if (mTarget && mTargetLocked)
        mTarget->Unlock();
    mTargetLocked = false;
    mTargetPixels = nullptr;
}

void TNbMiniVecDraw::DrawPath(const TMvecPath& path, int x, int y) {
    // A font without glyphs has no height, and a layout's scale from it is
    // not finite: there is nothing to draw then, and such a state must not
    // reach the cache, whose keys have to equal themselves.
    for (float v : {mXScale, mYScale, mCos, mSin, mStroke[0], mStroke[1]}) {
        if (!std::isfinite(v))
            return;
    }
    const int qx = ClampPosition(int64_t{x} + mPhaseX);
    const int qy = ClampPosition(int64_t{y} + mPhaseY);
    const int pixelX = mBaseX + (qx >> 2);
    const int pixelY = mBaseY + (qy >> 2);
    const int subX = qx & 3;
    const int subY = qy & 3;

    const size_t length = MvecPathLength(path);
    mProbe.path.assign(path.data, path.data + length);
    mProbe.subX = subX;
    mProbe.subY = subY;
    mProbe.xScale = mXScale;
    mProbe.yScale = mYScale;
    mProbe.stroke[0] = mStroke[0];
    mProbe.stroke[1] = mStroke[1];
    mProbe.shear = mShear;
    mProbe.cosine = mCos;
    mProbe.sine = mSin;
    if (const std::vector<TVecRun>* runs = mCache.Find(mProbe)) {
        ++mHits;
        Emit(*runs, pixelX, pixelY);
        return;
    }
    ++mMisses;
    mFresh.clear();
    Rasterise({path.data, length}, subX, subY, mFresh);
    Emit(mFresh, pixelX, pixelY);
    mCache.Insert(mProbe, mFresh);
}

void TNbMiniVecDraw::Rasterise(const TMvecPath& path, int subX, int subY,
                               std::vector<TVecRun>& runs) {
    mRowLimit = RowBudget();
    ReadEdges(path, subX, subY);
    if (!mEdges.empty())
        Scan(runs);
}

int TNbMiniVecDraw::RowBudget() const {
    // How far a path can reach above or below the pen on the screen, in
    // sample rows: its coordinates scaled (sheared and turned), and the
    // strokes around them.
    const float slant = mShear ? 4.0f / 3.0f : 1.0f;
    const float across = std::fabs(mXScale) * slant;
    const float down = std::fabs(mYScale);
    const float reach = kPathReach * (down * std::fabs(mCos) + across * std::fabs(mSin)) +
                        8.0f * (std::fabs(mStroke[0]) + std::fabs(mStroke[1])) + 8.0f;
    if (!(reach < static_cast<float>(kMaxRowLimit)))
        return kMaxRowLimit;
    return std::max(512, static_cast<int>(reach) + 1);
}

TNbMiniVecDraw::Point TNbMiniVecDraw::Transform(Point p) const {
    if (mShear)
        p.x -= p.y / 3.0f;
    p.x *= mXScale;
    p.y *= mYScale;
    if (mSin != 0.0f) {
        const Point r{p.x * mCos - p.y * mSin, p.y * mCos + p.x * mSin};
        p = r;
    }
    return {p.x + mSubX, p.y + mSubY};
}

void TNbMiniVecDraw::ReadEdges(const TMvecPath& path, int subX, int subY) {
    mEdges.clear();
    mSubX = static_cast<float>(subX);
    mSubY = static_cast<float>(subY);
    mMaxGroup = 2;
    int group = 2;
    int colours = 0;
    int base = 0;
    int fill1 = 0;
    int fill2 = 0;
    Point at{0.0f, 0.0f};
    TMvecPathReader reader(path);
    for (TMvecStep step = reader.Next(); step.command != kMvecEnd; step = reader.Next()) {
        switch (step.command) {
        case kMvecGroup:
            group = std::min(group + 1, 255);
            mMaxGroup = std::max(mMaxGroup, group);
            base = colours;
            fill1 = fill2 = 0;
            break;
        case kMvecFillStyle:
            fill1 = step.b[0] ? std::min(step.b[0] + base, 255) : 0;
            break;
        case kMvecFillStyle2:
            fill2 = step.b[0] ? std::min(step.b[0] + base, 255) : 0;
            break;
        case kMvecMove:
            at = {static_cast<float>(step.v[0]), static_cast<float>(step.v[1])};
            break;
        case kMvecLine: {
            const Point to{static_cast<float>(step.v[0]), static_cast<float>(step.v[1])};
            AddSegment(at, to, static_cast<uint8_t>(fill1 ? fill1 : fill2),
                       static_cast<uint8_t>(group));
            at = to;
            break;
        }
        case kMvecCurve: {
            // Three straight pieces at t = 1/3, 2/3 and 1.
            const Point q{static_cast<float>(step.v[0]), static_cast<float>(step.v[1])};
            const Point p2{static_cast<float>(step.v[2]), static_cast<float>(step.v[3])};
            const Point p0 = at;
            for (int i = 1; i <= 3; ++i) {
                const float t = static_cast<float>(i) / 3.0f;
                const Point b =
                    i == 3 ? p2
                           : Point{p0.x + 2 * t * (q.x - p0.x) + t * t * (p2.x - 2 * q.x + p0.x),
                                   p0.y + 2 * t * (q.y - p0.y) + t * t * (p2.y - 2 * q.y + p0.y)};
                AddSegment(at, b, static_cast<uint8_t>(fill1 ? fill1 : fill2),
                           static_cast<uint8_t>(group));
                at = b;
            }
            break;
        }
        case kMvecColour:
            // Defines the next colour slot; the stroke slots stay the caller's.
            if (colours < kBoldSlot - 1) {
                ++colours;
                SetColor(colours,
                         TColor32(step.b[0], step.b[1], step.b[2], static_cast<uint8_t>(255)));
            }
            break;
        default:
            break;
        }
    }
}

void TNbMiniVecDraw::AddSegment(Point a, Point b, uint8_t fillSlot, uint8_t group) {
    for (int s = 0; s < 2; ++s) {
        if (mStroke[s] == 0.0f)
            continue;
        const float dx = b.x - a.x;
        const float dy = b.y - a.y;
        const float length = std::sqrt(dx * dx + dy * dy);
        if (!(length > 0.0f))
            continue;
        // The width is in screen pixels: four quarter pixels each, taken
        // back into path units through the scales.
        const float ox = -dy / length * mStroke[s] * 4.0f / mXScale;
        const float oy = dx / length * mStroke[s] * 4.0f / mYScale;
        const Point corners[4] = {Transform({a.x + ox, a.y + oy}), Transform({b.x + ox, b.y + oy}),
                                  Transform({b.x - ox, b.y - oy}), Transform({a.x - ox, a.y - oy})};
        const uint8_t slot = s == 0 ? kOutlineSlot : kBoldSlot;
        for (int i = 0; i < 4; ++i)
            AddEdge(corners[i], corners[(i + 1) % 4], slot, static_cast<uint8_t>(s), 1);
    }
    if (fillSlot != 0)
        AddEdge(Transform(a), Transform(b), fillSlot, group, 1);
}

void TNbMiniVecDraw::AddEdge(Point a, Point b, uint8_t slot, uint8_t group, int8_t dir) {
    const float limit = static_cast<float>(mRowLimit + 8);
    a.y = Clamp(a.y, limit);
    b.y = Clamp(b.y, limit);
    a.x = Clamp(a.x, 1.0e6f);
    b.x = Clamp(b.x, 1.0e6f);
    if (a.y > b.y) {
        std::swap(a, b);
        dir = static_cast<int8_t>(-dir);
    }
    // Sample rows are crossed at their centres (row + 0.5).
    int first = static_cast<int>(std::ceil(a.y - 0.5f));
    int last = static_cast<int>(std::ceil(b.y - 0.5f)) - 1;
    first = std::max(first, -mRowLimit);
    last = std::min(last, mRowLimit - 1);
    if (last < first)
        return;
    Edge e{};
    e.topX = a.x;
    e.topY = a.y;
    e.bottomX = b.x;
    e.bottomY = b.y;
    e.slope = (b.x - a.x) / (b.y - a.y);
    e.first = first;
    e.last = last;
    e.dir = dir;
    e.slot = slot;
    e.group = group;
    mEdges.push_back(e);
}

int TNbMiniVecDraw::TopColour(int maxGroup) const {
    for (int g = maxGroup; g >= 2; --g) {
        const uint64_t* bits = mParity[g];
        if (bits[0] | bits[1] | bits[2] | bits[3])
            return HighestBit(bits);
    }
    if (mWinding[1] != 0)
        return kBoldSlot;
    if (mWinding[0] != 0)
        return kOutlineSlot;
    return 0;
}

void TNbMiniVecDraw::Scan(std::vector<TVecRun>& runs) {
    std::sort(mEdges.begin(), mEdges.end(),
              [](const Edge& a, const Edge& b) { return a.first < b.first; });
    int rowEnd = mEdges.front().last;
    for (const Edge& e : mEdges)
        rowEnd = std::max(rowEnd, e.last);
    mActive.clear();
    size_t next = 0;
    int pixelRow = mEdges.front().first >> 2;
    for (int s = mEdges.front().first; s <= rowEnd; ++s) {
        if ((s >> 2) != pixelRow) {
            FlushPixelRow(pixelRow, runs);
            pixelRow = s >> 2;
        }
        size_t kept = 0;
        for (size_t i = 0; i < mActive.size(); ++i) {
            if (mEdges[mActive[i]].last >= s)
                mActive[kept++] = mActive[i];
        }
        mActive.resize(kept);
        while (next < mEdges.size() && mEdges[next].first <= s)
            mActive.push_back(static_cast<int>(next++));
        if (mActive.empty()) {
            if (next >= mEdges.size())
                break;
            s = mEdges[next].first - 1; // skip the empty rows
            continue;
        }
        const float sampleY = static_cast<float>(s) + 0.5f;
        for (int index : mActive) {
            Edge& e = mEdges[index];
            e.x = e.topX + (sampleY - e.topY) * e.slope;
        }
        SortActive(kept);
        // Non-zero winding for the strokes, even-odd per colour for fills;
        // each stretch takes the colour of the highest group that has one.
        for (size_t i = 0; i < mActive.size(); ++i) {
            const Edge& e = mEdges[mActive[i]];
            if (e.group < 2)
                mWinding[e.group] += e.dir;
            else
                mParity[e.group][e.slot >> 6] ^= uint64_t{1} << (e.slot & 63);
            if (i + 1 < mActive.size()) {
                const float xb = mEdges[mActive[i + 1]].x;
                if (xb > e.x) {
                    const int colour = TopColour(mMaxGroup);
                    if (colour != 0)
                        AddStretch(e.x, xb, colour);
                }
            }
        }
        mWinding[0] = mWinding[1] = 0;
        for (int g = 2; g <= mMaxGroup; ++g)
            std::memset(mParity[g], 0, sizeof mParity[g]);
    }
    FlushPixelRow(pixelRow, runs);
}

void TNbMiniVecDraw::SortActive(size_t carried) {
    auto before = [this](int a, int b) {
        ++mSortSteps;
        return mEdges[a].x < mEdges[b].x;
    };
    // The edges carried over from the row above were in order there and
    // mostly still are: put them back in order by insertion, as long as
    // that stays cheap, else sort them.
    const auto head = mActive.begin();
    const auto carriedEnd = head + static_cast<std::ptrdiff_t>(carried);
    const size_t budget = 4 * carried + 16;
    size_t moves = 0;
    bool sorted = true;
    for (size_t i = 1; i < carried && sorted; ++i) {
        const int moving = mActive[i];
        size_t j = i;
        while (j > 0 && before(moving, mActive[j - 1])) {
            mActive[j] = mActive[j - 1];
            --j;
            if (++moves > budget) {
                sorted = false;
                break;
            }
        }
        mActive[j] = moving;
    }
    if (!sorted)
        std::sort(head, carriedEnd, before);
    // The edges that begin on this row: sorted among themselves, then
    // merged in.
    if (carriedEnd != mActive.end()) {
        std::sort(carriedEnd, mActive.end(), before);
        std::inplace_merge(head, carriedEnd, mActive.end(), before);
    }
}

void TNbMiniVecDraw::AddStretch(float xa, float xb, int slot) {
    const float limit = static_cast<float>(kColumnLimit);
    // Sample columns whose centres lie in [xa, xb); the coverage row clips
    // the shape 1600 pixels to either side of the pen.
    const int ca = static_cast<int>(std::ceil(Clamp(xa, limit) - 0.5f));
    const int cb = static_cast<int>(std::ceil(Clamp(xb, limit) - 0.5f));
    if (cb <= ca)
        return;
    const int layer = SlotLayer(slot);
    int16_t* row = mCoverage[layer].data();
    const int pa = (ca >> 2) + kHalfRow;
    const int pb = (cb >> 2) + kHalfRow;
    row[pa] = static_cast<int16_t>(row[pa] + 4 - (ca & 3));
    row[pa + 1] = static_cast<int16_t>(row[pa + 1] + (ca & 3));
    row[pb] = static_cast<int16_t>(row[pb] - (4 - (cb & 3)));
    row[pb + 1] = static_cast<int16_t>(row[pb + 1] - (cb & 3));
    if (!mDirty[layer]) {
        mDirty[layer] = true;
        mLow[layer] = pa;
        mHigh[layer] = pb + 1;
    } else {
        mLow[layer] = std::min(mLow[layer], pa);
        mHigh[layer] = std::max(mHigh[layer], pb + 1);
    }
}

void TNbMiniVecDraw::FlushPixelRow(int row, std::vector<TVecRun>& runs) {
    for (int layer = 0; layer < kLayers; ++layer) {
        if (!mDirty[layer])
            continue;
        mDirty[layer] = false;
        int16_t* cells = mCoverage[layer].data();
        int sum = 0;
        int runCoverage = 0;
        int runStart = 0;
        for (int p = mLow[layer]; p <= mHigh[layer] + 1; ++p) {
            int coverage = 0;
            if (p <= mHigh[layer]) {
                sum += cells[p];
                cells[p] = 0;
                coverage = p < kRowWidth ? std::max(0, std::min(16, sum)) : 0;
            }
            if (coverage != runCoverage) {
                if (runCoverage > 0) {
                    TVecRun run;
                    run.xStart = static_cast<int16_t>(runStart - kHalfRow);
                    run.xEnd = static_cast<int16_t>(p - kHalfRow);
                    run.y = static_cast<int16_t>(row);
                    run.coverage = static_cast<uint8_t>(runCoverage);
                    run.layer = static_cast<uint8_t>(layer);
                    runs.push_back(run);
                }
                runStart = p;
                runCoverage = coverage;
            }
        }
    }
}

void TNbMiniVecDraw::Emit(const std::vector<TVecRun>& runs, int pixelX, int pixelY) {
    for (const TVecRun& run : runs) {
        const int x0 = pixelX + run.xStart;
        const int x1 = pixelX + run.xEnd;
        const int y = pixelY + run.y;
        const uint32_t colour = mRamps[run.layer & 3][(run.coverage - 1) & 31].GetValue();
        EmitLine(static_cast<float>(x0) + mStartOffset, static_cast<float>(x1) + mEndOffset,
                 static_cast<float>(y) + mRowOffset, colour, x0, x1, y);
    }
}

void TNbMiniVecDraw::EmitLine(float x0, float x1, float y, uint32_t colour, int px0, int px1,
                              int py) {
    if (mCount + 2 > mCapacity)
        Flush();
    TVecVertex* v = mBatch.data() + mCount;
    v[0].x = x0;
    v[0].y = y;
    v[0].diffuse = colour;
    v[1].x = x1;
    v[1].y = y;
    v[1].diffuse = colour;
    mPlaced[static_cast<size_t>(mCount / 2)] = {px0, px1, py, colour};
    mCount += 2;
}

void TNbMiniVecDraw::Flush() {
    if (mCount == 0)
        return;
    const auto count = static_cast<size_t>(mCount);
    if (mTarget) {
        if (mTargetLocked)
            WriteTarget();
        else
            mVerticesDropped += count;
    } else if (TVecDrawSink* sink = GetSink()) {
        sink->DrawLineList(mBatch.data(), mCount);
        mVerticesDrawn += count;
    } else {
        mVerticesDropped += count;
    }
    mCount = 0;
}

void TNbMiniVecDraw::WriteTarget() {
    for (int i = 0; i < mCount / 2; ++i) {
        const PlacedRun& run = mPlaced[static_cast<size_t>(i)];
        if (run.y < 0 || run.y >= mTargetHeight)
            continue;
        const int x0 = std::max(run.x0, 0);
        const int x1 = std::min(run.x1, mTargetWidth);
        auto* row = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(mTargetPixels) +
                                                static_cast<size_t>(run.y) * mTargetPitch);
        const uint32_t sa = run.colour >> 24;
        for (int x = x0; x < x1; ++x) {
            const uint32_t dst = row[x];
            if (mCopyMode) {
                row[x] = run.colour;
                continue;
            }
            const uint32_t da = dst >> 24;
            uint32_t out = 0;
            if (mMergeMode) {
                // Alphas add up; each channel is the alpha-weighted mean.
                const uint32_t total = sa + da;
                if (total == 0) {
                    out = dst;
                } else {
                    for (int shift = 0; shift < 24; shift += 8) {
                        const uint32_t s = (run.colour >> shift) & 0xFF;
                        const uint32_t d = (dst >> shift) & 0xFF;
                        out |= ((s * sa + d * da + total / 2) / total) << shift;
                    }
                    out |= std::min<uint32_t>(total, 255) << 24;
                }
            } else {
                // Blended over the pixel; the pixel keeps its alpha.
                for (int shift = 0; shift < 24; shift += 8) {
                    const int s = static_cast<int>((run.colour >> shift) & 0xFF);
                    const int d = static_cast<int>((dst >> shift) & 0xFF);
                    const int c =
                        d + ((s - d) * static_cast<int>(sa) + (s >= d ? 127 : -127)) / 255;
                    out |= static_cast<uint32_t>(c) << shift;
                }
                out |= da << 24;
            }
            row[x] = out;
        }
    }
}

void TNbMiniVecDraw::EndDraw() {
    Flush();
    UnlockTarget();
    mTarget.reset();
}

void TNbMiniVecDraw::Calibrate() {
    ++mCalibrations;
    EndDraw();
    if (!RunCalibration()) {
        mStartOffset = -0.75f;
        mEndOffset = -0.75f;
        mRowOffset = 0.25f;
        LogPrintf("Vector drawing: no calibration, span offsets %.2f %.2f %.2f", mStartOffset,
                  mEndOffset, mRowOffset);
        return;
    }
    LogPrintf("Vector drawing: calibrated span offsets %.2f %.2f %.2f (batches of %d)",
              mStartOffset, mEndOffset, mRowOffset, mCapacity);
}

// Draws one-pixel spans with each of 128 offset combinations into a strip
// of an offscreen target and keeps the combination whose spans lit exactly
// their own pixels, most brightly.
bool TNbMiniVecDraw::RunCalibration() {
    constexpr int kWidth = 800;
    constexpr int kHeight = 512;
    constexpr int kStripRows = 4;
    TVecDrawSink* sink = GetSink();
    if (!sink || !sink->BeginCalibrationTarget(kWidth, kHeight)) {
        LogPrintf("Vector drawing: no target to calibrate in");
        return false;
    }
    const TColor32 savedText = mSlotColours[kTextSlot];
    SetColor(kTextSlot, TColor32(0xFFFFFFFFu), 1.0f);
    const uint32_t white = mRamps[SlotLayer(kTextSlot)][15].GetValue();
    sink->ClearCalibrationRect(0, 0, kWidth, kStripRows);
    const float start = mStartOffset;
    const float end = mEndOffset;
    const float rowOffset = mRowOffset;
    for (int i = 0; i < 128; ++i) {
        const float so = static_cast<float>((i / 8) % 4) * 0.25f - 1.0f;
        const float eo = static_cast<float>(i % 8) * 0.25f - 1.0f;
        const float yo = static_cast<float>(i / 32) * 0.25f;
        const int cell = 4 * i;
        EmitLine(static_cast<float>(cell + 1) + so, static_cast<float>(cell + 2) + eo, 1.0f + yo,
                 white, cell + 1, cell + 2, 1);
        EmitLine(static_cast<float>(cell + 2) + so, static_cast<float>(cell + 3) + eo, 2.0f + yo,
                 white, cell + 2, cell + 3, 2);
    }
    Flush();
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    const bool read = sink->ReadCalibrationTarget(pixels, width, height) && width >= 512 &&
                      height >= 3 && pixels.size() >= static_cast<size_t>(width) * height;
    int best = -1;
    int bestScore = -1;
    int failures = 0;
    if (read) {
        auto value = [&](int x, int y) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            return static_cast<int>(std::max({(p >> 16) & 0xFFu, (p >> 8) & 0xFFu, p & 0xFFu}));
        };
        for (int i = 0; i < 128; ++i) {
            const int cell = 4 * i;
            int lit = 0;
            bool own = true;
            for (int y = 1; y <= 2; ++y) {
                for (int x = cell; x < cell + 4; ++x) {
                    const bool expected = (y == 1 && x == cell + 1) || (y == 2 && x == cell + 2);
                    const bool on = value(x, y) >= 128;
                    lit += on ? 1 : 0;
                    if (on != expected)
                        own = false;
                }
            }
            if (lit == 0)
                ++failures;
            if (own) {
                const int score = value(cell + 1, 1) + value(cell + 2, 2);
                if (score >= bestScore) {
                    bestScore = score;
                    best = i;
                }
            }
        }
    }
    sink->ClearCalibrationRect(0, 0, kWidth, kStripRows);
    sink->EndCalibrationTarget();
    SetColor(kTextSlot, savedText, 1.0f);
    mStartOffset = start;
    mEndOffset = end;
    mRowOffset = rowOffset;
    if (best >= 0) {
        mStartOffset = static_cast<float>((best / 8) % 4) * 0.25f - 1.0f;
        mEndOffset = static_cast<float>(best % 8) * 0.25f - 1.0f;
        mRowOffset = static_cast<float>(best / 32) * 0.25f;
        return true;
    }
    if (!read)
        LogPrintf("Vector drawing: the calibration target cannot be read back");
    if (read && failures > 75 && mCapacity != 64) {
        mCapacity = 64;
        return RunCalibration();
    }
    return false;
}
