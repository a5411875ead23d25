#pragma once

struct lua_State;

// The base library as the framework's scripts know it, laid over the
// stock one: loading (load, loadstring, loadfile, dofile, require) goes
// through the dialect translator and the framework's files; unpack follows the
// table's "n" field; _ALERT reports errors to the debug log; type,
// tostring and print know wide strings; towstring makes them;
// collectgarbage takes the old numeric limit; getfenv and setfenv honour
// a protected environment's "__fenv" field (getfenv gives the field,
// setfenv refuses to replace it) and setfenv gives nothing back; _LOADED
// is a global; each
// type's table is stored in the registry under its name ("_string", ...).
void LuaOpenBaseAdditions(lua_State* L);

// The search path require uses when the global "LUA_PATH" is not a string.
inline constexpr const char* kLuaDefaultPath = "?;?.lua";
