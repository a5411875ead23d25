#include "framework/script/host/TScript.h"

#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/LuaWideString.h"
#include "framework/script/engine/TLuaStateUser.h"
#include "framework/script/host/TScriptCode.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"

#include <lauxlib.h>
#include <lua.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

namespace {

const char kScriptGlobal[] = "_SCRIPT";
const char kErrorGlobal[] = "LuaErrorMessage";

// A call that arrives while the coroutine waits is made into a closure
// without arguments; only its first six arguments are kept.
const char kGetClosureSource[] =
    "function GetClosure( f, ... ) return function() return f( arg[1], arg[2], arg[3], "
    "arg[4], arg[5], arg[6] ); end; end";

// DumpTable(t): the table's entries, one per line, nested tables indented
// two blanks deeper and cut off past an indent of 10, handed to DebugOut.
const char kDumpTableSource[] =
    "function _Internal_DumpEntry(key, value, indent)\n"
    "  local text = string.rep(' ', indent) .. tostring(key) .. ' -> '\n"
    "  if type(value) == 'table' then\n"
    "    return text .. '{\\n' .. _Internal_DumpTable(value, indent + 2) ..\n"
    "           string.rep(' ', indent) .. '}\\n'\n"
    "  end\n"
    "  return text .. tostring(value) .. '\\n'\n"
    "end\n"
    "function _Internal_DumpTable(t, indent)\n"
    "  if indent > 10 then return string.rep(' ', indent) .. '...\\n' end\n"
    "  local text = ''\n"
    "  table.foreach(t, function(k, v) text = text .. _Internal_DumpEntry(k, v, indent) end)\n"
    "  return text\n"
    "end\n"
    "function DumpTable(t)\n"
    "  DebugOut('Dump Table: \\n' .. _Internal_DumpTable(t, 0))\n"
    "end\n";

struct SearchPath {
    std::mutex mutex;
    TString path{"assets/?;?;../?;../../?"};
};

SearchPath& TheSearchPath() {
    static SearchPath* const path = new SearchPath;
    return *path;
}

// _ALERT(message): the script error goes to the log. As the error handler
// of the host's protected calls it gives the message back, so the caller
// still sees what went wrong.
int AlertFunction(lua_State* L) {
    if (LuaIsString(L, 1)) {
        LogPrintf("Lua error: %s", LuaValueText(L, 1).CStr());
    } else {
        LogPrintf("Lua error: (error object is a %s value)", LuaTypeName(L, 1));
    }
    lua_settop(L, 1);
    return 1;
}

// DebugOut(text): has no effect in this build.
int DebugOutFunction(lua_State* L) {
    TString text = LuaValueText(L, 1);
    (void)text;
    return 0;
}

// toparams(t): t[1] ... t[n] as n results, n being the table's size.
int ToParamsFunction(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    int count = LuaGetTableLength(L, 1);
    luaL_checkstack(L, count, "too many elements to unpack");
    for (int i = 1; i <= count; ++i) {
        lua_rawgeti(L, 1, i);
    }
    return count;
}

// Runs a built-in chunk on the state; an error goes to "_ALERT".
void RunBuiltIn(lua_State* L, const char* source, const char* name) {
    int top = lua_gettop(L);
    LuaDoBuffer(L, source, std::char_traits<char>::length(source), name);
    lua_settop(L, top);
}

// True while the thread runs, or has resumed another and waits for it: it
// can be neither resumed nor given a new function.
bool IsRunning(lua_State* thread) {
    lua_Debug frame;
    return lua_status(thread) == 0 && lua_getstack(thread, 0, &frame) != 0;
}

} // namespace

TScript::TScript(lua_State* state) : mState(state) {
    Suspend();
    if (!mState) {
        mState = LuaOpenState();
        if (!mState) {
            LogPrintf("TScript: cannot open a Lua state");
            return;
        }
        mOwnsState = true;
        mStateOpen = std::make_shared<bool>(true);
        lua_pushlightuserdata(mState, this);
        lua_setglobal(mState, kScriptGlobal);
    }
    SetUpState();
}

void TScript::SetUpState() {
    // The first script set up on a main state records it, so that wrappers
    // and calls made on its threads find it.
    lua_getfield(mState, LUA_REGISTRYINDEX, "nbMainState");
    bool recorded = !lua_isnil(mState, -1);
    lua_pop(mState, 1);
    if (!recorded) {
        if (lua_pushthread(mState)) {
            lua_pop(mState, 1);
            LuaSetMainState(mState);
        } else {
            lua_pop(mState, 1);
        }
    }
    mMainState = LuaMainState(mState);
    RegisterFunction("_ALERT", AlertFunction);
    RegisterFunction("DebugOut", DebugOutFunction);
    RegisterFunction("toparams", ToParamsFunction);
    RunBuiltIn(mMainState, kDumpTableSource, "=DumpTable");
}

