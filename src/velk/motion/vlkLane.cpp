#include "velk/motion/vlkLane.h"

void vlkILaneEvent::OnLaneStep(vlkSplineLane*, float, float, float, bool*) {}
void vlkILaneEvent::OnLaneMove(vlkSplineLane*, float, float, float, uint32_t) {}
void vlkILaneEvent::OnLaneEnd(vlkSplineLane*) {}

vlkLane::vlkLane(vlkILaneEvent* owner, uint32_t duration)
    : mMove(std::make_unique<TLinearMove>(this, 0.0f, 1.0f, duration)), mOwner(owner) {
    mMove->SetCallbacks(&vlkIMoveEvent::OnMoveStep, &vlkIMoveEvent::OnMove,
                        &vlkIMoveEvent::OnMoveEnd);
}

vlkLane::~vlkLane() = default;

void vlkLane::SetOwnerCallbacks(OwnerStep step, OwnerMove move, OwnerEnd end) {
    mOwnerStep = step;
    mOwnerMove = move;
    mOwnerEnd = end;
}

void vlkLane::OnMoveStep(TLinearMove*, float value, bool* accept) {
    OnLaneStep(value, accept);
}

void vlkLane::OnMove(TLinearMove*, float value, uint32_t elapsed) {
    OnLaneMove(value, elapsed);
}

void vlkLane::OnMoveEnd(TLinearMove*) {
    OnLaneEnd();
}

void vlkLane::OnLaneStep(float, bool*) {}
void vlkLane::OnLaneMove(float, uint32_t) {}
void vlkLane::OnLaneEnd() {}
