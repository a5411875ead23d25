// Speed of the string library's pattern matcher (the one that counts its
// steps for the run watchdog) against the engine's stock functions, on the
// patterns the shipped scripts use and a few heavier ones. Each case runs
// the same Lua loop in a state of ours and in a bare state with the stock
// library; prints microseconds per call for both and their ratio. A
// screen calls these a handful of times when it opens, so a ratio near 1
// is far below anything a player sees.

#include "framework/script/engine/LuaState.h"

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

struct Case {
    const char* what;
    const char* setup; // run once
    const char* call;  // run `count` times in a loop
    int count;
};

const Case kCases[] = {
    // register.lua: the typed name trimmed.
    {"trim a name (register.lua)", "s = '   Annabel Lee  '", "string.gsub(s, '^%s*(.-)%s*$', '%1')",
     200000},
    // common.lua: a name escaped for rich text.
    {"escape a name (common.lua)", "s = 'Ann <the> \\\\ best'",
     "string.gsub(s, '([\\\\<])', '\\\\%1')", 200000},
    {"find a word", "s = string.rep('lorem ipsum ', 20) .. 'target'", "string.find(s, 'target')",
     200000},
    {"match key=value", "s = 'music_volume = 75'", "string.match(s, '^%s*([%w_]+)%s*=%s*(%d+)')",
     200000},
    {"split a label into words", "s = string.rep('word ', 40)",
     "for w in string.gmatch(s, '%a+') do end", 20000},
    {"replace with a function", "s = string.rep('a1b2c3', 20)",
     "string.gsub(s, '%d', function(d) return d + 1 end)", 20000},
    {"backtracking over 200 bytes", "s = string.rep('ab', 100)", "string.find(s, '.-b.-c')", 50},
};

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best of a few rounds of the case's loop, in microseconds per call.
double Time(lua_State* L, const Case& c, bool ours) {
    const std::string setup = c.setup;
    const std::string loop =
        std::string("for i = 1, ") + std::to_string(c.count) + " do " + c.call + " end";
    double best = 1e9;
    for (const std::string* code : {&setup, &loop, &loop, &loop, &loop}) {
        const int status = ours ? LuaLoadBuffer(L, code->data(), code->size(), "=bench")
                                : luaL_loadbuffer(L, code->data(), code->size(), "=bench");
        const auto start = std::chrono::steady_clock::now();
        if (status != 0 || lua_pcall(L, 0, 0, 0) != 0) {
            std::printf("%s failed: %s\n", c.what, lua_tostring(L, -1));
            lua_pop(L, 1);
            return -1;
        }
        if (code == &loop)
            best = std::min(best, Seconds(start));
    }
    return best * 1e6 / c.count;
}

} // namespace

int main() {
    lua_State* stock = luaL_newstate();
    luaL_openlibs(stock);
    lua_State* ours = LuaOpenState();
    std::printf("%-30s %12s %12s %7s\n", "case", "ours us", "stock us", "ratio");
    for (const Case& c : kCases) {
        const double mine = Time(ours, c, true);
        const double theirs = Time(stock, c, false);
        std::printf("%-30s %12.3f %12.3f %7.2f\n", c.what, mine, theirs, mine / theirs);
    }
    lua_close(ours);
    lua_close(stock);
    return 0;
}
