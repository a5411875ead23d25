#include "velk/assets/MenuMusic.h"

#include "framework/sound/asset/TSound.h"
#include "velk/assets/TAssetLists.h"
#include "velk/globals/GameGlobals.h"

namespace {

std::shared_ptr<TSound> gMenuMusic;
bool gMenuMusicPlaying = false;

} // namespace

bool PlaySoundAsset(const std::shared_ptr<TSound>& sound, bool loop) {
    return sound && sound->Play(loop) != nullptr;
}

void PlayMainMenuMusic() {
    if (!gMenuMusic || gMenuMusicPlaying)
        return;
    // Stopping pauses the instances; they are ended here, or every stop and
    // play would leave one more paused stream behind.
    gMenuMusic->StopAll();
    PlaySoundAsset(gMenuMusic, true);
    gMenuMusicPlaying = true;
}

void StopMainMenuMusic() {
    if (!gMenuMusic)
        return;
    gMenuMusic->Pause(true);
    gMenuMusicPlaying = false;
}

bool IsMainMenuMusicPlaying() {
    return gMenuMusicPlaying;
}

std::shared_ptr<TSound> GetMainMenuMusic() {
    return gMenuMusic;
}

MainMenuMusicHolder::MainMenuMusicHolder() {
    gMenuMusic = gAssetLists ? gAssetLists->GetSound("main_menu") : nullptr;
    gMenuMusicPlaying = false;
}

MainMenuMusicHolder::~MainMenuMusicHolder() {
    if (gMenuMusic) {
        gMenuMusic->Pause(true);
        gMenuMusic->StopAll();
    }
    gMenuMusic.reset();
    gMenuMusicPlaying = false;
}
