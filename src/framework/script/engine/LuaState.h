#pragma once

#include <chrono>
#include <cstddef>

struct lua_State;

// The one way the framework opens and feeds a Lua state. The engine is the
// stock Lua 5.1 library; what makes it the framework's dialect (per-type
// tables, the 5.0 library behaviour the scripts rely on, the string-library
// additions, wide strings, the source translator) is put around it here, so
// the script host, animation scripts and window scripts all run the same
// engine. The caller owns the state and closes it with lua_close.

// A new state: memory through realloc and free, a panic function that
// writes the error to stderr and the debug log and ends the process with
// exit code 1 (through the platform's process control), the stock
// libraries that a game script may use (base with coroutines, table,
// string, math; not the 5.1 package library) and the dialect layer. A
// script from the assets folder reaches no files but through the
// framework's loader, no processes and no debugger. Null when the state
// cannot be made.
lua_State* LuaOpenState();

// Adds the stock io, os and debug libraries (os.exit through the process
// control) to a state, for tools that run scripts for their own use (and
// for tests that inspect the engine). False, with a log line, on failure.
bool LuaOpenToolLibraries(lua_State* L);

// Compiles a chunk like luaL_loadbuffer and leaves its function on the
// stack (status 0), or an error text (LUA_ERRSYNTAX, LUA_ERRMEM). Source
// text passes through the dialect translator first (a first line starting
// with '#' is skipped, its line still counted). A precompiled chunk (one
// that begins with the engine's signature byte) is refused with
// LUA_ERRSYNTAX and a log line: forged bytecode reads and writes memory at
// will. Loading runs no debug hook. chunkName is the name shown in
// messages ("@file", "=name" or the source itself); null names the chunk "?".
int LuaLoadBuffer(lua_State* L, const char* text, size_t size, const char* chunkName);

// LuaLoadBuffer that also takes the engine's precompiled form, for code
// the framework compiled itself from text (TScriptCode); the chunk gets the
// dialect table back (a dump keeps an up-value's name, not its value).
// Never hand it bytes a script or a file gave.
int LuaLoadCompiled(lua_State* L, const char* code, size_t size, const char* chunkName);

// Compiles a file opened through the framework's files: the logical name
// first (as TFile opens it), then, for a name without the "::" prefix, the
// disk path as it stands (not when the hidden-name list hides the name).
// Whatever way it is named, a file on the disk is read only when it lies
// inside the program's folder, the assets folder or a data folder (links
// followed); any other is "cannot open NAME (outside the game's folders)",
// with a log line when the file is there. Pack entries are the game's own.
// A first line starting with '#' is skipped (its line still counts). On
// failure an error text is pushed and LUA_ERRFILE (cannot open or read) or
// the compile status is returned.
int LuaLoadFile(lua_State* L, const char* fileName);
// For a tool that runs the scripts its user names (luarun): from now on
// the files of the whole disk load. Never called by the game.
void LuaLetToolsReadAnywhere();

// Every state has a memory budget, taken when it is opened: an allocation
// that would grow the state (all its coroutines together) past it fails
// as the engine's "not enough memory" error. The window script peaks at
// about 0.2 MB through the shipped screens; the budget is far above that.
inline constexpr size_t kLuaDefaultMemoryBudget = size_t{128} << 20;
// Sets the budget of states opened from now on (0: the default).
void LuaSetMemoryBudget(size_t bytes);
struct TLuaMemory {
    size_t used = 0;
    size_t peak = 0;
    size_t budget = 0;
};
// After a call that failed with LUA_ERRMEM: a full collection (and a log
// line), so the state's next scripts find their memory again.
void LuaCollectAfterMemoryError(lua_State* L);
// What a state holds now, the most it held, and its budget.
TLuaMemory LuaGetMemory(lua_State* L);

