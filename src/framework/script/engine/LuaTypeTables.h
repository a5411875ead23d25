#pragma once

struct lua_State;

// Per-type tables: every value type has a table of its own (one slot per
// type number, 0 to 10; the nil slot stays empty). Values that are neither
// tables nor full userdata answer every event with their type's table: a
// field of a string, number, boolean, function, thread or wide string is
// looked up in (and assigned into) that table, so ("abc"):upper() finds
// string.upper, (5).x gives nil and indexing nil is still an error.
// getmetatable of such a value gives the per-type table.
//
// The 5.1 engine keeps one metatable per basic type; each of those is a
// small event table that forwards __index and __newindex to the type's
// table and names it through __metatable. Changing a type's table through
// LuaSetTypeTable updates that event table.

// Type numbers of the dialect: the stock ones, then the wide string. The
// 5.1 engine itself reports a wide string as LUA_TUSERDATA.
inline constexpr int kLuaTWString = 9;
inline constexpr int kLuaTypeSlots = 11;

// Names of the per-type tables in the registry ("_boolean" ... "_wstring",
// index = type number; "_nil" is not stored).
extern const char* const kLuaTypeTableNames[10];

// Makes the per-type tables (slots 1 to 10, each a new empty table without
// a metatable, which is what the old engine's default metatable amounted
// to) and the event tables of the simple types.
void LuaOpenTypeTables(lua_State* L);

// Pushes the table of a type (nil for an empty slot or a type out of range).
void LuaGetTypeTable(lua_State* L, int type);
// Pops a value; stores it as the type's table when it is a table.
void LuaSetTypeTable(lua_State* L, int type);

// Makes the metatable at index the event table of a type: its __index,
// __newindex and __metatable follow the type's table from now on. Used by
// value types that carry their own metatable (the wide string).
void LuaBindTypeEvents(lua_State* L, int type, int metatableIndex);

// Like lua_getmetatable, but a value that is neither a table nor a full
// userdata gives its type's table, and a wide string the wide type's.
// Returns 0 and pushes nothing when there is none.
int LuaGetMetatable(lua_State* L, int index);
