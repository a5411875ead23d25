#pragma once

#include "framework/graphics/TRenderer.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/window/sdl/SdlWindow.h"

#include <memory>
#include <string>

// A window with the renderer's own GL display on it, for the viewers: the
// display as large as the window, windowed, on a desktop of nobody's.
// Members go in reverse order: the renderer before the desktop and the
// graphics system, those before the window.
struct ToolDisplay {
    platform::SdlWindow window;
    std::unique_ptr<platform::GlGraphicsSystem> system;
    platform::NullDesktop desktop;
    TRenderer renderer;

    // Opens the window and the display; on failure says why in error.
    bool Open(const platform::WindowSpec& spec, std::string& error) {
        if (!window.Create(spec) || !window.HasGlContext()) {
            error = "no window with a GL context: " + window.LastError();
            return false;
        }
        system = std::make_unique<platform::GlGraphicsSystem>(window);
        renderer.AttachWindow(&window, &desktop);
        TDXContextEnvironment environment;
        environment.system = system.get();
        environment.desktop = &desktop;
        environment.pqGiven = true;
        renderer.AttachGraphics(environment, TDisplayHost{});
        if (!renderer.SetDisplay(spec.width, spec.height, false, false, true, false)) {
            error = "no GL display";
            return false;
        }
        return true;
    }
};
