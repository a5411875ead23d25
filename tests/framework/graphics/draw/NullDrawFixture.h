#pragma once

// A renderer with a real display on the null graphics back end (800 x 600,
// 32 bits, windowed) and the draw front over it; the log goes to a
// temporary folder so tests can read it.

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/null/NullDevice.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/process/null/RecordingProcessControl.h"
#include "platform/window/null/NullWindow.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

class NullDrawFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        StartLog(mFolder.Path().string().c_str());
        platform::WindowSpec spec;
        spec.width = 800;
        spec.height = 600;
        ASSERT_TRUE(window.Create(spec));
        renderer.AttachWindow(&window, &desktop);
        TDXContextEnvironment environment;
        environment.system = &system;
        environment.desktop = &desktop;
        environment.pqGiven = true; // no display file
        renderer.AttachGraphics(environment, TDisplayHost{});
        ASSERT_TRUE(renderer.SetDisplay(800, 600, false, false, false, false));
        graphics = TGraphics::Get();
        graphics->SetClock([this] { return clock; });
        graphics->PushClipRect(TRect(0, 0, 800, 600));
    }
    void TearDown() override {
        TGraphics::Destroy();
        StartLog(nullptr);
        ClearSettings();
    }

    platform::NullDevice& Device() {
        return static_cast<platform::NullDevice&>(*renderer.GetDisplaySetup()->GetDevice());
    }
    std::string Log() const { return support::ReadLogText(); }
    bool Logged(const std::string& line) const { return Log().find(line) != std::string::npos; }
    size_t CountLogged(const std::string& line) const {
        const std::string text = Log();
        size_t count = 0;
        for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
            ++count;
        return count;
    }

    support::TempFolder mFolder{"corvalo-draw-"};
    platform::RecordingProcessControl process;
    platform::NullGraphicsSystem system;
    platform::NullDesktop desktop;
    platform::NullWindow window;
    TRenderer renderer;
    TGraphics* graphics = nullptr;
    uint32_t clock = 0;
};
