// The string library's pattern functions against the stock ones of the
// distribution's engine (a bare state with luaL_openlibs): the same
// results and the same error texts over a broad table of patterns and
// subjects; and matches that backtrack for ever, stopped by the run
// watchdog under a clock the test drives.

#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/LuaTestState.h"

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using support::LuaTestState;

namespace {

using namespace std::string_literals;

// Helpers both states define, so gmatch's iterations compare as one text.
const char* const kHelpers = R"(
function gm(s, p)
  local out = ''
  for a, b in string.gmatch(s, p) do
    out = out .. '[' .. tostring(a) .. ',' .. tostring(b) .. ']'
  end
  return out
end
)";

// A value as the comparison sees it: its type and its bytes, escaped.
std::string Describe(lua_State* L, int index) {
    std::string out = lua_typename(L, lua_type(L, index));
    out += ':';
    if (lua_type(L, index) == LUA_TSTRING || lua_type(L, index) == LUA_TNUMBER) {
        size_t length = 0;
        lua_pushvalue(L, index); // tolstring would change a number in place
        const char* text = lua_tolstring(L, -1, &length);
        for (size_t i = 0; i < length; ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, c < 32 || c > 126 ? "\\%u" : "%c", c);
            out += escaped;
        }
        lua_pop(L, 1);
    } else if (lua_type(L, index) == LUA_TBOOLEAN) {
        out += lua_toboolean(L, index) ? "true" : "false";
    }
    return out;
}

// The stock library and ours side by side, with the globals S (subject),
// P (pattern) and R (replacement) set alike in both.
class Pair {
public:
    Pair() : mStock(luaL_newstate()) {
        luaL_openlibs(mStock);
        EXPECT_EQ(Run(mStock, kHelpers), "");
        EXPECT_EQ(Run(mOurs.L(), kHelpers), "");
    }
    ~Pair() { lua_close(mStock); }
    Pair(const Pair&) = delete;
    Pair& operator=(const Pair&) = delete;

    void Set(const char* name, const std::string& value) {
        for (lua_State* L : {mStock, mOurs.L()}) {
            lua_pushlstring(L, value.data(), value.size());
            lua_setglobal(L, name);
        }
    }

    // Runs code in both states; "" when they agree, else both outcomes.
    std::string Compare(const std::string& code) {
        const std::string stock = Run(mStock, code);
        const std::string ours = Run(mOurs.L(), code);
        return stock == ours ? "" : "stock " + stock + "\n ours " + ours;
    }

    // The results of code, or its error text.
    std::string Run(lua_State* L, const std::string& code) {
        const int top = lua_gettop(L);
        const bool stock = L == mStock;
        int status = stock ? luaL_loadbuffer(L, code.data(), code.size(), "=diff")
                           : LuaLoadBuffer(L, code.data(), code.size(), "=diff");
        if (status == 0)
            status = lua_pcall(L, 0, LUA_MULTRET, 0);
        std::string out;
        if (status != 0)
            out = "error " + Describe(L, -1);
        for (int i = top + 1; status == 0 && i <= lua_gettop(L); ++i)
            out += Describe(L, i) + " ";
        lua_settop(L, top);
        return out;
    }

    lua_State* Ours() const { return mOurs.L(); }

private:
    lua_State* mStock;
    LuaTestState mOurs;
};

