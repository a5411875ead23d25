#include "framework/script/message/ScriptQueues.h"

#include "framework/script/host/TScript.h"
#include "framework/script/message/TLuaMessage.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"

#include <lua.h>

namespace {

lua_State* MainStateOf(TScript& script) {
    return LuaMainState(script.GetState());
}

} // namespace

bool QueueScriptMessage(TScript& script, TMessage* message) {
    lua_State* L = MainStateOf(script);
    if (!message) {
        return false;
    }
    if (!L) {
        delete message;
        return false;
    }
    if (message->IsKindOf(TLuaMessageWrapper::ClassId())) {
        auto* wrapper = static_cast<TLuaMessageWrapper*>(message);
        wrapper->PushObject(L);
        delete wrapper;
    } else {
        PushMessageObject(L, message);
    }
    lua_setglobal(L, "gMessageToQueue");
    if (script.DoLuaString("table.insert(gMessageQueue,gMessageToQueue); gMessageToQueue=nil;")) {
        return true;
    }
    // Not queued: the object is let go, and its message with it.
    lua_pushnil(L);
    lua_setglobal(L, "gMessageToQueue");
    return false;
}

bool QueueScriptCommand(TScript& script, const TLuaFunction& command) {
    lua_State* L = MainStateOf(script);
    if (!L) {
        return false;
    }
    command.Push(L);
    lua_setglobal(L, "gMessageCommand");
    if (script.DoLuaString("table.insert(gCommandQueue,gMessageCommand); gMessageCommand=nil;")) {
        return true;
    }
    lua_pushnil(L);
    lua_setglobal(L, "gMessageCommand");
    return false;
}
