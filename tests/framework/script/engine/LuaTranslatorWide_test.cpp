// Wide literals and UTF-16 chunks, run through the framework's loader. The
// runner shows a wide result as the UTF-16LE bytes of its units.

#include "LuaTranslatorRunner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using support::DialectRunner;
using support::Utf16Chunk;
using support::Utf16LeBytes;

struct Case {
    const char* source;
    std::u16string units;
};

TEST(LuaTranslatorWide, LiteralsAndTheirEscapes) {
    const Case cases[] = {
        {"return L\"ab\"", u"ab"},
        {"return L\"\"", u""},
        {"return L\"\\a\\b\\f\\n\\r\\t\\v\"", u"\a\b\f\n\r\t\v"},
        {"return L\"\\65\\066\\0677\"", u"ABC7"},
        {"return L\"\\0\"", std::u16string(1, u'\0')},
        {"return L\"\\255\"", u"\u00FF"},
        {"return L\"\\x41\\x263a\\x12345\\xFfFf\"", u"A\u263A\u12345\uFFFF"},
        {"return L\"\\xg\\x\"", u"xgx"},
        {"return L\"\\q\\\"\\\\\\'\"", u"q\"\\'"},
        {"return L\"a\\\nb\"", u"a\nb"},
        {"return L\"\xC3\xA9\"", u"\u00C3\u00A9"},
        {"return L\"'\"", u"'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        DialectRunner runner;
        EXPECT_EQ(runner.Run(c.source), Utf16LeBytes(c.units));
        EXPECT_TRUE(runner.Last().wrapped);
    }
}

TEST(LuaTranslatorWide, LiteralsWorkWhereStringLiteralsDo) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run("local t = {[L\"k\"] = 1} return t[L\"k\"]"), "1");
    EXPECT_EQ(runner.Run("return L\"a\" .. L\"b\""), Utf16LeBytes(u"ab"));
    EXPECT_EQ(runner.Run("return L\"a\" == L\"a\", L\"a\" == 'a'"), "true,false");
    EXPECT_EQ(runner.Run("local function f(s) return s end return f L\"x\""), Utf16LeBytes(u"x"));
    EXPECT_EQ(runner.Run("local function f(s) return s end return f\nL\"x\""), Utf16LeBytes(u"x"));
    EXPECT_EQ(runner.Run("local t = {L\"v\"} return t[1]"), Utf16LeBytes(u"v"));
}

TEST(LuaTranslatorWide, LiteralsAreWideStringValues) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run("return type(L\"abc\")"), "wstring");
    EXPECT_EQ(runner.Run("return L\"x\" .. 12"), Utf16LeBytes(u"x12"));
    EXPECT_NE(runner.Run("return L\"x\" .. 'y'").find("attempt to concatenate"), std::string::npos);
    EXPECT_EQ(runner.Run("return tostring(L\"\\x263A\")"), ":");
    EXPECT_EQ(runner.Run(Utf16Chunk(u"return tostring(L\"\u263A\") == ':'")), "true");
}

TEST(LuaTranslatorWide, OnlyLImmediatelyBeforeADoubleQuoteOpensOne) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run("function L(s) return 'call ' .. s end return L'x', L \"y\""),
              "call x,call y");
    EXPECT_FALSE(runner.Last().wrapped);
    EXPECT_EQ(runner.Run("function xL(s) return s end return xL\"z\""), "z");
    EXPECT_EQ(runner.Run("local L = 5 return L"), "5");
}

TEST(LuaTranslatorWide, ContinuedLineKeepsLineNumbers) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run("local s = L\"a\\\nb\\\nc\"\nerror('here')", "=w").substr(0, 17),
              "error: w:4: here\n");
}

TEST(LuaTranslatorWide, Utf16ChunkRuns) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run(Utf16Chunk(u"local x = 40\nreturn x + 2, 'abc'")), "42,abc");
    EXPECT_FALSE(runner.Last().wrapped);
    EXPECT_EQ(runner.Run(Utf16Chunk(u"-- \u263A in a comment\nreturn L\"\u263A\u00E9\"")),
              Utf16LeBytes(u"\u263A\u00E9"));
    // Characters below 256 in a narrow literal become bytes.
    EXPECT_EQ(runner.Run(Utf16Chunk(u"return '\u00E9' == '\\233', [[\u00FF]] == '\\255'")),
              "true,true");
    EXPECT_EQ(runner.Run(Utf16Chunk(u"return [[a\n[[b]]\u00E9]]")), "a\n[[b]]\xE9");
    // A last odd byte is not a character.
    EXPECT_EQ(runner.Run(Utf16Chunk(u"return 7") + "x"), "7");
    EXPECT_EQ(runner.Run(Utf16Chunk(u"return 1 & 3, 'a\\\nb'")), "1,a\nb");
}