// Patterns: every item kind, quantifier, anchor, capture form and set
// form, and each malformed form.
const std::vector<std::string> kPatterns = {
    "",
    "a",
    "a*",
    "a+",
    "a-",
    "a?",
    ".",
    ".*",
    ".-",
    "^a",
    "a$",
    "^$",
    "$a",
    "a$b",
    "^",
    "^^",
    "%a+",
    "%A+",
    "%d+",
    "%D",
    "%l%u",
    "%p",
    "%P+",
    "%s*",
    "%S+",
    "%w+",
    "%W",
    "%x+",
    "%X",
    "%c",
    "%C+",
    "%z",
    "%Z+",
    "%%",
    "%.",
    "%]",
    "%-",
    "%q",
    "[abc]",
    "[^abc]",
    "[a-c]+",
    "[%a_][%w_]*",
    "[%]]",
    "[]]",
    "[^]]",
    "[]",
    "[^]",
    "[a-]",
    "[-a]",
    "[a%-z]",
    "[%d-]",
    "[^%s]+",
    "[.]",
    "[%a-z]",
    "[z-a]",
    "[\200-\377]+",
    "(a)",
    "(a*)",
    "()a()",
    "(a)(b)",
    "((a)(b))",
    "(a)%1",
    "(%a+)%s*%1",
    "()",
    "(",
    ")",
    "(()",
    "a)",
    "(a",
    "%1",
    "(a)%2",
    "%0",
    "(a%1)",
    "()%1",
    "(a)()%2",
    "%b()",
    "%b",
    "%b(",
    "%bab",
    "%b%%",
    "%b()*",
    "%f[%a]%a+",
    "%f[%A]",
    "%f[%z]",
    "%f[^%z]",
    "%f",
    "%fa",
    "%f[a",
    "[a",
    "[^",
    "[",
    "%",
    "a%",
    "[%",
    "[a-",
    "[%a",
    "x*y",
    "(x*)(y*)",
    "a.-b",
    "a.*b",
    "^(%s*)(.-)(%s*)$",
    "[+-]?%d+%.?%d*",
    "%$%d",
    "%x%x?",
    "(h)(e)(l)(l)(o)",
    "a\0b"s,
    "\0"s,
    "%z+",
    "[\0a]+"s,
    "a-b",
    "(a-)b",
    ".-$",
    "()a*()",
    "%w+=%w+",
    "[%w%.]+@[%w%.]+",
    "%u+",
    "[A-Z][a-z]*",
    "%d%d?%d?",
    "(%w+)=(%w+)",
    "(.)%1",
    "^(.-)%s",
    "([^,;]+)",
    "%s*([^=]+)=%s*(.*)",
    std::string(40, '('),
    "b*$",
    "^a-$",
    "[%w_]+%s*%(",
    "%b[]",
    "(%b())",
    "%f[%w]%w+%f[%W]",
    "%.%.%.",
    "a??",
    "a**",
    "a+-",
    "-a",
    "*a",
    "?",
    "+",
};

const std::vector<std::string> kSubjects = {
    "",
    "a",
    "aaa",
    "abc",
    "hello world",
    "  trim me  ",
    "x = 10, y = 20",
    "f(a(b)c)d",
    "THE (quick) fox",
    "abcabc",
    "a\0b\0c"s,
    "\0"s,
    "123abc456",
    "key=value; k2=v2",
    "[x]-y",
    "\200\201\377 bytes",
    "aab",
    "abba",
    "$12.50",
    "%a%",
    "a.b@c.d",
    "hello",
    "Name_1 (x)",
    "[[a]] [b]",
    "...",
    "a-b-c",
    "yyxxy",
};

// Each pattern over each subject, through every function and form.
TEST(LuaStringPatterns, AgreeWithTheStockFunctions) {
    Pair pair;
    const char* const forms[] = {
        "return string.find(S, P)",
        "return string.find(S, P, 3)",
        "return string.find(S, P, -2)",
        "return string.find(S, P, 1, true)",
        "return string.match(S, P)",
        "return string.match(S, P, 2)",
        "return gm(S, P)",
        "return string.gsub(S, P, '<%0>')",
        "return string.gsub(S, P, '%1|')",
        "return string.gsub(S, P, '[%2]', 2)",
        "return string.gsub(S, P, {a = 'A', b = false, hello = 7})",
        "return string.gsub(S, P, function(a, b) return tostring(a) .. tostring(b) end)",
    };
    for (const std::string& pattern : kPatterns) {
        pair.Set("P", pattern);
        for (const std::string& subject : kSubjects) {
            pair.Set("S", subject);
            for (const char* form : forms) {
                const std::string differs = pair.Compare(form);
                EXPECT_EQ(differs, "")
                    << form << "\n S = '" << subject << "'\n P = '" << pattern << "'";
            }
        }
    }
}

