// The dialect's grammar is Lua 5.0's: every construct translates, runs on
// the 5.1 engine and gives what 5.0 gives.

#include "LuaTranslatorRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using support::DialectCase;
using support::DialectRunner;
using support::RunDialectCases;

// Expected values worked out by 5.0's priorities, with the bitwise
// operators at 8 (left) and 8 (right): above * and /, below ^, and level
// with the unary operators.
TEST(LuaDialectSyntax, OperatorPrecedenceAndAssociativity) {
    const DialectCase cases[] = {
        {"return 2 + 3 * 4", "14"},       {"return 2 * 3 ^ 2", "18"},
        {"return -2 ^ 2", "-4"},          {"return 2 ^ 3 ^ 2", "512"},
        {"return 2 ^ -1", "0.5"},         {"return 10 - 4 - 3", "3"},
        {"return 64 / 4 / 2", "8"},       {"return 1 .. 2 .. 3", "123"},
        {"return 'a' .. 1 + 2", "a3"},    {"return 1 < 2 == true", "true"},
        {"return not 1 == 2", "false"},   {"return 1 or 2 and nil", "1"},
        {"return nil and 1 or 2", "2"},   {"return 6 & 3", "2"},
        {"return 1 << 31", "2147483648"}, {"return -1 >> 28", "15"},
        {"return 1 << 33", "2"},          {"return 6 | 3", "7"},
        {"return 2 + 3 & 1 * 4", "6"},    {"return 3 * 5 & 6", "12"},
        {"return 5 & 6 * 2", "8"},        {"return 4 | 1 & 1", "1"},
        {"return 1 << 2 | 1", "5"},       {"return 1 | 1 << 2", "4"},
        {"return -1 & 255", "255"},       {"return - 2 ^ 2 & 7", "4"},
        {"return 2 & 3 ^ 2", "0"},        {"return 1 + 1 << 1", "3"},
        {"return 7 - 2 & 3", "5"},        {"return 8 >> 1 .. ''", "4"},
        {"return 1 .. 2 & 3", "12"},      {"return 2 .. 3 << 1", "26"},
        {"return 3 > 2 & 1", "true"},     {"return 1 & 3 == 1", "true"},
        {"return (1 | 2) * 2", "6"},      {"return 12 / 2 & 7", "6"},
        {"return 2 ^ 2 & 7", "4"},        {"return 1 & 1 & 3 | 4 >> 1", "2"},
        {"local a = 5 return a&a", "5"},  {"return(1)&3", "1"},
        {"return f or 1 & 1", "1"},
    };
    RunDialectCases(cases, std::size(cases));
}

// Associativity shown through the grouping itself: the concatenation
// metamethod writes its operands in brackets, and the shifts and powers
// give different numbers for each grouping.
TEST(LuaDialectSyntax, AssociativityOfEachOperatorLevel) {
    const std::string grouping = "local m = {} m.__concat = function(a, b) local function s(x) "
                                 "if type(x) == 'table' then return x.n end return x end "
                                 "return setmetatable({n = '(' .. s(a) .. s(b) .. ')'}, m) end "
                                 "local function v(n) return setmetatable({n = n}, m) end ";
    const DialectCase cases[] = {
        {"return (v'a' .. v'b' .. v'c').n", "(a(bc))"},
        {"return (v'a' .. v'b' .. v'c' .. v'd').n", "(a(b(cd)))"},
        {"return ((v'a' .. v'b') .. v'c').n", "((ab)c)"},
        {"return 1 << 2 << 3, 256 >> 2 >> 1, 2 ^ 2 ^ 3, 2 ^ -2 ^ 2", "32,32,256,0.0625"},
        {"return 7 & 3 | 8, 7 | 8 & 3, 1 << 4 >> 2, 16 >> 2 << 1", "11,3,4,8"},
        {"return 100 / 10 / 5, 9 - 3 - 2, 2 * 3 / 6 * 4", "2,4,4"},
        {"return 1 < 2 == true, 2 == 2 ~= false, 1 == 1 == 1", "true,true,false"},
        {"return nil or false and 1, 1 or error('no'), false and error('no') or 3", "false,1,3"},
    };
    for (const DialectCase& c : cases) {
        DialectRunner runner;
        SCOPED_TRACE(c.source);
        EXPECT_EQ(runner.Run(grouping + c.source), c.expected);
    }
    DialectRunner runner;
    EXPECT_NE(runner.Run("return 1 < 2 < 3").find("attempt to compare boolean with number"),
              std::string::npos);
}

