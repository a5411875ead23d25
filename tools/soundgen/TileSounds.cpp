// The board's tile sounds: the twelve match tones of one rising scale, the
// flip clicks, the vanish thud, the golden tile's sparkle and the five
// power-ups. Mono, short, starting and ending at silence.

#include "Recipes.h"

#include <cmath>
#include <string>

namespace soundgen {

Buffer Finish(Buffer buffer, float peak, double fadeOut) {
    buffer.Normalise(peak);
    FadeEnds(buffer, 0.002, fadeOut);
    return buffer;
}

// A bell-like note: a sine with a fainter octave and a touch of triangle.
void Bell(Buffer& buffer, double frequency, double start, double held, double gain) {
    Tone body;
    body.frequency = frequency;
    body.held = held;
    body.envelope = {0.003, 0.25, 0.25, 0.2};
    body.gain = gain;
    AddTone(buffer, body, start);
    Tone octave = body;
    octave.frequency = frequency * 2;
    octave.envelope = {0.002, 0.12, 0.0, 0.1};
    octave.gain = gain * 0.35;
    AddTone(buffer, octave, start);
    Tone edge = body;
    edge.wave = Wave::kTriangle;
    edge.frequency = frequency * 3;
    edge.envelope = {0.001, 0.05, 0.0, 0.05};
    edge.gain = gain * 0.12;
    AddTone(buffer, edge, start);
}

namespace {

// The twelve steps of the match scale: a major scale from C5 upward.
const int kComboNotes[12] = {72, 74, 76, 77, 79, 81, 83, 84, 86, 88, 89, 91};

Buffer Combo(int index) {
    Buffer buffer(1, 0.55);
    Bell(buffer, NoteFrequency(kComboNotes[index]), 0.0, 0.12, 0.5);
    return Finish(buffer, 0.6f, 0.05);
}

// A card turned over: a short papery snap, higher turning up than down.
Buffer Flip(bool up) {
    Buffer buffer(1, 0.12);
    Tone snap;
    snap.wave = Wave::kNoise;
    snap.lowPass = up ? 6500 : 3500;
    snap.endLowPass = up ? 2500 : 1200;
    snap.held = 0.02;
    snap.envelope = {0.001, 0.04, 0.0, 0.03};
    snap.gain = 0.6;
    snap.seed = up ? 51 : 53;
    AddTone(buffer, snap, 0.0);
    Tone knock;
    knock.frequency = up ? 900 : 520;
    knock.endFrequency = up ? 1300 : 380;
    knock.held = 0.02;
    knock.envelope = {0.001, 0.03, 0.0, 0.02};
    knock.gain = 0.35;
    AddTone(buffer, knock, 0.005);
    return Finish(buffer, 0.5f, 0.01);
}

Buffer Block() {
    Buffer buffer(1, 0.35);
    Tone thud;
    thud.frequency = 140;
    thud.endFrequency = 48;
    thud.held = 0.06;
    thud.envelope = {0.002, 0.18, 0.0, 0.08};
    thud.gain = 0.8;
    AddTone(buffer, thud, 0.0);
    Tone dust;
    dust.wave = Wave::kNoise;
    dust.lowPass = 900;
    dust.held = 0.02;
    dust.envelope = {0.001, 0.08, 0.0, 0.05};
    dust.gain = 0.35;
    dust.seed = 61;
    AddTone(buffer, dust, 0.0);
    return Finish(buffer, 0.65f, 0.03);
}

Buffer GoldTile() {
    Buffer buffer(1, 1.3);
    // A quick rising arpeggio of high bells, then a shimmer.
    const int notes[6] = {84, 88, 91, 96, 100, 103};
    for (int i = 0; i < 6; ++i)
        Bell(buffer, NoteFrequency(notes[i]), i * 0.06, 0.05, 0.35);
    Noise scatter(71);
    for (int i = 0; i < 16; ++i) {
        Tone glint;
        glint.frequency = 2500 + 2500 * scatter.Unit();
        glint.held = 0.01;
        glint.envelope = {0.001, 0.06, 0.0, 0.05};
        glint.gain = 0.1;
        AddTone(buffer, glint, 0.35 + i * 0.045);
    }
    Echo(buffer, 0.11, 0.3, 0.3);
    return Finish(buffer, 0.6f, 0.1);
}

Buffer PowerWild() {
    Buffer buffer(1, 1.1);
    Tone sweep;
    sweep.wave = Wave::kTriangle;
    sweep.frequency = 400;
    sweep.endFrequency = 1600;
    sweep.held = 0.6;
    sweep.envelope = {0.02, 0.2, 0.7, 0.3};
    sweep.gain = 0.35;
    sweep.vibratoDepth = 0.03;
    sweep.vibratoRate = 11;
    sweep.detune = 0.01;
    AddTone(buffer, sweep, 0.0);
    for (int i = 0; i < 4; ++i)
        Bell(buffer, NoteFrequency(79 + i * 4), 0.1 + i * 0.12, 0.05, 0.25);
    return Finish(buffer, 0.6f, 0.08);
}

Buffer PowerBomb() {
    Buffer buffer(1, 1.4);
    Tone blast;
    blast.wave = Wave::kNoise;
    blast.lowPass = 4000;
    blast.endLowPass = 300;
    blast.held = 0.1;
    blast.envelope = {0.002, 0.6, 0.0, 0.4};
    blast.gain = 0.9;
    blast.seed = 81;
    AddTone(buffer, blast, 0.0);
    Tone boom;
    boom.frequency = 80;
    boom.endFrequency = 30;
    boom.held = 0.2;
    boom.envelope = {0.002, 0.5, 0.0, 0.3};
    boom.gain = 0.9;
    AddTone(buffer, boom, 0.0);
    return Finish(buffer, 0.75f, 0.15);
}

Buffer PowerWinder() {
    Buffer buffer(1, 1.2);
    Tone wind;
    wind.wave = Wave::kNoise;
    wind.lowPass = 400;
    wind.endLowPass = 3500;
    wind.held = 0.8;
    wind.envelope = {0.15, 0.3, 0.7, 0.3};
    wind.gain = 0.6;
    wind.seed = 91;
    AddTone(buffer, wind, 0.0);
    Tone whistle;
    whistle.frequency = 500;
    whistle.endFrequency = 1400;
    whistle.held = 0.8;
    whistle.envelope = {0.2, 0.2, 0.6, 0.3};
    whistle.gain = 0.12;
    whistle.vibratoDepth = 0.05;
    whistle.vibratoRate = 7;
    AddTone(buffer, whistle, 0.0);
    return Finish(buffer, 0.6f, 0.1);
}

Buffer PowerShowtime() {
    Buffer buffer(1, 1.2);
    // "Ta-da": a short chord, then a longer one a fourth higher.
    for (int note : {67, 71, 74})
        Bell(buffer, NoteFrequency(note), 0.0, 0.08, 0.22);
    for (int note : {72, 76, 79, 84})
        Bell(buffer, NoteFrequency(note), 0.16, 0.4, 0.22);
    return Finish(buffer, 0.6f, 0.1);
}

Buffer PowerFreeze() {
    Buffer buffer(1, 1.5);
    // Icy tinkles falling, over a cold hiss.
    Tone hiss;
    hiss.wave = Wave::kNoise;
    hiss.lowPass = 9000;
    hiss.endLowPass = 3000;
    hiss.held = 0.6;
    hiss.envelope = {0.05, 0.3, 0.3, 0.4};
    hiss.gain = 0.15;
    hiss.seed = 101;
    AddTone(buffer, hiss, 0.0);
    const int notes[7] = {100, 98, 96, 93, 91, 88, 86};
    for (int i = 0; i < 7; ++i)
        Bell(buffer, NoteFrequency(notes[i]), i * 0.09, 0.03, 0.25);
    Echo(buffer, 0.13, 0.35, 0.35);
    return Finish(buffer, 0.6f, 0.15);
}

} // namespace

std::vector<SoundRecipe> TileSoundRecipes() {
    std::vector<SoundRecipe> recipes;
    for (int i = 0; i < 12; ++i)
        recipes.push_back({"sfx/game/gameplay_combo" + std::to_string(i + 1) + ".ogg", false,
                           [i] { return Combo(i); }});
    recipes.push_back({"sfx/game/gameplay_click1.ogg", false, [] { return Flip(true); }});
    recipes.push_back({"sfx/game/gameplay_click3.ogg", false, [] { return Flip(false); }});
    recipes.push_back({"sfx/game/gameplay_block.ogg", false, Block});
    recipes.push_back({"sfx/game/gold_tile.ogg", false, GoldTile});
    recipes.push_back({"sfx/game/power_wild.ogg", false, PowerWild});
    recipes.push_back({"sfx/game/power_bomb.ogg", false, PowerBomb});
    recipes.push_back({"sfx/game/power_winder.ogg", false, PowerWinder});
    recipes.push_back({"sfx/game/power_showtime.ogg", false, PowerShowtime});
    recipes.push_back({"sfx/game/power_freeze1.ogg", false, PowerFreeze});
    return recipes;
}

} // namespace soundgen
