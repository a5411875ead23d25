#pragma once

struct lua_State;

// The dialect's bitwise operators &, |, << and >>, as functions the
// translated source calls: band, bor, shl, shr. Both operands must be
// numbers or strings that convert to numbers as they do for arithmetic
// (no metamethod is tried); each is truncated toward zero and its
// low 32 bits used; shifts are logical and take the right operand's low
// five bits; the result is read as unsigned (0 to 4294967295).
//
// Stores the four functions into the table at tableIndex.
void LuaRegisterBitwise(lua_State* L, int tableIndex);

// The operations themselves, for native callers and tests.
double LuaBitAnd(double a, double b);
double LuaBitOr(double a, double b);
double LuaBitShiftLeft(double a, double b);
double LuaBitShiftRight(double a, double b);
