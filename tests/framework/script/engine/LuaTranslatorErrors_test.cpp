// Syntax errors read as the engine's, on the original lines, under the
// engine's chunk names; run-time errors and tracebacks name original lines.

#include "LuaTranslatorRunner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using support::DialectCase;
using support::DialectRunner;

TEST(LuaTranslatorErrors, SyntaxErrorsWithTheirLines) {
    const DialectCase cases[] = {
        {"x = = 1", "test:1: unexpected symbol near '='"},
        {"for i=1,2 do\n x = 1\n",
         "test:3: 'end' expected (to close 'for' at line 1) near '<eof>'"},
        {"if x then\n\n y = 1 else",
         "test:3: 'end' expected (to close 'if' at line 1) near '<eof>'"},
        {"if x then y = 1 else", "test:1: 'end' expected near '<eof>'"},
        {"f(\n", "test:2: unexpected symbol near '<eof>'"},
        {"x = 'abc", "test:1: unfinished string near '<eof>'"},
        {"x = \"a\nb\"", "test:1: unfinished string near '\"a'"},
        {"x = 3..4", "test:1: ambiguous syntax (decimal point x string concatenation) near '3..'"},
        {"x = 1e", "test:1: malformed number near '1e'"},
        {"x = \x01", "test:1: invalid control char near 'char(1)'"},
        {"x = 1 \xFF", "test:1: invalid wide char near 'char(255)'"},
        {"x = '\\300'", "test:1: escape sequence too large near ''\\300'"},
        {"x = [[\nabc", "test:2: unfinished long string near '<eof>'"},
        {"--[[\n\n", "test:3: unfinished long comment near '<eof>'"},
        {"local a = f\n(g)()", "test:2: ambiguous syntax (function call x new statement) near '('"},
        {"local __dialect__ = 1", "test:1: reserved name near '__dialect__'"},
        {"__dialect__.band(1, 2)", "test:1: reserved name near '__dialect__'"},
        {"local function f(__dialect__x) end", "test:1: reserved name near '__dialect__x'"},
        {"x = [[a\nb\nc]]\ny = = 1", "test:4: unexpected symbol near '='"},
        {"function f(a, 1) end", "test:1: <name> or '...' expected near '1'"},
        {"f() = 1", "test:1: unexpected symbol near '='"},
        {"(a) = 1", "test:1: syntax error near '='"},
        {"a.b:c = 1", "test:1: function arguments expected near '='"},
        {"for i do end", "test:1: '=' or 'in' expected near 'do'"},
        {"x = {1 2}", "test:1: '}' expected near '2'"},
        {"return return", "test:1: unexpected symbol near 'return'"},
        {"return 1 return", "test:1: '<eof>' expected near 'return'"},
        {"x = L\"abc\ny\"", "test:1: unfinished string near 'L\"abc'"},
        {"x = L\"\\256\"", "test:1: escape sequence too large near 'L\"\\256'"},
        {"x = L\"abc", "test:1: unfinished string near '<eof>'"},
    };
    for (const DialectCase& c : cases) {
        SCOPED_TRACE(c.source);
        const TLuaTranslation translation = TranslateLuaSource(c.source, "=test");
        EXPECT_FALSE(translation.ok);
        EXPECT_EQ(translation.error, c.expected);
    }
}

TEST(LuaTranslatorErrors, DeepNestingIsAnErrorNotACrash) {
    const std::string deep = "x = " + std::string(100000, '(') + "1" + std::string(100000, ')');
    TLuaTranslation translation = TranslateLuaSource(deep, "=test");
    EXPECT_EQ(translation.error, "test:1: too many syntax levels near '('");
    std::string chain = "x = 1";
    for (int i = 0; i < 300; ++i)
        chain += " & 1";
    translation = TranslateLuaSource(chain, "=test");
    EXPECT_EQ(translation.error, "test:1: too many syntax levels near '&'");
    std::string targets = "a";
    for (int i = 0; i < 300; ++i)
        targets += ", a";
    translation = TranslateLuaSource(targets + " = 1", "=test");
    EXPECT_FALSE(translation.ok);
    std::string blocks;
    for (int i = 0; i < 300; ++i)
        blocks += "do ";
    translation = TranslateLuaSource(blocks, "=test");
    EXPECT_EQ(translation.error, "test:1: too many syntax levels near 'do'");
}