TScript::~TScript() {
    bool open = IsStateOpen();
    for (TLuaObjectWrapper* wrapper : mReleaseQueue) {
        if (!open) {
            wrapper->Detach();
        }
        delete wrapper;
    }
    mReleaseQueue.clear();
    for (TLuaThread* thread : {mCoroutine, mOwningThread}) {
        if (thread && !open) {
            thread->Detach();
        }
        delete thread;
    }
    if (mOwnsState && mState) {
        *mStateOpen = false;
        // The wrappers and bound functions made on the state let go of it
        // before its finalizers run.
        LuaCloseState(mState);
    }
}

TScript* TScript::FromState(lua_State* state) {
    if (!state) {
        return nullptr;
    }
    lua_getglobal(state, kScriptGlobal);
    void* script = lua_touserdata(state, -1);
    lua_pop(state, 1);
    return static_cast<TScript*>(script);
}

TScript* TScript::NewThread() {
    if (!GetState()) {
        return nullptr;
    }
    auto* thread = new TLuaThread(mMainState);
    auto* script = new TScript(thread->GetThreadState());
    script->mOwningThread = thread;
    script->mStateOpen = mStateOpen;
    return script;
}

lua_State* TScript::CoroutineState() const {
    if (!IsStateOpen()) {
        return nullptr;
    }
    if (mOwningThread) {
        return mState;
    }
    return mCoroutine ? mCoroutine->GetThreadState() : nullptr;
}

bool TScript::InCoroutine() const {
    lua_State* coroutine = CoroutineState();
    return coroutine && lua_status(coroutine) == LUA_YIELD;
}

void TScript::QueueRelease(TLuaObjectWrapper* wrapper) {
    if (wrapper) {
        mReleaseQueue.push_back(wrapper);
    }
}

void TScript::ReleaseQueued() {
    // A wrapper's destructor may queue more; those wait for the next call.
    std::vector<TLuaObjectWrapper*> queued;
    queued.swap(mReleaseQueue);
    for (TLuaObjectWrapper* wrapper : queued) {
        delete wrapper;
    }
}

bool TScript::DeliverCall() {
    lua_pop(mMainState, 1);
    return false;
}

int TScript::RunFunction(int arguments, int results) {
    lua_State* L = GetState();
    if (!L || arguments < 0 || lua_gettop(L) < arguments + 1) {
        return kLua50ErrRun;
    }
    ReleaseQueued();
    lua_State* C = mMainState;
    bool moved = L != C;
    if (moved) {
        lua_checkstack(C, arguments + 4);
        lua_xmove(L, C, arguments + 1);
    }
    lua_checkstack(C, 4);
    int base = lua_gettop(C) - arguments;
    int status = 0;
    bool called = false;
    if (InCoroutine() && results >= 0 && results <= 1) {
        lua_getglobal(C, "GetClosure");
        if (lua_isnil(C, -1)) {
            RunBuiltIn(C, kGetClosureSource, "=GetClosure");
            lua_pop(C, 1);
            lua_getglobal(C, "GetClosure");
        }
        lua_insert(C, base);
        lua_getglobal(C, "_ALERT");
        lua_insert(C, base);
        status = lua_pcall(C, arguments + 1, 1, base);
        lua_remove(C, base);
        if (status == 0) {
            // The closure is anchored while it is handed on.
            TLuaFunction closure(C);
            closure.Push(C);
            if (DeliverCall()) {
                // What the coroutine gave back stands for the results.
                lua_settop(C, base - 1 + results);
                called = true;
            } else {
                lua_settop(C, base - 1);
                closure.Push(C);
                arguments = 0;
            }
        } else {
            called = true;
        }
    }
    if (!called) {
        lua_getglobal(C, "_ALERT");
        lua_insert(C, base);
        status = lua_pcall(C, arguments, results, base);
        lua_remove(C, base);
        if (status == 0 && !InCoroutine() && results == 1 && lua_isfunction(C, -1)) {
            StartCoroutine();
        }
    }
    int code = LuaStatusTo50(status);
    if (code == kLua50ErrMem) {
        LuaCollectAfterMemoryError(C);
    }
    if (code != 0 && results >= 2) {
        LogPrintf("TScript::RunFunction failure. Too many return results? (%d, FAILURE CODE %d)",
                  results, code);
    }
    if (moved) {
        // A started coroutine may have put the script on a fresh thread.
        lua_xmove(C, mState, lua_gettop(C) - (base - 1));
    }
    return code;
}

