#pragma once

#include <cstdint>

// The main window's rules that need no window (TMainWindow.cpp): the
// platform's CreateMainWindow, WindowProcedure and desktop services are
// members of TPlatform.

// The hit test of the main window: the size box and the maximise button
// with every border become nowhere (0), so the mouse can neither resize nor
// maximise the window; other codes pass unchanged.
intptr_t FilterHitTest(intptr_t code);
