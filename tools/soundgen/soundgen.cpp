// soundgen: makes the game's sounds and music from their recipes.
//
//   soundgen ASSETS_DIR   every sound under ASSETS_DIR at its path, as Ogg
//                         Vorbis (mono effects, stereo music, 44.1 kHz)
//   soundgen --list       the paths, lengths and channel counts
//
// The same recipe gives the same bytes: fixed stream serial numbers and
// seeds. A file that already holds those bytes is left alone. Exits 1 when
// a file cannot be written or a recipe's samples reach full scale.

#include "OggWriter.h"
#include "Recipes.h"
#include "support/WriteIfChanged.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using namespace soundgen;

int WriteAll(const std::string& assets) {
    int written = 0;
    for (const SoundRecipe& recipe : SoundRecipes()) {
        const Buffer buffer = recipe.make();
        if (buffer.Peak() >= 1.0f) {
            std::fprintf(stderr, "soundgen: %s reaches full scale (peak %.3f)\n",
                         recipe.path.c_str(), buffer.Peak());
            return 1;
        }
        const auto bytes = EncodeOgg(buffer, SerialFor(recipe.path), recipe.quality);
        if (bytes.empty() || !WriteIfChanged(assets + "/" + recipe.path, bytes)) {
            std::fprintf(stderr, "soundgen: cannot write %s\n", recipe.path.c_str());
            return 1;
        }
        ++written;
    }
    std::printf("soundgen: %d sounds\n", written);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const SoundRecipe& recipe : SoundRecipes()) {
            const Buffer buffer = recipe.make();
            std::printf("%s %.3f s, %d channel%s%s\n", recipe.path.c_str(),
                        double(buffer.Frames()) / buffer.rate, buffer.channels,
                        buffer.channels == 1 ? "" : "s", recipe.loop ? ", loop" : "");
        }
        return 0;
    }
    if (argc == 2 && argv[1][0] != '-')
        return WriteAll(argv[1]);
    std::fprintf(stderr, "usage: soundgen ASSETS_DIR\n"
                         "       soundgen --list\n");
    return 2;
}