void TScript::StartCoroutine() {
    lua_State* coroutine = nullptr;
    if (mOwningThread) {
        if (IsRunning(mState)) {
            LogPrintf("lua_resume error: %s", "the coroutine is running");
            return;
        }
        // A fresh thread for every coroutine here too: one whose function
        // failed is dead and would refuse the next.
        delete mOwningThread;
        mOwningThread = new TLuaThread(mMainState);
        mState = mOwningThread->GetThreadState();
        coroutine = mState;
    } else {
        // A fresh thread for every coroutine: one that failed cannot run again.
        // One that is running (the call came from inside it) is kept.
        if (mCoroutine && IsRunning(mCoroutine->GetThreadState())) {
            LogPrintf("lua_resume error: %s", "the coroutine is running");
            return;
        }
        delete mCoroutine;
        mCoroutine = new TLuaThread(mMainState);
        coroutine = mCoroutine->GetThreadState();
    }
    if (IsSuspended()) {
        Delay(0, true);
    }
    lua_pushvalue(mMainState, -1);
    lua_xmove(mMainState, coroutine, 1);
    int status = LuaResume(coroutine, 0);
    mCoroutineFailed = status != 0;
    mCoroutineError = status != 0 ? LuaValueText(coroutine, -1) : TString();
    if (status != 0) {
        LogPrintf("lua_resume error: %s", mCoroutineError.CStr());
    }
    if (status == kLua50ErrMem) {
        LuaCollectAfterMemoryError(coroutine);
    }
    // What it yielded or returned is not kept; a thread that yielded keeps
    // its frame.
    lua_settop(coroutine, 0);
    if (!InCoroutine()) {
        // It ended or failed at once: nothing is left to resume.
        Suspend();
    }
}

int TScript::Resume(int arguments) {
    lua_State* L = GetState();
    if (!L) {
        return kLua50ErrRun;
    }
    ReleaseQueued();
    arguments = std::clamp(arguments, 0, lua_gettop(L));
    lua_State* coroutine = CoroutineState();
    if (!coroutine || IsRunning(coroutine)) {
        // A running coroutine must not be touched: the engine would reset
        // its stack to report the error.
        lua_pop(L, arguments);
        LogPrintf("lua_resume ERROR: %s", coroutine ? "cannot resume non-suspended coroutine"
                                                    : "cannot resume dead coroutine");
        return kLua50ErrRun;
    }
    if (coroutine != L) {
        lua_checkstack(coroutine, arguments + 1);
        lua_xmove(L, coroutine, arguments);
    }
    int status = LuaResume(coroutine, arguments);
    if (status != 0) {
        mCoroutineFailed = true;
        mCoroutineError = LuaValueText(coroutine, -1);
        LogPrintf("lua_resume ERROR: %s", mCoroutineError.CStr());
        lua_pop(coroutine, 1);
        if (status == kLua50ErrMem) {
            LuaCollectAfterMemoryError(coroutine);
        }
    }
    if (coroutine != L) {
        // What the coroutine yielded or returned goes to the caller.
        int count = lua_gettop(coroutine);
        if (status == 0 && lua_checkstack(L, count + 1)) {
            lua_xmove(coroutine, L, count);
        } else {
            lua_settop(coroutine, 0);
        }
    }
    return status;
}

bool TScript::Step() {
    lua_State* L = GetState();
    if (!L) {
        Suspend();
        return true;
    }
    lua_State* coroutine = CoroutineState();
    if (coroutine && IsRunning(coroutine)) {
        // A pass run from inside the coroutine leaves it to finish its turn.
        return true;
    }
    int top = mOwningThread ? 0 : lua_gettop(L);
    int status = Resume(0);
    if (status != 0 || !InCoroutine()) {
        Suspend();
    }
    // A thread that yielded keeps its frame; the values it gave are dropped.
    lua_settop(L, top);
    return true;
}

void TScript::Alert(const TString& text) {
    lua_State* C = mMainState;
    lua_getglobal(C, "_ALERT");
    if (!lua_isfunction(C, -1)) {
        lua_pop(C, 1);
        LogPrintf("Lua error: %s", text.CStr());
        return;
    }
    lua_pushstring(C, text.CStr());
    if (lua_pcall(C, 1, 0, 0) != 0) {
        lua_pop(C, 1);
    }
}

