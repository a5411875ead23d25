#include "platform/graphics/GraphicsFaults.h"

namespace platform {

void GraphicsFaults::Add(const std::string& operation, uint32_t nth, bool onwards, bool lose,
                         GfxResult code) {
    std::lock_guard lock(mMutex);
    const auto found = mCalls.find(operation);
    const uint32_t base = found == mCalls.end() ? 0 : found->second;
    mRules.push_back({operation, base + (nth == 0 ? 1 : nth), onwards, lose, code});
}

void GraphicsFaults::FailCall(const std::string& operation, uint32_t nth, GfxResult code) {
    Add(operation, nth, false, false, code);
}

void GraphicsFaults::FailFrom(const std::string& operation, uint32_t nth, GfxResult code) {
    Add(operation, nth, true, false, code);
}

void GraphicsFaults::LoseSurfacesAt(const std::string& operation, uint32_t nth) {
    Add(operation, nth, false, true, kGfxOk);
}

void GraphicsFaults::ClearRules() {
    std::lock_guard lock(mMutex);
    mRules.clear();
}

uint32_t GraphicsFaults::Calls(const std::string& operation) const {
    std::lock_guard lock(mMutex);
    const auto found = mCalls.find(operation);
    return found == mCalls.end() ? 0 : found->second;
}

void GraphicsFaults::SetLoseSurfaces(std::function<void()> lose) {
    std::lock_guard lock(mMutex);
    mLose = std::move(lose);
}

GfxResult GraphicsFaults::Enter(const char* operation) {
    if (const auto check = mEntryCheck.load())
        check(operation);
    std::function<void()> lose;
    GfxResult result = kGfxOk;
    {
        std::lock_guard lock(mMutex);
        auto found = mCalls.find(operation);
        if (found == mCalls.end())
            found = mCalls.emplace(operation, 0).first;
        const uint32_t call = ++found->second;
        for (const Rule& rule : mRules) {
            if (rule.operation != operation)
                continue;
            const bool hit = rule.onwards ? call >= rule.atCall : call == rule.atCall;
            if (!hit)
                continue;
            if (rule.lose)
                lose = mLose;
            else if (result == kGfxOk)
                result = rule.code;
        }
    }
    // Outside the lock: losing surfaces does not call back in here.
    if (lose)
        lose();
    return result;
}

} // namespace platform
