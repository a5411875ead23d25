#include "game/screens/wndChangePlayer.h"

#include "framework/core/log/TLog.h"
#include "framework/script/engine/LuaApi.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TText.h"
#include "game/screens/PlayerRecord.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

#include <lua.h>

#include <cstdio>
#include <new>

const TColor wndChangePlayer::kOrange(1.0f, 0.729f, 0.302f, 1.0f);
const TColor wndChangePlayer::kWhite(1.0f, 1.0f, 1.0f, 1.0f);
const TColor wndChangePlayer::kDarkPurple(0.25f, 0.01f, 0.23f, 1.0f);

namespace {

constexpr uint32_t kTickMs = 50;
constexpr int32_t kSearchDepth = 2;

TScript* WindowScript() {
    TWindowManager* manager = TWindowManager::Instance();
    return manager ? manager->GetScript() : nullptr;
}

int32_t GlobalInt(const char* name) {
    TScript* script = WindowScript();
    return script ? static_cast<int32_t>(script->GetGlobalNumber(name)) : 0;
}

template <typename T> T* Numbered(const TWindow& parent, const char* pattern, int32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, pattern, number);
    TWindow* child = parent.FindChild(TString(name), kSearchDepth);
    return child && child->IsKindOf(T::GetClassId()) ? static_cast<T*>(child) : nullptr;
}

} // namespace

TWindow* wndChangePlayer::Create() {
    return new (std::nothrow) wndChangePlayer();
}

wndChangePlayer::wndChangePlayer() {
    if (TScript* script = WindowScript()) {
        BindScriptFunction(*script, "gfn_setPlayerChoices", this,
                           &wndChangePlayer::SetPlayerChoices);
        BindScriptFunction(*script, "gfn_getCurrentSelectedUser", this,
                           &wndChangePlayer::GetSelectedUser);
        BindScriptFunction(*script, "gfn_getSelectedPlayerName", this,
                           &wndChangePlayer::GetSelectedPlayerName);
        BindScriptFunction(*script, "gfn_getSelectedPlayerAvatar", this,
                           &wndChangePlayer::GetSelectedPlayerAvatar);
        BindScriptFunction(*script, "gfn_updateSelectedPlayerName", this,
                           &wndChangePlayer::UpdateSelectedPlayerName);
    }
    mMaximum = GlobalInt("gMaximumNumberOfPlayers");
}

void wndChangePlayer::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    mButtons.assign(1, nullptr);
    mLabels.assign(1, nullptr);
    for (int32_t i = 1; i <= mMaximum; ++i) {
        mButtons.push_back(Numbered<TButton>(*this, "btnUser%d", i));
        mLabels.push_back(Numbered<TText>(*this, "lblUser%d", i));
    }
    ScheduleAnimation(kTickMs, true, true, false);
    SetPlayerChoices();
}

void wndChangePlayer::SetPlayerChoices() {
    TScript* script = WindowScript();
    lua_State* L = script ? script->GetState() : nullptr;
    if (!L || !gGameSettings)
        return;
    const int count = gGameSettings->GetUserCount();
    // A stored current player past the players is none.
    int current = gGameSettings->GetCurrentUserIndex();
    if (current >= count)
        current = -1;
    const int top = lua_gettop(L);
    lua_getglobal(L, "UpdatePlayerChoices");
    if (!lua_isfunction(L, -1)) {
        LogPrintf("wndChangePlayer: the script has no function UpdatePlayerChoices");
        lua_settop(L, top);
        return;
    }
    // The names go as a table of texts, never pasted into a statement.
    lua_pushnumber(L, current);
    lua_pushnumber(L, count);
    lua_newtable(L);
    for (int i = 0; i < count && i < mMaximum; ++i) {
        const TString name = gGameSettings->GetUserName(i);
        lua_pushlstring(L, name.CStr(), static_cast<size_t>(name.Length()));
        lua_rawseti(L, -2, i + 1);
    }
    if (script->RunFunction(3, 1) != 0)
        LogPrintf("wndChangePlayer: UpdatePlayerChoices failed");
    if (lua_State* now = script->GetState())
        lua_settop(now, top);
}

TButton* wndChangePlayer::FindButton(int32_t number) const {
    return Numbered<TButton>(*this, "btnUser%d", number);
}

int32_t wndChangePlayer::GetSelectedUser() {
    // As many buttons as the list can hold.
    for (int32_t i = 1; i <= mMaximum; ++i) {
        TButton* button = FindButton(i);
        if (button && button->GetToggleState())
            return i - 1;
    }
    return 0;
}

TString wndChangePlayer::GetSelectedPlayerName() {
    return gGameSettings ? gGameSettings->GetUserName(GetSelectedUser()) : TString();
}

TString wndChangePlayer::GetSelectedPlayerAvatar() {
    return GetUserAvatarName(GetSelectedUser());
}

void wndChangePlayer::UpdateSelectedPlayerName(int32_t index) {
    SetCurrentUser(index);
}

bool wndChangePlayer::OnAnimate() {
    mHighlighted = GlobalInt("gv_Current_Player");
    for (int32_t i = 1; i <= mMaximum && i < static_cast<int32_t>(mButtons.size()); ++i) {
        TButton* button = mButtons[static_cast<size_t>(i)];
        TText* label = mLabels[static_cast<size_t>(i)];
        if (!button || !label)
            continue;
        const int32_t state = button->GetState();
        if (i == mHighlighted) {
            if (state == TButton::kPressed) {
                label->SetColor(kOrange);
                button->SelectLayer(1);
            } else {
                label->SetColor(kWhite);
            }
        } else {
            label->SetColor(state == TButton::kRollover  ? kWhite
                            : state == TButton::kPressed ? kOrange
                                                         : kDarkPurple);
            button->SetToggleState(false);
        }
    }
    return true;
}
