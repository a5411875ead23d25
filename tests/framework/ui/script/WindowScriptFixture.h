#pragma once

// A window manager with its window script over a screen, as the game has
// them, on the null display with a hand-moved clock; the working directory
// is a fresh folder whose "assets/" holds the scripts a test writes, and
// the debug log is written there.

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/log/TLog.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/WidgetFixture.h"
#include "framework/ui/window/TScreen.h"

#include <lauxlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

class WindowScriptFixture : public NullWidgetDisplay {
protected:
    void SetUp() override {
        NullWidgetDisplay::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        mPrevious = std::filesystem::current_path();
        std::filesystem::current_path(mFiles.Path());
        ClearNameRegistry();
        ClearPackList();
        SetAssetsFolder("assets");
        StartLog((mFiles.Path() / "log").c_str());
        manager = std::make_unique<TWindowManager>();
        auto owned = std::make_unique<TestWindowHost>();
        host = owned.get();
        host->readyToDraw = false;
        manager->SetHost(std::move(owned));
        script = new TWindowScript(nullptr);
        manager->Init(script);
        screen = static_cast<TScreen*>(TScreen::Create());
        manager->SetMainWindow(screen);
        screen->SetSize(800, 600);
    }
    void TearDown() override {
        manager.reset();
        if (!mPrevious.empty()) {
            StartLog(nullptr);
            ClearNameRegistry();
            std::filesystem::current_path(mPrevious);
        }
        NullWidgetDisplay::TearDown();
    }

    // A file under "assets/".
    void Write(const std::string& name, const std::string& text) {
        mFiles.Write("assets/" + name, text);
    }
    bool Run(const std::string& source) { return script->DoLuaString(source.c_str()); }
    // Starts the screen coroutine from a main script that returns it.
    void StartMain(const std::string& body) {
        Write("scripts/main.lua", "return function()\n" + body + "\nend\n");
        // The game finds its scripts under their names in the assets folder.
        ScanAssetFolder("assets", "");
        ASSERT_TRUE(script->DoFile("scripts/main.lua")) << Log();
    }
    // One event of the game loop: windows closed during the last event go,
    // the manager's messages are delivered.
    void Pump(int times = 1) {
        for (int i = 0; i < times; ++i)
            manager->HandleEvent(MakeTestEvent(kEventIdle));
    }
    // Moves the clock and runs the application's tasks once.
    void Tick(uint32_t ms) {
        rig.time.Advance(ms);
        host->tasks.RunAll(0);
    }
    std::string Global(const char* name) {
        lua_State* state = script->GetState();
        lua_getglobal(state, name);
        const char* value = lua_tostring(state, -1);
        std::string text = value ? value : luaL_typename(state, -1);
        if (lua_isboolean(state, -1))
            text = lua_toboolean(state, -1) ? "true" : "false";
        lua_pop(state, 1);
        return text;
    }
    // The value of a Lua expression as text ("nil" for nil).
    std::string Eval(const std::string& expression) {
        EXPECT_TRUE(Run("gEval = " + expression)) << expression << "\n" << Log();
        return Global("gEval");
    }
    std::string Log() const {
        std::ifstream in(mFiles.Path() / "log" / "logfile.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    size_t Mark() const { return Log().size(); }
    std::string LogSince(size_t mark) const {
        std::string log = Log();
        return mark < log.size() ? log.substr(mark) : std::string();
    }
    TWindow* Find(const char* name) const { return screen->FindChild(name, true); }
    TWindow* Top() const { return manager->GetTopModal(); }

    soundtest::NullRig rig;
    support::TempFolder mFiles{"corvalo-winscript-"};
    TAssetManager mAssets;
    std::filesystem::path mPrevious;
    std::unique_ptr<TWindowManager> manager;
    TestWindowHost* host = nullptr;
    TWindowScript* script = nullptr;
    TScreen* screen = nullptr;
};
