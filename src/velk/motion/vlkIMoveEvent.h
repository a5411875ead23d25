#pragma once

#include <cstdint>

class TLinearMove;

// The listener of a TLinearMove. Every notification is empty by default.
class vlkIMoveEvent {
public:
    virtual ~vlkIMoveEvent() = default;
    // Before a new value is stored; clearing *accept drops this step.
    virtual void OnMoveStep(TLinearMove* move, float value, bool* accept);
    virtual void OnMove(TLinearMove* move, float value, uint32_t elapsed);
    virtual void OnMoveEnd(TLinearMove* move);
};
