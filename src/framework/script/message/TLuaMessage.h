#pragma once

#include "framework/script/message/TMessage.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"

struct lua_State;

// The script face of a message: a full userdata holding a pointer to a
// TMessage, whose metatable (kept in the registry under
// "nbMessageMetatable") answers m.type and m.name, nil for any other key,
// and deletes the message when the object is collected.

// Makes the metatable (once per state); PushMessageObject makes it too
// when it is missing.
void LuaOpenMessages(lua_State* state);
// Pushes a new message object that owns the message from then on.
void PushMessageObject(lua_State* state, TMessage* message);
// The message that the object at the index holds; null for nil and for
// any value that is not a message object.
TMessage* ToMessage(lua_State* state, int index);

// Anchors one message object in the registry.
class TLuaMessage : public TLuaObjectWrapper {
public:
    using TLuaObjectWrapper::TLuaObjectWrapper;

    // Pushes the object and answers the message it holds (null when none).
    TMessage* GetMessage() const;
};

// A native message standing for a message object made in a script, so that
// it can travel through the native queue: it keeps the object alive, and
// copies its type, name and target.
class TLuaMessageWrapper : public TMessage {
public:
    // Takes the message object on top of the stack (popping it).
    explicit TLuaMessageWrapper(lua_State* state);

    const char* GetClassName() const override { return "TLuaMessageWrapper"; }
    static const void* ClassId();
    bool IsKindOf(const void* classId) const override {
        return classId == ClassId() || TMessage::IsKindOf(classId);
    }

    // Pushes the script's own object.
    void PushObject(lua_State* onto = nullptr) const { mObject.Push(onto); }
    // The message the object holds; the stack is left as it was.
    TMessage* GetHeldMessage() const;

private:
    TLuaMessage mObject;
};
