#pragma once

#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/process/DriverLeaks.h"
#include "platform/window/sdl/SdlWindow.h"

#include <algorithm>
#include <memory>
#include <string>

// The viewers open a GL window as the game does, so a sanitizer build's
// leak checker takes the game's list of driver and desktop-bus libraries
// whose allocations outlive the window. Include this header in the viewer's
// one source file (the hook must be in the program itself).
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return platform::DriverLeakSuppressions();
}

// The checkerboard the viewers draw under what they show, so that
// transparent parts can be seen: squares of that side in two greys.
inline void DrawCheckerboard(TGraphics* graphics, int32_t width, int32_t height, int32_t square,
                             const TColor& light, const TColor& dark) {
    for (int32_t y = 0; y < height; y += square)
        for (int32_t x = 0; x < width; x += square) {
            const bool isLight = ((x / square) + (y / square)) % 2 == 0;
            graphics->FillRect(TRect(x, y, x + square, y + square), isLight ? light : dark);
        }
}

// A window with the renderer's own GL display on it, for the viewers: the
// display as large as the window, windowed, on a desktop of nobody's.
// Members go in reverse order: the renderer before the desktop and the
// graphics system, those before the window.
struct ToolDisplay {
    platform::SdlWindow window;
    std::unique_ptr<platform::GlGraphicsSystem> system;
    platform::NullDesktop desktop;
    TRenderer renderer;

    // Opens the window and the display; on failure says why in error. A
    // window that would not fit on the desktop with its frame (a windowed
    // display must) is made smaller: spec then holds the size it got, and
    // the viewer scales its picture by FitScale.
    bool Open(platform::WindowSpec& spec, std::string& error) {
        if (!window.Create(spec) || !window.HasGlContext()) {
            error = "no window with a GL context: " + window.LastError();
            return false;
        }
        system = std::make_unique<platform::GlGraphicsSystem>(window);
        FitOnDesktop(spec);
        renderer.AttachWindow(&window, &desktop);
        TDXContextEnvironment environment;
        environment.system = system.get();
        environment.desktop = &desktop;
        environment.pqGiven = true;
        renderer.AttachGraphics(environment, TDisplayHost{});
        if (!renderer.SetDisplay(spec.width, spec.height, false, false, true, false)) {
            error = "no GL display of " + std::to_string(spec.width) + "x" +
                    std::to_string(spec.height);
            return false;
        }
        return true;
    }

    // The scale (at most 1) that brings a scene of width x height into the
    // window the display got.
    static float FitScale(const platform::WindowSpec& spec, float width, float height) {
        float scale = 1.0f;
        if (width > static_cast<float>(spec.width))
            scale = static_cast<float>(spec.width) / width;
        if (height * scale > static_cast<float>(spec.height))
            scale = static_cast<float>(spec.height) / height;
        return scale;
    }

private:
    void FitOnDesktop(platform::WindowSpec& spec) {
        int32_t desktopWidth = 0;
        int32_t desktopHeight = 0;
        system->GetDesktopSize(desktopWidth, desktopHeight);
        platform::FrameBorders borders;
        if (!system->GetFrameBorders(borders))
            borders = platform::FrameBorders();
        const int32_t width = desktopWidth - borders.edgeX - borders.frameX;
        const int32_t height = desktopHeight - borders.edgeY - borders.frameY - borders.caption;
        if (width <= 0 || height <= 0 || (spec.width <= width && spec.height <= height))
            return;
        spec.width = std::min(spec.width, width);
        spec.height = std::min(spec.height, height);
        window.SetClientSize(spec.width, spec.height);
    }
};