TEST(LuaTranslatorWide, Utf16ChunkErrors) {
    struct ErrorCase {
        std::u16string source;
        const char* expected;
    };
    const ErrorCase cases[] = {
        {u"x = 1 \u263A", "w:1: invalid wide char near 'char(9786)'"},
        {u"x\u263A = 1", "w:1: invalid wide char near 'char(9786)'"},
        {u"x = '\u263A'", "w:1: invalid wide char near 'char(9786)'"},
        {u"x = [[\n\u0100]]", "w:2: invalid wide char near 'char(256)'"},
        {u"x = \u0001", "w:1: invalid control char near 'char(1)'"},
        {u"\n\nx = = 1", "w:3: unexpected symbol near '='"},
        {u"x = L\"\u263A", "w:1: unfinished string near '<eof>'"},
        {u"x = \u00E9", "w:1: unexpected symbol near '\u00E9'"},
    };
    for (const ErrorCase& c : cases) {
        const TLuaTranslation translation = TranslateLuaSource(Utf16Chunk(c.source), "=w");
        EXPECT_FALSE(translation.ok);
        EXPECT_EQ(translation.error, c.expected);
    }
}

// A run of concatenations becomes one call of the dialect's `cat` only when
// it could hold a wide string and ends in two operands that could be
// numbers; every other run is left to the engine as it was. Each `..`
// becomes a comma in the same place, so the lines stay as they were.
TEST(LuaTranslatorWide, ConcatenationRunsThatNeedTheHelper) {
    struct RunCase {
        const char* source;
        const char* translated;
    };
    const RunCase cases[] = {
        {"return a .. b .. c", "return __dialect__.cat(a ,  b ,  c)"},
        {"return a .. 1 .. 2", "return __dialect__.cat(a ,  1 ,  2)"},
        {"return a..b..f()", "return __dialect__.cat(a, b, (f()))"},
        {"return a .. b .. t:m()", "return __dialect__.cat(a ,  b ,  (t:m()))"},
        {"return a .. (b .. c) .. d", "return __dialect__.cat(a ,  (b .. c) ,  d)"},
        {"return x .. -y .. 2 & 3", "return __dialect__.cat(x ,  -y ,  __dialect__.band(2 , 3))"},
        {"return\"s\"..a..b..c", "return __dialect__.cat(\"s\", a, b, c)"},
        {"return a .. 1 .. b + 1 == c", "return __dialect__.cat(a ,  1 ,  b + 1) == c"},
        {"return a ..\n b ..\n c", "return __dialect__.cat(a , \n b , \n c)"},
        // Left as they are.
        {"return a .. b", "return a .. b"},
        {"return a .. ':' .. b", "return a .. ':' .. b"},
        {"return a .. b .. 'x'", "return a .. b .. 'x'"},
        {"return 'x' .. a .. b", "return 'x' .. a .. b"},
        {"return 1 .. 2 .. a", "return 1 .. 2 .. a"},
        {"return a .. not b .. c", "return a .. not b .. c"},
        {"return a .. b .. nil", "return a .. b .. nil"},
        {"return a .. b .. {}", "return a .. b .. {}"},
        {"return a .. b == c", "return a .. b == c"},
    };
    constexpr std::string_view kHead = "local __dialect__=...;return function() ";
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.source);
        const TLuaTranslation translation = TranslateLuaSource(c.source, "=t");
        ASSERT_TRUE(translation.ok) << translation.error;
        std::string source = translation.source;
        if (translation.wrapped)
            source = source.substr(kHead.size(), source.size() - kHead.size() - 4);
        EXPECT_EQ(source, c.translated);
    }
}

TEST(LuaTranslatorWide, ConcatenationRunsJoinByTheDialectsRules) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run("return L\"w\" .. 1 .. 2"), Utf16LeBytes(u"w12"));
    EXPECT_EQ(runner.Run("local w, a, b = L\"w\", 1, 2.5 return w .. a .. b .. 3"),
              Utf16LeBytes(u"w12.53"));
    EXPECT_EQ(runner.Run("local x = 'x' return x .. 1 .. 2, 1 .. 2 .. 3"), "x12,123");
    EXPECT_EQ(runner.Run("local function f() return 3, 4 end return L\"w\" .. 1 .. f()"),
              Utf16LeBytes(u"w13"));
    EXPECT_EQ(runner.Run("local s = 'a' for i = 1, 3 do s = s .. i .. i end return s"), "a112233");
    EXPECT_EQ(
        runner.Run("local function f() end local w = L\"w\"\nreturn w .. 1 .. f()").substr(0, 53),
        "error: test:2: attempt to concatenate a nil value\nsta");
}

TEST(LuaTranslatorWide, ByteOrderMarkOnlyAtTheStart) {
    const TLuaTranslation translation = TranslateLuaSource("x = 1 \xFF\xFE", "=b");
    EXPECT_EQ(translation.error, "b:1: invalid wide char near 'char(255)'");
}

} // namespace
