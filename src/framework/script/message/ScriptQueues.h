#pragma once

class TLuaFunction;
class TMessage;
class TScript;

// What arrives for a script while it is busy waits in its queues, the
// globals gMessageQueue (message objects) and gCommandQueue (functions),
// which the script's message loop reads newest first.

// Appends the message to gMessageQueue and takes it over: a message made
// in the script (TLuaMessageWrapper) goes as its own object and the native
// wrapper is deleted; any other message goes as a new message object that
// owns it. False when the script could not take it (the message is
// deleted all the same).
bool QueueScriptMessage(TScript& script, TMessage* message);
// Appends the function to gCommandQueue; the wrapper stays the caller's.
bool QueueScriptCommand(TScript& script, const TLuaFunction& command);
