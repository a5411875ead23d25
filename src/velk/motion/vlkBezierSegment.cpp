#include "velk/motion/vlkBezierSegment.h"

void vlkBezierSegment::SetPoints(const vlkSegmentPoints& points) {
    for (int i = 0; i < 4; ++i) {
        mPoints[i] = TVec3(points[3 * i], points[3 * i + 1], points[3 * i + 2]);
    }
    const TVec3& p0 = mPoints[0];
    const TVec3& p1 = mPoints[1];
    const TVec3& p2 = mPoints[2];
    const TVec3& p3 = mPoints[3];
    mCoefficients[0] = p0;
    mCoefficients[1] =
        TVec3(3.0f * p1.x - 3.0f * p0.x, 3.0f * p1.y - 3.0f * p0.y, 3.0f * p1.z - 3.0f * p0.z);
    mCoefficients[2] =
        TVec3(3.0f * p0.x - 6.0f * p1.x + 3.0f * p2.x, 3.0f * p0.y - 6.0f * p1.y + 3.0f * p2.y,
              3.0f * p0.z - 6.0f * p1.z + 3.0f * p2.z);
    mCoefficients[3] =
        TVec3(3.0f * p1.x - p0.x - 3.0f * p2.x + p3.x, 3.0f * p1.y - p0.y - 3.0f * p2.y + p3.y,
              3.0f * p1.z - p0.z - 3.0f * p2.z + p3.z);
}

TVec3 vlkBezierSegment::Evaluate(float t) const {
    const float t2 = t * t;
    const float t3 = t2 * t;
    const TVec3* c = mCoefficients;
    return TVec3(c[3].x * t3 + c[2].x * t2 + c[1].x * t + c[0].x,
                 c[3].y * t3 + c[2].y * t2 + c[1].y * t + c[0].y,
                 c[3].z * t3 + c[2].z * t2 + c[1].z * t + c[0].z);
}