// The run watchdog. Every state counts the instructions its scripts run;
// every kLuaRunCheckInstructions it adds up the time its scripts have run
// since the program's main loop last noted progress (LuaNoteProgress, once
// per pass), leaving out long stretches in native code. A script that kept
// the loop waiting that long (an endless loop in a screen script) is
// stopped with the Lua error "FILE:LINE: script ran for N ms without
// yielding or returning" and a log line. States of a program that never
// notes progress are never stopped. The shipped screens run for a few
// milliseconds between two passes; the limit is 5 seconds.
inline constexpr int kLuaDefaultRunLimitMs = 5000;
inline constexpr int kLuaRunCheckInstructions = 100000;
void LuaNoteProgress();
// The limit in milliseconds; 0 or less stops nothing.
void LuaSetRunLimit(int milliseconds);
// Native code that can work long inside one call without running an
// instruction (the pattern matcher) counts its steps down in the state's
// LuaRunStepsLeft and, when they run out, asks the watchdog itself:
// LuaCheckRunTime times the script as the count hook does, raises the same
// error (naming the script that called the native function) and sets the
// count back to kLuaRunCheckSteps. The count is kept between calls, so
// many short calls in a row are timed as one long one.
inline constexpr int kLuaRunCheckSteps = 1 << 16;
void LuaCheckRunTime(lua_State* L);
int& LuaRunStepsLeft(lua_State* L);
// The watchdog reads the steady clock; a test hands it a clock of its own
// (null: the steady clock again).
using TLuaRunClock = std::chrono::steady_clock::time_point (*)();
void LuaSetRunClock(TLuaRunClock clock);

// Status codes as the 5.0-dialect engine numbered them. The 5.1 engine
// numbers its codes differently (it adds LUA_YIELD = 1 and moves the rest
// up); the framework's callers and scripts see these.
inline constexpr int kLua50Ok = 0;
inline constexpr int kLua50ErrRun = 1;
inline constexpr int kLua50ErrFile = 2;
inline constexpr int kLua50ErrSyntax = 3;
inline constexpr int kLua50ErrMem = 4;
inline constexpr int kLua50ErrErr = 5;

// A 5.1 status in 5.0 numbering; LUA_YIELD gives kLua50Ok (a 5.0 resume
// reports a yield as success).
int LuaStatusTo50(int status);

// Compiles and runs a chunk in protected mode, the old lua_dobuffer way:
// on success the chunk's results are left on the stack; on failure the
// error text is handed to the global function "_ALERT" (or written to
// stderr when there is none) and removed. Returns a 5.0-numbered status.
int LuaDoBuffer(lua_State* L, const char* text, size_t size, const char* chunkName);
// LuaDoBuffer over a 0-terminated text that also names the chunk.
int LuaDoString(lua_State* L, const char* text);
// LuaDoBuffer over a file read as LuaLoadFile reads it.
int LuaDoFile(lua_State* L, const char* fileName);

// Resumes a coroutine thread with narg arguments on its stack, the 5.0
// way: kLua50Ok both when it yielded and when it ended (lua_status tells
// them apart: LUA_YIELD while suspended), otherwise a 5.0 error code with
// the message on the thread's stack. Resuming a thread whose function has
// ended fails with "cannot resume dead coroutine".
int LuaResume(lua_State* thread, int narg);

// The registry's integer keys, which the 5.0-dialect engine reached as the
// pseudo-indices below kLuaRegistryRefBase (index kLuaRegistryRefBase - n
// named registry[n]). The 5.1 engine has no such indices, so native code
// turns them into registry reads through these helpers.
inline constexpr int kLuaRegistryRefBase = -40000;
inline constexpr int LuaRegistryRefIndex(int n) {
    return kLuaRegistryRefBase - n;
}
inline constexpr bool LuaIsRegistryRefIndex(int index) {
    return index < kLuaRegistryRefBase;
}
// Pushes registry[n].
void LuaPushRegistryRef(lua_State* L, int n);
// Pushes the value at index, which may be a registry reference index.
void LuaPushIndex(lua_State* L, int index);