TEST(LuaDialectSyntax, BitwiseOperandsMustBeNumbers) {
    DialectRunner runner;
    EXPECT_NE(
        runner.Run("return not 1 & 1").find("attempt to perform arithmetic on a boolean value"),
        std::string::npos);
    EXPECT_NE(runner.Run("return {} | 1").find("arithmetic on a table value"), std::string::npos);
}

// Strings that read as numbers convert for the bitwise operators as they
// do for arithmetic; other strings are refused as arithmetic refuses them.
TEST(LuaDialectSyntax, BitwiseOperandsConvertNumericStrings) {
    const DialectCase cases[] = {
        {"return '6' & '3', '1' << 31, '-1' >> '28', 1 | '2'", "2,2147483648,15,3"},
        {"local function GetConfig(name) return '5' end return GetConfig('x') & 1", "1"},
        {"return ' 0x10 ' | 1, '2.9' & 3, '1e1' & 15", "17,2,10"},
        {"return '6' + 1, '6' & 1", "7,0"},
        {"return 'abc' & 1", "error: test:1: attempt to perform arithmetic on a string value"},
        {"return 1 | '', 2", "error: test:1: attempt to perform arithmetic on a string value"},
        {"return 1 << '1x'", "error: test:1: attempt to perform arithmetic on a string value"},
    };
    for (const DialectCase& c : cases) {
        DialectRunner runner;
        SCOPED_TRACE(c.source);
        const std::string expected = c.expected;
        std::string got = runner.Run(c.source);
        // An error comes with a traceback after its message.
        if (expected.rfind("error: ", 0) == 0)
            got = got.substr(0, got.find('\n'));
        EXPECT_EQ(got, expected);
    }
}

TEST(LuaDialectSyntax, StatementsOfTheGrammar) {
    const DialectCase cases[] = {
        {"local a, b = 1 if a == 2 then b = 'x' elseif a == 1 then b = 'y' else b = 'z' end "
         "return b",
         "y"},
        {"local n = 0 while n < 5 do n = n + 1 end return n", "5"},
        {"local s = 0 for i = 10, 1, -3 do s = s + i end return s", "22"},
        {"local s = '' for k, v in ipairs({'a', 'b'}) do s = s .. k .. v end return s", "1a2b"},
        {"local n = 0 repeat n = n + 1 until n == 3 return n", "3"},
        {"local x = 1 do local x = 2 end return x", "1"},
        {"local function f(n) if n < 2 then return 1 end return n * f(n - 1) end return f(5)",
         "120"},
        {"local t = {a = {b = {}}} function t.a.b:m(x) return self == t.a.b, x end "
         "return t.a.b:m(4)",
         "true,4"},
        {"a, b = 1, 2 a, b = b, a return a, b", "2,1"},
        {"local function f() return 1, 2, 3 end local t = {f()} return table.getn(t), (f())",
         "3,1"},
        {"local function f(s) return s end return f'a', f\"b\", f[[c]], f{1}[1]", "a,b,c,1"},
        {"local t = {1, 2; 3, x = 4, ['y'] = 5, [1 + 9] = 6,} "
         "return table.getn(t), t.x, t.y, t[10]",
         "3,4,5,6"},
        {"local t = {;} return next(t)", "nil"},
        {"local t = {1,;2} return t[1], t[2]", "1,2"},
        {"local t = {{1}, {2, {3}}} return t[2][2][1]", "3"},
        {"local function mk() local c = 0 return function() c = c + 1 return c end end "
         "local f = mk() f() return f()",
         "2"},
        {"return 1e3, .5, 3., 0.25e1, 1E-2", "1000,0.5,3,2.5,0.01"},
        {"return 'a\\tb\\65\\066\\n' == 'a\\tbAB\\10'", "true"},
        {"return \"q\\\"q\", 'q\\'q', '\\\\'", "q\"q,q'q,\\"},
        {"return [[\nfirst]], [[x]]", "first,x"},
        {"return nil == false, true ~= false, 1 <= 1, 2 >= 3", "false,true,true,false"},
        {"local x = 3; ; return x", "error: test:1: unexpected symbol near ';'"},
        {"return", ""},
        {"do return 1 end", "1"},
        {"local a = {} a.b = {} a.b.c = 5 a['d'] = a.b.c return a.d", "5"},
        {"-- comment\nreturn 1 --[[ long\ncomment ]] + 1 -- tail", "2"},
        {"return 1 --[==[ 5.0 reads a short comment here\n+ 1", "2"},
    };
    RunDialectCases(cases, std::size(cases));
}

