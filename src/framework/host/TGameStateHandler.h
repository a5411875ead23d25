#pragma once

// An observer and adviser of the game-state registry (TGameState): it is
// told every state that is written, may replace every state that is read,
// and answers the registry's four questions. The registry owns the handlers
// registered with it and deletes them through the virtual destructor.
//
// This class is also the binary contract with plug-in game-state modules,
// libraries built apart from the program. A module exports, with C linkage,
//     TGameStateHandler* CreateHandler();            // null when it cannot
//     void DestroyHandler(TGameStateHandler* handler);
// and the program calls the handler's virtual operations in the order
// declared here, with the arguments in the order shown. Never reorder,
// insert or remove a virtual operation, and keep the argument types.
//
// On Linux the contract is the Itanium C++ ABI as g++ implements it: the
// virtual destructor takes the first two table entries (the complete and
// the deleting form), followed by OnSetState, OnGetState, QueryRestartMode,
// QueryJumpToMenu, QueryMuteGame and QuerySuspendGame. Everything here is
// inline, so a module needs this header and nothing else of the program.
//
// Texts are NUL-terminated bytes as the framework strings hold them. The
// text OnGetState returns only has to live until the registry has copied
// it, which it does at once; a static buffer of the handler will do.
class TGameStateHandler {
public:
    virtual ~TGameStateHandler() = default;

    // True consumes the state: later handlers, and the registry's own
    // handling of "mute", do not see it. It is stored all the same.
    virtual bool OnSetState(const char* name, const char* value) = 0;
    // The value to pass on to the next handler (or to the reader).
    virtual const char* OnGetState(const char* name, const char* value) {
        (void)name;
        return value;
    }
    virtual bool QueryRestartMode() { return false; }
    virtual bool QueryJumpToMenu() { return false; }
    virtual bool QueryMuteGame() { return false; }
    virtual bool QuerySuspendGame() { return false; }
};

// The two exports of a plug-in module.
using TCreateHandlerFunction = TGameStateHandler* (*)();
using TDestroyHandlerFunction = void (*)(TGameStateHandler*);

// Export names looked up in a module.
inline constexpr const char* kCreateHandlerExport = "CreateHandler";
inline constexpr const char* kDestroyHandlerExport = "DestroyHandler";
