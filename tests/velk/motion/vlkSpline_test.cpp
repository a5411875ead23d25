#include "velk/motion/vlkBezierSegment.h"
#include "velk/motion/vlkSplineLane.h"
#include "velk/motion/vlkSplinePath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const vlkSegmentPoints kSegments[] = {
    {0, 0, 0, 1, 2, 0, 3, 2, 0, 4, 0, 0},
    {-10.5f, 7, 1, 100, -50, 2, 0.25f, 300, 3, 640, 480, 4},
    {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5},
    {1024, 0, 0, 512, 768, 0, 256, -100, 0, 0, 768, 0},
};

TVec3 Lerp(const TVec3& a, const TVec3& b, float t) {
    return TVec3(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t);
}

// The curve's point by repeated interpolation of the control polygon.
TVec3 DeCasteljau(const vlkSegmentPoints& p, float t) {
    TVec3 q[4];
    for (int i = 0; i < 4; ++i) {
        q[i] = TVec3(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
    }
    for (int level = 3; level > 0; --level) {
        for (int i = 0; i < level; ++i) {
            q[i] = Lerp(q[i], q[i + 1], t);
        }
    }
    return q[0];
}

void ExpectNear(const TVec3& a, const TVec3& b, const std::string& what) {
    EXPECT_NEAR(a.x, b.x, 1e-3f) << what;
    EXPECT_NEAR(a.y, b.y, 1e-3f) << what;
    EXPECT_NEAR(a.z, b.z, 1e-3f) << what;
}

TEST(BezierSegment, Evaluate_StartsAtP0EndsAtP3AndFollowsDeCasteljau) {
    int index = 0;
    for (const vlkSegmentPoints& points : kSegments) {
        const std::string what = "segment " + std::to_string(index++);
        vlkBezierSegment segment(points);
        ExpectNear(segment.Evaluate(0.0f), TVec3(points[0], points[1], points[2]), what + " t=0");
        ExpectNear(segment.Evaluate(1.0f), TVec3(points[9], points[10], points[11]), what + " t=1");
        for (float t : {0.25f, 0.5f, 0.8f}) {
            ExpectNear(segment.Evaluate(t), DeCasteljau(points, t),
                       what + " t=" + std::to_string(t));
        }
    }
}

TEST(BezierSegment, SetPoints_RecomputesTheCoefficients) {
    vlkBezierSegment segment(kSegments[0]);
    segment.SetPoints(kSegments[1]);
    ExpectNear(segment.Evaluate(0.5f), DeCasteljau(kSegments[1], 0.5f), "after SetPoints");
    EXPECT_EQ(segment.GetPoint(3).x, 640.0f);
}

TEST(SplinePath, SeekOperations_AsATable) {
    enum Op { kAdd, kFirst, kLast, kNext, kClear };
    struct Step {
        Op op;
        int segment; // added, or expected in the output (-1: none)
        bool result;
        uint32_t current;
        uint32_t count;
    } steps[] = {
        {kFirst, -1, false, 0, 0}, {kLast, -1, false, 0, 0}, {kNext, -1, false, 0, 0},
        {kAdd, 0, true, 0, 1},     {kNext, -1, false, 0, 1}, {kAdd, 1, true, 0, 2},
        {kAdd, 2, true, 0, 3},     {kAdd, 3, false, 0, 3},   {kFirst, 0, true, 0, 3},
        {kNext, 1, true, 1, 3},    {kNext, 2, true, 2, 3},   {kNext, -1, false, 2, 3},
        {kFirst, 0, true, 0, 3},   {kLast, 2, true, 2, 3},   {kClear, -1, true, 0, 0},
        {kFirst, -1, false, 0, 0}, {kAdd, 3, true, 0, 1},    {kLast, 3, true, 0, 1},
    };
    vlkSplinePath path(3);
    EXPECT_EQ(path.GetCapacity(), 3u);
    int index = 0;
    for (const Step& step : steps) {
        vlkSegmentPoints out{};
        out.fill(-99.0f);
        bool result = true;
        switch (step.op) {
        case kAdd:
            result = path.AddSegment(kSegments[step.segment]);
            break;
        case kFirst:
            result = path.SeekFirstSegment(out);
            break;
        case kLast:
            result = path.SeekLastSegment(out);
            break;
        case kNext:
            result = path.NextSegment(out);
            break;
        case kClear:
            path.Clear();
            break;
        }
        EXPECT_EQ(result, step.result) << "step " << index;
        EXPECT_EQ(path.GetCurrentIndex(), step.current) << "step " << index;
        EXPECT_EQ(path.GetCount(), step.count) << "step " << index;
        if (step.op != kAdd && step.segment >= 0) {
            EXPECT_EQ(out, kSegments[step.segment]) << "step " << index;
        } else if (step.op != kAdd && step.op != kClear) {
            EXPECT_EQ(out[0], -99.0f) << "step " << index << ": nothing copied";
        }
        ++index;
    }
}

// Walks a path with a spline lane, handing the lane the next segment from
// inside its end notification.
class PathWalker : public vlkILaneEvent {
public:
    explicit PathWalker(vlkSplinePath& path) : mPath(path) {}

    void OnLaneMove(vlkSplineLane*, float x, float y, float, uint32_t) override {
        points.push_back(TVec2(x, y));
    }
    void OnLaneEnd(vlkSplineLane* lane) override {
        vlkSegmentPoints next;
        if (mPath.NextSegment(next)) {
            lane->SetSegment(next, 100);
            lane->Start();
        } else {
            ++ends;
        }
    }

    std::vector<TVec2> points;
    int ends = 0;

private:
    vlkSplinePath& mPath;
};

TEST(SplineLane, AWalkedPath_ReportsEachSegmentsPointsAndRestartsFromItsEnd) {
    vlkSplinePath path(2);
    path.AddSegment(kSegments[0]);
    path.AddSegment(kSegments[3]);
    PathWalker walker(path);
    vlkSegmentPoints first;
    ASSERT_TRUE(path.SeekFirstSegment(first));
    vlkSplineLane lane(&walker, first, 100);
    lane.SetOwnerCallbacks(&vlkILaneEvent::OnLaneStep, &vlkILaneEvent::OnLaneMove,
                           &vlkILaneEvent::OnLaneEnd);
    lane.Start();
    for (int i = 0; i < 5; ++i) {
        lane.Update(50);
    }
    ASSERT_EQ(walker.points.size(), 4u);
    const vlkBezierSegment a(kSegments[0]);
    const vlkBezierSegment b(kSegments[3]);
    ExpectNear(TVec3(walker.points[0], 0), a.Evaluate(0.5f), "first half");
    ExpectNear(TVec3(walker.points[1], 0), TVec3(4, 0, 0), "end of the first segment");
    ExpectNear(TVec3(walker.points[2], 0), b.Evaluate(0.5f), "second half");
    ExpectNear(TVec3(walker.points[3], 0), TVec3(0, 768, 0), "end of the path");
    EXPECT_EQ(walker.ends, 1);
    EXPECT_TRUE(lane.GetMove().IsDone());
}

TEST(SplineLane, WithoutOwnerMembers_NothingIsCalled) {
    vlkSplinePath path(1);
    PathWalker walker(path);
    vlkSplineLane lane(&walker, kSegments[1], 100);
    lane.Start();
    lane.Update(200);
    EXPECT_TRUE(walker.points.empty());
    EXPECT_EQ(walker.ends, 0);
    EXPECT_TRUE(lane.GetMove().IsDone());
}

} // namespace
