#include "framework/script/host/TScriptCode.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/script/host/TScript.h"

#include "framework/script/ScriptFixture.h"

#include <lua.h>

namespace {

class ScriptCodeTest : public ScriptFixture {};

TEST_F(ScriptCodeTest, Compile_GivesTheSameAssetWhileHeldAndCompilesAgainAfter) {
    Write("assets/scripts/a.lua", "version = 1");
    ScanAssetFolder("assets", "");
    std::shared_ptr<TScriptCode> first = TScriptCode::Compile("scripts/a.lua");
    ASSERT_TRUE(first);
    EXPECT_STREQ(first->GetClassName(), "TScriptCode");
    EXPECT_TRUE(first->IsKindOf(TScriptCode::ClassId()));
    EXPECT_GT(first->GetSize(), 0u);
    EXPECT_EQ(first->GetCode()[0], '\x1b') << "engine bytecode";
    Write("assets/scripts/a.lua", "version = 2");
    EXPECT_EQ(TScriptCode::Compile("scripts/a.lua"), first) << "reused while held";

    TScript script;
    EXPECT_TRUE(script.DoFile("scripts/a.lua"));
    EXPECT_EQ(script.GetGlobalNumber("version"), 1.0) << "the held compiled form ran";
    first.reset();
    EXPECT_FALSE(mAssets->Find("scripts/a.lua")) << "DoFile let go of its own";
    EXPECT_TRUE(script.DoFile("scripts/a.lua"));
    EXPECT_EQ(script.GetGlobalNumber("version"), 2.0) << "compiled again once released";
}

TEST_F(ScriptCodeTest, Compile_WithoutAnAssetManagerStillCompiles) {
    Write("assets/scripts/b.lua", "return 1");
    ScanAssetFolder("assets", "");
    mAssets.reset();
    ASSERT_EQ(TAssetManager::Instance(), nullptr);
    std::shared_ptr<TScriptCode> code = TScriptCode::Compile("scripts/b.lua");
    ASSERT_TRUE(code);
    EXPECT_NE(TScriptCode::Compile("scripts/b.lua"), code) << "nothing to share it through";
}

TEST_F(ScriptCodeTest, Compile_FailureGivesTheCompilersMessage) {
    Write("assets/scripts/bad.lua", "function (");
    ScanAssetFolder("assets", "");
    TString error;
    EXPECT_FALSE(TScriptCode::Compile("scripts/bad.lua", "", &error));
    EXPECT_NE(error.Find("bad.lua"), -1) << error.CStr();
    EXPECT_FALSE(mAssets->Find("scripts/bad.lua"));
    error = "";
    EXPECT_FALSE(TScriptCode::Compile("scripts/none.lua", "", &error));
    EXPECT_NE(error.Find("cannot open"), -1) << error.CStr();
}

TEST_F(ScriptCodeTest, Bytecode_RunsWithWideLiteralsAndDialectHelpers) {
    Write("assets/scripts/dialect.lua",
          "w = L\"wide\" .. 2\n"
          "bits = (12 & 10) | 1\n"
          "for k, v in {10, 20} do total = (total or 0) + v end\n"
          "for i = 1, 3 do if i == 2 then continue end; last = i end\n");
    ScanAssetFolder("assets", "");
    TScript script;
    ASSERT_TRUE(script.DoFile("scripts/dialect.lua"));
    EXPECT_STREQ(script.GetGlobalString("w").CStr(), "wide2");
    EXPECT_EQ(script.GetGlobalNumber("bits"), 9.0);
    EXPECT_EQ(script.GetGlobalNumber("total"), 30.0);
    EXPECT_EQ(script.GetGlobalNumber("last"), 3.0);
    lua_State* L = script.GetState();
    ASSERT_TRUE(script.DoLuaString("return type(w)", TScript::kWholeSource, 1));
    EXPECT_STREQ(lua_tostring(L, -1), "wstring");
    lua_pop(L, 1);
}

// A script that runs its own file again, while it runs, gets the compiled
// form that the running DoFile holds.
int RunAgain(lua_State* L) {
    TScript* script = TScript::FromState(L);
    lua_pushboolean(L, TAssetManager::Instance()->Find("scripts/self.lua") != nullptr);
    lua_setglobal(L, "heldWhileRunning");
    lua_pushboolean(L, script->DoFile("scripts/self.lua"));
    return 1;
}

TEST_F(ScriptCodeTest, FileRunningItself_ReusesTheCompiledAsset) {
    Write("assets/scripts/self.lua", "depth = (depth or 0) + 1\n"
                                     "if depth == 1 then again = RunAgain() end\n");
    ScanAssetFolder("assets", "");
    TScript script;
    script.RegisterFunction("RunAgain", RunAgain);
    EXPECT_TRUE(script.DoFile("scripts/self.lua"));
    EXPECT_EQ(script.GetGlobalNumber("depth"), 2.0);
    EXPECT_EQ(script.GetGlobalString("again"), TString());
    ASSERT_TRUE(script.DoLuaString("ok = again and heldWhileRunning and 1 or 0"));
    EXPECT_EQ(script.GetGlobalNumber("ok"), 1.0);
    EXPECT_FALSE(mAssets->Find("scripts/self.lua"));
}

} // namespace
