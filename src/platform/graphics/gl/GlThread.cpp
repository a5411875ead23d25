#include "platform/graphics/gl/GlThread.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace platform {

namespace {
std::atomic<std::thread::id> gGlThread{};
}

void BindGlThread() {
    gGlThread = std::this_thread::get_id();
}

void CheckGlThread(const char* operation) {
#ifdef NDEBUG
    (void)operation;
#else
    const std::thread::id owner = gGlThread;
    if (owner != std::thread::id() && owner != std::this_thread::get_id()) {
        std::fprintf(stderr, "GL back end: %s called off the GL thread\n",
                     operation ? operation : "(call)");
        std::abort();
    }
#endif
}

} // namespace platform
