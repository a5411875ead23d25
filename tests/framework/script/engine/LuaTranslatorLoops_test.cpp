// continue, break N and continue N: where each jump lands, what captured
// locals see, and the compile errors of the loop levels.

#include "LuaTranslatorRunner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using support::DialectCase;
using support::DialectRunner;
using support::RunDialectCases;

// Each visited pair is written down, so the result shows the path taken.
constexpr const char* kLog = "local log = '' local function v(...) "
                             "for i = 1, arg.n do log = log .. arg[i] end log = log .. ' ' end ";

std::string WithLog(const char* body) {
    return std::string(kLog) + body + " return log";
}

TEST(LuaTranslatorLoops, ContinueTwoLeavesInnerLoopForNextOuterPass) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run(WithLog("for i=1,3 do for j=1,3 do v(i, j) if j==2 then continue 2 end "
                                 "v('after', j) end v('outer', i) end")),
              "11 after1 12 21 after1 22 31 after1 32 ");
}

TEST(LuaTranslatorLoops, JumpsInEveryKindOfLoop) {
    const DialectCase cases[] = {
        {"local s = 0 for i = 1, 5 do if i == 2 then continue end s = s + i end return s", "13"},
        {"local s = 0 for _, i in ipairs({1, 2, 3}) do if i == 2 then continue end s = s + i "
         "end return s",
         "4"},
        {"local i, s = 0, 0 while i < 5 do i = i + 1 if i == 3 then continue end s = s + i end "
         "return s",
         "12"},
        // continue in a repeat goes on with the condition.
        {"local i, s = 0, 0 repeat i = i + 1 if i == 2 then continue end s = s + i until i >= 4 "
         "return i, s",
         "4,8"},
        {"local s = 0 for i = 1, 5 do if i == 4 then break end s = s + i end return s", "6"},
        // A break written before the continue that wraps the body.
        {"local s = 0 for i = 1, 9 do if i == 5 then break end if i == 2 then continue end "
         "s = s + i end return s",
         "8"},
        {"local s = 0 for i = 1, 9 do if i == 2 then continue elseif i == 5 then break end "
         "s = s + i end return s",
         "8"},
        {"local function f() for i = 1, 3 do if i == 2 then return i end continue end end "
         "return f()",
         "2"},
    };
    RunDialectCases(cases, std::size(cases));
}

TEST(LuaTranslatorLoops, MultiLevelJumps) {
    DialectRunner runner;
    EXPECT_EQ(runner.Run(WithLog("for i=1,2 do for j=1,2 do for k=1,3 do v(i,j,k) "
                                 "if k==2 then break 2 end end end end")),
              "111 112 211 212 ");
    EXPECT_EQ(runner.Run(WithLog("for i=1,3 do for j=1,2 do for k=1,2 do v(i,j,k) "
                                 "if i==2 then break 3 end end end end v('end')")),
              "111 112 121 122 211 end ");
    // Through loops whose own bodies are wrapped for a continue.
    EXPECT_EQ(runner.Run(WithLog("for i=1,2 do for j=1,3 do if j==1 then continue end "
                                 "for k=1,3 do if k==2 then continue 3 end v(i,j,k) end end "
                                 "v('x') end")),
              "121 221 ");
    EXPECT_EQ(runner.Run(WithLog("local i = 0 while i < 3 do i = i + 1 repeat local j = 0 "
                                 "while true do j = j + 1 if j == 2 then continue 3 end "
                                 "v(i, j) end until false end v('end')")),
              "11 21 31 end ");
    EXPECT_EQ(runner.Run(WithLog("for i=1,3 do if i==2 then continue end for j=1,3 do "
                                 "if j==2 then break 2 end v(i,j) end end v('end')")),
              "11 end ");
    EXPECT_EQ(runner.Run(WithLog("for i=1,2 do for j=1,2 do continue 1 end v(i) "
                                 "for j=1,2 do break 1 end end")),
              "1 2 ");
}

