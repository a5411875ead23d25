#pragma once

#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/window/sdl/SdlWindow.h"

#include <cstdio>
#include <memory>

// A 1024 x 768 window with the renderer's own GL display on it, set up as
// the game sets it up, for the benchmarks that draw through the draw front.
// Members go in reverse order: the renderer before the graphics system,
// the graphics system before the window.
struct DrawFrontDisplay {
    platform::SdlWindow window;
    std::unique_ptr<platform::GlGraphicsSystem> system;
    TRenderer renderer;

    // Opens the window (no vertical sync), the display and the draw front's
    // screen rectangle; says on standard output what failed, under label.
    bool Open(const char* caption, const char* label) {
        platform::WindowSpec spec;
        spec.caption = caption;
        spec.width = 1024;
        spec.height = 768;
        if (!window.Create(spec) || !window.HasGlContext()) {
            std::printf("  %s: no window with a GL context: %s\n", label,
                        window.LastError().c_str());
            return false;
        }
        window.SetSwapInterval(0);
        system = std::make_unique<platform::GlGraphicsSystem>(window);
        renderer.AttachWindow(&window, nullptr);
        TDXContextEnvironment environment;
        environment.system = system.get();
        environment.pqGiven = true;
        renderer.AttachGraphics(environment, TDisplayHost{});
        if (!renderer.SetDisplay(1024, 768, false, true, true, true)) {
            std::printf("  %s: no display\n", label);
            return false;
        }
        TGraphics::Get()->PushClipRect(TRect(0, 0, 1024, 768));
        return true;
    }
};
