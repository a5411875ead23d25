#include "framework/ui/script/TWindowScript.h"

#include "framework/core/log/TLog.h"
#include "framework/script/engine/LuaState.h"
#include "framework/script/message/ScriptQueues.h"
#include "framework/script/message/TLuaMessage.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/movie/TMoviePlayer.h"
#include "framework/ui/script/ScreenInitLibrary.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TSlider.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/widgets/TTextEdit.h"
#include "framework/ui/window/TWindowStyle.h"

#include <lauxlib.h>
#include <lua.h>

TWindowScript::TWindowScript(lua_State* state) : TScript(state) {
    lua_State* main = GetMainState();
    if (!main)
        return;
    RegisterFunctions();
    RegisterWindowType("Slider", TSlider::GetCreator());
    RegisterWindowType("Bitmap", TImage::GetCreator());
    RegisterWindowType("Button", TButton::GetCreator());
    RegisterWindowType("Text", TText::GetCreator());
    RegisterWindowType("TextEdit", TTextEdit::GetCreator());
    RegisterWindowType("Window", TWindow::GetCreator());
    LuaOpenMessages(main);
    const int top = lua_gettop(main);
    LuaDoBuffer(main, kScreenInitLibrary, kScreenInitLibrarySize, kScreenInitLibraryName);
    lua_settop(main, top);
}

TWindowScript::~TWindowScript() {
    StopMovie();
    if (lua_State* main = GetMainState())
        lua_gc(main, LUA_GCCOLLECT, 0);
    mWindowTypes.clear();
    mWindows.clear();
}

void TWindowScript::UpdateMovie() {
    lua_State* main = GetMainState();
    if (!mMovie || !main)
        return;
    const int top = lua_gettop(main);
    mMovie->Update();
    lua_settop(main, top);
}

void TWindowScript::SetCurrentWindow(TWindow* window) {
    mWindows.clear();
    if (window)
        mWindows.push_back(window);
}

void TWindowScript::PushWindow(TWindow* window) {
    mWindows.push_back(window);
}

void TWindowScript::PopWindow() {
    if (mWindows.size() > 1)
        mWindows.pop_back();
}

void TWindowScript::RegisterWindowType(const TString& typeName, TWindowCreator creator) {
    DoLuaString(
        TString::Format("function %s( table )\tCreating( '%s', table );\ttable.typename='%s';"
                        "\n\treturn function() DoWindow( table ) end end;",
                        typeName.CStr(), typeName.CStr(), typeName.CStr()));
    mWindowTypes[typeName] = creator;
}

TWindowCreator TWindowScript::FindWindowType(const TString& typeName) const {
    auto it = mWindowTypes.find(typeName);
    return it == mWindowTypes.end() ? nullptr : it->second;
}

bool TWindowScript::AttachNewWindow(TWindow* window) {
    lua_State* main = GetMainState();
    TWindow* parent = GetCurrentWindow();
    if (!window)
        return false;
    if (!parent || !main || !lua_istable(main, -1)) {
        LogPrintf("A script window of class %s has no window to go in; not made",
                  window->GetClassName());
        window->DeleteThis(1);
        return false;
    }
    if (!parent->AddChild(window, true)) {
        // The parent refused it: nothing else holds it.
        window->DeleteThis(1);
        return false;
    }
    lua_pushvalue(main, -1);
    auto* table = new TLuaTable(main);
    TWindowStyle style(table);
    window->Init(style);
    PushWindow(window);
    DoLuaString(TString::Format("gDialogWidth = %d; gDialogHeight= %d ;", window->GetWidth(),
                                window->GetHeight()));
    if (mCreationListener)
        mCreationListener->OnWindowCreated(window, style);
    QueueRelease(table);
    return true;
}

// ---- The coroutine

bool TWindowScript::ResumeWith(int values, bool keepResults) {
    lua_State* main = GetMainState();
    if (!main)
        return false;
    const int top = lua_gettop(main) - values;
    mWaitState = kNotWaiting;
    const bool resumed = Resume(values) == 0;
    if (!InCoroutine()) {
        // It ended or failed: nothing waits to be woken by the task list.
        Suspend();
    }
    if (!resumed) {
        mWaitState = kResumeFailed;
        lua_settop(main, top);
        return false;
    }
    if (!keepResults)
        lua_settop(main, top);
    return true;
}

bool TWindowScript::Step() {
    // A timed wake-up: HandleGetMessage gives back nothing.
    if (InCoroutine())
        mWaitState = kNotWaiting;
    return TScript::Step();
}

bool TWindowScript::DeliverMessage(TMessage* message, const TLuaFunction* command) {
    lua_State* main = GetMainState();
    if (!main) {
        delete message;
        return false;
    }
    // 1. Nobody waits in a yield: the script's loop finds them in its queues.
    if (!InCoroutine()) {
        if (message)
            QueueScriptMessage(*this, message);
        if (command)
            QueueScriptCommand(*this, *command);
        return true;
    }
    // 2. Suspended elsewhere (a plain yield): the command runs now; the
    // message has nowhere to go.
    if (mWaitState != kWaitingForMessage) {
        if (command)
            command->Call();
        delete message;
        return false;
    }
    // 3. Waiting for a message: it and the command are what the wait gives.
    lua_checkstack(main, 2);
    if (message && message->IsKindOf(TLuaMessageWrapper::ClassId())) {
        auto* wrapper = static_cast<TLuaMessageWrapper*>(message);
        wrapper->PushObject(main);
        delete wrapper;
    } else {
        PushMessageObject(main, message ? message : new TMessage(TMessage::kCommandOnly, ""));
    }
    int values = 1;
    if (command) {
        command->Push(main);
        ++values;
    }
    ResumeWith(values, false);
    return true;
}

bool TWindowScript::DeliverCall() {
    lua_State* main = GetMainState();
    // Only the wait for messages runs what it is given; a coroutine
    // suspended in a plain yield would drop the call, so it runs now.
    if (!IsWaitingForMessage()) {
        lua_pop(main, 1);
        return false;
    }
    // The closure lies on top; nil goes below it as the wait's message.
    lua_pushnil(main);
    lua_insert(main, -2);
    return ResumeWith(2, true);
}

void TWindowScript::ResumeOnClose() {
    if (!GetMainState() || !InCoroutine())
        return;
    ResumeWith(0, false);
}

bool RunLuaString(const TString& statement) {
    TWindowManager* manager = TWindowManager::Instance();
    TWindowScript* script = manager ? manager->GetScript() : nullptr;
    return script && script->DoLuaString(statement);
}
