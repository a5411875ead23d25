#pragma once

#include "velk/motion/vlkBezierSegment.h"

#include <cstdint>
#include <vector>

// A list of Bezier segments, of a capacity fixed at construction, walked
// segment by segment by its user (a particle effect's lane).
class vlkSplinePath {
public:
    explicit vlkSplinePath(uint32_t capacity);

    // False when the path is full.
    bool AddSegment(const vlkSegmentPoints& points);
    // These copy the segment they land on out; false (nothing moved) on an
    // empty path, or at the last segment for NextSegment.
    bool SeekFirstSegment(vlkSegmentPoints& out);
    bool SeekLastSegment(vlkSegmentPoints& out);
    bool NextSegment(vlkSegmentPoints& out);
    // Empties the path; the room stays.
    void Clear();

    uint32_t GetCapacity() const { return static_cast<uint32_t>(mSegments.size()); }
    uint32_t GetCount() const { return mCount; }
    uint32_t GetCurrentIndex() const { return mCurrent; }

private:
    uint32_t mCount = 0;
    uint32_t mCurrent = 0;
    std::vector<vlkSegmentPoints> mSegments;
};
