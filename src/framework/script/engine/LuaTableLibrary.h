#pragma once

struct lua_State;

// The table library with the old idea of a table's size, which the game's
// scripts still use: a table's size is its field "n" when that is a
// number (or numeric string) not below 0 once truncated, else the size
// given by table.setn, else the count of entries from 1 up to the first
// nil. getn, setn, insert, remove, concat, sort, foreachi and the base
// library's unpack all work through it.
void LuaOpenTableAdditions(lua_State* L);

// The size of the table at index, as above.
int LuaGetN(lua_State* L, int index);
// Sets the size: into "n" when that field gives a size, else into the
// state's table of sizes (which holds its keys weakly).
void LuaSetN(lua_State* L, int index, int n);
