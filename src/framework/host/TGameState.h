#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <memory>

class TGameStateHandler;

// The game-state registry: named text states ("level", "score", "pause",
// "mute", ...) that the game, the framework and the scripts write and read,
// and the handlers (portal handlers, plug-in modules) that watch and steer
// them. Every written state is offered to the handlers in registration
// order, every read passes through them, and they answer four questions.
// Without handlers it is a plain key/value store.
//
// One instance, made by GetInstance while the application object exists
// and deleted by the application's destructor. The handler list is
// process-wide, so handlers may be added before the instance exists; the
// registry owns them and its destruction deletes them all. Main thread only.
class TGameState {
public:
    virtual ~TGameState();
    TGameState(const TGameState&) = delete;
    TGameState& operator=(const TGameState&) = delete;

    // The registry; made on the first call while the application object
    // exists. Null while there is neither an application nor a registry.
    static TGameState* GetInstance();
    // Appends a handler; the registry owns it from now on. A null handler
    // and one that is registered already are refused (and logged).
    static void AddHandler(TGameStateHandler* handler);
    static int GetHandlerCount();

    // A never-set name reads as "" (and is entered with that value).
    TString GetState(const TString& name);
    // A name starting with "++" counts the state without those two
    // characters up by one; the value is then ignored.
    void SetState(const TString& name, const TString& value);
    void SetStateInt(const TString& name, int32_t value);

    // Each asks the handlers in order and stops at the first true.
    bool QueryRestartMode();
    bool QueryJumpToMenu();
    bool QuerySuspendGame();
    // Also true, when no handler says so, while "mute" is non-zero.
    bool QueryMuteGame();

private:
    TGameState();

    struct Record;
    std::unique_ptr<Record> mRecord;
};
