#pragma once

// Entry function of the script translator's fuzz target. The libFuzzer
// program calls it with generated sources; the corpus replay test checks
// every seed with the same function, so each `make test` runs the seeds
// under the sanitizers.

#include "framework/script/engine/LuaTranslator.h"

#include <lauxlib.h>
#include <lua.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// Translates the input and says what is wrong with the result, or gives
// "": a refused input must say why, as the engine words a syntax error on
// one of the input's lines; an accepted one must keep the number of lines
// and load on the stock engine.
inline std::string CheckLuaTranslation(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), data ? size : 0);
    const TLuaTranslation translation = TranslateLuaSource(text, "=fuzz");
    const bool wide = text.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE;
    size_t lines = 0;
    if (wide) {
        for (size_t i = 2; i + 1 < text.size(); i += 2)
            lines += data[i] == '\n' && data[i + 1] == 0;
    } else {
        lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
    if (!translation.ok) {
        const std::string& error = translation.error;
        const size_t digits = error.find_first_not_of("0123456789", 5);
        if (error.compare(0, 5, "fuzz:") != 0 || digits == 5 || digits == std::string::npos ||
            error.compare(digits, 2, ": ") != 0 || error.find(" near '") == std::string::npos)
            return "refused with a message not worded as a syntax error: " + error;
        const unsigned long line = std::strtoul(error.c_str() + 5, nullptr, 10);
        if (line < 1 || line > lines + 1)
            return "refused on a line the input does not have: " + error;
        return "";
    }
    const size_t written =
        static_cast<size_t>(std::count(translation.source.begin(), translation.source.end(), '\n'));
    if (written != lines) {
        return std::to_string(lines) + " lines became " + std::to_string(written) + ":\n" +
               translation.source;
    }
    lua_State* L = luaL_newstate();
    if (!L)
        return "";
    std::string problem;
    if (luaL_loadbuffer(L, translation.source.data(), translation.source.size(), "=fuzz") != 0) {
        problem = "engine refused the translation: " + std::string(lua_tostring(L, -1)) + "\n" +
                  translation.source;
    }
    lua_close(L);
    return problem;
}

// The fuzz target's body: any problem is a translator fault and aborts.
inline int FuzzLuaTranslate(const uint8_t* data, size_t size) {
    const std::string problem = CheckLuaTranslation(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
