#pragma once

#include <cstdint>

class vlkSplineLane;

// The owner of a spline lane: told each point of the lane's curve. Every
// notification is empty by default.
class vlkILaneEvent {
public:
    virtual ~vlkILaneEvent() = default;
    // Before a step; clearing *accept drops it.
    virtual void OnLaneStep(vlkSplineLane* lane, float x, float y, float z, bool* accept);
    virtual void OnLaneMove(vlkSplineLane* lane, float x, float y, float z, uint32_t elapsed);
    virtual void OnLaneEnd(vlkSplineLane* lane);
};
