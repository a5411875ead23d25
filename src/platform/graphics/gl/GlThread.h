#pragma once

namespace platform {

// A GL context belongs to the thread that made it current: every GL call
// of the back end must come from that thread (the main thread). The GL
// graphics system binds the thread when it is made; debug builds check it
// at each entry of the back end and stop the program, naming the
// operation, when another thread gets there. Release builds check nothing.
void BindGlThread();
void CheckGlThread(const char* operation);

} // namespace platform
