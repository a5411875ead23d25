#include "framework/app/StartupTrace.h"

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
