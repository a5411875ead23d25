#include "velk/cutscene/vlkSoundCS.h"

#include "framework/core/log/TLog.h"
#include "framework/sound/asset/TSound.h"
#include "velk/assets/MenuMusic.h"
#include "velk/assets/TAssetLists.h"
#include "velk/globals/GameGlobals.h"

vlkSoundCS::vlkSoundCS(vlkISpriteCS* listener) : vlkObjectCS(listener) {
    mKind = kKindSound;
}

vlkSoundCS::~vlkSoundCS() {
    if (mPlaying)
        StopSound();
}

bool vlkSoundCS::Init(const vlkObjectDef* def) {
    if (!vlkObjectCS::Init(def))
        return false;
    mSoundName = mDef.resource;
    return true;
}

bool vlkSoundCS::SetAction(const vlkAction* action) {
    if (!vlkObjectCS::SetAction(action) || mAction.property.View() != "sound")
        return false;
    if (mAction.function.View() == "play") {
        TString loop;
        mAction.FindParam("loop", loop);
        if (gAssetLists) {
            std::shared_ptr<TSound> sound = gAssetLists->GetSound(mSoundName);
            if (!sound)
                LogPrintf("Cut-scene object \"%s\": no sound \"%s\" in the asset lists",
                          mDef.name.CStr(), mSoundName.CStr());
            PlaySoundAsset(sound, loop.View() == "true");
        }
        mPlaying = true;
        return true;
    }
    if (mAction.function.View() == "stop") {
        mPlaying = false;
        StopSound();
        return true;
    }
    return false;
}

void vlkSoundCS::StopSound() {
    if (!gAssetLists)
        return;
    if (std::shared_ptr<TSound> sound = gAssetLists->GetSound(mSoundName))
        sound->StopAll();
}
