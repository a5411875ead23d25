#include "framework/script/engine/LuaStringLibrary.h"

#include "framework/script/engine/LuaTestState.h"

#include <gtest/gtest.h>

#include <string>

using support::LuaTestState;

namespace {

struct Snippet {
    const char* expression;
    std::string expected;
};

void ExpectAll(LuaTestState& state, const Snippet* begin, const Snippet* end) {
    for (const Snippet* c = begin; c != end; ++c)
        EXPECT_EQ(state.Eval(c->expression), c->expected) << c->expression;
}

// True when code fails with an error text that contains part.
bool FailsWith(LuaTestState& state, const std::string& code, const std::string& part) {
    std::string error = state.Error(code);
    return error.find(part) != std::string::npos;
}

} // namespace

TEST(LuaStringFormat, StockConversionsAndBooleans) {
    LuaTestState state;
    const Snippet cases[] = {
        {"string.format('%B %B', true, nil)", "true false"},
        {"string.format('[%6B][%-6B]', false, true)", "[ false][true  ]"},
        {"string.format('%5.2f|%g|%e', 3.14159, 0.5, 1)", " 3.14|0.5|1.000000e+00"},
        {"string.format('%s|%5s|%.2s|%%', 'abc', 'x', 'xyz')", "abc|    x|xy|%"},
        {"string.format('%s', 12)", "12"},
        {"string.format('%q', 'a\"b\\n\\0')", "\"a\\\"b\\\n\\000\""},
        {"string.format('%c%c', 72.9, 105)", "Hi"},
        {"string.format('%s', string.rep('x', 120)) == string.rep('x', 120)", "true"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
    EXPECT_TRUE(FailsWith(state, "string.format('%B', 1)", "boolean expected, got number"));
    EXPECT_TRUE(FailsWith(state, "string.format('%d')", "bad argument #2 to 'format' (no value)"));
    EXPECT_TRUE(FailsWith(state, "string.format('%y', 1)", "invalid option `%y' to `format'"));
    EXPECT_TRUE(FailsWith(state, "string.format('%------d', 1)", "repeated flags"));
    EXPECT_TRUE(FailsWith(state, "string.format('%100d', 1)", "width or precision too long"));
    EXPECT_TRUE(FailsWith(state, "string.format('%s', WS('a'))", "string expected, got wstring"));
    EXPECT_TRUE(FailsWith(state, "string.format('50%')", "invalid option to `format'"));
    EXPECT_EQ(state.Eval("string.format('%b', 1)"), "");
}

TEST(LuaStringFormat, IntegerConversionsRoundOrTruncate) {
    LuaTestState state;
    const Snippet cases[] = {
        // %o %u %x %X: to the nearest integer, halves to even, low 32 bits.
        {"string.format('%x', 2.5)", "2"},
        {"string.format('%x', 3.5)", "4"},
        {"string.format('%x', 2.6)", "3"},
        {"string.format('%X', 255.4)", "FF"},
        {"string.format('%u', -1)", "4294967295"},
        {"string.format('%x', -1)", "ffffffff"},
        {"string.format('%o', 8.2)", "10"},
        {"string.format('%x', 2^32 + 17)", "11"},
        {"string.format('%x', 1/0)", "0"},
        {"string.format('%08x', 48879)", "0000beef"},
        // %c %d %i: toward zero.
        {"string.format('%d', -2.7)", "-2"},
        {"string.format('%i', 2.7)", "2"},
        {"string.format('%d', 2^31)", "2147483648"},
        {"string.format('%5d|%-4d|', 42, 7)", "   42|7   |"},
        {"string.format('%d', 0/0)", "0"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
}

TEST(LuaStringFormat, RawBytes) {
    LuaTestState state;
    const Snippet cases[] = {
        {"string.byte(string.format('%bd', 258.5), 1, -1)", "2,1,0,0"},
        {"string.byte(string.format('%bd', 259.5), 1, -1)", "4,1,0,0"},
        {"string.byte(string.format('%bd', -1), 1, -1)", "255,255,255,255"},
        {"string.byte(string.format('%bw', 513.4), 1, -1)", "1,2"},
        {"string.byte(string.format('%bb', 65.9), 1, -1)", "65"},
        {"string.byte(string.format('%bb', -1.5), 1, -1)", "255"},
        {"string.byte(string.format('%bf', 1), 1, -1)", "0,0,128,63"},
        {"string.byte(string.format('%bF', -2), 1, -1)", "0,0,0,0,0,0,0,192"},
        // Another letter writes nothing but still takes its argument.
        {"string.format('<%bz%s>', 1, 'next')", "<next>"},
        {"string.len(string.format('%bd%bd', 1, 2))", "8"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
}

TEST(LuaStringFormat, QuotedForReading) {
    LuaTestState state;
    const Snippet cases[] = {
        {"string.format('%Q', W('a\\0\"\\0b\\0\\n\\0'))", "L\"a\\\"b\\n\""},
        {"string.format('%Q', W(':&'))", "L\"\\x263a\""},
        {"string.format('%Q', W('\\7\\0\\13\\0\\\\\\0\\0\\0\\233\\0'))",
         "L\"\\a\\r\\\\\\x0000\\x00e9\""},
        {"string.format('%Q', W(''))", "L\"\""},
        {"string.format('%Q', 'a\"b\\n\\1\\255')", "\"a\\\"b\\n\\x01\\xff\""},
        {"string.format('%Q', 12)", "\"12\""},
        {"string.format('[%Q]', '')", "[\"\"]"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
    EXPECT_TRUE(FailsWith(state, "string.format('%Q', {})", "string expected, got table"));
}

// A string holding a zero byte is text up to it, for the width and the
// precision too, unless it is long and has no precision: then it is
// written as it stands.
TEST(LuaStringFormat, StringsWithZeroBytesArePaddedAndCut) {
    LuaTestState state;
    const Snippet cases[] = {
        {"string.format('[%5s]', 'a\\0b')", "[    a]"},
        {"string.format('[%-3s]', 'a\\0b')", "[a  ]"},
        {"string.format('[%.2s]', '\\0bc')", "[]"},
        {"string.format('[%s]', 'a\\0b')", "[a]"},
        {"string.format('[%3.1s]', 'xy\\0z')", "[  x]"},
        {"string.format('%s', string.rep('a\\0', 60)) == string.rep('a\\0', 60)", "true"},
        {"string.format('%.3s', string.rep('a\\0', 60))", "a"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
}

// gsub's replacement function: a string or a number replaces the match;
// anything else replaces it with nothing.
TEST(LuaStringGsub, ReplacementValuesCountAsIn50) {
    LuaTestState state;
    const Snippet cases[] = {
        {"string.gsub('hello', 'l', function() end)", "heo,2"},
        {"string.gsub('hello', 'l', function() return nil end)", "heo,2"},
        {"string.gsub('hello', 'l', function() return false end)", "heo,2"},
        {"string.gsub('hello', 'l', function() return true end)", "heo,2"},
        {"string.gsub('hello', 'l', function() return {} end)", "heo,2"},
        {"string.gsub('hello', 'l', function() return print end)", "heo,2"},
        {"string.gsub('hello', 'l', function() return 7 end)", "he77o,2"},
        {"string.gsub('hello', 'l', function() return '' end)", "heo,2"},
        {"string.gsub('abc', '%w', function(c) return c .. '.' end)", "a.b.c.,3"},
        {"string.gsub('abc', '(a)(b)', function(x, y) return y .. x end)", "bac,1"},
        {"string.gsub('aaa', 'a', function() end, 2)", "a,2"},
        {"('hello'):gsub('l', function() end)", "heo,2"},
        // Other replacements are as they were.
        {"string.gsub('hello', 'l', '%0%0')", "hellllo,2"},
        {"string.gsub('a b', '%w', {a = 1})", "1 b,2"},
        {"string.gsub('abc', 'b', 5)", "a5c,1"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
    const Snippet errors[] = {
        {"string.gsub('a', 'a', function() return WS('w') end)",
         "test:1: invalid replacement value (a wstring)"},
        {"string.gsub('x', 'x')",
         "test:1: bad argument #3 to 'gsub' (string/function/table expected)"},
        {"string.gsub('x', 'x', 'y', 'z')", "test:1: bad argument #4 to 'gsub'"},
        {"string.gsub(WS('x'), 'x', '')", "test:1: bad argument #1 to 'gsub' (string expected, "
                                          "got wstring)"},
        {"\nstring.gsub('a', 'a', function() error('inner') end)", "test:2: inner"},
    };
    for (const Snippet& c : errors) {
        const std::string error = state.Error(std::string("return ") + c.expression);
        EXPECT_EQ(error.substr(0, c.expected.size()), c.expected) << c.expression;
    }
}

// The matcher nests once per capture and quantified item: a pattern
// that would nest past the limit is refused before it can overflow the
// stack; patterns within it, and plain searches, work as before.
TEST(LuaStringPatterns, TooDeepAPatternIsRefusedBeforeItOverflowsTheStack) {
    LuaTestState state;
    ASSERT_TRUE(state.Run("s = string.rep('a', 100000) deep = string.rep('a?', 100000)"));
    const Snippet refused[] = {
        {"string.find(s, deep)", "bad argument #2 to 'find' (pattern too complex)"},
        // A method call counts its arguments after the string, as stock
        // argument errors do.
        {"s:find(deep)", "bad argument #1 to 'find' (pattern too complex)"},
        {"string.match(s, deep)", "bad argument #2 to 'match' (pattern too complex)"},
        {"string.gmatch(s, deep)", "bad argument #2 to 'gmatch' (pattern too complex)"},
        {"string.gsub(s, deep, '')", "bad argument #2 to 'gsub' (pattern too complex)"},
        {"string.find(s, string.rep('.-', 201))", "(pattern too complex)"},
        {"string.find(s, string.rep('[a]*', 201))", "(pattern too complex)"},
    };
    for (const Snippet& c : refused) {
        const std::string error = state.Error(std::string("return ") + c.expression);
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.expression << ": " << error;
    }
    const Snippet kept[] = {
        {"string.find(s, deep, 1, true)", "nil"},
        {"string.find(string.rep('a?', 3), 'a?a', 1, true)", "1,3"},
        {"string.find(string.rep('a', 200), '^' .. string.rep('a?', 200) .. '$')", "1,200"},
        {"string.match('  trim me ', '^%s*(.-)%s*$')", "trim me"},
        {"string.match('[x]-y', '^%[(%a)%]%-(%a)$')", "x,y"},
        {"string.match('f(a(b)c)', '%b()')", "(a(b)c)"},
        {"string.gsub('THE (quick) fox', '%f[%a]%a+', 'w')", "w (w) w,3"},
        {"string.match('a]b', '[]]')", "]"},
        {"string.rep('-', 300):find(string.rep('%-', 300))", "1,300"},
    };
    ExpectAll(state, std::begin(kept), std::end(kept));
}

TEST(LuaStringPack, RoundTrips) {
    LuaTestState state;
    const Snippet cases[] = {
        {"string.unpack(string.pack('bcBhHiIlLfdn', -2, 200, true, -3, 65535, -4, 4294967295, "
         "-5, 7, 0.5, 1.25, -2.5), 'bcBhHiIlLfdn')",
         "44,-2,200,true,-3,65535,-4,4294967295,-5,7,0.5,1.25,-2.5"},
        {"string.unpack(string.pack('i3', 1, 2, 3), 'i3')", "13,1,2,3"},
        {"string.unpack(string.pack('>hi', 258, 1), '>hi')", "7,258,1"},
        {"string.byte(string.pack('>h<h', 258, 258), 1, -1)", "1,2,2,1"},
        {"string.unpack(string.pack('pPaz', 'one', 'two', 'three', 'four'), 'pPaz')",
         "24,one,two,three,four"},
        {"string.byte(string.pack('p', 'ab'), 1, -1)", "2,97,98"},
        {"string.unpack(string.pack('A', 'whole'), 'A5')", "6,whole"},
        {"string.byte(string.pack('A4', 'ab'), 1, -1)", "97,98,0,0"},
        {"string.pack('A2', 'abcdef')", "ab"},
        {"string.unpack(string.pack('B2', false, true), 'B2')", "3,false,true"},
        {"string.unpack(string.pack(' , i', 9), '<i')", "5,9"},
        {"string.byte(string.pack('i', 2.9), 1, -1)", "2,0,0,0"},
        {"string.byte(string.pack('i', -1.9), 1, -1)", "255,255,255,255"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
}

TEST(LuaStringPack, WideForms) {
    LuaTestState state;
    const Snippet cases[] = {
        {"string.byte(string.pack('wz', WS('ab')), 1, -1)", "97,0,98,0,0,0"},
        {"string.byte(string.pack('>wz', WS('ab')), 1, -1)", "0,97,0,98,0,0"},
        {"string.byte(string.pack('wp', W(':&')), 1, -1)", "1,58,38"},
        {"string.unpack(string.pack('wpwPwawz', WS('a'), WS('bc'), WS(''), W(':&')), "
         "'wpwPwawz')",
         "18,L\"a\",L\"bc\",L\"\",L\"\\x263a\""},
        {"string.unpack(string.pack('>wA', W(':&b\\0')), '>wA2')", "5,L\"\\x263ab\""},
        {"string.byte(string.pack('wA3', WS('a')), 1, -1)", "97,0,0,0,0,0"},
        // Numbers are taken as their wide text.
        {"string.unpack(string.pack('wz', 12), 'wz')", "7,L\"12\""},
        // Wide strings read back are the interned values.
        {"select(2, string.unpack(string.pack('wz', WS('same')), 'wz')) == WS('same')", "true"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
    EXPECT_TRUE(FailsWith(state, "string.pack('wz', 'narrow')", "wstring expected, got string"));
}

TEST(LuaStringPack, UnpackStartsAtInitAndStopsWhenDataRunsOut) {
    LuaTestState state;
    const Snippet cases[] = {
        {"string.unpack('\\1\\2\\3', 'bbbb')", "4,1,2,3"},
        {"string.unpack('\\1\\2\\3', 'h2')", "3,513"},
        {"string.unpack('\\1\\2\\3', 'b', 3)", "4,3"},
        {"string.unpack('\\1\\2\\3', 'b', 9)", "4"},
        {"string.unpack('', 'i')", "1"},
        {"string.unpack('\\5ab', 'p')", "1"},
        {"string.unpack('abc', 'z')", "1"},
        {"string.unpack('ab\\0cd', 'zz')", "4,ab"},
        {"string.unpack('abc', 'A4')", "1"},
        {"string.unpack('a\\0b', 'wz')", "1"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
}

TEST(LuaStringPack, BadCodesAndArguments) {
    LuaTestState state;
    EXPECT_TRUE(
        FailsWith(state, "string.pack('iQ', 1, 2)", "bad argument #1 to 'pack' (bad code `Q')"));
    EXPECT_TRUE(FailsWith(state, "string.unpack('abcd', 'x')",
                          "bad argument #1 to 'unpack' (bad code `x')"));
    EXPECT_TRUE(FailsWith(state, "string.pack('w')", "bad code `w'"));
    EXPECT_TRUE(FailsWith(state, "string.pack('B', 1)", "expected a boolean"));
    EXPECT_TRUE(FailsWith(state, "string.pack('i', 'x')", "number expected"));
    EXPECT_TRUE(FailsWith(state, "string.pack('p', string.rep('x', 256))", "too long"));
    EXPECT_TRUE(FailsWith(state, "string.pack('i99999999999', 1)", "count too large"));
}

TEST(LuaStringLex, ReplacesEscapes) {
    LuaTestState state;
    const Snippet cases[] = {
        {"string.lualex('a\\\\nb') == 'a\\nb'", "true"},
        {"string.byte(string.lualex('\\\\a\\\\b\\\\f\\\\r\\\\t\\\\v'), 1, -1)", "7,8,12,13,9,11"},
        {"string.lualex('\\\\65\\\\0661')", "AB1"},
        {"string.lualex('\\\\x41\\\\x4a2\\\\xg')", "AJ2xg"},
        {"string.lualex('\\\\q\\\\\\\\\\\\\"')", "q\\\""},
        {"string.lualex('\\\\q', 1)", "\\q"},
        {"string.lualex('end\\\\')", "end\\"},
        {"string.lualex('')", ""},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
    EXPECT_TRUE(FailsWith(state, "string.lualex('\\\\256')", "escape sequence too large"));
}
