#pragma once

#include "framework/core/math/TVector.h"

#include <array>

// Twelve floats: the control points P0, P1, P2, P3 of a cubic Bezier
// segment, x, y, z each.
using vlkSegmentPoints = std::array<float, 12>;

// One cubic Bezier segment: its control points and the coefficients of
// B(t) = C3 t^3 + C2 t^2 + C1 t + C0, recomputed whenever the points are
// set, so that B(0) = P0 and B(1) = P3.
class vlkBezierSegment {
public:
    vlkBezierSegment() = default;
    explicit vlkBezierSegment(const vlkSegmentPoints& points) { SetPoints(points); }

    void SetPoints(const vlkSegmentPoints& points);
    // The point at t (0..1, the fraction of the lane's time).
    TVec3 Evaluate(float t) const;

    const TVec3& GetPoint(int index) const { return mPoints[index]; }
    const TVec3& GetCoefficient(int index) const { return mCoefficients[index]; }

private:
    TVec3 mPoints[4];
    TVec3 mCoefficients[4];
};
