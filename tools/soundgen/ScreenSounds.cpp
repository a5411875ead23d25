// The pop-ups' sounds: the chime a message panel opens with, the pause's
// two-note click, and the sad sting of a life lost.

#include "Recipes.h"

namespace soundgen {
namespace {

// A message panel opens: two soft bells a fifth apart, with a short echo.
Buffer PopupChime() {
    Buffer buffer(1, 0.9);
    Bell(buffer, NoteFrequency(84), 0.0, 0.05, 0.3);
    Bell(buffer, NoteFrequency(91), 0.08, 0.12, 0.3);
    Echo(buffer, 0.12, 0.25, 0.25);
    return Finish(buffer, 0.55f, 0.2);
}

// The game pauses: a wooden tick and a low note falling under it.
Buffer PauseClick() {
    Buffer buffer(1, 0.45);
    Tone tick;
    tick.wave = Wave::kTriangle;
    tick.frequency = 1400;
    tick.endFrequency = 700;
    tick.held = 0.02;
    tick.envelope = {0.001, 0.04, 0.0, 0.03};
    tick.gain = 0.4;
    AddTone(buffer, tick, 0.0);
    Tone low;
    low.frequency = NoteFrequency(67);
    low.endFrequency = NoteFrequency(60);
    low.held = 0.16;
    low.lowPass = 2000;
    low.envelope = {0.005, 0.1, 0.4, 0.12};
    low.gain = 0.35;
    AddTone(buffer, low, 0.04);
    return Finish(buffer, 0.55f, 0.08);
}

// A life lost: three falling notes on a muted horn, the last held and
// bending down.
Buffer LoseLifeSting() {
    Buffer buffer(1, 1.8);
    const int notes[3] = {67, 66, 65};
    for (int i = 0; i < 3; ++i) {
        Tone note;
        note.wave = Wave::kSaw;
        note.frequency = NoteFrequency(notes[i]);
        note.held = i < 2 ? 0.22 : 0.7;
        if (i == 2)
            note.endFrequency = NoteFrequency(62);
        note.lowPass = 1200;
        note.envelope = {0.02, 0.1, 0.6, 0.2};
        note.vibratoDepth = i == 2 ? 0.01 : 0.0;
        note.gain = 0.3;
        AddTone(buffer, note, i * 0.3);
    }
    return Finish(buffer, 0.6f, 0.3);
}

} // namespace

std::vector<SoundRecipe> ScreenSoundRecipes() {
    return {
        {"sfx/ui/popup1.ogg", false, PopupChime},
        {"sfx/ui/pause_unpause_node.ogg", false, PauseClick},
        {"sfx/game/lose_life.ogg", false, LoseLifeSting},
    };
}

} // namespace soundgen
