// Cost of runs of concatenations on the framework's engine. The translator
// hands a run to the dialect's `cat` only when it could hold a wide string
// and ends in two operands that could be numbers; every other run is left
// to the engine as it was. Each case runs the same loop loaded two ways:
// through the framework's loader (the translation) and straight into the
// engine (what the translator used to give for these runs, which it copied
// unchanged), and prints both figures and their ratio. A narrow run that
// is left as it was should cost the same (ratio about 1).

#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/LuaTranslator.h"
#include "framework/script/engine/LuaWideString.h"

#include <lauxlib.h>
#include <lua.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

struct Case {
    const char* name;
    const char* expression;
    int passes;
};

// The loop each case times; a, b and c are narrow strings, w, x and y wide
// ones, all set as globals before it runs.
std::string LoopSource(const Case& c) {
    return "local a, b, c, w, x, y = A, B, C, W1, W2, W3\n"
           "for i = 1, " +
           std::to_string(c.passes) + " do\n  local s = " + c.expression + "\nend\n";
}

// Seconds for the best of rounds runs of the function on the stack top.
double BestRun(lua_State* L, int rounds) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        lua_pushvalue(L, -1);
        const auto start = std::chrono::steady_clock::now();
        if (lua_pcall(L, 0, 0, 0) != 0) {
            std::printf("run failed: %s\n", lua_tostring(L, -1));
            lua_pop(L, 1);
            return -1;
        }
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void SetWide(lua_State* L, const char* name, const char16_t* text) {
    LuaPushWString(L, text);
    lua_setglobal(L, name);
}

} // namespace

int main() {
    lua_State* L = LuaOpenState();
    if (!L)
        return 1;
    lua_pushliteral(L, "alpha");
    lua_setglobal(L, "A");
    lua_pushliteral(L, "beta");
    lua_setglobal(L, "B");
    lua_pushliteral(L, "gamma");
    lua_setglobal(L, "C");
    SetWide(L, "W1", u"alpha");
    SetWide(L, "W2", u"beta");
    SetWide(L, "W3", u"gamma");

    const Case cases[] = {
        {"narrow run left as it is", "a .. ':' .. b .. ':' .. c", 1000000},
        {"narrow run ending in a literal", "a .. b .. c .. '!'", 1000000},
        {"narrow run through cat", "a .. b .. c", 1000000},
        {"narrow run with numbers through cat", "a .. i .. i", 1000000},
        {"wide run through cat", "w .. x .. y", 200000},
    };
    const int rounds = 5;
    std::printf("%-38s %10s %10s %7s  %s\n", "case", "before ns", "now ns", "ratio", "translation");
    for (const Case& c : cases) {
        const std::string source = LoopSource(c);
        const TLuaTranslation translation = TranslateLuaSource(source, "=bench");
        const bool same = translation.ok && translation.source == source;
        if (luaL_loadbuffer(L, source.data(), source.size(), "=bench") != 0) {
            std::printf("%s: load failed: %s\n", c.name, lua_tostring(L, -1));
            return 1;
        }
        BestRun(L, 1);
        const double before = BestRun(L, rounds);
        lua_pop(L, 1);
        if (LuaLoadBuffer(L, source.data(), source.size(), "=bench") != 0) {
            std::printf("%s: load failed: %s\n", c.name, lua_tostring(L, -1));
            return 1;
        }
        BestRun(L, 1);
        const double now = BestRun(L, rounds);
        lua_pop(L, 1);
        std::printf("%-38s %10.1f %10.1f %7.2f  %s\n", c.name, before * 1e9 / c.passes,
                    now * 1e9 / c.passes, now / before, same ? "unchanged" : "calls cat");
    }
    lua_close(L);
    return 0;
}
