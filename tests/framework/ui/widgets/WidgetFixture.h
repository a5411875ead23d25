#pragma once

// Widgets made as the window script makes them (created, added under a
// dialog, set up from a Lua table literal, then PostInit), with pictures
// and tones of their own, a window manager with its script, a sound
// manager on the null device and a hand-moved clock.

#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/draw/NullDrawFixture.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"
#include "framework/script/message/TMessage.h"
#include "framework/sound/SoundTestSupport.h"
#include "framework/sound/source/TOggDataSource.h"
#include "framework/ui/WindowFixture.h"
#include "framework/ui/script/TWindowScript.h"
#include "platform/graphics/PngWriter.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <lua.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A dialog that writes down each message it is sent as "type:name".
class MessageModal : public TModalWindow {
public:
    explicit MessageModal(std::vector<std::string>& seen) : mSeen(seen) {}
    bool OnMessage(TMessage* message) override {
        mSeen.push_back(std::to_string(message->GetType()) + ":" + message->GetName().ToStd());
        return true;
    }

private:
    std::vector<std::string>& mSeen;
};

// Over the null device (WidgetFixture) or the GL display.
template <typename Base> class WidgetFixtureOn : public Base {
protected:
    void SetUp() override {
        Base::SetUp();
        if (this->IsSkipped() || this->HasFatalFailure())
            return;
        RegisterOggDataSourceBuilder();
        manager = MakeTestManager(host, script);
        manager->AddMessageHandler(new MessageRecorder(sent));
        screen = new MessageModal(sent);
        screen->SetName("screen");
        manager->SetMainWindow(screen);
        screen->SetSize(800, 600);
        manager->SetFocus(nullptr);
    }
    void TearDown() override {
        manager.reset();
        Base::TearDown();
    }

    // A picture of one colour (0xAARRGGBB), or of a colour per pixel.
    std::string Picture(const std::string& name, int32_t width, int32_t height, uint32_t colour) {
        return Picture(name, width, height, [colour](int32_t, int32_t) { return colour; });
    }
    std::string Picture(const std::string& name, int32_t width, int32_t height,
                        const std::function<uint32_t(int32_t, int32_t)>& pixel) {
        const std::string path = (mFiles.Path() / name).string();
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                pixels[static_cast<size_t>(y) * width + x] = pixel(x, y);
        EXPECT_TRUE(platform::WritePngFile(path, pixels.data(), width, height, width)) << path;
        return "::" + path;
    }
    static std::string Tone(const std::string& name) {
        return soundtest::FixtureName(name + ".ogg");
    }

    // A table made from a Lua expression in the window script's state.
    std::unique_ptr<TLuaTable> Table(const std::string& expression) {
        EXPECT_TRUE(script->DoLuaString(("gTestTable = " + expression).c_str())) << expression;
        lua_getglobal(script->GetState(), "gTestTable");
        return std::make_unique<TLuaTable>(script->GetState());
    }
    // A widget made as the window script makes one.
    template <typename T> T* Make(const std::string& fields, TWindow* parent = nullptr) {
        auto* window = static_cast<T*>(T::Create());
        (parent ? parent : screen)->AddChild(window);
        auto table = Table("{" + fields + "}");
        TWindowStyle style(table.get());
        window->Init(style);
        window->PostInit(style);
        return window;
    }

    // The queued messages as "type:name", emptied.
    std::vector<std::string> TakeQueued() {
        std::vector<std::string> queued;
        for (TMessage* message : manager->GetMessageQueue())
            queued.push_back(std::to_string(message->GetType()) + ":" + message->GetName().ToStd());
        // Delivered: the log takes the untargeted ones, the screen the rest.
        manager->DispatchMessages();
        sent.clear();
        return queued;
    }
    // One frame of the manager, which clears the dirty flag.
    void Frame() {
        rig.time.Advance(TWindowManager::kFrameIntervalMs + 1);
        host->readyToDraw = true;
        manager->Draw();
        host->readyToDraw = false;
    }
    std::string Global(const char* name) {
        lua_getglobal(script->GetState(), name);
        const char* value = lua_tostring(script->GetState(), -1);
        std::string text = value ? value : "(nil)";
        lua_pop(script->GetState(), 1);
        return text;
    }

    soundtest::NullRig rig;
    support::TempFolder mFiles{"corvalo-widgets-"};
    TAssetManager mAssets;
    std::vector<std::string> sent;
    std::unique_ptr<TWindowManager> manager;
    TestWindowHost* host = nullptr;
    TWindowScript* script = nullptr;
    MessageModal* screen = nullptr;
};

// The null device with the vector drawer text draws through, as in the
// application.
class NullWidgetDisplay : public NullDrawFixture {
protected:
    TNbMiniVecDraw drawer;
};

using WidgetFixture = WidgetFixtureOn<NullWidgetDisplay>;
