#pragma once

#include <memory>

class TSound;

// Plays a sound once or looped and lets the instance go; true when one
// started. An empty sound plays nothing.
bool PlaySoundAsset(const std::shared_ptr<TSound>& sound, bool loop);

// The menu music: the asset lists' music "main_menu", taken by the holder
// that the game's main callback keeps for the whole run. The menu screens
// start it, the screens that leave the menus stop it.
void PlayMainMenuMusic();
void StopMainMenuMusic();
bool IsMainMenuMusicPlaying();
// The music taken, empty when none.
std::shared_ptr<TSound> GetMainMenuMusic();

class MainMenuMusicHolder {
public:
    MainMenuMusicHolder();
    // Pauses and stops every instance of the music and lets it go.
    ~MainMenuMusicHolder();
    MainMenuMusicHolder(const MainMenuMusicHolder&) = delete;
    MainMenuMusicHolder& operator=(const MainMenuMusicHolder&) = delete;
};
