#include "framework/script/engine/LuaBitwise.h"

#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaWideString.h"

#include <lauxlib.h>
#include <lua.h>

#include <cstdint>

namespace {

// Truncates toward zero to a 64-bit integer and keeps the low 32 bits.
uint32_t Low32(double value) {
    return static_cast<uint32_t>(LuaTruncatedBits(value));
}

// The operands of a bitwise operator, converted as arithmetic converts
// them: numbers, and strings that read as numbers ("12", " 0x1F "). Any
// other value raises the engine's arithmetic error, placed at the line of
// the script that used the operator.
void CheckOperands(lua_State* L, double& a, double& b) {
    for (int i = 1; i <= 2; ++i) {
        if (!lua_isnumber(L, i)) {
            luaL_where(L, 1);
            lua_pushfstring(L, "attempt to perform arithmetic on a %s value", LuaTypeName(L, i));
            lua_concat(L, 2);
            lua_error(L);
        }
    }
    a = lua_tonumber(L, 1);
    b = lua_tonumber(L, 2);
}

template <double (*Op)(double, double)> int Bitwise(lua_State* L) {
    double a = 0;
    double b = 0;
    CheckOperands(L, a, b);
    lua_pushnumber(L, Op(a, b));
    return 1;
}

} // namespace

double LuaBitAnd(double a, double b) {
    return Low32(a) & Low32(b);
}

double LuaBitOr(double a, double b) {
    return Low32(a) | Low32(b);
}

double LuaBitShiftLeft(double a, double b) {
    return static_cast<uint32_t>(Low32(a) << (Low32(b) & 31u));
}

double LuaBitShiftRight(double a, double b) {
    return Low32(a) >> (Low32(b) & 31u);
}

void LuaRegisterBitwise(lua_State* L, int tableIndex) {
    tableIndex = LuaAbsIndex(L, tableIndex);
    static const luaL_Reg functions[] = {
        {"band", Bitwise<LuaBitAnd>},
        {"bor", Bitwise<LuaBitOr>},
        {"shl", Bitwise<LuaBitShiftLeft>},
        {"shr", Bitwise<LuaBitShiftRight>},
    };
    for (const luaL_Reg& f : functions) {
        lua_pushcfunction(L, f.func);
        lua_setfield(L, tableIndex, f.name);
    }
}
