#pragma once

#include <cstdint>

struct lua_State;

// Operations over the engine API that the script wrappers and messages
// share.

// The length of the table at index: its field "n" when that is a number
// (truncated), otherwise the largest numeric key with a non-nil value
// (truncated; 0 when there is none or it is below 1). Clamped to the int
// range. 0 for a value that is not a table.
int LuaGetTableLength(lua_State* L, int index);

// Pushes a new full userdata whose payload is the pointer (the full
// pointer: 8 bytes on a 64-bit machine).
void LuaPushPointerBox(lua_State* L, void* pointer);
// The pointer in a box made by LuaPushPointerBox; null for other values
// (a userdata of pointer size without a metatable is taken for a box).
void* LuaToPointerBox(lua_State* L, int index);

// The index of a stack slot counted from the bottom, so it stays right
// while values are pushed; pseudo-indices are left as they are.
int LuaAbsIndex(lua_State* L, int index);

// Pushes a new empty table whose keys ("k"), values ("v") or both ("kv")
// the collector does not hold.
void LuaNewWeakTable(lua_State* L, const char* mode);

// A number truncated toward zero as a 64-bit integer, in two's complement
// bits; 0 when it lies outside that range (or is NaN), never undefined.
uint64_t LuaTruncatedBits(double value);

// Pushes "chunk:line: " of the script function nearest on the call stack
// (native functions in between are passed over), or "" when there is none.
// Errors raised by native helpers that scripts reach through other native
// code (metamethods, callbacks) put it before their text, so the message
// names the script's line as the engine's own errors do.
void LuaPushScriptWhere(lua_State* L);
