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
};

std::vector<SoundRecipe> SoundRecipes();
// The board's tile sounds (TileSounds.cpp).
std::vector<SoundRecipe> TileSoundRecipes();

// The stream serial number of a file: fixed, from its path.
uint32_t SerialFor(const std::string& path);

} // namespace soundgen
