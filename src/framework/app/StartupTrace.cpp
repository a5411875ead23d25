#include "framework/app/StartupTrace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
TStartupTrace& Trace() {
    static TStartupTrace* const trace = new TStartupTrace;
    return *trace;
}
} // namespace

void SetStartupTrace(TStartupTrace trace) {
    Trace() = std::move(trace);
}

void TraceStartup(const char* step) {
    if (Trace()) {
        Trace()(step);
    }
}

void TracePresentedFrame() {
    static long long presented = 0;
    ++presented;
    if (!Trace() || presented % kTracedFrameStride != 0) {
        return;
    }
    char step[32];
    std::snprintf(step, sizeof step, "frames %lld", presented);
    Trace()(step);
}

void TraceStartupToFileFromEnvironment() {
    const char* path = std::getenv("CORVALO_STARTUP_TRACE");
    if (!path || !*path || Trace()) {
        return;
    }
    std::FILE* file = std::fopen(path, "a");
    if (!file) {
        std::fprintf(stderr, "CORVALO_STARTUP_TRACE: cannot write %s\n", path);
        return;
    }
    SetStartupTrace([file](const char* step) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(file, "%lld.%09ld %s\n", static_cast<long long>(now.tv_sec), now.tv_nsec,
                     step);
        std::fflush(file);
    });
}
