#pragma once

#include "platform/graphics/GraphicsResult.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Failures made to order, for tests of the display code's recovery paths.
// Every operation of the graphics back ends (null and GL) reports itself here
// by its name ("BeginScene", "Lock", "CreateSurface", "Present", ...) before
// it runs; a matching rule makes it return the given code instead, or marks
// every surface of the display lost first. Calls are counted from the moment
// a rule is added: FailCall("BeginScene", 2, DDERR_SURFACELOST) fails the
// second BeginScene from now. Any thread.
class GraphicsFaults {
public:
    // Only the nth call from now returns the code.
    void FailCall(const std::string& operation, uint32_t nth, GfxResult code);
    // The nth call from now and every later one return the code.
    void FailFrom(const std::string& operation, uint32_t nth, GfxResult code);
    // Before the nth call from now runs, every surface is marked lost (the
    // call then fails the way a lost surface makes it fail).
    void LoseSurfacesAt(const std::string& operation, uint32_t nth);
    // Drops every rule; counts go on.
    void ClearRules();

    // Calls of the operation since the start.
    uint32_t Calls(const std::string& operation) const;

    // For the back ends: counts the call and returns the injected code, or
    // kGfxOk to go on.
    GfxResult Enter(const char* operation);
    // Called when a rule loses the surfaces; set by the display.
    void SetLoseSurfaces(std::function<void()> lose);
    // Run with the operation's name at every Enter, before anything else
    // (the GL back end checks its thread here).
    void SetEntryCheck(void (*check)(const char* operation)) { mEntryCheck = check; }

private:
    struct Rule {
        std::string operation;
        uint32_t atCall = 0;
        bool onwards = false;
        bool lose = false;
        GfxResult code = kGfxOk;
    };

    void Add(const std::string& operation, uint32_t nth, bool onwards, bool lose, GfxResult code);

    mutable std::mutex mMutex;
    std::map<std::string, uint32_t, std::less<>> mCalls;
    std::vector<Rule> mRules;
    std::function<void()> mLose;
    std::atomic<void (*)(const char*)> mEntryCheck{nullptr};
};

} // namespace platform
