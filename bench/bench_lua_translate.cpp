// Speed of the script translator: translating and loading about 1 MB of
// script source against loading the same source on the engine alone. The
// translation is meant to cost no more than the engine's own load, so the
// ratio should stay at or below 2. Prints its figures.

#include "framework/script/engine/LuaTranslator.h"

#include <lauxlib.h>
#include <lua.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Script code shaped like the game's screens: functions with tables,
// loops, calls, strings and comments, valid both as dialect and as 5.1.
std::string MakePlainSource(size_t size) {
    std::string text = "local screens = {}\n";
    for (int i = 0; text.size() < size; ++i) {
        const std::string n = std::to_string(i);
        text += "-- screen " + n +
                ": builds its window table and reacts to its buttons\n"
                "function screens.build" +
                n +
                "(owner, x, y)\n"
                "  local window = { name = \"panel" +
                n +
                "\", x = x + 10, y = y * 2,\n"
                "    children = { { type = 'button', label = \"OK\", w = 120, h = 40 },\n"
                "                 { type = 'text', text = [[Level " +
                n +
                " complete]] } } }\n"
                "  for i = 1, table.getn(window.children) do\n"
                "    local child = window.children[i]\n"
                "    if child.type == 'button' and not child.hidden then\n"
                "      child.onPress = function(self) return owner:Close(\"" +
                n +
                "\") end\n"
                "    elseif child.w ~= nil then\n"
                "      child.w = child.w - 2.5e1 / 4\n"
                "    end\n"
                "  end\n"
                "  local k, total = 0, 0\n"
                "  while k < 10 do k = k + 1 total = total + k * 3 end\n"
                "  return window, total .. 'px'\n"
                "end\n";
    }
    return text + "return screens\n";
}

// The same shape using the dialect's own constructs.
std::string MakeDialectSource(size_t size) {
    std::string text = "local screens = {}\n";
    for (int i = 0; text.size() < size; ++i) {
        const std::string n = std::to_string(i);
        text += "function screens.flags" + n +
                "(mask, items)\n"
                "  local title = L\"Level " +
                n +
                " \\x263a complete\"\n"
                "  for i = 1, table.getn(items) do\n"
                "    if items[i] & 1 == 0 then continue end\n"
                "    for j = 1, 4 do\n"
                "      if (mask >> j) & 1 == 1 then break 2 end\n"
                "      mask = mask | (1 << j)\n"
                "    end\n"
                "  end\n"
                "  repeat local more = mask > 0 mask = mask >> 1 until mask == 0\n"
                "  return title, mask\n"
                "end\n";
    }
    return text + "return screens\n";
}

// Each figure is the best of its rounds, so other work on the machine
// weighs less.
double Load(lua_State* L, const std::string& source, int rounds) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (luaL_loadbuffer(L, source.data(), source.size(), "=bench") != 0) {
            std::printf("load failed: %s\n", lua_tostring(L, -1));
            return -1;
        }
        best = std::min(best, Seconds(start));
        lua_pop(L, 1);
    }
    return best;
}

double TranslateAndLoad(lua_State* L, const std::string& source, int rounds,
                        double* translateOnly) {
    double best = 1e9;
    *translateOnly = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const TLuaTranslation translation = TranslateLuaSource(source, "=bench");
        *translateOnly = std::min(*translateOnly, Seconds(start));
        if (!translation.ok) {
            std::printf("translation failed: %s\n", translation.error.c_str());
            return -1;
        }
        if (luaL_loadbuffer(L, translation.source.data(), translation.source.size(), "=bench") !=
            0) {
            std::printf("load failed: %s\n", lua_tostring(L, -1));
            return -1;
        }
        best = std::min(best, Seconds(start));
        lua_pop(L, 1);
    }
    return best;
}

} // namespace

int main() {
    const int rounds = 10;
    lua_State* L = luaL_newstate();
    const std::string plain = MakePlainSource(1 << 20);
    Load(L, plain, 1);
    const double load = Load(L, plain, rounds);
    double translate = 0;
    const double both = TranslateAndLoad(L, plain, rounds, &translate);
    std::printf("plain source, %zu bytes\n", plain.size());
    std::printf("  load only:            %8.2f ms\n", load * 1000);
    std::printf("  translate:            %8.2f ms\n", translate * 1000);
    std::printf("  translate and load:   %8.2f ms\n", both * 1000);
    std::printf("  ratio:                %8.2f (target <= 2)\n", both / load);

    const std::string dialect = MakeDialectSource(1 << 20);
    const TLuaTranslation translated = TranslateLuaSource(dialect, "=bench");
    const double loadTranslated = Load(L, translated.source, rounds);
    const double bothDialect = TranslateAndLoad(L, dialect, rounds, &translate);
    std::printf("dialect source, %zu bytes (%zu bytes translated)\n", dialect.size(),
                translated.source.size());
    std::printf("  load of translation:  %8.2f ms\n", loadTranslated * 1000);
    std::printf("  translate:            %8.2f ms\n", translate * 1000);
    std::printf("  translate and load:   %8.2f ms\n", bothDialect * 1000);
    std::printf("  ratio:                %8.2f (target <= 2)\n", bothDialect / loadTranslated);
    lua_close(L);
    return 0;
}