// Starting positions, plain searches, replacement texts, counts and
// argument errors, each compared whole.
TEST(LuaStringPatterns, ArgumentsAndReplacementsAgreeWithTheStockFunctions) {
    Pair pair;
    const char* const cases[] = {
        "return string.find('abc', '', 10)",
        "return string.find('abc', '', 4)",
        "return string.find('abc', '', 3)",
        "return string.find('abc', 'b', -1)",
        "return string.find('abc', 'b', -10)",
        "return string.find('abc', 'b', 0)",
        "return string.find('abc', 'c', 2.9)",
        "return string.find('abc', 'b', -1e300)",
        "return string.find('abc', 'b', 1e300)",
        "return string.find('abc', 'b', '2')",
        "return string.find('abc', 'b', 'x')",
        "return string.find('a.c', '.', 1, true)",
        "return string.find('a.c', '.', 2, 1)",
        "return string.find('a.c', '.', 1, false)",
        "return string.find('a+b', 'a+b', 1, true)",
        "return string.find('a\\0b', 'a\\0b')",
        "return string.find('a\\0b', '\\0b')",
        "return string.find('a\\0b', '\\0.')",
        "return string.find('xa\\0c', 'a\\0.')",
        "return string.find(12345, 34)",
        "return string.find(12345, 3.4)",
        "return string.match(12345, '%d+', 3)",
        "return string.find('abc', 'abcd')",
        "return string.find('', '')",
        "return string.find('', 'a', 1, true)",
        "return ('abc'):find('b')",
        "return ('a,b,,c'):gsub(',', ';')",
        "return string.find()",
        "return string.find('a')",
        "return string.find(nil, 'a')",
        "return string.find({}, 'a')",
        "return string.find('a', {})",
        "return string.match('a')",
        "return string.match('a', nil)",
        "return string.gmatch('a')",
        "return string.gmatch(nil, 'a')",
        "return string.gsub('a', 'a')",
        "return string.gsub('a', 'a', true)",
        "return string.gsub('a', 'a', nil)",
        "return string.gsub(nil, 'a', '')",
        "return string.gsub('a', nil, '')",
        "return string.gsub('a', 'a', 'b', 'x')",
        "return string.gsub('aaa', 'a', 'b', 2)",
        "return string.gsub('aaa', 'a', 'b', 0)",
        "return string.gsub('aaa', 'a', 'b', -1)",
        "return string.gsub('aaa', 'a', 'b', 2.7)",
        "return string.gsub('aaa', '^a', 'b')",
        "return string.gsub('abc', '', '-')",
        "return string.gsub('abc', '.-', '-')",
        "return string.gsub('abc', 'x*', '-')",
        "return string.gsub('hello world', '(%w+)', '<%1>')",
        "return string.gsub('hello world', '%w+', '%0 %0')",
        "return string.gsub('abc', '%w', '%2')",
        "return string.gsub('abc', '(%w)', '%2')",
        "return string.gsub('abc', 'b', '%')",
        "return string.gsub('abc', 'b', 'x%')",
        "return string.gsub('abc', 'b', '%%')",
        "return string.gsub('abc', 'b', '%a%.')",
        "return string.gsub('abc', 'b', '%9')",
        "return string.gsub('abc', '()b', '%1')",
        "return string.gsub('abc', '(b', '%1')",
        "return string.gsub('abc', '(b)', '%0%1%0')",
        "return string.gsub('abc', 'b', 42)",
        "return string.gsub('abc', 'b', 4.5)",
        "return string.gsub('abc', 'b', 'a\\0b')",
        "return string.gsub('abc', '%w', {a = 1, b = true})",
        "return string.gsub('abc', '%w', {a = 1, b = {}})",
        "return string.gsub('abc', '(%w)(%w)', {a = 'X'})",
        "return string.gsub('abc', '()', {})",
        "return string.gsub('abc', '%w', string.upper)",
        "return string.gsub('abc', '(%w)()', function(c, p) return c .. p end)",
        "return string.gsub('abc', '%w', function(c) error('no ' .. c) end)",
        "return string.gsub('abc', '(', function() return 'x' end)",
        "return string.gsub('abc', '(b', function() return 'x' end)",
        "return string.gsub(123, 2, 9)",
        "local t = {} for k, v in string.gmatch('a=1, b=2', '(%w+)=(%w+)') do "
        "t[k] = v end return t.a, t.b",
        "local f = string.gmatch('abc', '.') f() f() return f(), f(), f()",
        "local f = string.gmatch('abc', '(') return pcall(f)",
        "local f = string.gmatch('abc', '%') return pcall(f)",
        "return gm('abc', '^a')",
        "return gm('a^b^', '^.')",
        "return gm('abc', 'a*')",
        "return gm('', '')",
        "return string.match('x', string.rep('()', 32))",
        "return string.match('x', string.rep('()', 33))",
        "return string.find('x', string.rep('(x?)', 33))",
        "return string.find('aaa', '(a)(a)(a)')",
        "return string.find('   ', '^%s*$')",
    };
    for (const char* code : cases)
        EXPECT_EQ(pair.Compare(code), "") << code;
}

