#include "framework/script/message/TMessage.h"

#include "framework/script/host/TScript.h"
#include "framework/script/message/ScriptQueues.h"
#include "framework/script/message/TLuaMessage.h"

#include "framework/script/ScriptFixture.h"

#include <lua.h>

namespace {

// Counts the messages that are deleted.
int gDeleted = 0;

class CountedMessage : public TMessage {
public:
    using TMessage::TMessage;
    ~CountedMessage() override { ++gDeleted; }
};

// CreateNamedMessage(type, name), as scripts make messages.
int CreateNamedMessage(lua_State* L) {
    PushMessageObject(L, new CountedMessage(static_cast<int32_t>(lua_tonumber(L, 1)),
                                            lua_tostring(L, 2) ? lua_tostring(L, 2) : ""));
    return 1;
}

class MessageTest : public ScriptFixture {
protected:
    void SetUp() override {
        ScriptFixture::SetUp();
        gDeleted = 0;
        mScript = std::make_unique<TScript>();
        L = mScript->GetState();
        mScript->RegisterFunction("CreateNamedMessage", CreateNamedMessage);
        LuaOpenMessages(L);
        Run("gMessageQueue = {}; gCommandQueue = {}");
    }
    void TearDown() override {
        mScript.reset();
        ScriptFixture::TearDown();
    }
    void Run(const char* source) { ASSERT_TRUE(mScript->DoLuaString(source)) << source; }
    void Collect() { lua_gc(L, LUA_GCCOLLECT, 0); }

    std::unique_ptr<TScript> mScript;
    lua_State* L = nullptr;
};

TEST(Message, KeepsTypeNameAndTarget) {
    TMessage message(TMessage::kUserMessageBase, "hello");
    EXPECT_EQ(message.GetType(), 1000);
    EXPECT_STREQ(message.GetName().CStr(), "hello");
    EXPECT_EQ(message.GetTarget(), nullptr);
    EXPECT_STREQ(message.GetClassName(), "TMessage");
    EXPECT_TRUE(message.IsKindOf(TMessage::ClassId()));
    EXPECT_FALSE(message.IsKindOf(TLuaMessageWrapper::ClassId()));
    EXPECT_EQ(TMessage::kQuitNow, 5);
    EXPECT_EQ(TMessage::kSliderPageDown, 12);
}

TEST_F(MessageTest, Object_AnswersTypeAndNameAndNothingElse) {
    Run("m = CreateNamedMessage(1000, 'picked')\n"
        "t = m.type; n = m.name; other = m.other == nil and 1 or 0; idx = m[1] == nil and 1 or 0");
    EXPECT_EQ(mScript->GetGlobalNumber("t"), 1000.0);
    EXPECT_STREQ(mScript->GetGlobalString("n").CStr(), "picked");
    EXPECT_EQ(mScript->GetGlobalNumber("other"), 1.0);
    EXPECT_EQ(mScript->GetGlobalNumber("idx"), 1.0);
}

TEST_F(MessageTest, Object_CollectedDeletesItsMessage) {
    Run("m = CreateNamedMessage(3, 'a'); CreateNamedMessage(4, 'b')");
    Collect();
    EXPECT_EQ(gDeleted, 1);
    Run("m = nil");
    Collect();
    EXPECT_EQ(gDeleted, 2);
}

TEST_F(MessageTest, ToMessage_OnlyReadsMessageObjects) {
    auto* message = new CountedMessage(7, "x");
    PushMessageObject(L, message);
    lua_pushnil(L);
    lua_newtable(L);
    lua_newuserdata(L, sizeof(void*));
    lua_pushnumber(L, 1);
    EXPECT_EQ(ToMessage(L, 1), message);
    for (int i = 2; i <= 5; ++i) {
        EXPECT_EQ(ToMessage(L, i), nullptr) << i;
    }
    lua_settop(L, 0);
}

TEST_F(MessageTest, Wrapper_CarriesTheScriptsMessageAndKeepsItAlive) {
    Run("made = CreateNamedMessage(kind or 1001, 'from script')");
    lua_getglobal(L, "made");
    TMessage* held = ToMessage(L, -1);
    auto* wrapper = new TLuaMessageWrapper(L);
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_EQ(wrapper->GetType(), 1001);
    EXPECT_STREQ(wrapper->GetName().CStr(), "from script");
    EXPECT_EQ(wrapper->GetHeldMessage(), held);
    EXPECT_STREQ(wrapper->GetClassName(), "TLuaMessageWrapper");
    EXPECT_TRUE(wrapper->IsKindOf(TLuaMessageWrapper::ClassId()));
    EXPECT_TRUE(wrapper->IsKindOf(TMessage::ClassId()));
    Run("made = nil");
    Collect();
    EXPECT_EQ(gDeleted, 0) << "the wrapper holds the object";
    delete wrapper;
    Collect();
    EXPECT_EQ(gDeleted, 1);
}

TEST_F(MessageTest, Queues_FillInOrder) {
    ASSERT_TRUE(QueueScriptMessage(*mScript, new CountedMessage(1, "first")));
    Run("made = CreateNamedMessage(2, 'second')");
    lua_getglobal(L, "made");
    ASSERT_TRUE(QueueScriptMessage(*mScript, new TLuaMessageWrapper(L)));
    Run("function one() return 1 end function two() return 2 end");
    for (const char* name : {"one", "two"}) {
        lua_getglobal(L, name);
        TLuaFunction command(L);
        ASSERT_TRUE(QueueScriptCommand(*mScript, command));
    }
    Run("same = gMessageQueue[2] == made and 1 or 0\n"
        "names = gMessageQueue[1].name .. ',' .. gMessageQueue[2].name\n"
        "types = gMessageQueue[1].type + 10 * gMessageQueue[2].type\n"
        "results = gCommandQueue[1]() .. gCommandQueue[2]()\n"
        "left = (gMessageToQueue == nil and gMessageCommand == nil) and 1 or 0");
    EXPECT_EQ(mScript->GetGlobalNumber("same"), 1.0) << "a script's message goes as itself";
    EXPECT_STREQ(mScript->GetGlobalString("names").CStr(), "first,second");
    EXPECT_EQ(mScript->GetGlobalNumber("types"), 21.0);
    EXPECT_STREQ(mScript->GetGlobalString("results").CStr(), "12");
    EXPECT_EQ(mScript->GetGlobalNumber("left"), 1.0);
    Run("gMessageQueue = {}; made = nil");
    Collect();
    EXPECT_EQ(gDeleted, 2);
}

TEST_F(MessageTest, Queue_MissingInTheScriptLosesNothingAndLeaksNothing) {
    Run("gMessageQueue = nil; gCommandQueue = nil");
    size_t mark = Mark();
    EXPECT_FALSE(QueueScriptMessage(*mScript, new CountedMessage(1, "lost")));
    Run("function f() end");
    lua_getglobal(L, "f");
    TLuaFunction command(L);
    EXPECT_FALSE(QueueScriptCommand(*mScript, command));
    EXPECT_NE(LogSince(mark).find("DoLuaString Lua Error: "), std::string::npos);
    Collect();
    EXPECT_EQ(gDeleted, 1);
}

} // namespace
