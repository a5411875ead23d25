#pragma once

// The sound recipes: each sound and music loop the game plays, with the
// path it is written to under assets/ and the function that makes its
// samples.

#include "Synth.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace soundgen {

struct SoundRecipe {
    std::string path;  // under assets/, with ".ogg"
    bool loop = false; // music: the end joins the start
    std::function<Buffer()> make;
    float quality = 0.4f;
    // An effect the game plays looped: mono, and its end joins its start.
    bool seamless = false;
};

std::vector<SoundRecipe> SoundRecipes();
// The board's tile sounds (TileSounds.cpp).
std::vector<SoundRecipe> TileSoundRecipes();

// The board screen's sounds, music and stings (BoardSounds.cpp).
std::vector<SoundRecipe> BoardSoundRecipes();
// The world map's stings (MapSounds.cpp).
std::vector<SoundRecipe> MapSoundRecipes();
// The pop-ups' sounds (ScreenSounds.cpp).
std::vector<SoundRecipe> ScreenSoundRecipes();

// Helpers shared by the recipe files: a finished effect, normalised to
// `peak` and faded at both ends; a bell-like note added at `start`.
Buffer Finish(Buffer buffer, float peak, double fadeOut = 0.01);
void Bell(Buffer& buffer, double frequency, double start, double held, double gain);

// The stream serial number of a file: fixed, from its path.
uint32_t SerialFor(const std::string& path);

} // namespace soundgen
