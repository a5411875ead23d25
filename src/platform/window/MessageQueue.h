#pragma once

#include "platform/window/InputTranslator.h"
#include "platform/window/WindowMessage.h"

#include <cstdint>
#include <deque>
#include <map>

namespace platform {

// The main window's message queue, shared by the window back ends. Messages
// come out in the order the original system hands them over: queued
// messages (input and posted ones, hover once due) first; when none is left
// the quit request, then one paint for all exposures, then due timers. Owns
// the input translator that fills it. Main thread only.
class MessageQueue {
public:
    InputTranslator& Translator() { return mTranslator; }
    const InputTranslator& Translator() const { return mTranslator; }

    void Translate(const SDL_Event& event, uint32_t now) {
        mTranslator.Translate(event, now, mQueued);
    }
    void Append(const WindowMessage& message) { mQueued.push_back(message); }
    void TrackMouse(uint32_t flags, uint32_t now) { mTranslator.TrackMouse(flags, now, mQueued); }

    void PostQuit(int32_t exitCode);
    // Starts or restarts a timer; its message comes once per interval at
    // most (a late one is not made up for). An interval of 0 counts as 1 ms.
    void SetTimer(uint32_t id, uint32_t intervalMs, uint32_t now);
    bool KillTimer(uint32_t id);

    // The next queued message; false when none is queued or due by time.
    bool TakeQueued(WindowMessage& message, uint32_t now);
    // Quit, paint or a due timer, taken once the input is exhausted.
    bool TakeLowPriority(WindowMessage& message, uint32_t now);
    // Something can be taken without new input.
    bool HasReady(uint32_t now) const;
    // Milliseconds until hover or a timer is due; -1 when nothing is armed.
    int64_t MsUntilDue(uint32_t now) const;
    size_t QueuedCount() const { return mQueued.size(); }

    void Clear();

private:
    struct Timer {
        uint32_t interval;
        uint32_t due;
    };

    InputTranslator mTranslator;
    std::deque<WindowMessage> mQueued;
    bool mQuitPending = false;
    int32_t mQuitCode = 0;
    std::map<uint32_t, Timer> mTimers;
};

} // namespace platform
