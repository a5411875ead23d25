#include "velk/motion/vlkSplinePath.h"

vlkSplinePath::vlkSplinePath(uint32_t capacity) : mSegments(capacity, vlkSegmentPoints{}) {}

bool vlkSplinePath::AddSegment(const vlkSegmentPoints& points) {
    if (mCount >= mSegments.size()) {
        return false;
    }
    mSegments[mCount++] = points;
    return true;
}

bool vlkSplinePath::SeekFirstSegment(vlkSegmentPoints& out) {
    if (mCount == 0) {
        return false;
    }
    mCurrent = 0;
    out = mSegments[mCurrent];
    return true;
}

bool vlkSplinePath::SeekLastSegment(vlkSegmentPoints& out) {
    if (mCount == 0) {
        return false;
    }
    mCurrent = mCount - 1;
    out = mSegments[mCurrent];
    return true;
}

bool vlkSplinePath::NextSegment(vlkSegmentPoints& out) {
    if (mCount == 0 || mCurrent >= mCount - 1) {
        return false;
    }
    ++mCurrent;
    out = mSegments[mCurrent];
    return true;
}

void vlkSplinePath::Clear() {
    mCount = 0;
    mCurrent = 0;
}