// 5.0 ran a generic for whose first value is a table as a for over next
// and that table; the next is the global table's at the loop's start, and
// a third value is still the first key.
TEST(LuaDialectSyntax, GenericForOverATable) {
    const DialectCase cases[] = {
        {"local s = '' for k, v in {'a', 'b'} do s = s .. k .. v end return s", "1a2b"},
        {"local n = 0 for _, v in {5, 6}, 'ignored' do n = n + v end return n", "11"},
        {"local s = '' for _, v in {'a', 'b', 'c'}, nil, 1 do s = s .. v end return s", "bc"},
        {"local calls, real = 0, next next = function(t, k) calls = calls + 1 "
         "return real(t, k) end for k in {1, 2} do end next = real return calls",
         "3"},
        {"local t = {} for k in\n{x = 1} do t[k] = true end return t.x", "true"},
        {"local s = '' for i, v in ipairs({'p', 'q'}) do s = s .. i .. v end return s", "1p2q"},
        {"local r for a, b, c in function(s, k) if not k then return 1, 2, 3 end end do "
         "r = a + b + c end return r",
         "6"},
    };
    RunDialectCases(cases, std::size(cases));
    DialectRunner runner;
    EXPECT_EQ(runner.Run("local x = 5\nfor k in x do end").substr(0, 49),
              "error: test:2: attempt to call a number value\nsta");
}

TEST(LuaDialectSyntax, VarargFunctionsGetArgTable) {
    const DialectCase cases[] = {
        {"local function f(a, ...) return a, arg.n, arg[1], arg[2] end return f(1, 'x', 'y')",
         "1,2,x,y"},
        {"local function f(...) return arg.n end return f()", "0"},
        {"local function f(...) return arg.n, arg[2] end return f(nil, nil)", "2,nil"},
        {"local function f(...) return unpack(arg) end return f(1, 2, 3)", "1,2,3"},
    };
    RunDialectCases(cases, std::size(cases));
}

TEST(LuaDialectSyntax, MainChunkSeesGlobalArgWrappedOrNot) {
    DialectRunner runner;
    runner.Run("arg = 'global'");
    EXPECT_EQ(runner.Run("return arg"), "global");
    EXPECT_FALSE(runner.Last().wrapped);
    EXPECT_EQ(runner.Run("return arg, 1 & 1"), "global,1");
    EXPECT_TRUE(runner.Last().wrapped);
}

// 5.0 reads the condition of a repeat outside the body's block.
TEST(LuaDialectSyntax, RepeatConditionSeesOuterLocals) {
    const DialectCase cases[] = {
        {"local n, done = 0, true repeat n = n + 1 local done = false until done return n", "1"},
        {"local x = 'outer' local seen repeat local x = 'inner' until (function() seen = x "
         "return true end)() return seen",
         "outer"},
        {"local n = 0 repeat local n = 5 until true return n", "0"},
    };
    RunDialectCases(cases, std::size(cases));
}

