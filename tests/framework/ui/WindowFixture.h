#pragma once

// Windows that record what happens to them, a host for a manager made
// without an application, and a Lua state for styles written as table
// literals.

#include "framework/core/system/TEvent.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/script/host/TScript.h"
#include "framework/script/message/TMessage.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/ui/manager/TWindowHost.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/window/TModalWindow.h"
#include "framework/ui/window/TWindow.h"
#include "framework/ui/window/TWindowStyle.h"

#include <lua.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A window that writes each call it gets into a shared log as
// "name:call(x,y)", and answers the calls it is told to handle.
class RecordingWindow : public TWindow {
public:
    RecordingWindow(const char* name, std::vector<std::string>& log, TRect rect = TRect())
        : TWindow(name), mLog(log) {
        mRect = rect;
    }

    // Calls of these names answer true.
    std::vector<std::string> handles;

    bool OnMouseDown(TPoint p) override { return Note("down", p); }
    bool OnMouseUp(TPoint p) override { return Note("up", p); }
    bool OnMouseMove(TPoint p) override { return Note("move", p); }
    bool OnMouseExit() override { return Note("exit"); }
    bool OnChar(char c) override { return Note("char", TPoint(c, 0)); }
    bool OnText(const TString& text) override {
        return Note("text", TPoint(static_cast<int32_t>(text.Length()), 0));
    }
    bool OnKeyDown(int8_t key, uint32_t modifiers) override {
        return Note("key", TPoint(key, static_cast<int32_t>(modifiers)));
    }
    void OnFocusGained(TWindow* previous) override {
        mLog.push_back(GetName().ToStd() + ":focus<" +
                       (previous ? previous->GetName().ToStd() : std::string("null")) + ">");
    }
    bool OnMessage(TMessage*) override { return Note("message"); }
    void OnModalPopped() override { mLog.push_back(GetName().ToStd() + ":popped"); }
    bool OnAnimate() override {
        ++animations;
        return keepAnimating;
    }
    void Draw() override { mLog.push_back(GetName().ToStd() + ":draw"); }
    void DrawOverlay() override { mLog.push_back(GetName().ToStd() + ":overlay"); }
    bool OnAttached() override {
        mLog.push_back(GetName().ToStd() + ":attached");
        return attachAnswer;
    }

    void AddFlags(uint32_t flags) { mFlags |= flags; }
    void Destroy() { DeleteThis(1); }

    int animations = 0;
    bool keepAnimating = true;
    bool attachAnswer = true;

protected:
    ~RecordingWindow() override { mLog.push_back(GetName().ToStd() + ":deleted"); }

private:
    bool Note(const char* call, TPoint p = TPoint()) {
        mLog.push_back(GetName().ToStd() + ":" + call + "(" + std::to_string(p.x) + "," +
                       std::to_string(p.y) + ")");
        for (const std::string& name : handles) {
            if (name == call)
                return true;
        }
        return false;
    }
    std::vector<std::string>& mLog;
};

// A modal window that records its focus calls and deletion.
class RecordingModal : public TModalWindow {
public:
    RecordingModal(const char* name, std::vector<std::string>& log, TRect rect = TRect())
        : mLog(log) {
        mName = name;
        mRect = rect;
    }
    void OnModalPopped() override { mLog.push_back(GetName().ToStd() + ":popped"); }
    void Draw() override { mLog.push_back(GetName().ToStd() + ":draw"); }

protected:
    ~RecordingModal() override { mLog.push_back(GetName().ToStd() + ":deleted"); }

private:
    std::vector<std::string>& mLog;
};

// Takes every untargeted message and writes down its type and name.
class MessageRecorder : public TMessageHandler {
public:
    explicit MessageRecorder(std::vector<std::string>& seen) : mSeen(seen) {}
    bool HandleMessage(TMessage* message) override {
        mSeen.push_back(std::to_string(message->GetType()) + ":" + message->GetName().ToStd());
        return true;
    }

private:
    std::vector<std::string>& mSeen;
};

// The application's part for a manager made without one.
class TestWindowHost : public TWindowHost {
public:
    void PostQuit(int code) override { quits.push_back(code); }
    bool IsReadyToDraw() const override { return readyToDraw; }
    bool IsDisplayReady() const override { return readyToDraw; }
    TTaskList* GetTaskList() const override { return &tasks; }
    int GetMouseMode() const override { return mouseMode; }
    bool IsForeground() const override { return foreground; }
    bool KeepsFrontRateInBackground() const override { return fullRate; }
    TString GetClipboardString() override { return clipboard; }
    void GetDisplayMode(int& width, int& height, bool& fullScreen) const override {
        width = displayWidth;
        height = displayHeight;
        fullScreen = false;
    }
    const TStringTable* GetStringTable() const override { return strings; }

    std::vector<int> quits;
    bool readyToDraw = true;
    int mouseMode = 0;
    bool foreground = true;
    bool fullRate = false;
    TString clipboard;
    const TStringTable* strings = nullptr;
    int displayWidth = 1024;
    int displayHeight = 768;
    mutable TTaskList tasks;
};

inline TEvent MakeTestEvent(uint32_t type, int32_t x = 0, int32_t y = 0, int32_t code = 0,
                            uint32_t modifiers = 0) {
    TEvent event;
    MakeEvent(event, type, x, y, code, modifiers);
    return event;
}

// A script state in which window tables are written as Lua literals.
class LuaStyles {
public:
    LuaStyles() : mScript(std::make_unique<TScript>(nullptr)) {}

    lua_State* State() const { return mScript->GetState(); }
    bool Run(const std::string& source) { return mScript->DoLuaString(source.c_str()); }
    // A table made from a Lua expression ("{ x = 1 }").
    std::unique_ptr<TLuaTable> Table(const std::string& expression) {
        EXPECT_TRUE(Run("gTestTable = " + expression));
        lua_getglobal(State(), "gTestTable");
        return std::make_unique<TLuaTable>(State());
    }

private:
    std::unique_ptr<TScript> mScript;
};

// A window manager with a test host (that does not draw until told) and its
// window script, as the application sets them up.
inline std::unique_ptr<TWindowManager> MakeTestManager(TestWindowHost*& host,
                                                       TWindowScript*& script) {
    auto manager = std::make_unique<TWindowManager>();
    auto owned = std::make_unique<TestWindowHost>();
    host = owned.get();
    host->readyToDraw = false;
    manager->SetHost(std::move(owned));
    script = new TWindowScript(nullptr);
    manager->Init(script);
    return manager;
}
