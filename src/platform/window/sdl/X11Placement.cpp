#include "platform/window/sdl/X11Placement.h"

#include <SDL_syswm.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {

namespace {

struct X11Handles {
    Display* display = nullptr;
    Window window = 0;
};

std::optional<X11Handles> Handles(SDL_Window* window) {
    if (!window)
        return std::nullopt;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 ||
        !info.info.x11.display)
        return std::nullopt;
    return X11Handles{info.info.x11.display, info.info.x11.window};
}

} // namespace

bool IsX11Window(SDL_Window* window) {
    return Handles(window).has_value();
}

bool X11ManagerHandlesFullScreen(SDL_Window* window) {
    const std::optional<X11Handles> x = Handles(window);
    if (!x)
        return false;
    // Only looked up, never made: a server where no manager ever named the
    // atoms has no manager that handles them.
    const Atom supported = XInternAtom(x->display, "_NET_SUPPORTED", True);
    const Atom fullScreen = XInternAtom(x->display, "_NET_WM_STATE_FULLSCREEN", True);
    if (supported == None || fullScreen == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x->display, DefaultRootWindow(x->display), supported, 0, 4096, False,
                           XA_ATOM, &type, &format, &count, &after, &data) != Success)
        return false;
    bool found = false;
    if (data && type == XA_ATOM && format == 32) {
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = atoms[i] == fullScreen;
    }
    if (data)
        XFree(data);
    return found;
}

std::optional<WindowRect> X11WindowGeometry(SDL_Window* window) {
    const std::optional<X11Handles> x = Handles(window);
    if (!x)
        return std::nullopt;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x->display, x->window, &attributes))
        return std::nullopt;
    int rootX = 0, rootY = 0;
    Window child = 0;
    if (!XTranslateCoordinates(x->display, x->window, DefaultRootWindow(x->display), 0, 0, &rootX,
                               &rootY, &child))
        return std::nullopt;
    return WindowRect{rootX, rootY, attributes.width, attributes.height};
}

bool X11PlaceWindow(SDL_Window* window, const WindowRect& rect, bool raise) {
    const std::optional<X11Handles> x = Handles(window);
    if (!x || rect.width <= 0 || rect.height <= 0)
        return false;
    XMoveResizeWindow(x->display, x->window, rect.x, rect.y, static_cast<unsigned>(rect.width),
                      static_cast<unsigned>(rect.height));
    if (raise)
        XRaiseWindow(x->display, x->window);
    XSync(x->display, False);
    return true;
}

} // namespace platform
