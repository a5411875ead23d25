#include "velk/motion/TLinearMove.h"

void vlkIMoveEvent::OnMoveStep(TLinearMove*, float, bool*) {}
void vlkIMoveEvent::OnMove(TLinearMove*, float, uint32_t) {}
void vlkIMoveEvent::OnMoveEnd(TLinearMove*) {}

TLinearMove::TLinearMove(vlkIMoveEvent* target, float start, float end, uint32_t duration)
    : mDuration(duration), mStart(start), mEnd(end), mValue(start), mTarget(target) {}

void TLinearMove::Set(float start, float end, uint32_t duration) {
    mStart = start;
    mEnd = end;
    mDuration = duration;
}

void TLinearMove::SetCallbacks(StepCallback step, MoveCallback move, EndCallback end) {
    mStep = step;
    mMove = move;
    mEndCallback = end;
}

void TLinearMove::Start() {
    mDone = 0;
    mElapsed = 0;
    mValue = mStart;
    mRate = mDuration == 0 ? 0.0f : (mEnd - mStart) / static_cast<float>(mDuration);
}

void TLinearMove::Update(uint32_t elapsed) {
    if (mDone) {
        return;
    }
    mElapsed += elapsed;
    bool accept = true;
    float value = static_cast<float>(static_cast<int32_t>(mElapsed)) * mRate + mStart;
    if ((mRate > 0.0f && value >= mEnd) || (mRate < 0.0f && value <= mEnd)) {
        mDone = 1;
        value = mEnd;
    }
    if (mTarget && mStep) {
        (mTarget->*mStep)(this, value, &accept);
        if (!accept) {
            return;
        }
    }
    mValue = value;
    if (mTarget && mMove) {
        (mTarget->*mMove)(this, value, mElapsed);
    }
    // Last: the target may start the move again from here.
    if (mDone && mTarget && mEndCallback) {
        (mTarget->*mEndCallback)(this);
    }
}
