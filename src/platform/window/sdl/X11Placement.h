#pragma once

#include <SDL_video.h>

#include <optional>

namespace platform {

// Where a window really is on an X server, and moving it there by hand.
// SDL's desktop full screen on X11 only asks the window manager for it
// (_NET_WM_STATE_FULLSCREEN); with no window manager that handles the
// request, nothing moves while SDL already reports the display's size.
// These helpers let the main window check and mend that. All of them answer
// "no" (or do nothing) for windows that are not on X11.
struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool Covers(const WindowRect& other) const {
        return x <= other.x && y <= other.y && x + width >= other.x + other.width &&
               y + height >= other.y + other.height;
    }
    bool operator==(const WindowRect&) const = default;
};

// Whether the window lives on an X server.
bool IsX11Window(SDL_Window* window);

// Whether a running window manager announces that it handles full-screen
// requests (the root window's _NET_SUPPORTED list names the state).
bool X11ManagerHandlesFullScreen(SDL_Window* window);

// The window's inside on the screen, in root-window pixels, as the X
// server has it (not as SDL last heard); empty when not on X11.
std::optional<WindowRect> X11WindowGeometry(SDL_Window* window);

// Moves and sizes the window on the server and waits until the server has
// done it. False when not on X11.
bool X11PlaceWindow(SDL_Window* window, const WindowRect& rect, bool raise);

} // namespace platform
