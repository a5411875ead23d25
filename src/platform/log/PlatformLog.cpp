#include "platform/log/PlatformLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace platform {

namespace {

void WriteToStandardError(const char* line) {
    std::fprintf(stderr, "%s\n", line);
}

std::atomic<LogSink> gSink{nullptr};

} // namespace

LogSink SetLogSink(LogSink sink) {
    LogSink previous = gSink.exchange(sink);
    return previous ? previous : &WriteToStandardError;
}

void PlatformLog(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    LogSink sink = gSink.load();
    (sink ? sink : &WriteToStandardError)(line);
}

} // namespace platform
