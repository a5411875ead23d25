#pragma once

#include "velk/motion/vlkIMoveEvent.h"

#include <cstdint>

// A float that goes linearly from a start value to an end value over a
// duration in milliseconds, advanced by its user's per-frame Update. Each
// step is reported to the target through up to three of its member
// functions; a null member means no call. A move is done after
// construction, runs after Start and is done again when it reaches its end;
// a move with a rate of 0 (duration 0, or start equal to end) never ends
// by itself.
//
// The end notification is the last thing Update does, so the target may
// restart (or give new values to) the move from inside it.
class TLinearMove {
public:
    using StepCallback = void (vlkIMoveEvent::*)(TLinearMove*, float, bool*);
    using MoveCallback = void (vlkIMoveEvent::*)(TLinearMove*, float, uint32_t);
    using EndCallback = void (vlkIMoveEvent::*)(TLinearMove*);

    // Done, value 0, no target.
    TLinearMove() = default;
    explicit TLinearMove(vlkIMoveEvent* target) : mTarget(target) {}
    TLinearMove(vlkIMoveEvent* target, float start, float end, uint32_t duration);

    void Set(float start, float end, uint32_t duration);
    void SetDuration(uint32_t duration) { mDuration = duration; }
    void SetCallbacks(StepCallback step, MoveCallback move, EndCallback end);
    void SetTarget(vlkIMoveEvent* target) { mTarget = target; }

    // Runs again from the start value.
    void Start();
    void Update(uint32_t elapsed);

    float GetValue() const { return mValue; }
    float GetStart() const { return mStart; }
    float GetEnd() const { return mEnd; }
    uint32_t GetDuration() const { return mDuration; }
    uint32_t GetElapsed() const { return mElapsed; }
    bool IsDone() const { return mDone != 0; }

private:
    StepCallback mStep = nullptr;
    MoveCallback mMove = nullptr;
    EndCallback mEndCallback = nullptr;
    uint8_t mDone = 1;
    uint32_t mDuration = 0;
    uint32_t mElapsed = 0;
    float mStart = 0.0f;
    float mEnd = 0.0f;
    float mValue = 0.0f;
    // Units per millisecond.
    float mRate = 0.0f;
    vlkIMoveEvent* mTarget = nullptr;
};
