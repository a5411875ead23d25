#pragma once

#include "framework/core/text/TString.h"
#include "framework/host/TGameStateHandler.h"

#include <memory>

// A game-state handler that forwards everything to the handler object of a
// plug-in module: a shared library whose file name contains ".nbmod" and
// which exports "CreateHandler" and "DestroyHandler" (see
// TGameStateHandler.h). It owns the loaded module and, through
// "DestroyHandler", the module's handler; the registry owns it.
//
// Modules are trusted code, so they load only from the assets folder or the
// pack files in it, never from the user's, the common or the desktop
// folder, nor from a "::" path. A data folder that holds the assets folder
// (the program folder, where the player's files are kept when there is no
// data folder of their own) leaves the assets folder to the program. A
// module inside a pack is copied into an anonymous in-memory file and loaded
// from there.
class TDllGameState : public TGameStateHandler {
public:
    TDllGameState();
    ~TDllGameState() override;
    TDllGameState(const TDllGameState&) = delete;
    TDllGameState& operator=(const TDllGameState&) = delete;

    // Loads the module a logical file name leads to and makes its handler.
    // False, with a log line, when that fails; nothing stays loaded then.
    bool Load(const TString& fileName);
    bool IsLoaded() const;

    // Without a module handler these answer as the base does, except
    // OnSetState, which consumes nothing.
    bool OnSetState(const char* name, const char* value) override;
    const char* OnGetState(const char* name, const char* value) override;
    bool QueryRestartMode() override;
    bool QueryJumpToMenu() override;
    bool QueryMuteGame() override;
    bool QuerySuspendGame() override;

private:
    // Destroys the module's handler, then unloads the module.
    void Release();

    struct ModuleRecord;
    std::unique_ptr<ModuleRecord> mModule;
};
