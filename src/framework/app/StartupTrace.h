#pragma once

#include <functional>

// A watcher of the application frame's start-up and shut-down: each step
// that the application main, the platform object and the application object
// take is announced by a short name ("platform", "log", "application" ...).
// Nothing watches unless a tool or test sets a watcher.
using TStartupTrace = std::function<void(const char* step)>;

void SetStartupTrace(TStartupTrace trace);
void TraceStartup(const char* step);
