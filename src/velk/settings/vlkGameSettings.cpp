#include "velk/settings/vlkGameSettings.h"

#include "framework/app/TApplication.h"
#include "framework/core/log/TLog.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaWideString.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/manager/TWindowManager.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/globals/GameGlobals.h"

#include <lua.h>

namespace {

const TString kUserKey("vlkUser");
const TString kNameKey("vlkName");
const TString kSoundKey("vlkSound");
const TString kMusicKey("vlkMusic");
const TString kMuteKey("vlkAudioMute");
const TString kVideoKey("vlkVideo");
constexpr int kGlobal = -1;
constexpr int kDefaultVolume = 75;

int ArgInt(lua_State* L, int index) {
    return LuaCheckedInt(L, index);
}

// A text argument: a string as its bytes, a wide string as UTF-8, a number
// as its text; empty for anything else.
TString ArgText(lua_State* L, int index) {
    if (LuaIsWString(L, index)) {
        size_t length = 0;
        const char16_t* units = LuaToWString(L, index, &length);
        TString text;
        for (size_t i = 0; units && i < length; ++i) {
            uint32_t code = units[i];
            if (code >= 0xD800 && code < 0xDC00 && i + 1 < length && units[i + 1] >= 0xDC00 &&
                units[i + 1] < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
                ++i;
            }
            text += TString::FromCodePoint(code);
        }
        return text;
    }
    size_t length = 0;
    const char* bytes = lua_type(L, index) == LUA_TSTRING || lua_type(L, index) == LUA_TNUMBER
                            ? lua_tolstring(L, index, &length)
                            : nullptr;
    return bytes ? TString(bytes, length) : TString();
}

using Member = int (vlkGameSettings::*)(lua_State*);

struct ScriptFunction {
    const char* name;
    Member member;
};

// In the order they are registered.
const ScriptFunction kScriptFunctions[] = {
    {"qvd_getNumUsers", &vlkGameSettings::qvd_getNumUsers},
    {"qvd_createNewUser", &vlkGameSettings::qvd_createNewUser},
    {"qvd_setCurrentUser", &vlkGameSettings::qvd_setCurrentUser},
    {"qvd_changeCurrentUserName", &vlkGameSettings::qvd_changeCurrentUserName},
    {"qvd_deleteUser", &vlkGameSettings::qvd_deleteUser},
    {"qvd_isNameInUse", &vlkGameSettings::qvd_isNameInUse},
    {"qvd_quitToMainMenu", &vlkGameSettings::qvd_quitToMainMenu},
    {"qvd_getCurrentUserInt", &vlkGameSettings::qvd_getCurrentUserInt},
    {"qvd_setCurrentUserInt", &vlkGameSettings::qvd_setCurrentUserInt},
    {"qvd_getCurrentUserString", &vlkGameSettings::qvd_getCurrentUserString},
    {"qvd_setCurrentUserString", &vlkGameSettings::qvd_setCurrentUserString},
    {"qvd_toggleFullScreen", &vlkGameSettings::qvd_toggleFullScreen},
    {"qvd_toggleSoundMute", &vlkGameSettings::qvd_toggleSoundMute},
};

// The closure of every script function: up-value 1 boxes the settings
// object, up-value 2 the entry of the table above.
int CallMember(lua_State* L) {
    auto* self = static_cast<vlkGameSettings*>(LuaToPointerBox(L, lua_upvalueindex(1)));
    auto* entry = static_cast<const ScriptFunction*>(LuaToPointerBox(L, lua_upvalueindex(2)));
    if (!self || !entry)
        return 0;
    return (self->*(entry->member))(L);
}

} // namespace

vlkGameSettings::vlkGameSettings() {
    RegisterScriptFunctions();
    mPrefs = std::make_unique<TPrefsDB>(true);
    LoadSoundSettings();
}

vlkGameSettings::~vlkGameSettings() {
    UnregisterScriptFunctions();
    mPrefs.reset();
    mProgress.reset();
}