// The clock the watchdog reads in these tests: each reading is a
// millisecond after the one before, whatever the machine's speed.
std::atomic<int> gClockReadings{0};
std::chrono::steady_clock::time_point HandClock() {
    const int reading = gClockReadings.fetch_add(1) + 1;
    return std::chrono::steady_clock::time_point{} + std::chrono::milliseconds(reading);
}

// Sets a run limit and the hand clock for one test, and a pass of the
// main loop going on; puts both back afterwards.
class DrivenWatchdog {
public:
    explicit DrivenWatchdog(int limitMs) {
        LuaSetRunClock(HandClock);
        LuaSetRunLimit(limitMs);
        LuaNoteProgress();
    }
    ~DrivenWatchdog() {
        LuaSetRunLimit(0);
        LuaSetRunClock(nullptr);
    }
    DrivenWatchdog(const DrivenWatchdog&) = delete;
    DrivenWatchdog& operator=(const DrivenWatchdog&) = delete;
};

// A match that would backtrack for seconds (or years) inside one call is
// stopped once the script has run for the limit by the watchdog's clock,
// with the error the count hook raises, naming the script's file and line;
// the state goes on.
TEST(LuaStringPatterns, ARunawayMatchIsStoppedByTheWatchdog) {
    const struct {
        const char* what;
        const char* line;
    } cases[] = {
        {"greedy items that cannot end the match",
         "string.find(string.rep('a', 40) .. 'b', string.rep('a*', 30) .. 'c')"},
        {"lazy items over a long subject", "('x'):rep(1e5):find('.-.-.-.-.-y')"},
        {"match with captures",
         "string.match(string.rep('a', 5000), string.rep('(a-)', 20) .. 'b')"},
        {"gsub", "string.gsub(string.rep('x', 1e4), '.-.-.-.-y', '')"},
        {"gmatch", "for w in string.gmatch(string.rep('ab', 1e4), '.-.-.-.-z') do end"},
        // The count hook's own error, raised inside a function a script
        // called, names the function's line once.
        {"a loop in a called function", "local function spin() while true do end end spin()"},
        {"many short matches in a row",
         "local s = string.rep('a', 300) for i = 1, 1e9 do s:find('a-a-b') end"},
    };
    constexpr int kLimitMs = 50;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LuaTestState state;
        lua_State* L = state.L();
        DrivenWatchdog watchdog(kLimitMs);
        const std::string code = "local unused = 1\n"s + c.line;
        ASSERT_EQ(LuaLoadBuffer(L, code.data(), code.size(), "@scripts/runaway.lua"), 0);
        gClockReadings = 0;
        ASSERT_NE(lua_pcall(L, 0, 0, 0), 0);
        EXPECT_EQ(std::string(lua_tostring(L, -1)),
                  "scripts/runaway.lua:2: script ran for 50 ms without yielding or returning");
        lua_pop(L, 1);
        // One reading starts the script's time; the limit's worth follows.
        EXPECT_LE(gClockReadings.load(), kLimitMs + 2);
        EXPECT_EQ(state.Eval("string.find('abc', 'b')"), "2,2");
    }
}

// The watchdog leaves long matches that end alone: their steps are a
// small part of the limit's budget.
TEST(LuaStringPatterns, ALongMatchThatEndsIsNotStopped) {
    LuaTestState state;
    DrivenWatchdog watchdog(200);
    gClockReadings = 0;
    EXPECT_EQ(state.Eval("string.find(string.rep('a', 1e6) .. 'b', 'a*b')"), "1,1000001");
    EXPECT_EQ(state.Eval("select(2, string.gsub(string.rep('ab', 1e5), '%w', ''))"), "200000");
    EXPECT_LT(gClockReadings.load(), 100);
    EXPECT_GT(gClockReadings.load(), 0);
}

} // namespace
