#pragma once

#include "velk/motion/vlkBezierSegment.h"
#include "velk/motion/vlkLane.h"

#include <memory>

// A lane that moves a point along one cubic Bezier segment and reports the
// points to its owner. t is the fraction of the lane's time (no
// re-parameterisation by arc length). A path is walked by giving the lane
// the next segment and starting it again, also from inside its own end
// notification.
class vlkSplineLane : public vlkLane {
public:
    vlkSplineLane(vlkILaneEvent* owner, const vlkSegmentPoints& points, uint32_t duration);
    ~vlkSplineLane() override;

    void SetSegment(const vlkSegmentPoints& points, uint32_t duration);
    const vlkBezierSegment& GetSegment() const { return *mSegment; }

    void OnLaneStep(float t, bool* accept) override;
    void OnLaneMove(float t, uint32_t elapsed) override;
    void OnLaneEnd() override;

private:
    std::unique_ptr<vlkBezierSegment> mSegment;
};
