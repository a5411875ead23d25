// The world map's stings: a world cleared (a rising run of bells over a
// soft chord) and a node opening (two bright bells and a shimmer).

#include "Recipes.h"

namespace soundgen {

namespace {

Buffer MapClear() {
    Buffer buffer(1, 2.4);
    const int run[] = {72, 76, 79, 84, 88, 91, 96};
    for (int i = 0; i < 7; ++i)
        Bell(buffer, NoteFrequency(run[i]), i * 0.08, 0.06, 0.22);
    for (int note : {72, 79, 84, 88})
        Bell(buffer, NoteFrequency(note), 0.62, 0.9, 0.14);
    Echo(buffer, 0.18, 0.3, 0.3);
    return Finish(buffer, 0.6f, 0.3);
}

Buffer OpenNode() {
    Buffer buffer(1, 1.2);
    Bell(buffer, NoteFrequency(88), 0.0, 0.08, 0.3);
    Bell(buffer, NoteFrequency(95), 0.12, 0.3, 0.28);
    Tone shimmer;
    shimmer.wave = Wave::kNoise;
    shimmer.lowPass = 9000;
    shimmer.endLowPass = 4000;
    shimmer.held = 0.1;
    shimmer.envelope = {0.01, 0.3, 0.0, 0.2};
    shimmer.gain = 0.05;
    shimmer.seed = 517;
    AddTone(buffer, shimmer, 0.1);
    return Finish(buffer, 0.55f, 0.2);
}

} // namespace

std::vector<SoundRecipe> MapSoundRecipes() {
    return {
        {"sfx/map/mapclear.ogg", false, MapClear},
        {"sfx/map/opennode.ogg", false, OpenNode},
    };
}

} // namespace soundgen
