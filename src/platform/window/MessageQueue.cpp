#include "platform/window/MessageQueue.h"

#include <algorithm>

namespace platform {

namespace {

int64_t MsUntil(uint32_t due, uint32_t now) {
    return std::max<int64_t>(0, static_cast<int32_t>(due - now));
}

} // namespace

void MessageQueue::PostQuit(int32_t exitCode) {
    mQuitPending = true;
    mQuitCode = exitCode;
}

void MessageQueue::SetTimer(uint32_t id, uint32_t intervalMs, uint32_t now) {
    uint32_t interval = std::max<uint32_t>(intervalMs, 1);
    mTimers[id] = Timer{interval, now + interval};
}

bool MessageQueue::KillTimer(uint32_t id) {
    return mTimers.erase(id) > 0;
}

bool MessageQueue::TakeQueued(WindowMessage& message, uint32_t now) {
    if (mQueued.empty())
        mTranslator.Poll(now, mQueued);
    if (mQueued.empty())
        return false;
    message = mQueued.front();
    mQueued.pop_front();
    return true;
}

bool MessageQueue::TakeLowPriority(WindowMessage& message, uint32_t now) {
    if (mQuitPending) {
        mQuitPending = false;
        message = WindowMessage{};
        message.message = kWmQuit;
        message.wParam = static_cast<uintptr_t>(static_cast<uint32_t>(mQuitCode));
        message.time = now;
        return true;
    }
    if (mTranslator.PaintPending()) {
        message = mTranslator.TakePaint(now);
        return true;
    }
    for (auto& [id, timer] : mTimers) {
        if (MsUntil(timer.due, now) == 0) {
            timer.due = now + timer.interval;
            message = WindowMessage{};
            message.message = kWmTimer;
            message.wParam = id;
            message.time = now;
            return true;
        }
    }
    return false;
}

bool MessageQueue::HasReady(uint32_t now) const {
    return !mQueued.empty() || mQuitPending || mTranslator.PaintPending() || MsUntilDue(now) == 0;
}

int64_t MessageQueue::MsUntilDue(uint32_t now) const {
    int64_t soonest = mTranslator.MsUntilDue(now);
    for (const auto& [id, timer] : mTimers) {
        int64_t left = MsUntil(timer.due, now);
        soonest = soonest < 0 ? left : std::min(soonest, left);
    }
    return soonest;
}

void MessageQueue::Clear() {
    mQueued.clear();
    mQuitPending = false;
    mTimers.clear();
    mTranslator = InputTranslator{};
}

} // namespace platform