void vlkGameSettings::RegisterScriptFunctions() {
    TScript* script = GetGameScript();
    lua_State* L = script ? script->GetState() : nullptr;
    if (!L)
        return;
    mScriptState = L;
    for (const ScriptFunction& function : kScriptFunctions) {
        LuaPushPointerBox(L, this);
        LuaPushPointerBox(L, const_cast<ScriptFunction*>(&function));
        lua_pushcclosure(L, CallMember, 2);
        lua_setglobal(L, function.name);
    }
}

void vlkGameSettings::UnregisterScriptFunctions() {
    // Only while the state is still the window script's, and only the
    // globals that still call this object.
    TScript* script = GetGameScript();
    lua_State* L = mScriptState;
    if (!L || !script || script->GetState() != L)
        return;
    for (const ScriptFunction& function : kScriptFunctions) {
        lua_getglobal(L, function.name);
        bool ours = false;
        if (lua_tocfunction(L, -1) == CallMember && lua_getupvalue(L, -1, 1)) {
            ours = LuaToPointerBox(L, -1) == this;
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
        if (ours) {
            lua_pushnil(L);
            lua_setglobal(L, function.name);
        }
    }
}

void vlkGameSettings::QuitToMainMenu() {
    TWindowManager* manager = TWindowManager::Instance();
    while (manager) {
        TWindow* top = manager->GetTopModal();
        if (!top || !top->GetParent())
            break;
        manager->DoPopModal(top->GetIdString());
        if (manager->GetTopModal() == top) {
            // Never spin on a modal the manager would not pop.
            LogPrintf("QuitToMainMenu: the modal window '%s' did not close", top->GetName().CStr());
            break;
        }
    }
}

int vlkGameSettings::GetUserCount() const {
    return mPrefs->GetUserCount();
}

int vlkGameSettings::GetCurrentUserIndex() {
    return mPrefs->GetInt(kUserKey, -1, kGlobal);
}

TString vlkGameSettings::GetCurrentUserName() {
    return mPrefs->GetValue(kNameKey, TString(""), mPrefs->GetInt(kUserKey, 0, kGlobal));
}

TString vlkGameSettings::GetUserName(int index) {
    return mPrefs->GetValue(kNameKey, TString(""), index);
}

int vlkGameSettings::FindUser(const TString& name) {
    for (int i = 0; i < GetUserCount(); ++i) {
        if (GetUserName(i).Equals(name))
            return i;
    }
    return -1;
}

int vlkGameSettings::GetUserInt(const TString& key, int defaultValue, int index) {
    if (index < 0 || index >= GetUserCount())
        return 0;
    return mPrefs->GetInt(key, defaultValue, index);
}

bool vlkGameSettings::IsFullScreen() {
    return mPrefs->GetInt(kVideoKey, 1, kGlobal) == 1;
}

void vlkGameSettings::StoreFullScreenState() {
    TApplication* application = TApplication::Get();
    mPrefs->SetInt(kVideoKey, application && application->IsFullScreen() ? 1 : 0, kGlobal, true);
}

void vlkGameSettings::SetAudioSetting(int kind, int value) {
    switch (kind) {
    case 1:
        mPrefs->SetInt(kSoundKey, value, kGlobal, true);
        break;
    case 2:
        mPrefs->SetInt(kMusicKey, value, kGlobal, true);
        break;
    case 3:
        mPrefs->SetInt(kMuteKey, value, kGlobal, true);
        break;
    default:
        break;
    }
}

int vlkGameSettings::GetAudioSetting(int kind) {
    switch (kind) {
    case 1:
        return mPrefs->GetInt(kSoundKey, kDefaultVolume, kGlobal);
    case 2:
        return mPrefs->GetInt(kMusicKey, kDefaultVolume, kGlobal);
    default:
        return mPrefs->GetInt(kMuteKey, 0, kGlobal);
    }
}

void vlkGameSettings::ApplyMute(int mute) {
    if (gGameAssetMap)
        gGameAssetMap->SetMasterVolume(mute == 0 ? 1.0f : 0.0f);
}

void vlkGameSettings::LoadSoundSettings() {
    const float sound = GetAudioSetting(1) / 100.0f;
    const float music = GetAudioSetting(2) / 100.0f;
    if (gGameAssetMap) {
        gGameAssetMap->SetGroupVolume(1, sound);
        gGameAssetMap->SetGroupVolume(0, sound);
        gGameAssetMap->SetGroupVolume(2, music);
    }
    ApplyMute(GetAudioSetting(3));
}

int vlkGameSettings::qvd_getNumUsers(lua_State* L) {
    lua_pushnumber(L, GetUserCount());
    return 1;
}

int vlkGameSettings::qvd_createNewUser(lua_State* L) {
    const int index = GetUserCount();
    mPrefs->SetValue(kNameKey, ArgText(L, 1), index, true);
    if (GetUserCount() > index)
        mPrefs->SetInt(kUserKey, index, kGlobal, true);
    return 0;
}

int vlkGameSettings::qvd_setCurrentUser(lua_State* L) {
    const int index = ArgInt(L, 1);
    if (index < GetUserCount())
        mPrefs->SetInt(kUserKey, index, kGlobal, true);
    return 0;
}

int vlkGameSettings::qvd_changeCurrentUserName(lua_State* L) {
    mPrefs->SetValue(kNameKey, ArgText(L, 1), mPrefs->GetInt(kUserKey, 0, kGlobal), true);
    return 0;
}

int vlkGameSettings::qvd_deleteUser(lua_State* L) {
    const int index = ArgInt(L, 1);
    mPrefs->DeleteUser(index);
    const int count = GetUserCount();
    // index - 1, or the last user when that is below 0 (index may be INT_MIN).
    const int current = index > 0 ? index - 1 : count - 1;
    if (current < count)
        mPrefs->SetInt(kUserKey, current, kGlobal, true);
    return 0;
}

int vlkGameSettings::qvd_isNameInUse(lua_State* L) {
    lua_pushboolean(L, FindUser(ArgText(L, 1)) >= 0);
    return 1;
}

int vlkGameSettings::qvd_quitToMainMenu(lua_State*) {
    QuitToMainMenu();
    return 0;
}

int vlkGameSettings::qvd_getCurrentUserInt(lua_State* L) {
    lua_pushnumber(L, mPrefs->GetInt(ArgText(L, 1), ArgInt(L, 2), GetCurrentUserIndex()));
    return 1;
}

int vlkGameSettings::qvd_setCurrentUserInt(lua_State* L) {
    mPrefs->SetInt(ArgText(L, 1), ArgInt(L, 2), GetCurrentUserIndex(), true);
    return 0;
}

int vlkGameSettings::qvd_getCurrentUserString(lua_State* L) {
    TString value = mPrefs->GetValue(ArgText(L, 1), ArgText(L, 2), GetCurrentUserIndex());
    lua_pushlstring(L, value.CStr(), static_cast<size_t>(value.Length()));
    return 1;
}

int vlkGameSettings::qvd_setCurrentUserString(lua_State* L) {
    mPrefs->SetValue(ArgText(L, 1), ArgText(L, 2), GetCurrentUserIndex(), true);
    return 0;
}

int vlkGameSettings::qvd_toggleFullScreen(lua_State* L) {
    TApplication* application = TApplication::Get();
    const bool fullScreen = !(application && application->IsFullScreen());
    const bool changed = application && application->SetFullScreen(fullScreen);
    if (changed)
        mPrefs->SetInt(kVideoKey, fullScreen ? 1 : 0, kGlobal, true);
    lua_pushboolean(L, changed);
    return 1;
}

int vlkGameSettings::qvd_toggleSoundMute(lua_State*) {
    const int mute = (GetAudioSetting(3) + 1) % 2;
    SetAudioSetting(3, mute);
    ApplyMute(mute);
    return 0;
}
