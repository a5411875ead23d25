#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

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

// A script's number as an integer for a native function that takes one:
// truncated toward zero; NaN gives 0, and a number past T's range (the
// infinities too) the nearest end of it. Every native function that takes
// an integer from a script reads it through this (or LuaCheckedInt), so
// 1e308 or -2^31 reaches no arithmetic that overflows.
template <typename T> T LuaToInteger(double value) {
    static_assert(std::is_integral_v<T> && sizeof(T) <= 4, "an integer of at most 32 bits");
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (value >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(value);
}
// The argument at index (lua_tonumber; 0 for what is not a number) as an
// int32 by LuaToInteger.
int32_t LuaCheckedInt(lua_State* L, int index);

// Pushes "chunk:line: " of the script function nearest on the call stack
// (native functions in between are passed over), or "" when there is none.
// Errors raised by native helpers that scripts reach through other native
// code (metamethods, callbacks) put it before their text, so the message
// names the script's line as the engine's own errors do.
void LuaPushScriptWhere(lua_State* L);
