#include "velk/options/EnterKeyStatement.h"

#include "framework/script/host/TScript.h"

#include "framework/script/ScriptFixture.h"

#include <string>

namespace {

class EnterKeyStatementTest : public ScriptFixture {};

TEST_F(EnterKeyStatementTest, PlainTextGivesTheSimpleCall) {
    EXPECT_EQ(MakeEnterKeyStatement("F", "T").ToStd(), "F('T');");
    EXPECT_EQ(MakeEnterKeyStatement("onName", "Ann Lee").ToStd(), "onName('Ann Lee');");
    EXPECT_EQ(MakeEnterKeyStatement("F", "").ToStd(), "F('');");
}

TEST_F(EnterKeyStatementTest, EveryTextReachesTheFunctionIntact) {
    const std::string texts[] = {
        "O'Brien",
        "back\\slash",
        "end\\",
        "'); os = nil; gHacked = true; --",
        "line\nbreak\r",
        std::string("tab\tbell\a") + '\x01' + "9",
        "Zo\xC3\xAB \xE2\x98\xBA",
        "\\'",
    };
    TScript script;
    ASSERT_TRUE(script.DoLuaString("function F(text) gReceived = text end"));
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        script.SetGlobalString("gReceived", "");
        ASSERT_TRUE(script.DoLuaString(MakeEnterKeyStatement("F", TString(text))));
        EXPECT_EQ(script.GetGlobalString("gReceived").ToStd(), text);
        EXPECT_EQ(script.GetGlobalString("gHacked").ToStd(), "");
    }
}

} // namespace
