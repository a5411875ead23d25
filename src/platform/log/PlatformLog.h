#pragma once

namespace platform {

// Where the platform layer's own log lines go. The layer sits below the
// framework's debug log, so the application installs a sink that forwards to
// it; until then lines go to standard error. Tests install a sink to read
// them. One line per call, without its newline.
using LogSink = void (*)(const char* line);

// Installs a sink (null puts standard error back) and returns the previous one.
LogSink SetLogSink(LogSink sink);

void PlatformLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace platform
