#include "velk/motion/vlkSplineLane.h"

#include <functional>

vlkSplineLane::vlkSplineLane(vlkILaneEvent* owner, const vlkSegmentPoints& points,
                             uint32_t duration)
    : vlkLane(owner, duration), mSegment(std::make_unique<vlkBezierSegment>(points)) {
    SetDuration(duration);
}

vlkSplineLane::~vlkSplineLane() = default;

void vlkSplineLane::SetSegment(const vlkSegmentPoints& points, uint32_t duration) {
    mSegment->SetPoints(points);
    SetDuration(duration);
}

void vlkSplineLane::OnLaneStep(float t, bool* accept) {
    if (mOwner && mOwnerStep) {
        const TVec3 p = mSegment->Evaluate(t);
        std::invoke(mOwnerStep, mOwner, this, p.x, p.y, p.z, accept);
    }
}

void vlkSplineLane::OnLaneMove(float t, uint32_t elapsed) {
    if (mOwner && mOwnerMove) {
        const TVec3 p = mSegment->Evaluate(t);
        std::invoke(mOwnerMove, mOwner, this, p.x, p.y, p.z, elapsed);
    }
}

void vlkSplineLane::OnLaneEnd() {
    if (mOwner && mOwnerEnd) {
        std::invoke(mOwnerEnd, mOwner, this);
    }
}
