#include "Recipes.h"

#include "Sequencer.h"

#include <cmath>
#include <utility>

namespace soundgen {

namespace {

// ---- interface sounds: short, mono, starting and ending at silence ----

Buffer UiClick() {
    Buffer buffer(1, 0.09);
    Tone snap;
    snap.frequency = 1500;
    snap.endFrequency = 700;
    snap.held = 0.015;
    snap.envelope = {0.001, 0.03, 0.0, 0.02};
    snap.gain = 0.5;
    AddTone(buffer, snap, 0.0);
    Tone tick;
    tick.wave = Wave::kNoise;
    tick.lowPass = 4000;
    tick.held = 0.005;
    tick.envelope = {0.0005, 0.012, 0.0, 0.005};
    tick.gain = 0.25;
    tick.seed = 11;
    AddTone(buffer, tick, 0.0);
    Tone body;
    body.frequency = 320;
    body.held = 0.02;
    body.envelope = {0.001, 0.04, 0.0, 0.02};
    body.gain = 0.3;
    AddTone(buffer, body, 0.0);
    buffer.Normalise(0.6f);
    FadeEnds(buffer, 0.001, 0.005);
    return buffer;
}

Buffer UiRollover() {
    Buffer buffer(1, 0.06);
    Tone tick;
    tick.wave = Wave::kTriangle;
    tick.frequency = 2400;
    tick.endFrequency = 2000;
    tick.lowPass = 6000;
    tick.held = 0.01;
    tick.envelope = {0.001, 0.025, 0.0, 0.015};
    tick.gain = 0.3;
    AddTone(buffer, tick, 0.0);
    buffer.Normalise(0.35f);
    FadeEnds(buffer, 0.001, 0.005);
    return buffer;
}

// ---- fireworks: the launch's rising whoosh and the burst ----

Buffer FireworksLaunch() {
    Buffer buffer(1, 1.3);
    Tone whoosh;
    whoosh.wave = Wave::kNoise;
    whoosh.lowPass = 500;
    whoosh.endLowPass = 6000;
    whoosh.held = 1.0;
    whoosh.envelope = {0.35, 0.3, 0.8, 0.28};
    whoosh.gain = 0.5;
    whoosh.seed = 21;
    AddTone(buffer, whoosh, 0.0);
    Tone whistle;
    whistle.frequency = 600;
    whistle.endFrequency = 1800;
    whistle.held = 1.0;
    whistle.envelope = {0.25, 0.2, 0.6, 0.28};
    whistle.gain = 0.1;
    whistle.vibratoDepth = 0.01;
    whistle.vibratoRate = 9;
    AddTone(buffer, whistle, 0.0);
    buffer.Normalise(0.6f);
    FadeEnds(buffer, 0.005, 0.02);
    return buffer;
}

Buffer FireworksBurst() {
    Buffer buffer(1, 2.2);
    Tone bang;
    bang.wave = Wave::kNoise;
    bang.lowPass = 5000;
    bang.endLowPass = 800;
    bang.held = 0.05;
    bang.envelope = {0.001, 0.35, 0.0, 0.2};
    bang.gain = 0.8;
    bang.seed = 31;
    AddTone(buffer, bang, 0.0);
    Tone thump;
    thump.frequency = 90;
    thump.endFrequency = 38;
    thump.held = 0.1;
    thump.envelope = {0.001, 0.35, 0.0, 0.1};
    thump.gain = 0.7;
    AddTone(buffer, thump, 0.0);
    // Crackles falling away: tiny pops, thinning out.
    Noise scatter(4242);
    for (int i = 0; i < 70; ++i) {
        const double u = scatter.Unit();
        const double at = 0.22 + std::pow(u, 1.6) * 1.3;
        Tone pop;
        pop.wave = Wave::kNoise;
        pop.lowPass = 7000;
        pop.held = 0.003;
        pop.envelope = {0.0005, 0.012, 0.0, 0.005};
        pop.gain = 0.22 * (1.0 - (at - 0.22) / 1.5) * (0.5 + 0.5 * scatter.Unit());
        pop.seed = 100 + i;
        AddTone(buffer, pop, at);
    }
    Echo(buffer, 0.17, 0.3, 0.35);
    buffer.Normalise(0.75f);
    FadeEnds(buffer, 0.001, 0.05);
    return buffer;
}

// ---- the menu music: 32 bars in C major, A A' B A'' ----

Buffer MainMenu() {
    const std::vector<int> C = {48, 52, 55}, Am = {57, 60, 64}, F = {53, 57, 60}, G = {55, 59, 62},
                           Dm = {50, 53, 57}, Em = {52, 55, 59};
    Song song;
    song.tempo = 112;
    const std::vector<std::vector<int>> a = {C, Am, F, G, C, Am, Dm, G};
    const std::vector<std::vector<int>> b = {F, G, Em, Am, Dm, G, C, G};
    for (const auto* section : {&a, &a, &b, &a})
        song.chords.insert(song.chords.end(), section->begin(), section->end());

    const char* theme = "E5:2 G5:2 C6:3 B5:1 | A5:3 G5:1 E5:4 | F5:2 A5:2 C6:2 A5:2 | G5:6 -:2 |"
                        "E5:2 G5:2 C6:3 D6:1 | E6:3 D6:1 C6:2 A5:2 | F5:2 A5:2 D6:2 C6:2 |"
                        "B5:4 G5:2 -:2";
    const char* themeAgain =
        "E5:1 F5:1 G5:2 C6:3 B5:1 | A5:2 C6:1 B5:1 A5:2 E5:2 | F5:2 A5:2 C6:2 D6:2 |"
        "B5:4 G5:2 -:2 | G5:1 E5:1 G5:2 C6:2 E6:2 | D6:2 C6:2 A5:2 C6:2 |"
        "D6:2 C6:2 A5:2 F5:2 | G5:6 -:2";
    const char* bridge = "C6:4 A5:2 C6:2 | D6:4 B5:2 G5:2 | E5:2 G5:2 B5:4 | C6:2 B5:2 A5:4 |"
                         "F5:2 A5:2 D6:3 C6:1 | B5:2 C6:2 D6:4 | E6:6 D6:1 C6:1 |"
                         "D6:2 B5:2 G5:2 -:2";
    const char* sparkles = "-:4 G6:4 | -:4 E6:4 | -:4 C6:4 | -:4 D6:4 |"
                           "-:4 G6:4 | -:4 E6:4 | -:4 F6:4 | -:4 D6:4";
    int step = AddPhrase(song.melody, 0, theme);
    AddPhrase(song.bell, step, sparkles);
    step = AddPhrase(song.melody, step, themeAgain);
    step = AddPhrase(song.melody, step, bridge);
    AddPhrase(song.bell, step, sparkles);
    AddPhrase(song.melody, step, theme);

    const std::string beat = "x.h.s.h.x.h.s.h.";
    const std::string push = "x.h.s.h.x.hks.h.";
    const std::string fill = "x.h.s.h.x.h.s.ss";
    song.drums = {beat, beat, beat, push, beat, beat, beat, fill};
    song.arpeggio.assign(song.chords.size(), true);
    for (int bar = 0; bar < 4; ++bar)
        song.arpeggio[bar] = false; // a lighter start each time round
    return RenderSong(song);
}

} // namespace

uint32_t SerialFor(const std::string& path) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : path)
        hash = (hash ^ c) * 16777619u;
    return hash & 0x7FFFFFFF;
}

std::vector<SoundRecipe> SoundRecipes() {
    std::vector<SoundRecipe> recipes = {
        {"sfx/ui_click.ogg", false, UiClick},
        {"sfx/ui_rollover.ogg", false, UiRollover},
        {"sfx/fireworks1.ogg", false, FireworksLaunch},
        {"sfx/fireworks3.ogg", false, FireworksBurst},
        {"music/main_menu.ogg", true, MainMenu},
    };
    for (SoundRecipe& tile : TileSoundRecipes())
        recipes.push_back(std::move(tile));
    for (SoundRecipe& board : BoardSoundRecipes())
        recipes.push_back(std::move(board));
    for (SoundRecipe& map : MapSoundRecipes())
        recipes.push_back(std::move(map));
    for (SoundRecipe& screen : ScreenSoundRecipes())
        recipes.push_back(std::move(screen));
    return recipes;
}

} // namespace soundgen
