#pragma once

// Entry function of the pattern matcher's fuzz target. The input is a
// pattern, a subject and a replacement text, split at the first two
// newlines. find, match, gmatch and gsub (with the text, and with a
// table) run on them in a state of ours and in a bare state with the
// engine's stock library; every result and error text must be the same.
// Ours runs first under the run watchdog with a driven clock: a match it
// stops for running too long, a pattern it refuses as too deep and a
// result past its memory budget are not compared (the stock functions
// have none of these bounds). The corpus replay test runs the seeds
// through the same check under the sanitizers.

#include "framework/script/engine/LuaState.h"

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz_patterns {

// Each reading of the watchdog's clock is a millisecond after the last, so
// a match is stopped after a fixed number of steps, whatever the machine.
inline std::chrono::steady_clock::time_point HandClock() {
    static long readings = 0;
    return std::chrono::steady_clock::time_point{} + std::chrono::milliseconds(++readings);
}

// A value as the comparison sees it: its type and its bytes.
inline std::string Describe(lua_State* L, int index) {
    std::string out = lua_typename(L, lua_type(L, index));
    out += ':';
    if (lua_type(L, index) == LUA_TSTRING || lua_type(L, index) == LUA_TNUMBER) {
        size_t length = 0;
        lua_pushvalue(L, index);
        const char* text = lua_tolstring(L, -1, &length);
        out.append(text, length);
        lua_pop(L, 1);
    } else if (lua_type(L, index) == LUA_TBOOLEAN) {
        out += lua_toboolean(L, index) ? "true" : "false";
    }
    return out + ' ';
}

inline std::string Run(lua_State* L, const std::string& code, bool ours) {
    const int top = lua_gettop(L);
    int status = ours ? LuaLoadBuffer(L, code.data(), code.size(), "=fuzz")
                      : luaL_loadbuffer(L, code.data(), code.size(), "=fuzz");
    if (status == 0)
        status = lua_pcall(L, 0, LUA_MULTRET, 0);
    std::string out = status == 0 ? "" : "error ";
    for (int i = top + 1; i <= lua_gettop(L); ++i)
        out += Describe(L, i);
    lua_settop(L, top);
    return out;
}

inline void SetGlobals(lua_State* L, const std::string& pattern, const std::string& subject,
                       const std::string& replacement) {
    lua_pushlstring(L, pattern.data(), pattern.size());
    lua_setglobal(L, "P");
    lua_pushlstring(L, subject.data(), subject.size());
    lua_setglobal(L, "S");
    lua_pushlstring(L, replacement.data(), replacement.size());
    lua_setglobal(L, "R");
}

// Whether ours may differ from the stock outcome by design.
inline bool Bounded(const std::string& outcome) {
    return outcome.find("without yielding or returning") != std::string::npos ||
           outcome.find("(pattern too complex)") != std::string::npos ||
           outcome.find("not enough memory") != std::string::npos;
}

} // namespace fuzz_patterns

// What differs between our pattern functions and the stock ones on the
// input, or "".
inline std::string CheckLuaPatterns(const uint8_t* data, size_t size) {
    using namespace fuzz_patterns;
    const std::string input = data ? std::string(reinterpret_cast<const char*>(data), size) : "";
    const size_t first = input.find('\n');
    const size_t second = first == std::string::npos ? first : input.find('\n', first + 1);
    const std::string pattern = input.substr(0, first);
    const std::string subject =
        first == std::string::npos ? "" : input.substr(first + 1, second - first - 1);
    const std::string replacement = second == std::string::npos ? "%0" : input.substr(second + 1);

    // The states are made once: opening ours costs more than most checks.
    static lua_State* const ours = [] {
        LuaSetMemoryBudget(size_t{64} << 20);
        lua_State* L = LuaOpenState();
        LuaSetMemoryBudget(0);
        return L;
    }();
    static lua_State* const stock = [] {
        lua_State* L = luaL_newstate();
        if (L)
            luaL_openlibs(L);
        return L;
    }();
    if (!ours || !stock)
        return "a state could not be opened";
    SetGlobals(ours, pattern, subject, replacement);
    SetGlobals(stock, pattern, subject, replacement);
    const char* const calls[] = {
        "return string.find(S, P)",
        "return string.find(S, P, -3)",
        "return string.match(S, P)",
        "local out = {} for a, b in string.gmatch(S, P) do "
        "out[table.getn(out) + 1] = tostring(a) .. '|' .. tostring(b) end "
        "return table.concat(out, ',')",
        "return string.gsub(S, P, R)",
        "return string.gsub(S, P, R, 2)",
        "return string.gsub(S, P, {a = 'A', b = false, [''] = 1})",
    };
    LuaSetRunClock(HandClock);
    LuaSetRunLimit(5);
    std::string problem;
    for (const char* call : calls) {
        LuaNoteProgress();
        const std::string mine = Run(ours, call, true);
        if (Bounded(mine))
            continue;
        const std::string theirs = Run(stock, call, false);
        if (mine != theirs) {
            problem = std::string(call) + "\n  ours:  " + mine + "\n  stock: " + theirs;
            break;
        }
    }
    LuaSetRunLimit(0);
    LuaSetRunClock(nullptr);
    // Both states go on after any error.
    if (problem.empty() &&
        Run(ours, "return string.find('abc', 'b')", true) != "number:2 number:2 ")
        problem = "our state was not usable afterwards";
    return problem;
}

inline int FuzzLuaPatterns(const uint8_t* data, size_t size) {
    const std::string problem = CheckLuaPatterns(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
