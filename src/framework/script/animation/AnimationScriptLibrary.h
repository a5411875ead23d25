#pragma once

#include <cstddef>

// The animation library "ganimationscript", run in every animated sprite's
// script state before the animation's own script. It builds frame-by-frame
// playing (frames, loop, delay, showFrame, pause), alpha fades (fadeout,
// fadein, setAlpha), nested animations (run) and control (die, halt, stop,
// isPlaying, random) on the sprite's native functions. Frame numbers count
// from 1; the frame delay starts at 16 ms.
extern const char kAnimationScriptLibrary[];
extern const size_t kAnimationScriptLibrarySize;
// The chunk name the library is loaded under.
extern const char kAnimationScriptLibraryName[];