TEST(LuaTranslatorErrors, NestingJustUnderTheLimitsLoads) {
    DialectRunner runner;
    std::string chain = "return 1";
    for (int i = 0; i < 150; ++i)
        chain += " & 1";
    EXPECT_EQ(runner.Run(chain), "1");
    std::string parens = "return " + std::string(150, '(') + "2" + std::string(150, ')');
    EXPECT_EQ(runner.Run(parens), "2");
}

TEST(LuaTranslatorErrors, TooManyLocals) {
    std::string source;
    for (int i = 0; i < 201; ++i)
        source += "local a" + std::to_string(i) + " ";
    const TLuaTranslation translation = TranslateLuaSource(source, "=test");
    EXPECT_FALSE(translation.ok);
    EXPECT_NE(translation.error.find("too many local variables"), std::string::npos);
}

// 5.0 allows 32 up-values; the translation's own one stays within 5.1's
// 60 however many a function uses.
TEST(LuaTranslatorErrors, UpvalueLimit) {
    std::string locals;
    std::string uses;
    for (int i = 0; i < 33; ++i) {
        locals += "local u" + std::to_string(i) + " = " + std::to_string(i) + " ";
        uses += " + u" + std::to_string(i);
    }
    TLuaTranslation translation =
        TranslateLuaSource(locals + "return function() return 0" + uses + " end", "=test");
    EXPECT_FALSE(translation.ok);
    EXPECT_NE(translation.error.find("too many upvalues (limit=32)"), std::string::npos);
    const size_t cut = uses.rfind(" + ");
    DialectRunner runner;
    EXPECT_EQ(
        runner.Run(locals + "return (function() return 1 & 1" + uses.substr(0, cut) + " end)()"),
        "497");
    // Names are looked up as 5.0 scopes them: the same name again, or a
    // name out of scope, is no further up-value.
    std::string same = "local a = 1 return function() return 0";
    for (int i = 0; i < 40; ++i)
        same += " + a";
    EXPECT_TRUE(TranslateLuaSource(same + " end", "=test").ok);
}

// The chunk names are shortened as the engine shortens them: the message
// of a syntax error that the engine itself reports starts the same way.
TEST(LuaTranslatorErrors, ChunkNamesAsTheEngineShowsThem) {
    const std::string names[] = {
        "=name",
        std::string("=").append(80, 'n'),
        "@scripts/main.lua",
        std::string("@").append(100, 'p').append("/file.lua"),
        "x = = 1",
        "first line\nsecond line",
        std::string(43, 's'),
        std::string(44, 's'),
        std::string(100, 's'),
        "",
        "=",
        "@",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        lua_State* L = luaL_newstate();
        ASSERT_NE(luaL_loadbuffer(L, "x = = 1", 7, name.c_str()), 0);
        const std::string engine = lua_tostring(L, -1);
        lua_close(L);
        const TLuaTranslation translation = TranslateLuaSource("x = = 1", name);
        ASSERT_FALSE(translation.ok);
        EXPECT_EQ(translation.error.substr(0, translation.error.find(":1:")),
                  engine.substr(0, engine.find(":1:")));
    }
}

TEST(LuaTranslatorErrors, RuntimeErrorsNameOriginalLines) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run("local t = nil\n\n\nreturn t.x", "=chunk").substr(0, 56),
              "error: chunk:4: attempt to index local 't' (a nil value)");
    // A wrapped chunk, with a continue loop and a long string before the
    // failing line.
    const std::string source = "local m = 1 & 1\n"
                               "local s = [[\n[[x]]\n]]\n"
                               "local function boom()\n"
                               "  for i = 1, 2 do\n"
                               "    if i == 1 then continue end\n"
                               "    error('boom')\n"
                               "  end\n"
                               "end\n"
                               "boom()\n";
    const std::string result = runner.Run(source, "@game.lua");
    EXPECT_EQ(result.substr(0, 25), "error: game.lua:8: boom\ns");
    EXPECT_NE(result.find("game.lua:8: in function"), std::string::npos) << result;
    EXPECT_NE(result.find("game.lua:11:"), std::string::npos) << result;
}

TEST(LuaTranslatorErrors, BitwiseErrorNamesTheLine) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run("local a = 1\nlocal b = a & {}", "=c").substr(0, 60),
              "error: c:2: attempt to perform arithmetic on a table value\ns");
}

} // namespace
