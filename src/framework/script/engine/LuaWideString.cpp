#include "framework/script/engine/LuaWideString.h"

#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaTypeTables.h"

#include <lauxlib.h>
#include <lua.h>

#include <bit>
#include <cstdio>
#include <cstring>

namespace {

// Registry keys: the wide-string metatable and the interning table
// (native bytes of the units -> wide string, weak values).
char kMetatableKey;
char kInternKey;

// The longest wide string: its byte size (units and the 0 unit) must fit.
constexpr size_t kMaxUnits = 0xFFFFFFFDu;

size_t UnitCount(lua_State* L, int index) {
    return lua_objlen(L, index) / 2 - 1;
}

const char16_t* Units(lua_State* L, int index) {
    return static_cast<const char16_t*>(lua_touserdata(L, index));
}

// Pushes the interned wide string whose units are given as their bytes in
// the machine's order.
void PushInterned(lua_State* L, const char* nativeBytes, size_t units) {
    if (units > kMaxUnits)
        luaL_error(L, "string size overflow");
    luaL_checkstack(L, 4, "too many wide strings");
    lua_pushlightuserdata(L, &kInternKey);
    lua_rawget(L, LUA_REGISTRYINDEX);
    int intern = lua_gettop(L);
    lua_pushlstring(L, nativeBytes, units * 2);
    lua_pushvalue(L, -1);
    lua_rawget(L, intern);
    if (lua_isuserdata(L, -1)) {
        lua_replace(L, intern);
        lua_settop(L, intern);
        return;
    }
    lua_pop(L, 1);
    char* block = static_cast<char*>(lua_newuserdata(L, (units + 1) * 2));
    if (units > 0)
        std::memcpy(block, nativeBytes, units * 2);
    block[units * 2] = 0;
    block[units * 2 + 1] = 0;
    lua_pushlightuserdata(L, &kMetatableKey);
    lua_rawget(L, LUA_REGISTRYINDEX);
    lua_setmetatable(L, -2);
    lua_pushvalue(L, -1);
    lua_insert(L, intern); // result below the table
    lua_rawset(L, intern + 1);
    lua_settop(L, intern);
}

// Scratch memory on the stack, collected with the rest: native code here
// may be left by an error at any point.
char16_t* PushScratch(lua_State* L, size_t units) {
    if (units > kMaxUnits)
        luaL_error(L, "string size overflow");
    return static_cast<char16_t*>(lua_newuserdata(L, units > 0 ? units * 2 : 1));
}

// The "%.14g" text of a number, widened, into out (at least 32 units).
size_t WidenNumber(lua_Number number, char16_t* out) {
    char text[32];
    int length = std::snprintf(text, sizeof text, LUA_NUMBER_FMT, number);
    if (length < 0)
        length = 0;
    if (length >= static_cast<int>(sizeof text))
        length = sizeof text - 1;
    for (int i = 0; i < length; ++i)
        out[i] = static_cast<unsigned char>(text[i]);
    return static_cast<size_t>(length);
}

// The piece of a wide join an operand gives: a wide string or a number.
bool JoinPiece(lua_State* L, int index, const char16_t*& units, size_t& length,
               char16_t* numberSpace) {
    if (LuaIsWString(L, index)) {
        units = Units(L, index);
        length = UnitCount(L, index);
        return true;
    }
    if (lua_type(L, index) == LUA_TNUMBER) {
        length = WidenNumber(lua_tonumber(L, index), numberSpace);
        units = numberSpace;
        return true;
    }
    return false;
}

// The engine's concatenation error, at the line of the script that joined
// (a join may come here through the run helper, which is native code).
int ConcatError(lua_State* L, int index) {
    const char* type = LuaTypeName(L, index);
    LuaPushScriptWhere(L);
    lua_pushfstring(L, "attempt to concatenate a %s value", type);
    lua_concat(L, 2);
    return lua_error(L);
}

bool IsPlain(lua_State* L, int index) {
    const int type = lua_type(L, index);
    return type == LUA_TSTRING || type == LUA_TNUMBER;
}

// Joins operands 1..n into one wide string when every one of them is a
// wide string or a number; false (and nothing pushed) otherwise.
bool JoinWide(lua_State* L, int n) {
    char16_t number[32];
    size_t total = 0;
    for (int i = 1; i <= n; ++i) {
        const char16_t* units = nullptr;
        size_t length = 0;
        if (!JoinPiece(L, i, units, length, number))
            return false;
        if (length > kMaxUnits - total)
            luaL_error(L, "string size overflow");
        total += length;
    }
    char16_t* joined = PushScratch(L, total);
    size_t at = 0;
    for (int i = 1; i <= n; ++i) {
        const char16_t* units = nullptr;
        size_t length = 0;
        JoinPiece(L, i, units, length, number);
        if (length > 0)
            std::memcpy(joined + at, units, length * 2);
        at += length;
    }
    PushInterned(L, reinterpret_cast<const char*>(joined), total);
    return true;
}

// Joins operands 1..n (the whole stack) as the engine joins a run: from
// the right, as many strings and numbers at a time as stand together, any
// other pair through the __concat of its left operand, else of its right
// one. Leaves the result at 1.
void JoinPairs(lua_State* L, int n) {
    int top = n;
    while (top > 1) {
        if (IsPlain(L, top - 1) && IsPlain(L, top)) {
            int count = 2;
            while (count < top && IsPlain(L, top - count))
                ++count;
            lua_concat(L, count);
            top -= count - 1;
            continue;
        }
        if (!luaL_getmetafield(L, top - 1, "__concat") && !luaL_getmetafield(L, top, "__concat"))
            ConcatError(L, IsPlain(L, top - 1) ? top : top - 1);
        lua_insert(L, top - 1);
        lua_call(L, 2, 1);
        --top;
    }
}

// a .. b where at least one side is a wide string. The right operand
// decides the kind of join: a narrow string there makes it a narrow join,
// in which a wide string has no place.
int Concat(lua_State* L) {
    bool leftWide = LuaIsWString(L, 1);
    if (lua_type(L, 2) == LUA_TSTRING)
        return ConcatError(L, 1);
    if (!LuaIsWString(L, 2) && lua_type(L, 2) != LUA_TNUMBER) {
        // Another kind of value may still know how to join itself.
        if (leftWide && luaL_getmetafield(L, 2, "__concat")) {
            lua_insert(L, 1);
            lua_call(L, 2, 1);
            return 1;
        }
        return ConcatError(L, 2);
    }
    char16_t leftNumber[32];
    char16_t rightNumber[32];
    const char16_t* left = nullptr;
    const char16_t* right = nullptr;
    size_t leftLength = 0;
    size_t rightLength = 0;
    if (!JoinPiece(L, 1, left, leftLength, leftNumber))
        return ConcatError(L, 1);
    JoinPiece(L, 2, right, rightLength, rightNumber);
    if (leftLength > kMaxUnits - rightLength)
        return luaL_error(L, "string size overflow");
    char16_t* joined = PushScratch(L, leftLength + rightLength);
    if (leftLength > 0)
        std::memcpy(joined, left, leftLength * 2);
    if (rightLength > 0)
        std::memcpy(joined + leftLength, right, rightLength * 2);
    PushInterned(L, reinterpret_cast<const char*>(joined), leftLength + rightLength);
    return 1;
}

// Unit-wise comparison; <0, 0 or >0.
int Compare(lua_State* L) {
    if (!LuaIsWString(L, 1) || !LuaIsWString(L, 2))
        return luaL_error(L, "attempt to compare %s with %s", LuaTypeName(L, 1), LuaTypeName(L, 2));
    const char16_t* a = Units(L, 1);
    const char16_t* b = Units(L, 2);
    size_t na = UnitCount(L, 1);
    size_t nb = UnitCount(L, 2);
    for (size_t i = 0; i < na && i < nb; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

int LessThan(lua_State* L) {
    lua_pushboolean(L, Compare(L) < 0);
    return 1;
}

int LessEqual(lua_State* L) {
    lua_pushboolean(L, Compare(L) <= 0);
    return 1;
}

int ToString(lua_State* L) {
    LuaPushWStringLowBytes(L, 1);
    return 1;
}

} // namespace

int LuaConcatRun(lua_State* L) {
    const int n = lua_gettop(L);
    int decider = n;
    while (decider >= 1 && lua_type(L, decider) != LUA_TSTRING && !LuaIsWString(L, decider))
        --decider;
    if (decider >= 1 && lua_type(L, decider) != LUA_TSTRING) {
        if (JoinWide(L, n))
            return 1;
        // Numbers after the last wide string take their wide form, so the
        // joins below keep them wide.
        bool numbersOnly = true;
        for (int i = decider + 1; i <= n && numbersOnly; ++i)
            numbersOnly = lua_type(L, i) == LUA_TNUMBER;
        if (numbersOnly) {
            for (int i = decider + 1; i <= n; ++i)
                LuaToWString(L, i);
        }
    }
    JoinPairs(L, n);
    return 1;
}

void LuaOpenWideStrings(lua_State* L) {
    lua_pushlightuserdata(L, &kInternKey);
    LuaNewWeakTable(L, "v");
    lua_rawset(L, LUA_REGISTRYINDEX);

    lua_pushlightuserdata(L, &kMetatableKey);
    lua_newtable(L);
    static const luaL_Reg events[] = {
        {"__concat", Concat},
        {"__lt", LessThan},
        {"__le", LessEqual},
        {"__tostring", ToString},
    };
    for (const luaL_Reg& event : events) {
        lua_pushcfunction(L, event.func);
        lua_setfield(L, -2, event.name);
    }
    LuaBindTypeEvents(L, kLuaTWString, -1);
    lua_rawset(L, LUA_REGISTRYINDEX);
}

bool LuaIsWString(lua_State* L, int index) {
    if (lua_type(L, index) != LUA_TUSERDATA)
        return false;
    index = LuaAbsIndex(L, index);
    if (!lua_getmetatable(L, index))
        return false;
    lua_pushlightuserdata(L, &kMetatableKey);
    lua_rawget(L, LUA_REGISTRYINDEX);
    bool wide = lua_rawequal(L, -1, -2) != 0;
    lua_pop(L, 2);
    return wide;
}

int LuaType(lua_State* L, int index) {
    int type = lua_type(L, index);
    return type == LUA_TUSERDATA && LuaIsWString(L, index) ? kLuaTWString : type;
}

const char* LuaTypeName(lua_State* L, int index) {
    int type = LuaType(L, index);
    return type == kLuaTWString ? "wstring" : lua_typename(L, type);
}

bool LuaIsString(lua_State* L, int index) {
    return lua_isstring(L, index) || LuaIsWString(L, index);
}

size_t LuaStrLen(lua_State* L, int index) {
    if (LuaIsWString(L, index))
        return UnitCount(L, index);
    return lua_isstring(L, index) ? lua_objlen(L, index) : 0;
}

void LuaPushLWString(lua_State* L, const char16_t* units, size_t n) {
    if (!units)
        n = 0;
    if (n == 0) {
        PushInterned(L, "", 0);
        return;
    }
    PushInterned(L, reinterpret_cast<const char*>(units), n);
}

void LuaPushWString(lua_State* L, const char16_t* units) {
    if (!units) {
        luaL_checkstack(L, 1, "no room for a wide string");
        lua_pushnil(L);
        return;
    }
    size_t n = 0;
    while (units[n] != 0)
        ++n;
    LuaPushLWString(L, units, n);
}

void LuaPushWStringFromBytes(lua_State* L, const char* bytes, size_t n) {
    char16_t* units = PushScratch(L, n);
    for (size_t i = 0; i < n; ++i)
        units[i] = static_cast<unsigned char>(bytes[i]);
    PushInterned(L, reinterpret_cast<const char*>(units), n);
    lua_remove(L, -2);
}

const char16_t* LuaToWString(lua_State* L, int index, size_t* len) {
    if (len)
        *len = 0;
    if (lua_type(L, index) == LUA_TNUMBER) {
        // Registry and globals are tables; only stack slots and up-values
        // can take the wide form in place.
        if (index == LUA_REGISTRYINDEX || index == LUA_GLOBALSINDEX || index == LUA_ENVIRONINDEX)
            return nullptr;
        index = LuaAbsIndex(L, index);
        char16_t units[32];
        size_t n = WidenNumber(lua_tonumber(L, index), units);
        LuaPushLWString(L, units, n);
        lua_replace(L, index);
    }
    if (!LuaIsWString(L, index))
        return nullptr;
    if (len)
        *len = UnitCount(L, index);
    return Units(L, index);
}

const char16_t* LuaCheckWString(lua_State* L, int index, size_t* len) {
    const char16_t* units = LuaToWString(L, index, len);
    if (!units) {
        const char* message =
            lua_pushfstring(L, "%s expected, got %s", "wstring", LuaTypeName(L, index));
        luaL_argerror(L, index, message);
    }
    return units;
}

void LuaPushWStringLowBytes(lua_State* L, int index) {
    index = LuaAbsIndex(L, index);
    size_t n = UnitCount(L, index);
    const char16_t* units = Units(L, index);
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    for (size_t i = 0; i < n; ++i)
        luaL_addchar(&buffer, static_cast<char>(units[i] & 0xFF));
    luaL_pushresult(&buffer);
}

int LuaWideFromUtf16Bytes(lua_State* L) {
    size_t size = 0;
    const char* bytes = luaL_checklstring(L, 1, &size);
    luaL_argcheck(L, size % 2 == 0, 1, "even number of bytes expected");
    if constexpr (std::endian::native == std::endian::little) {
        PushInterned(L, bytes, size / 2);
    } else {
        char16_t* units = PushScratch(L, size / 2);
        for (size_t i = 0; i < size / 2; ++i)
            units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                             static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        PushInterned(L, reinterpret_cast<const char*>(units), size / 2);
    }
    return 1;
}

const char* LuaCheckNarrowString(lua_State* L, int index, size_t* size) {
    if (!lua_isstring(L, index)) {
        const char* message =
            lua_pushfstring(L, "%s expected, got %s", "string", LuaTypeName(L, index));
        luaL_argerror(L, index, message);
    }
    return lua_tolstring(L, index, size);
}