TEST(LuaDialectSyntax, NestedLongBracketsAsIn50) {
    const DialectCase cases[] = {
        {"return [[a [[b]] c]]", "a [[b]] c"},
        {"return [[x]=]y]]", "x]=]y"},
        {"return [[[[]]]]", "[[]]"},
        {"return [[a]==]]", "a]=="},
        {"local s = [[a\n[[b]]\nc]] return s", "a\n[[b]]\nc"},
        {"--[[ a [[ nested ]] comment ]] return 1", "1"},
        {"return [[a]] .. [[b]]", "ab"},
    };
    RunDialectCases(cases, std::size(cases));
}

TEST(LuaDialectSyntax, CarriageReturnsKeep50Meaning) {
    const DialectCase cases[] = {
        // A carriage return is a blank outside strings and a character
        // inside them; only line feeds count lines.
        {"local a = 1\r\nreturn a", "1"},
        {"return [[a\r\nb]] == 'a\\13\\nb'", "true"},
        {"return [[\r\nb]] == '\\13\\nb'", "true"},
        {"return 'a\rb' == 'a\\13b'", "true"},
        {"-- a carriage return does not end a comment\rreturn 2", ""},
        {"x = 1\r\r\r\ny = = 1", "error: test:2: unexpected symbol near '='"},
    };
    RunDialectCases(cases, std::size(cases));
}

// What 5.1 added to the language is not part of the dialect.
TEST(LuaDialectSyntax, LaterLanguageAdditionsAreRejected) {
    const DialectCase cases[] = {
        {"return #'abc'", "error: test:1: unexpected symbol near '#'"},
        {"return 5 % 2", "error: test:1: '<eof>' expected near '%'"},
        {"return ...", "error: test:1: unexpected symbol near '...'"},
        {"local function f(...) return ... end", "error: test:1: unexpected symbol near '...'"},
        {"return [=[a]=]", "error: test:1: unexpected symbol near '['"},
        {"return 0x10", "error: test:1: '<eof>' expected near 'x10'"},
        {"x = 1e5y = 2 return x, y", "100000,2"},
        {"return 1.5..'x'", "1.5x"},
    };
    RunDialectCases(cases, std::size(cases));
}

TEST(LuaDialectSyntax, TranslationKeepsEveryLine) {
    const char* sources[] = {
        "for i = 1, 2 do\n if i then\n continue\n end\n break\nend",
        "local s = [[\none\ntwo [[three]]\n]]\nreturn s",
        "x = 1 &\n2 |\n3",
        "while 1 do\n while 1 do\n break\n2\n end\nend",
        "--[[\n[[\n]]\n]]\nreturn 'a\\\nb'",
        "-- last line comment",
    };
    for (const char* source : sources) {
        SCOPED_TRACE(source);
        const TLuaTranslation translation = TranslateLuaSource(source, "=t");
        ASSERT_TRUE(translation.ok) << translation.error;
        const std::string text(source);
        EXPECT_EQ(std::count(translation.source.begin(), translation.source.end(), '\n'),
                  std::count(text.begin(), text.end(), '\n'));
    }
}

TEST(LuaDialectSyntax, PlainChunkIsLeftAsItIs) {
    const std::string source = "local t = {}\nfor i = 1, 2 do print(i, t[i]) end\n";
    const TLuaTranslation translation = TranslateLuaSource(source, "=t");
    ASSERT_TRUE(translation.ok);
    EXPECT_FALSE(translation.wrapped);
    EXPECT_EQ(translation.source, source);
}

TEST(LuaDialectSyntax, RuntimeChunkIsWrappedOnItsFirstAndLastLine) {
    const TLuaTranslation translation = TranslateLuaSource("x = 1 & 3\n-- done", "=t");
    ASSERT_TRUE(translation.ok);
    EXPECT_TRUE(translation.wrapped);
    EXPECT_EQ(translation.source,
              "local __dialect__=...;return function() x = __dialect__.band(1 , 3)\n end");
}

TEST(LuaDialectSyntax, EmptyChunk) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run(""), "");
    EXPECT_EQ(runner.Run("\n\n-- nothing"), "");
}

} // namespace
