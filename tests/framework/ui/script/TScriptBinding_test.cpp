// Native members bound as script globals: the argument and result forms,
// and a bound window that goes before the script does.

#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/script/WindowScriptFixture.h"

#include <string>

namespace {

class Counter {
public:
    void Ping() { ++pings; }
    void SetNumber(int32_t value) { number = value; }
    void SetScale(double value) { scale = value; }
    void SetFlag(bool value) { flag = value; }
    TString Join(const TString& a, const TString& b) { return a + TString("+") + b; }
    bool IsBig(int32_t value) { return value > 10; }
    uint8_t Small() const { return 200; }
    int Pair(lua_State* state) {
        lua_pushnumber(state, 1);
        lua_pushstring(state, "two");
        return 2;
    }

    int pings = 0;
    int32_t number = 0;
    double scale = 0;
    bool flag = false;
};

using ScriptBinding = WindowScriptFixture;

TEST_F(ScriptBinding, EachFormReadsAndAnswersAsScriptsExpect) {
    Counter counter;
    BindScriptFunction(*script, "Ping", &counter, &Counter::Ping);
    BindScriptFunction(*script, "SetNumber", &counter, &Counter::SetNumber);
    BindScriptFunction(*script, "SetScale", &counter, &Counter::SetScale);
    BindScriptFunction(*script, "SetFlag", &counter, &Counter::SetFlag);
    BindScriptFunction(*script, "Join", &counter, &Counter::Join);
    BindScriptFunction(*script, "IsBig", &counter, &Counter::IsBig);
    BindScriptFunction(*script, "Small", &counter, &Counter::Small);
    BindScriptFunction(*script, "Pair", &counter, &Counter::Pair);
    EXPECT_EQ(CountScriptBindings(&counter), 8u);

    ASSERT_TRUE(Run("gNone = select('#', Ping()); Ping()"));
    EXPECT_EQ(counter.pings, 2);
    EXPECT_EQ(Global("gNone"), "0");

    struct Case {
        const char* call;
        int32_t number;
    };
    // Integers are truncated toward zero; what is no number reads 0; past
    // the range, the nearest end of it.
    for (const Case& c : {Case{"SetNumber(2.9)", 2}, Case{"SetNumber(-2.9)", -2},
                          Case{"SetNumber('17')", 17}, Case{"SetNumber(nil)", 0},
                          Case{"SetNumber(1e300)", INT32_MAX}, Case{"SetNumber(-1e308)", INT32_MIN},
                          Case{"SetNumber(0/0)", 0}, Case{"SetNumber(-2^31 - 1)", INT32_MIN}}) {
        SCOPED_TRACE(c.call);
        counter.number = 99;
        ASSERT_TRUE(Run(c.call));
        EXPECT_EQ(counter.number, c.number);
    }
    ASSERT_TRUE(Run("SetScale(0.25)"));
    EXPECT_EQ(counter.scale, 0.25);
    ASSERT_TRUE(Run("SetFlag(0)"));
    EXPECT_TRUE(counter.flag); // a number is true to Lua
    ASSERT_TRUE(Run("SetFlag(nil)"));
    EXPECT_FALSE(counter.flag);

    EXPECT_EQ(Eval("Join('a', 'b')"), "a+b");
    EXPECT_EQ(Eval("Join(1, nil)"), "1+");
    EXPECT_EQ(Eval("tostring(IsBig(11)) .. tostring(IsBig(10))"), "truefalse");
    EXPECT_EQ(Eval("Small()"), "200");
    EXPECT_EQ(Eval("table.concat({Pair()}, ',')"), "1,two");
}

TEST_F(ScriptBinding, AWindowsGettersAndADestroyedWindow) {
    TWindow* window = TWindow::Create();
    window->SetSize(30, 40);
    screen->AddChild(window);
    BindScriptFunction(*script, "GetWidth", window, &TWindow::GetWidth);
    BindScriptFunction(*script, "GetHeight", window, &TWindow::GetHeight);
    BindScriptFunction(*script, "Rename", window, &TWindow::SetName);
    EXPECT_EQ(Eval("GetWidth() .. 'x' .. GetHeight()"), "30x40");
    ASSERT_TRUE(Run("Rename('renamed')"));
    EXPECT_EQ(window->GetName().ToStd(), "renamed");
    EXPECT_EQ(CountScriptBindings(window), 3u);

    window->DeleteThis(1);
    EXPECT_EQ(CountScriptBindings(window), 0u);
    const size_t mark = Mark();
    EXPECT_EQ(Eval("select('#', GetWidth())"), "0");
    ASSERT_TRUE(Run("GetWidth(); Rename('x')"));
    const std::string log = LogSince(mark);
    const std::string line = "Script function GetWidth called after its object was destroyed";
    ASSERT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line, log.find(line) + 1), std::string::npos) << "said once: " << log;
    EXPECT_NE(log.find("Script function Rename called after"), std::string::npos) << log;
}

TEST_F(ScriptBinding, ABindingGoesWithItsClosure) {
    Counter counter;
    BindScriptFunction(*script, "Ping", &counter, &Counter::Ping);
    BindScriptFunction(*script, "Ping", &counter, &Counter::Ping);
    ASSERT_TRUE(Run("collectgarbage()"));
    // The replaced closure is gone, the one in the global stays.
    EXPECT_EQ(CountScriptBindings(&counter), 1u);
    ASSERT_TRUE(Run("Ping = nil; collectgarbage()"));
    EXPECT_EQ(CountScriptBindings(&counter), 0u);
}

} // namespace
