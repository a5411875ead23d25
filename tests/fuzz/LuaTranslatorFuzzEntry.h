#pragma once

// Entry function of the script translator's fuzz target. The libFuzzer
// program calls it with generated sources; the corpus replay test calls it
// with every seed, so each `make test` runs the seeds under the sanitizers.

#include "framework/script/engine/LuaTranslator.h"

#include <lauxlib.h>
#include <lua.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// Translates the input; a refused input must say why, and an accepted one
// must load on the stock engine and keep the number of lines. Anything
// else is a translator fault and aborts.
inline int FuzzLuaTranslate(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TLuaTranslation translation = TranslateLuaSource(text, "=fuzz");
    if (!translation.ok) {
        if (translation.error.empty()) {
            std::fprintf(stderr, "refused without a message\n");
            std::abort();
        }
        return 0;
    }
    const bool wide = size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
    size_t lines = 0;
    if (wide) {
        for (size_t i = 2; i + 1 < size; i += 2)
            lines += data[i] == '\n' && data[i + 1] == 0;
    } else {
        lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
    const size_t written =
        static_cast<size_t>(std::count(translation.source.begin(), translation.source.end(), '\n'));
    if (written != lines) {
        std::fprintf(stderr, "%zu lines became %zu:\n%s\n", lines, written,
                     translation.source.c_str());
        std::abort();
    }
    lua_State* L = luaL_newstate();
    if (!L)
        return 0;
    if (luaL_loadbuffer(L, translation.source.data(), translation.source.size(), "=fuzz") != 0) {
        std::fprintf(stderr, "engine refused the translation: %s\n%s\n", lua_tostring(L, -1),
                     translation.source.c_str());
        std::abort();
    }
    lua_close(L);
    return 0;
}
