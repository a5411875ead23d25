#include "framework/host/TMsnQuarrowHandler.h"

#include "framework/core/text/TString.h"
#include "framework/host/PortalState.h"
#include "framework/host/TGameState.h"
#include "framework/host/THostServices.h"

#include <cstring>
#include <string>

namespace {

// The integer value of a state's text: the leading decimal integer, 0 when
// there is none.
int32_t IntegerOf(const char* value) {
    return TString(value).ToInt();
}

int32_t CurrentInteger(const char* name) {
    TGameState* states = TGameState::GetInstance();
    return states ? states->GetState(name).ToInt() : 0;
}

TMsnQuarrowHandler* gInstalled = nullptr;

} // namespace

TMsnQuarrowHandler::~TMsnQuarrowHandler() {
    if (gInstalled == this)
        gInstalled = nullptr;
}

TMsnQuarrowHandler* TMsnQuarrowHandler::GetInstalled() {
    return gInstalled;
}

void TMsnQuarrowHandler::SetInstalled(TMsnQuarrowHandler* handler) {
    gInstalled = handler;
}

bool TMsnQuarrowHandler::OnSetState(const char* name, const char* value) {
    const std::string key = name;
    if (key == "windowmessage") {
        HandlePortalWindowMessage(IntegerOf(value));
        return true;
    }
    if (key == "loadbroadcast") {
        SendPortalLoadProgress(100);
        return true;
    }
    if (key == "sessionready") {
        SendPortalSessionReady();
        return true;
    }
    if (key == "cmdline") {
        if (IsPortalQuarrowMode()) {
            SetPortalComInterval(ReadPortalOption(value, "-com_interval"));
            SetPortalUpsellLevels(ReadPortalOption(value, "-upsell_levels"));
            SetPortalMaxLevels(ReadPortalOption(value, "-max_levels"));
        } else if (std::strstr(value, "-aol")) {
            mAol = true;
        }
        return false;
    }
    if (key == "level") {
        SetPortalLevel(IntegerOf(value), CurrentInteger("sublevel"));
    } else if (key == "sublevel") {
        SetPortalLevel(CurrentInteger("level"), IntegerOf(value));
    } else if (key == "pause") {
        SetPortalPause(IntegerOf(value) != 0);
    } else if (key == "mute") {
        // Outside portal mode the registry mutes the sound itself.
        if (!IsPortalMode())
            return false;
        SetPortalMute(IntegerOf(value) != 0);
        return true;
    } else if (key == "breaknow") {
        SendPortalGameBreak();
    } else if (key == "score") {
        BroadcastPortalScore(IntegerOf(value));
    } else if (key == "gamemode") {
        SendPortalGameReady(value);
    } else if (key == "gameover") {
        SubmitPortalScore(CurrentInteger("score"));
        SendPortalGameEnd();
    } else if (key == "nomorecontent") {
        SendMaxLevelReached();
    } else if (key == "downloadbutton") {
        SendPortalDeluxe();
    } else if (key == "restartbutton") {
        SendPortalRestart();
    }
    return false;
}

const char* TMsnQuarrowHandler::OnGetState(const char* name, const char* value) {
    static std::string answer;
    const std::string key = name;
    answer = value;
    if (key == "systemmode") {
        if (IsPortalQuarrowMode())
            answer = "quarrow";
        if (IsPortalMsnMode())
            answer = "msn";
        if (mAol)
            answer = "aol";
    } else if (key == "upsellfrequency") {
        answer = std::to_string(GetPortalUpsellLevels());
    } else if (key == "restartbutton") {
        answer = IsPortalRestartAllowed() ? "1" : "0";
    } else if (key == "maxlevel") {
        answer = std::to_string(GetPortalMaxLevels());
    }
    return answer.c_str();
}

bool TMsnQuarrowHandler::QueryRestartMode() {
    return TakePortalRestartRequest();
}

bool TMsnQuarrowHandler::QueryJumpToMenu() {
    return TakePortalJumpToMenuRequest();
}

bool TMsnQuarrowHandler::QueryMuteGame() {
    return IsPortalMuted();
}

bool TMsnQuarrowHandler::QuerySuspendGame() {
    if (!IsPortalMode() || !IsPortalWaiting())
        return false;
    // No code can end a wait once the host has gone.
    THostServices* services = GetHostServices();
    if (!services || !services->IsHostPresent()) {
        EndPortalWaitForLostHost();
        return false;
    }
    return true;
}
