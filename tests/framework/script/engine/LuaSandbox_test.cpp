// What a script from a replaced or damaged assets folder cannot do: load
// precompiled code, read files outside the game's folders, take memory
// without end, or keep the program from ever getting control back.

#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaState.h"

#include "framework/core/files/TFileSystem.h"

#include "framework/script/engine/LuaTestState.h"
#include "support/TempFolder.h"

#include <lauxlib.h>
#include <lua.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>

using support::LuaTestState;

namespace {

class AsDataFolder {
public:
    explicit AsDataFolder(const std::filesystem::path& folder) : mBefore(GetUserDataFolderText()) {
        SetUserDataFolder(TString(folder.string()));
    }
    ~AsDataFolder() { SetUserDataFolder(mBefore); }

private:
    TString mBefore;
};

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

} // namespace

// Every loader a script reaches refuses the engine's precompiled form, so
// forged bytecode never runs; text still loads through each of them.
TEST(LuaSandbox, NoLoaderTakesAPrecompiledChunk) {
    support::TempFolder folder;
    AsDataFolder data(folder.Path());
    LuaTestState state;
    ASSERT_TRUE(state.Run("DUMP = string.dump(function() return 'ran' end)"));
    ASSERT_EQ(state.Eval("DUMP:byte(1)"), "27");
    // The same bytes as a file, for the file loaders.
    lua_getglobal(state.L(), "DUMP");
    size_t size = 0;
    const char* bytes = lua_tolstring(state.L(), -1, &size);
    const std::string dumpFile = folder.Write("dump.lua", std::string(bytes, size));
    lua_pop(state.L(), 1);
    folder.Write("text.lua", "return 'ran'");
    const std::string dir = folder.Path().string();
    ASSERT_TRUE(state.Run("LUA_PATH = '" + dir + "/?.lua'"));

    const struct {
        const char* what;
        std::string code;
    } refused[] = {
        {"loadstring", "return select(2, loadstring(DUMP, '=dump'))"},
        {"load", "local done return select(2, load(function() if not done then done = true "
                 "return DUMP end end, '=dump'))"},
        {"loadfile", "return select(2, loadfile(" + Quoted(dumpFile) + "))"},
        {"dofile", "local ok, e = pcall(dofile, " + Quoted(dumpFile) + ") return e"},
        {"require", "local ok, e = pcall(require, 'dump') return e"},
    };
    for (const auto& c : refused) {
        ASSERT_TRUE(state.Run(c.code)) << c.what << ": " << state.mError;
        EXPECT_NE(state.mResult.find("precompiled chunks cannot be loaded"), std::string::npos)
            << c.what << ": " << state.mResult;
    }
    EXPECT_EQ(state.Eval("loadstring('return 1')(), dofile(" + Quoted(dir + "/text.lua") +
                         "), require('text')"),
              "1,ran,ran");
}

// Files on the disk are read only inside the program's folder, the assets
// folder and the data folders, whatever way they are named; a refused file
// is never read, so none of its text comes back in the message.
TEST(LuaSandbox, FilesOutsideTheGameFoldersAreRefused) {
    support::TempFolder game;
    support::TempFolder outside;
    const std::string in = game.Write("scripts/in.lua", "return 'inside'");
    const std::string out = outside.Write("out.lua", "return 'outside'");
    outside.Write("secret.txt", "topsecret words here");
    std::error_code error;
    std::filesystem::create_symlink(outside.Path(), game.Path() / "link", error);
    ASSERT_FALSE(error);
    const std::string up =
        game.Path().string() + "/scripts/../../" + outside.Path().filename().string() + "/out.lua";
    AsDataFolder data(game.Path());
    LuaTestState state;

    const std::string refused[] = {
        out,
        "::" + out,
        up,
        "::" + up,
        game.Path().string() + "/link/out.lua",
        "user:link/out.lua",
        outside.Path().string() + "/secret.txt",
    };
    for (const std::string& name : refused) {
        for (const char* loader : {"loadfile", "dofile"}) {
            ASSERT_TRUE(
                state.Run("return pcall(" + std::string(loader) + ", " + Quoted(name) + ")"))
                << state.mError;
            EXPECT_EQ(state.mResult.find("function"), std::string::npos) << loader << " " << name;
            EXPECT_EQ(state.mResult.find("topsecret"), std::string::npos) << loader << " " << name;
            EXPECT_NE(state.mResult.find("cannot open"), std::string::npos)
                << loader << " " << name << ": " << state.mResult;
        }
    }
    // require with a path that leads out finds nothing there.
    ASSERT_TRUE(state.Run("LUA_PATH = '" + outside.Path().string() + "/?.lua'"));
    EXPECT_NE(state.Error("require('out')").find("could not load package `out'"),
              std::string::npos);
    EXPECT_EQ(state.Eval("outsideRan"), "nil");

    // Inside the game's folders, by every form of name.
    EXPECT_EQ(state.Eval("dofile(" + Quoted(in) + ")"), "inside");
    EXPECT_EQ(state.Eval("dofile(" + Quoted("::" + in) + ")"), "inside");
    EXPECT_EQ(state.Eval("dofile('user:scripts/in.lua')"), "inside");
    ASSERT_TRUE(state.Run("LUA_PATH = '" + game.Path().string() + "/scripts/?.lua'"));
    EXPECT_EQ(state.Eval("require('in')"), "inside");
}

