#pragma once

#include "velk/motion/TLinearMove.h"
#include "velk/motion/vlkILaneEvent.h"

#include <cstdint>
#include <memory>

// A value that runs from 0.0 to 1.0 over a duration, in proportion to
// time; the move's notifications become the lane's own virtuals, which a
// subclass gives meaning (the spline lane turns the value into a point).
// The owner and its three member functions are kept for subclasses that
// report to it; a null member means no call. The owner is not owned.
class vlkLane : public vlkIMoveEvent {
public:
    using OwnerStep = void (vlkILaneEvent::*)(vlkSplineLane*, float, float, float, bool*);
    using OwnerMove = void (vlkILaneEvent::*)(vlkSplineLane*, float, float, float, uint32_t);
    using OwnerEnd = void (vlkILaneEvent::*)(vlkSplineLane*);

    vlkLane(vlkILaneEvent* owner, uint32_t duration);
    vlkLane(const vlkLane&) = delete;
    vlkLane& operator=(const vlkLane&) = delete;
    ~vlkLane() override;

    void SetDuration(uint32_t duration) { mMove->SetDuration(duration); }
    void Start() { mMove->Start(); }
    void Update(uint32_t elapsed) { mMove->Update(elapsed); }

    void SetOwnerCallbacks(OwnerStep step, OwnerMove move, OwnerEnd end);
    vlkILaneEvent* GetOwner() const { return mOwner; }
    const TLinearMove& GetMove() const { return *mMove; }

    void OnMoveStep(TLinearMove* move, float value, bool* accept) override;
    void OnMove(TLinearMove* move, float value, uint32_t elapsed) override;
    void OnMoveEnd(TLinearMove* move) override;

    virtual void OnLaneStep(float t, bool* accept);
    virtual void OnLaneMove(float t, uint32_t elapsed);
    virtual void OnLaneEnd();

protected:
    std::unique_ptr<TLinearMove> mMove;
    vlkILaneEvent* mOwner = nullptr;
    OwnerStep mOwnerStep = nullptr;
    OwnerMove mOwnerMove = nullptr;
    OwnerEnd mOwnerEnd = nullptr;
};
