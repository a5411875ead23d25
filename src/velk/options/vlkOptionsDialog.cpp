#include "velk/options/vlkOptionsDialog.h"

#include "framework/app/TApplication.h"
#include "framework/core/log/TLog.h"
#include "framework/script/engine/LuaApi.h"
#include "framework/script/host/TScript.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TSlider.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/container/WindowVisibility.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

#include <lua.h>

#include <new>

namespace {

const char* const kSaveFunction = "gfn_saveVolumeLevels";
constexpr int32_t kChildDepth = 2;

// "gfn_saveVolumeLevels": up-value 1 boxes the dialog.
int CallSaveVolumeLevels(lua_State* L) {
    if (auto* dialog = static_cast<vlkOptionsDialog*>(LuaToPointerBox(L, lua_upvalueindex(1))))
        dialog->SaveVolumeLevels();
    return 0;
}

TSlider* FindSlider(TWindow* dialog, const char* name) {
    TWindow* child = dialog->FindChild(TString(name), kChildDepth);
    if (!child)
        return nullptr;
    if (!child->IsKindOf(TSlider::GetClassId())) {
        LogPrintf("vlkOptionsDialog: '%s' is no slider", name);
        return nullptr;
    }
    return static_cast<TSlider*>(child);
}

} // namespace

vlkOptionsDialog::vlkOptionsDialog() {
    RegisterSaveFunction();
}

vlkOptionsDialog::~vlkOptionsDialog() {
    UnregisterSaveFunction();
}

TWindow* vlkOptionsDialog::Create() {
    return new (std::nothrow) vlkOptionsDialog;
}

void vlkOptionsDialog::RegisterSaveFunction() {
    TScript* script = GetGameScript();
    lua_State* L = script ? script->GetState() : nullptr;
    if (!L)
        return;
    mScriptState = L;
    LuaPushPointerBox(L, this);
    lua_pushcclosure(L, CallSaveVolumeLevels, 1);
    lua_setglobal(L, kSaveFunction);
}

void vlkOptionsDialog::UnregisterSaveFunction() {
    // Only while the state is still the window script's, and only while
    // the global is still this dialog's (a later dialog may own it).
    TScript* script = GetGameScript();
    lua_State* L = mScriptState;
    if (!L || !script || script->GetState() != L)
        return;
    lua_getglobal(L, kSaveFunction);
    bool ours = false;
    if (lua_tocfunction(L, -1) == CallSaveVolumeLevels && lua_getupvalue(L, -1, 1)) {
        ours = LuaToPointerBox(L, -1) == this;
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    if (ours) {
        lua_pushnil(L);
        lua_setglobal(L, kSaveFunction);
    }
}

void vlkOptionsDialog::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    TApplication* application = TApplication::Get();
    if (TButton* fullScreen = CastToButton(FindChild(TString("chkFullScreen"), kChildDepth))) {
        const bool full = application && application->IsFullScreen();
        fullScreen->SetToggleState(full);
        LogPrintf(full ? "Full screen" : "No Full screen");
    }
    if (TButton* mute = CastToButton(FindChild(TString("chkAudioMute"), kChildDepth)))
        mute->SetToggleState(gGameSettings && gGameSettings->GetAudioSetting(3) != 0);
    if ((mSoundSlider = FindSlider(this, "sliderSoundLevel")) && gGameSettings)
        mSoundSlider->SetValue(static_cast<float>(gGameSettings->GetAudioSetting(1) / 100.0));
    if ((mMusicSlider = FindSlider(this, "sliderMusicLevel")) && gGameSettings)
        mMusicSlider->SetValue(static_cast<float>(gGameSettings->GetAudioSetting(2) / 100.0));
}

bool vlkOptionsDialog::OnMessage(TMessage* message) {
    if (!message || message->GetType() != TMessage::kSliderValChanged)
        return false;
    if (message->GetName() == "sliderSoundLevel" && mSoundSlider) {
        if (gGameAssetMap) {
            gGameAssetMap->SetGroupVolume(1, mSoundSlider->GetValue());
            gGameAssetMap->SetGroupVolume(0, mSoundSlider->GetValue());
        }
        return true;
    }
    if (message->GetName() == "sliderMusicLevel" && mMusicSlider) {
        if (gGameAssetMap)
            gGameAssetMap->SetGroupVolume(2, mMusicSlider->GetValue());
        return true;
    }
    return false;
}

void vlkOptionsDialog::SaveVolumeLevels() {
    if (!gGameSettings) {
        LogPrintf("vlkOptionsDialog: no settings to store the volumes in");
        return;
    }
    if (mSoundSlider)
        gGameSettings->SetAudioSetting(1, static_cast<int>(mSoundSlider->GetValue() * 100.0f));
    if (mMusicSlider) {
        gGameSettings->SetAudioSetting(2, static_cast<int>(mMusicSlider->GetValue() * 100.0f));
        if (gGameAssetMap)
            gGameAssetMap->SetMusicVolume(mMusicSlider->GetValue());
    }
}