// Locals captured before a jump keep their own values: every jump closes
// the block it leaves.
TEST(LuaTranslatorLoops, ClosuresMadeBeforeJumpsSeeTheirOwnVariables) {
    const DialectCase cases[] = {
        {"local fs = {} for i = 1, 4 do local x = i * 10 fs[i] = function() return x end "
         "if i == 2 then continue end if i == 3 then break end x = x + 1 end "
         "return fs[1](), fs[2](), fs[3](), fs[4]",
         "11,20,30,nil"},
        {"local fs = {} for i = 1, 3 do for j = 1, 3 do local x = i .. j "
         "table.insert(fs, function() return x end) if j == 2 then continue 2 end end end "
         "local s = '' for _, f in ipairs(fs) do s = s .. f() .. ' ' end return s",
         "11 12 21 22 31 32 "},
        {"local fs = {} local i = 0 while true do i = i + 1 local x = i "
         "fs[i] = function() x = x + 100 return x end "
         "repeat local y = x if i == 3 then break 2 end until true end "
         "return fs[1](), fs[2](), fs[3](), fs[1]()",
         "101,102,103,201"},
        {"local fs = {} for i = 1, 3 do local c = 0 fs[i] = function() c = c + 1 return c end "
         "if i < 3 then continue end end return fs[1](), fs[1](), fs[2](), fs[3]()",
         "1,2,1,1"},
    };
    RunDialectCases(cases, std::size(cases));
}

// Loop variables of `for` are fresh in each pass, as in 5.1: assigning
// one does not steer the loop, and closures keep the value of their pass
// (in 5.0 the passes shared one variable).
TEST(LuaTranslatorLoops, LoopVariablesAreFreshInEachPass) {
    const DialectCase cases[] = {
        {"local s = '' for i = 1, 3 do s = s .. i i = 10 end return s", "123"},
        {"local s = '' for i = 3, 1, -1 do i = i - 5 s = s .. i end return s", "-2-3-4"},
        {"local n = 0 for k, v in {10, 20, 30} do n = n + v k = k + 5 end return n", "60"},
        {"local n = 0 for _, v in ipairs({1, 2, 3}) do v = v * 100 n = n + 1 end return n", "3"},
        {"local fs = {} for i = 1, 3 do fs[i] = function() return i end end "
         "return fs[1](), fs[2](), fs[3]()",
         "1,2,3"},
        {"local fs = {} for k, v in {'a', 'b'} do fs[k] = function() return k .. v end end "
         "return fs[1](), fs[2]()",
         "1a,2b"},
        // A closure and its pass share the variable; the next pass is new.
        {"local s, fs = '', {} for i = 1, 2 do fs[i] = function() return i end "
         "local f = function() i = i * 10 end f() s = s .. i .. ' ' end "
         "return s, fs[1](), fs[2]()",
         "10 20 ,10,20"},
        {"for i = 1, 2 do end return i", "nil"},
    };
    RunDialectCases(cases, std::size(cases));
}

TEST(LuaTranslatorLoops, LoopLevelErrors) {
    const DialectCase cases[] = {
        {"while 1 do break 0 end", "error: test:1: loop block number out of range near '0'"},
        {"while 1 do break 101 end", "error: test:1: loop block number out of range near '101'"},
        {"while 1 do continue 0 end", "error: test:1: loop block number out of range near '0'"},
        {"while 1 do break 1e300 end",
         "error: test:1: loop block number out of range near '1e300'"},
        {"while 1 do break 1.5 end", "error: test:1: loop block number must be integer near '1.5'"},
        {"while 1 do continue 2.25 end",
         "error: test:1: loop block number must be integer near '2.25'"},
        {"break", "error: test:1: no loop to break near '<eof>'"},
        {"continue", "error: test:1: no loop to continue near '<eof>'"},
        {"while 1 do break 2 end", "error: test:1: no loop to break near 'end'"},
        {"while 1 do\n continue 100\nend", "error: test:3: no loop to continue near 'end'"},
        {"for i = 1, 2 do local f = function() break end end",
         "error: test:1: no loop to break near 'end'"},
        {"while 1 do break x = 1 end", "error: test:1: 'end' expected near 'x'"},
        {"while 1 do continue; x = 1 end", "error: test:1: 'end' expected near 'x'"},
        {"local continue = 1", "error: test:1: <name> expected near 'continue'"},
    };
    RunDialectCases(cases, std::size(cases));
}

TEST(LuaTranslatorLoops, HundredLevelsDeep) {
    std::string source = "local n = 0 ";
    for (int i = 0; i < 100; ++i)
        source += "while true do ";
    source += "n = n + 1 break 100 ";
    for (int i = 0; i < 100; ++i)
        source += "end ";
    source += "return n";
    DialectRunner runner;
    EXPECT_EQ(runner.Run(source), "1");
}

TEST(LuaTranslatorLoops, JumpsNeedNoRuntime) {
    const TLuaTranslation translation =
        TranslateLuaSource("for i = 1, 2 do for j = 1, 2 do continue 2 end end", "=t");
    ASSERT_TRUE(translation.ok);
    EXPECT_FALSE(translation.wrapped);
}

} // namespace
