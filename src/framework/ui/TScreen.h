#pragma once

#include "framework/ui/TWindow.h"

// The full-screen modal window "_screen_" that becomes the window manager's
// main window when the game first sets its display mode.
class TScreen : public TWindow {
public:
    TScreen() : TWindow("_screen_") {}
    bool IsModal() const override { return true; }
};
