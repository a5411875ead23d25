#pragma once

#include <cstdint>
#include <vector>

class vlkTimeLine;

// Told by a time line when it reaches an event and when it reaches its
// last one.
class vlkITimeLine {
public:
    virtual ~vlkITimeLine() = default;
    virtual void OnTimeLineEvent(vlkTimeLine* /*timeLine*/, uint32_t /*index*/) {}
    virtual void OnTimeLineEnd(vlkTimeLine* /*timeLine*/) {}
};

// A list of event times (milliseconds from the start) walked in list order
// as time passes: an event fires once the time has reached it, whatever
// the times of the events before it, so a list out of time order fires its
// late entries right after the earlier ones. Owned by its cut-scene.
class vlkTimeLine {
public:
    using EventHook = void (vlkITimeLine::*)(vlkTimeLine*, uint32_t);
    using EndHook = void (vlkITimeLine::*)(vlkTimeLine*);

    explicit vlkTimeLine(vlkITimeLine* listener = nullptr);

    // The hooks are called on the listener when both are set.
    void SetHooks(EventHook onEvent, EndHook onEnd) {
        mOnEvent = onEvent;
        mOnEnd = onEnd;
    }

    // Index and time 0, running.
    void Start();
    // Moves time on; true when at least one event was reached. The last
    // event ends the run.
    bool Advance(uint32_t dt);
    // The time of that event becomes the time, the event the next one;
    // false (nothing changed) outside the list.
    bool Seek(uint32_t index);
    // Moves past the next event without firing it; passing the last one
    // ends the run as reaching it would.
    void Pass();
    // Stops advancing; the position stays.
    void Stop() { mRunning = false; }
    // No events; index and time 0, not running.
    void Clear();
    void AddTime(uint32_t ms) { mTimes.push_back(ms); }

    uint32_t GetIndex() const { return mIndex; }
    uint32_t GetTime() const { return mTime; }
    bool IsRunning() const { return mRunning; }
    uint32_t GetCount() const { return static_cast<uint32_t>(mTimes.size()); }
    const std::vector<uint32_t>& GetTimes() const { return mTimes; }

private:
    vlkITimeLine* mListener;
    uint32_t mIndex = 0;
    uint32_t mTime = 0;
    bool mRunning = false;
    std::vector<uint32_t> mTimes;
    EventHook mOnEvent = nullptr;
    EndHook mOnEnd = nullptr;
};