bool TScript::DoLuaString(const TString& source, uint32_t length, int results) {
    lua_State* L = GetState();
    if (!L) {
        return false;
    }
    uint32_t size = static_cast<uint32_t>(source.Length());
    if (length < size) {
        size = length;
    }
    bool dropResult = results == 0;
    if (dropResult) {
        results = 1;
    }
    TString path = GetScriptSearchPath();
    lua_pushlstring(mMainState, path.CStr(), path.Length());
    lua_setglobal(mMainState, "LUA_PATH");

    int top = lua_gettop(L);
    const char* phase = "parsing";
    int status = LuaLoadBuffer(L, source.CStr(), size, source.CStr());
    if (status == 0) {
        phase = "running";
        status = RunFunction(0, results);
    }
    if (status == 0) {
        if (dropResult) {
            lua_settop(L, top);
        }
        return true;
    }
    if (LuaIsString(L, -1)) {
        TString message =
            TString::Format("Lua Error: %s\n\twhen %s", LuaValueText(L, -1).CStr(), phase);
        LogPrintf("DoLuaString %s %s", message.CStr(), source.CStr());
        lua_getglobal(mMainState, kErrorGlobal);
        if (lua_isfunction(mMainState, -1)) {
            lua_pushstring(mMainState, message.CStr());
            if (lua_pcall(mMainState, 1, 0, 0) != 0) {
                LogPrintf("Lua error: %s", LuaValueText(mMainState, -1).CStr());
                lua_pop(mMainState, 1);
            }
        } else {
            // Without a handler the message is kept for whoever looks.
            lua_pop(mMainState, 1);
            lua_pushstring(mMainState, message.CStr());
            lua_setglobal(mMainState, kErrorGlobal);
        }
    }
    lua_settop(L, top);
    return false;
}

bool TScript::DoFile(const TString& fileName) {
    lua_State* L = GetState();
    if (!L || fileName.IsEmpty()) {
        return false;
    }
    std::error_code ignored;
    if (!FileExists(fileName.CStr()) &&
        !std::filesystem::is_regular_file(fileName.CStr(), ignored)) {
        return false;
    }
    int top = lua_gettop(L);
    TString error;
    std::shared_ptr<TScriptCode> code =
        TScriptCode::Compile(fileName, GetScriptSearchPath(), &error);
    int status = LUA_ERRFILE;
    if (code) {
        status = LuaLoadCompiled(L, code->GetCode(), code->GetSize(), fileName.CStr());
    }
    if (status != 0) {
        Alert(!error.IsEmpty() || !code ? error : LuaValueText(L, -1));
        lua_settop(L, top);
        return false;
    }
    status = RunFunction(0, 1);
    if (status != 0) {
        LogPrintf("Failed to run script %s: %d", fileName.CStr(), status);
    }
    lua_settop(L, top);
    return status == 0;
}

TString TScript::GetGlobalString(const char* name) const {
    lua_State* C = GetMainState();
    if (!C || !name) {
        return TString();
    }
    lua_getglobal(C, name);
    TString value = LuaValueText(C, -1);
    lua_pop(C, 1);
    return value;
}

void TScript::SetGlobalString(const char* name, const TString& value) {
    lua_State* C = GetMainState();
    if (!C || !name) {
        return;
    }
    lua_pushlstring(C, value.CStr(), value.Length());
    lua_setglobal(C, name);
}

double TScript::GetGlobalNumber(const char* name) const {
    lua_State* C = GetMainState();
    if (!C || !name) {
        return 0.0;
    }
    lua_getglobal(C, name);
    double value = lua_tonumber(C, -1);
    lua_pop(C, 1);
    return value;
}

void TScript::SetGlobalNumber(const char* name, double value) {
    lua_State* C = GetMainState();
    if (!C || !name) {
        return;
    }
    lua_pushnumber(C, value);
    lua_setglobal(C, name);
}

void TScript::RegisterFunction(const char* name, lua_CFunction function) {
    lua_State* C = GetMainState();
    if (!C || !name) {
        return;
    }
    lua_pushcfunction(C, function);
    lua_setglobal(C, name);
}

TString TScript::PopString() {
    lua_State* L = GetState();
    if (!L || lua_gettop(L) == 0) {
        return TString();
    }
    TString value = LuaValueText(L, -1);
    lua_pop(L, 1);
    return value;
}

double TScript::PopNumber() {
    lua_State* L = GetState();
    if (!L || lua_gettop(L) == 0) {
        return 0.0;
    }
    double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
}

TColor TScript::PopColor() {
    lua_State* L = GetState();
    if (!L || lua_gettop(L) == 0) {
        return TColor();
    }
    float channels[4] = {};
    if (lua_istable(L, -1)) {
        for (int i = 0; i < 4; ++i) {
            lua_rawgeti(L, -1, i + 1);
            channels[i] = static_cast<float>(lua_tonumber(L, -1));
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
    return TColor(channels[0], channels[1], channels[2], channels[3]);
}

TString GetScriptSearchPath() {
    SearchPath& path = TheSearchPath();
    std::lock_guard<std::mutex> lock(path.mutex);
    return path.path;
}

void SetScriptSearchPath(const TString& text) {
    SearchPath& path = TheSearchPath();
    std::lock_guard<std::mutex> lock(path.mutex);
    path.path = text;
}
