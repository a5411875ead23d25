#pragma once

// Entry function of the script loader's fuzz target: whatever the bytes, a
// chunk that begins with the engine's signature byte is refused, text is
// translated and compiled or refused with a message, and the state stays
// usable. The corpus replay test runs the seeds through the same check
// under the sanitizers.

#include "framework/script/engine/LuaState.h"

#include <lauxlib.h>
#include <lua.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// What is wrong with how the loader took the input, or "".
inline std::string CheckLuaLoad(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    if (!data)
        size = 0;
    LuaSetMemoryBudget(size_t{32} << 20);
    lua_State* L = LuaOpenState();
    LuaSetMemoryBudget(0);
    if (!L)
        return "";
    std::string problem;
    const int status = LuaLoadBuffer(L, text, size, "=fuzz");
    if (size > 0 && data[0] == 0x1B) {
        if (status == 0)
            problem = "a precompiled chunk was loaded";
        else if (!lua_isstring(L, -1) ||
                 std::string(lua_tostring(L, -1)) != "=fuzz: precompiled chunks cannot be loaded")
            problem = "a precompiled chunk was refused with another message";
    } else if (status != 0 && !lua_isstring(L, -1)) {
        problem = "a refusal without a message";
    } else if (status == 0 && !lua_isfunction(L, -1)) {
        problem = "a load that gave no function";
    }
    lua_settop(L, 0);
    const std::string after = "return 1 + 1";
    if (problem.empty() && (LuaLoadBuffer(L, after.data(), after.size(), "=after") != 0 ||
                            lua_pcall(L, 0, 1, 0) != 0 || lua_tonumber(L, -1) != 2))
        problem = "the state was not usable after the load";
    lua_close(L);
    return problem;
}

inline int FuzzLuaLoad(const uint8_t* data, size_t size) {
    const std::string problem = CheckLuaLoad(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
