#include "framework/graphics/display/DxError.h"

#include "framework/core/log/TLog.h"

#include <mutex>

namespace {

std::mutex gHandlerLock;
std::function<void()> gOutOfVideoMemory;

} // namespace

void SetOutOfVideoMemoryHandler(std::function<void()> handler) {
    std::lock_guard lock(gHandlerLock);
    gOutOfVideoMemory = std::move(handler);
}

void LogDxError(platform::GfxResult code, const char* source, int line) {
    if (code == platform::DDERR_OUTOFVIDEOMEMORY) {
        std::function<void()> handler;
        {
            std::lock_guard lock(gHandlerLock);
            handler = gOutOfVideoMemory;
        }
        if (handler)
            handler();
    }
    // The first field has always been left empty; the code carries the cause.
    LogPrintf("DX Error: %s (0x%x), File %s, Line %d", "", static_cast<unsigned>(code), source,
              line);
}
