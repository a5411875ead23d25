#pragma once

#include "platform/window/Window.h"

namespace platform {

// The program's window icon, drawn in code: a white card with rounded
// corners and a dark edge, a red diamond in its middle. 32 by 32 pixels.
WindowIcon ProgramIcon();

} // namespace platform
