#pragma once

#include <cstddef>

struct lua_State;

// The wide string: a script value of its own holding 16-bit code units
// (UTF-16 as the program's text uses it), for text shown to the player.
//
// Each wide string is a full userdata (the units and a 0 unit) with the
// wide-string metatable. They are interned through a weak table: equal
// wide strings are one value, so == is identity, they work as table keys,
// and a wide string made again after an equal one was collected is simply
// new. They never convert to or from narrow strings implicitly; numbers
// convert to them ("%.14g"). Concatenation joins wide strings and numbers;
// < and <= compare unit by unit (a prefix orders first). The 5.1 engine
// sees them as userdata, so native code asks the helpers below, not
// lua_type and lua_isstring, when wide strings may turn up.

// Sets up the wide-string metatable and interning table (part of
// LuaOpenState).
void LuaOpenWideStrings(lua_State* L);

// True for a wide string.
bool LuaIsWString(lua_State* L, int index);
// lua_type, but kLuaTWString (9) for a wide string.
int LuaType(lua_State* L, int index);
// The type name of the value at index ("wstring" for a wide string).
const char* LuaTypeName(lua_State* L, int index);
// True for strings, numbers and wide strings.
bool LuaIsString(lua_State* L, int index);
// Length of a wide string in units; of a string (or number) in bytes.
size_t LuaStrLen(lua_State* L, int index);

// Pushes the interned wide string of n units.
void LuaPushLWString(lua_State* L, const char16_t* units, size_t n);
// Pushes units up to their 0 unit; null pushes nil.
void LuaPushWString(lua_State* L, const char16_t* units);
// Pushes the wide string whose units are the bytes of a narrow string
// (bytes 0x80 to 0xFF give the units U+0080 to U+00FF).
void LuaPushWStringFromBytes(lua_State* L, const char* bytes, size_t n);
// The units of a wide string (0-terminated); a number is first replaced
// on the stack by its wide form. Null for other values. len, when given,
// receives the length in units (0 for null).
const char16_t* LuaToWString(lua_State* L, int index, size_t* len = nullptr);
// LuaToWString, raising the argument error "wstring expected, got <type>"
// for other values.
const char16_t* LuaCheckWString(lua_State* L, int index, size_t* len = nullptr);

// luaL_checklstring, but the argument error names a wide string as such
// ("string expected, got wstring").
const char* LuaCheckNarrowString(lua_State* L, int index, size_t* size);

// The narrow string of a wide string's low bytes (what tostring gives).
void LuaPushWStringLowBytes(lua_State* L, int index);

// W(s), a run-time helper of translated chunks: s holds UTF-16LE code
// units (an even number of bytes); returns the interned wide string.
int LuaWideFromUtf16Bytes(lua_State* L);

// cat(...), a run-time helper of translated chunks: joins a run of
// concatenations (a .. b .. c ...) as one, by the dialect's rules. The
// last string or wide string from the right decides: after a wide string
// every operand must be a wide string or a number (numbers join in their
// "%.14g" form), so w .. 1 .. 2 is the wide w12; otherwise the engine's
// own rules apply, pair by pair from the right, with __concat for values
// that are neither strings nor numbers. Errors name the script's line.
int LuaConcatRun(lua_State* L);

// The engine API of the wide string under the names scripts' native code
// has always used. Units are char16_t (wchar_t is 32 bits here).
inline void lua_pushlwstring(lua_State* L, const char16_t* s, size_t n) {
    LuaPushLWString(L, s, n);
}
inline void lua_pushwstring(lua_State* L, const char16_t* s) {
    LuaPushWString(L, s);
}
inline const char16_t* lua_towstring(lua_State* L, int index) {
    return LuaToWString(L, index);
}
inline const char16_t* luaL_checkwstring(lua_State* L, int index, size_t* len) {
    return LuaCheckWString(L, index, len);
}
