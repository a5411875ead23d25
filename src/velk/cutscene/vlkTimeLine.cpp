#include "velk/cutscene/vlkTimeLine.h"

vlkTimeLine::vlkTimeLine(vlkITimeLine* listener) : mListener(listener) {}

void vlkTimeLine::Start() {
    mIndex = 0;
    mTime = 0;
    mRunning = true;
}

bool vlkTimeLine::Advance(uint32_t dt) {
    if (!mRunning)
        return false;
    mTime += dt;
    if (mIndex >= mTimes.size())
        return false;
    bool reached = false;
    while (mTime >= mTimes[mIndex]) {
        reached = true;
        const uint32_t index = mIndex;
        ++mIndex;
        // The listener may seek or clear the time line from inside.
        if (mListener && mOnEvent)
            (mListener->*mOnEvent)(this, index);
        if (mIndex >= mTimes.size()) {
            if (!mRunning)
                return true;
            if (mListener && mOnEnd)
                (mListener->*mOnEnd)(this);
            mRunning = false;
            return true;
        }
        if (!mRunning)
            return true;
    }
    return reached;
}

bool vlkTimeLine::Seek(uint32_t index) {
    if (index >= mTimes.size())
        return false;
    mIndex = index;
    mTime = mTimes[index];
    return true;
}

void vlkTimeLine::Pass() {
    if (!mRunning || mIndex >= mTimes.size())
        return;
    ++mIndex;
    if (mIndex < mTimes.size())
        return;
    if (mListener && mOnEnd)
        (mListener->*mOnEnd)(this);
    mRunning = false;
}

void vlkTimeLine::Clear() {
    mTimes.clear();
    mIndex = 0;
    mTime = 0;
    mRunning = false;
}
