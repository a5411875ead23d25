#include "framework/host/TGameState.h"

#include "framework/core/log/TLog.h"
#include "framework/core/system/ApplicationPresence.h"
#include "framework/host/TGameStateHandler.h"
#include "framework/host/TGameStateScript.h"
#include "framework/sound/manager/TSoundManager.h"

#include <algorithm>
#include <cinttypes>
#include <map>
#include <utility>
#include <vector>

namespace {

TGameState* gInstance = nullptr;

std::vector<TGameStateHandler*>& Handlers() {
    static std::vector<TGameStateHandler*> handlers;
    return handlers;
}

// Asks one of the yes/no questions of every handler in registration order,
// stopping at the first true: a handler may clear a pending request when it
// answers, so the ones after it must not be asked.
bool AskHandlers(bool (TGameStateHandler::*question)()) {
    std::vector<TGameStateHandler*>& handlers = Handlers();
    // By index: a handler may add another while it is asked.
    for (size_t i = 0; i < handlers.size(); ++i) {
        if ((handlers[i]->*question)())
            return true;
    }
    return false;
}

} // namespace

struct TGameState::Record {
    std::map<TString, TString> states;
    // The master volume as it was when the registry muted the sound for
    // "mute"; only meaningful while muted is set.
    float savedVolume = 0.0f;
    bool muted = false;
};

TGameState::TGameState() : mRecord(std::make_unique<Record>()) {
    RegisterGameStateScriptFunctions();
}

TGameState::~TGameState() {
    // The list is taken out first: a handler's destruction (a module's
    // DestroyHandler) must not find itself, or its deleted fellows, in it.
    std::vector<TGameStateHandler*> handlers;
    handlers.swap(Handlers());
    for (TGameStateHandler* handler : handlers)
        delete handler;
    if (gInstance == this)
        gInstance = nullptr;
}

TGameState* TGameState::GetInstance() {
    if (!gInstance && IsApplicationPresent())
        gInstance = new TGameState();
    return gInstance;
}

void TGameState::AddHandler(TGameStateHandler* handler) {
    if (!handler) {
        LogPrintf("TGameState: a null game-state handler was not registered");
        return;
    }
    std::vector<TGameStateHandler*>& handlers = Handlers();
    // The registry deletes each handler it holds once.
    if (std::find(handlers.begin(), handlers.end(), handler) != handlers.end()) {
        LogPrintf("TGameState: a game-state handler registered already was not registered again");
        return;
    }
    handlers.push_back(handler);
}

int TGameState::GetHandlerCount() {
    return static_cast<int>(Handlers().size());
}

TString TGameState::GetState(const TString& name) {
    TString value = mRecord->states[name];
    std::vector<TGameStateHandler*>& handlers = Handlers();
    for (size_t i = 0; i < handlers.size(); ++i) {
        // Copied at once: the handler's text may be a buffer it reuses.
        value = TString(handlers[i]->OnGetState(name.CStr(), value.CStr()));
    }
    return value;
}

void TGameState::SetState(const TString& nameText, const TString& valueText) {
    TString name = nameText;
    TString value = valueText;
    if (name.CharAt(0) == '+' && name.CharAt(1) == '+') {
        name = name.Substring(2);
        // Wider than the state's own range, so the largest value counts on.
        int64_t next = static_cast<int64_t>(GetState(name).ToInt()) + 1;
        value = TString::Format("%" PRId64, next);
    }

    TString& stored = mRecord->states[name];
    int previous = stored.ToInt();
    stored = value;

    std::vector<TGameStateHandler*>& handlers = Handlers();
    for (size_t i = 0; i < handlers.size(); ++i) {
        if (handlers[i]->OnSetState(name.CStr(), value.CStr()))
            return;
    }

    if (name.View() != "mute")
        return;
    int current = value.ToInt();
    TSoundManager* sound = TSoundManager::Instance();
    if (previous == 0 && current != 0) {
        if (!sound)
            return;
        // Muted already (a handler let the unmute pass by): the volume now
        // is the silence, and the one saved before stays the one to restore.
        if (!mRecord->muted) {
            mRecord->savedVolume = sound->GetMasterVolume();
            mRecord->muted = true;
        }
        sound->SetMasterVolume(0.0f);
    } else if (previous != 0 && current == 0) {
        // Only a mute of the registry's own is undone: when a handler
        // consumed the mute, the volume it saved is not ours to restore.
        if (!mRecord->muted)
            return;
        if (sound)
            sound->SetMasterVolume(mRecord->savedVolume);
        mRecord->savedVolume = 0.0f;
        mRecord->muted = false;
    }
}

void TGameState::SetStateInt(const TString& name, int32_t value) {
    SetState(name, TString::Format("%d", value));
}

bool TGameState::QueryRestartMode() {
    return AskHandlers(&TGameStateHandler::QueryRestartMode);
}

bool TGameState::QueryJumpToMenu() {
    return AskHandlers(&TGameStateHandler::QueryJumpToMenu);
}

bool TGameState::QuerySuspendGame() {
    return AskHandlers(&TGameStateHandler::QuerySuspendGame);
}

bool TGameState::QueryMuteGame() {
    if (AskHandlers(&TGameStateHandler::QueryMuteGame))
        return true;
    return GetState("mute").ToInt() != 0;
}
