#pragma once

#include <functional>

// A watcher of the application frame's start-up and shut-down: each step
// that the application main, the platform object and the application object
// take is announced by a short name ("platform", "log", "application" ...),
// and so are the steps of the game's own start ("game config", "fixed
// assets", "start-up script").
// Nothing watches unless a tool or test sets a watcher.
using TStartupTrace = std::function<void(const char* step)>;

void SetStartupTrace(TStartupTrace trace);
void TraceStartup(const char* step);

// When the environment variable CORVALO_STARTUP_TRACE names a file and no
// watcher is set, each step is appended to that file as a line "seconds
// step", the seconds on the monotonic clock (the one every process of the
// machine shares), so that a program that started this one can time it.
// Besides the steps above, the running program announces "first idle" (the
// first idle event) and "first frame" (the first frame presented).
// Once every kTracedFrameStride frames presented, "frames N" (N the frames
// presented so far), so that a program that started this one can count its
// frame rate over any stretch of time.
void TraceStartupToFileFromEnvironment();

constexpr int kTracedFrameStride = 16;

// Called at each frame presented; announces "frames N" to the watcher at
// every kTracedFrameStride-th frame, and nothing when nobody watches.
void TracePresentedFrame();