// A state has a budget: an allocation past it is the engine's memory error,
// which the script can catch, and the state goes on.
TEST(LuaSandbox, AllocationsPastTheBudgetFailAndTheStateGoesOn) {
    LuaSetMemoryBudget(size_t{16} << 20);
    LuaTestState state;
    LuaSetMemoryBudget(0);
    ASSERT_NE(state.L(), nullptr);
    EXPECT_EQ(LuaGetMemory(state.L()).budget, size_t{16} << 20);
    const struct {
        const char* what;
        const char* code;
    } cases[] = {
        {"one huge string", "return pcall(string.rep, 'x', 2^31 - 2)"},
        {"a growing table",
         "return pcall(function() local t = {} for i = 1, 1e8 do t[i] = {i} end end)"},
        {"concatenation", "return pcall(function() local s = 'x' for i = 1, 40 do s = s .. s end "
                          "end)"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(state.Run(c.code)) << c.what << ": " << state.mError;
        EXPECT_EQ(state.mResult, "false,not enough memory") << c.what;
        // What the script host does after a memory error.
        LuaCollectAfterMemoryError(state.L());
        EXPECT_EQ(state.Eval("string.len(string.rep('y', 1000))"), "1000") << c.what;
    }
    const TLuaMemory memory = LuaGetMemory(state.L());
    EXPECT_LE(memory.peak, memory.budget);
    EXPECT_LT(memory.used, size_t{4} << 20); // the garbage was given back
    // The default budget holds far more than the shipped scripts use.
    LuaTestState plain;
    EXPECT_EQ(LuaGetMemory(plain.L()).budget, kLuaDefaultMemoryBudget);
}

// A script during which the main loop stands still past the limit is
// stopped with an error naming its file and line; one that yields and lets
// the loop go on runs as long as it likes.
TEST(LuaSandbox, AScriptThatNeverGivesControlBackIsStopped) {
    LuaSetRunLimit(200);
    LuaNoteProgress();
    LuaTestState state;
    const std::string loop = "local n = 0\nwhile true do n = n + 1 end";
    lua_State* L = state.L();
    ASSERT_EQ(LuaLoadBuffer(L, loop.data(), loop.size(), "@scripts/loop.lua"), 0);
    ASSERT_NE(lua_pcall(L, 0, 0, 0), 0);
    EXPECT_EQ(std::string(lua_tostring(L, -1)),
              "scripts/loop.lua:2: script ran for 200 ms without yielding or returning");
    lua_pop(L, 1);
    // The state is usable afterwards.
    EXPECT_EQ(state.Eval("1 + 1"), "2");

    // A coroutine that yields, resumed once per pass of a main loop.
    ASSERT_TRUE(state.Run("CO = coroutine.create(function() while true do "
                          "for i = 1, 20000 do end coroutine.yield() end end)"));
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(600)) {
        LuaNoteProgress();
        ASSERT_TRUE(state.Run("assert(coroutine.resume(CO))")) << state.mError;
    }
    LuaSetRunLimit(0);
}

// One conversion from a script's number to a native integer: truncation
// toward zero, NaN as 0, the ends of the range for what lies past them.
TEST(LuaSandbox, ScriptNumbersBecomeIntegersWithoutOverflow) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        int32_t asInt;
        uint32_t asUnsigned;
        int16_t asShort;
    } cases[] = {
        {0.0, 0, 0, 0},
        {3.9, 3, 3, 3},
        {-3.9, -3, 0, -3},
        {std::nan(""), 0, 0, 0},
        {inf, INT32_MAX, UINT32_MAX, INT16_MAX},
        {-inf, INT32_MIN, 0, INT16_MIN},
        {1e308, INT32_MAX, UINT32_MAX, INT16_MAX},
        {-1e308, INT32_MIN, 0, INT16_MIN},
        {-2147483648.0, INT32_MIN, 0, INT16_MIN},
        {2147483648.0, INT32_MAX, 2147483648u, INT16_MAX},
        {4294967295.0, INT32_MAX, UINT32_MAX, INT16_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LuaToInteger<int32_t>(c.value), c.asInt) << c.value;
        EXPECT_EQ(LuaToInteger<uint32_t>(c.value), c.asUnsigned) << c.value;
        EXPECT_EQ(LuaToInteger<int16_t>(c.value), c.asShort) << c.value;
    }
    LuaTestState state;
    lua_pushnumber(state.L(), -1e308);
    lua_pushstring(state.L(), "12.7");
    lua_pushnil(state.L());
    EXPECT_EQ(LuaCheckedInt(state.L(), 1), INT32_MIN);
    EXPECT_EQ(LuaCheckedInt(state.L(), 2), 12);
    EXPECT_EQ(LuaCheckedInt(state.L(), 3), 0);
    lua_settop(state.L(), 0);
}
