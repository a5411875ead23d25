// The board screen's sounds: its music, the countdown's ticks, the start
// gong and the intro sting, the warning alarm (played looped), the new-row
// slide, the win chime and the two fanfares. Mono effects; stereo music.

#include "Recipes.h"

#include "Sequencer.h"

#include <cmath>

namespace soundgen {

namespace {

const double kPi = std::acos(-1.0);

// A brass-like note: two detuned saws whose filter opens as the note
// starts, with a soft attack.
void Brass(Buffer& buffer, int note, double start, double held, double gain) {
    Tone horn;
    horn.wave = Wave::kSaw;
    horn.frequency = NoteFrequency(note);
    horn.detune = 0.005;
    horn.lowPass = 700;
    horn.endLowPass = 3200;
    horn.held = held;
    horn.envelope = {0.025, 0.15, 0.75, 0.18};
    horn.gain = gain;
    horn.vibratoDepth = 0.004;
    horn.vibratoRate = 5.5;
    AddTone(buffer, horn, start);
}

// A kettle-drum hit: a low sine falling a little, with a soft noise skin.
void Drum(Buffer& buffer, double start, double gain) {
    Tone body;
    body.frequency = 110;
    body.endFrequency = 80;
    body.held = 0.1;
    body.envelope = {0.002, 0.4, 0.0, 0.3};
    body.gain = gain;
    AddTone(buffer, body, start);
    Tone skin;
    skin.wave = Wave::kNoise;
    skin.lowPass = 1500;
    skin.endLowPass = 400;
    skin.held = 0.03;
    skin.envelope = {0.001, 0.12, 0.0, 0.08};
    skin.gain = gain * 0.5;
    skin.seed = 211;
    AddTone(buffer, skin, start);
}

// A cymbal wash: bright noise ringing out.
void Cymbal(Buffer& buffer, double start, double length, double gain, uint32_t seed) {
    Tone wash;
    wash.wave = Wave::kNoise;
    wash.lowPass = 12000;
    wash.endLowPass = 6000;
    wash.held = 0.02;
    wash.envelope = {0.002, length, 0.0, length * 0.5};
    wash.gain = gain;
    wash.seed = seed;
    AddTone(buffer, wash, start);
}

// ---- the countdown and the start ----

// A wood-block tick: a short high knock with a click on top.
Buffer CountdownTick() {
    Buffer buffer(1, 0.25);
    Tone knock;
    knock.wave = Wave::kTriangle;
    knock.frequency = 1250;
    knock.endFrequency = 1150;
    knock.held = 0.01;
    knock.envelope = {0.001, 0.06, 0.0, 0.05};
    knock.gain = 0.6;
    AddTone(buffer, knock, 0.0);
    Tone low = knock;
    low.wave = Wave::kSine;
    low.frequency = 620;
    low.endFrequency = 600;
    low.gain = 0.35;
    AddTone(buffer, low, 0.0);
    Tone click;
    click.wave = Wave::kNoise;
    click.lowPass = 7000;
    click.held = 0.003;
    click.envelope = {0.0005, 0.01, 0.0, 0.005};
    click.gain = 0.25;
    click.seed = 201;
    AddTone(buffer, click, 0.0);
    return Finish(buffer, 0.6f, 0.02);
}

// A gong: inharmonic partials ringing out over a soft strike.
Buffer StartGong() {
    Buffer buffer(1, 2.4);
    const double base = 196.0;
    const struct {
        double ratio, gain, decay;
    } partials[] = {{1.0, 0.5, 1.6},   {1.51, 0.3, 1.2}, {2.02, 0.22, 0.9},
                    {2.74, 0.16, 0.7}, {3.93, 0.1, 0.5}, {5.4, 0.06, 0.35}};
    for (const auto& partial : partials) {
        Tone ring;
        ring.frequency = base * partial.ratio;
        ring.held = 0.05;
        ring.envelope = {0.004, partial.decay, 0.0, partial.decay * 0.4};
        ring.gain = partial.gain;
        ring.vibratoDepth = 0.002;
        ring.vibratoRate = 3.0;
        AddTone(buffer, ring, 0.0);
    }
    Tone strike;
    strike.wave = Wave::kNoise;
    strike.lowPass = 2500;
    strike.endLowPass = 500;
    strike.held = 0.03;
    strike.envelope = {0.001, 0.15, 0.0, 0.08};
    strike.gain = 0.35;
    strike.seed = 221;
    AddTone(buffer, strike, 0.0);
    // A bright "go" chord on top.
    for (int note : {79, 83, 86})
        Bell(buffer, NoteFrequency(note), 0.02, 0.2, 0.12);
    return Finish(buffer, 0.7f, 0.3);
}

// The intro sting: a quick rising arpeggio on the horns into a held chord
// with a drum and a cymbal.
Buffer IntroSting() {
    Buffer buffer(1, 1.8);
    const int run[4] = {67, 71, 74, 79};
    for (int i = 0; i < 4; ++i)
        Brass(buffer, run[i], i * 0.09, 0.06, 0.2);
    for (int note : {67, 71, 74, 79})
        Brass(buffer, note, 0.38, 0.6, 0.16);
    Drum(buffer, 0.38, 0.5);
    Cymbal(buffer, 0.38, 0.7, 0.12, 231);
    return Finish(buffer, 0.7f, 0.2);
}

// ---- the warning alarm ----

// Two tones, high and low, gliding into each other under a pulse. Every
// movement makes whole periods of the loop, and the carrier makes whole
// cycles over it, so the last sample runs on into the first.
Buffer WarningAlarm() {
    constexpr long kFrames = kRate * 8 / 5; // 1.6 s
    constexpr double kCentre = 750.0;       // Hz: 1200 cycles over the loop
    constexpr double kSwing = 130.0;        // Hz either side of the centre
    constexpr int kGlides = 2;              // "nee-naw"s per loop
    constexpr int kPulses = 8;
    Buffer buffer(1, kFrames);
    const double seconds = double(kFrames) / kRate;
    for (long i = 0; i < kFrames; ++i) {
        const double u = double(i) / kFrames; // 0..1 over the loop
        const double glide = 2 * kPi * kGlides * u;
        // The phase in cycles: the integral of kCentre + kSwing sin(glide).
        const double cycles =
            kCentre * u * seconds - kSwing * seconds / (2 * kPi * kGlides) * std::cos(glide);
        const double angle = 2 * kPi * cycles;
        const double wave = std::sin(angle) + std::sin(3 * angle) / 4 + std::sin(5 * angle) / 10;
        const double pulse = 0.75 + 0.25 * std::cos(2 * kPi * kPulses * u);
        const double lift = 0.85 + 0.15 * std::tanh(3 * std::sin(glide)); // the high tone louder
        buffer.At(i, 0) = static_cast<float>(wave * pulse * lift);
    }
    buffer.Normalise(0.55f);
    return buffer;
}

// ---- the board's events ----

// A new row slides in: a rising hiss, a soft glide and a bump as it lands.
Buffer NewRowSlide() {
    Buffer buffer(1, 0.6);
    Tone hiss;
    hiss.wave = Wave::kNoise;
    hiss.lowPass = 600;
    hiss.endLowPass = 3000;
    hiss.held = 0.32;
    hiss.envelope = {0.08, 0.1, 0.8, 0.06};
    hiss.gain = 0.5;
    hiss.seed = 241;
    AddTone(buffer, hiss, 0.0);
    Tone glide;
    glide.wave = Wave::kTriangle;
    glide.frequency = 180;
    glide.endFrequency = 320;
    glide.lowPass = 1500;
    glide.held = 0.32;
    glide.envelope = {0.06, 0.1, 0.7, 0.05};
    glide.gain = 0.25;
    AddTone(buffer, glide, 0.0);
    Tone bump;
    bump.frequency = 150;
    bump.endFrequency = 70;
    bump.held = 0.04;
    bump.envelope = {0.002, 0.12, 0.0, 0.06};
    bump.gain = 0.6;
    AddTone(buffer, bump, 0.36);
    return Finish(buffer, 0.6f, 0.03);
}

// The level is won: bells rising through a major chord, echoing.
Buffer WinChime() {
    Buffer buffer(1, 2.0);
    const int notes[5] = {84, 88, 91, 96, 100};
    for (int i = 0; i < 5; ++i)
        Bell(buffer, NoteFrequency(notes[i]), i * 0.1, 0.08, 0.3);
    for (int note : {84, 88, 91})
        Bell(buffer, NoteFrequency(note), 0.55, 0.4, 0.18);
    Echo(buffer, 0.16, 0.3, 0.3);
    return Finish(buffer, 0.65f, 0.25);
}

// The score card's fanfare: three pickup notes, a long tonic, then the full
// chord with drum rolls and a cymbal.
Buffer Fanfare() {
    Buffer buffer(1, 3.6);
    for (int i = 0; i < 3; ++i)
        Brass(buffer, 67, i * 0.13, 0.07, 0.22);
    Brass(buffer, 72, 0.39, 0.45, 0.24);
    Drum(buffer, 0.39, 0.45);
    Brass(buffer, 76, 0.9, 0.2, 0.22);
    Brass(buffer, 79, 1.12, 0.2, 0.22);
    for (int note : {60, 64, 67, 72, 76})
        Brass(buffer, note, 1.36, 1.3, 0.13);
    for (int i = 0; i < 6; ++i)
        Drum(buffer, 1.36 + i * 0.07, 0.18 + i * 0.04);
    Drum(buffer, 1.8, 0.55);
    Cymbal(buffer, 1.36, 1.4, 0.14, 251);
    return Finish(buffer, 0.7f, 0.4);
}

// The board cleared: a short "ta-daa" on the horns.
Buffer ShortFanfare() {
    Buffer buffer(1, 1.6);
    Brass(buffer, 67, 0.0, 0.1, 0.22);
    for (int note : {60, 64, 67, 72})
        Brass(buffer, note, 0.16, 0.75, 0.15);
    Drum(buffer, 0.16, 0.45);
    Cymbal(buffer, 0.16, 0.8, 0.1, 261);
    return Finish(buffer, 0.7f, 0.25);
}

// ---- the board's music: 32 bars in G major, A A' B A' ----

Buffer GameplaySong() {
    const std::vector<int> G = {55, 59, 62}, D = {50, 54, 57}, Em = {52, 55, 59}, C = {48, 52, 55},
                           Am = {57, 60, 64}, Bm = {47, 50, 54};
    Song song;
    song.tempo = 118;
    const std::vector<std::vector<int>> a = {G, D, Em, C, G, D, C, D};
    const std::vector<std::vector<int>> home = {G, D, Em, C, G, Am, D, G};
    const std::vector<std::vector<int>> bridge = {C, D, Bm, Em, Am, D, G, D};
    for (const auto* section : {&a, &home, &bridge, &home})
        song.chords.insert(song.chords.end(), section->begin(), section->end());

    const char* opening = "B4:1 D5:1 G5:2 F#5:1 G5:1 A5:2 | B5:2 A5:2 F#5:2 D5:2 |"
                          "E5:1 G5:1 B5:2 A5:1 G5:1 E5:2 | G5:4 -:2 E5:1 F#5:1 |";
    const char* away = "G5:1 B5:1 D6:2 C6:1 B5:1 A5:2 | F#5:2 A5:2 D6:3 -:1 |"
                       "E6:2 D6:2 C6:2 B5:2 | A5:4 -:2 D5:1 D5:1";
    const char* backHome = "G5:1 B5:1 D6:2 E6:2 D6:1 B5:1 | C6:2 B5:2 A5:2 E5:2 |"
                           "F#5:2 A5:2 D6:2 C6:2 | G5:6 -:2";
    const char* middle = "E6:3 D6:1 C6:2 G5:2 | F#5:2 A5:2 D6:4 | D6:3 B5:1 F#5:2 B5:2 |"
                         "G5:2 B5:2 E6:4 | E6:2 C6:2 A5:2 C6:2 | D6:2 C6:1 B5:1 A5:2 F#5:2 |"
                         "G5:2 B5:2 D6:2 G6:2 | A5:4 -:2 D5:1 D5:1";
    const char* sparkles = "-:4 D6:4 | -:4 A6:4 | -:4 B6:4 | -:4 G6:4 |"
                           "-:4 D7:4 | -:4 C7:4 | -:4 A6:4 | -:4 G6:4";
    int step = AddPhrase(song.melody, 0, opening);
    step = AddPhrase(song.melody, step, away);
    AddPhrase(song.bell, step, sparkles);
    step = AddPhrase(song.melody, step, opening);
    step = AddPhrase(song.melody, step, backHome);
    step = AddPhrase(song.melody, step, middle);
    AddPhrase(song.bell, step, sparkles);
    step = AddPhrase(song.melody, step, opening);
    AddPhrase(song.melody, step, backHome);

    const std::string beat = "x.h.s.hkx.h.s.h.";
    const std::string skip = "x.hkshh.x.hks.hh";
    const std::string fill = "x.h.s.hkx.s.s.ss";
    song.drums = {beat, beat, beat, skip, beat, beat, beat, fill};
    song.arpeggio.assign(song.chords.size(), true);
    for (int bar = 16; bar < 20; ++bar)
        song.arpeggio[bar] = false; // the bridge opens lighter
    return RenderSong(song);
}

} // namespace

std::vector<SoundRecipe> BoardSoundRecipes() {
    std::vector<SoundRecipe> recipes = {
        {"music/gameplay_song.ogg", true, GameplaySong},
        {"sfx/game/gameplay_intro.ogg", false, IntroSting},
        {"sfx/game/popup_countdown.ogg", false, CountdownTick},
        {"sfx/game/popup_start.ogg", false, StartGong},
        {"sfx/game/popup_finish.ogg", false, WinChime},
        {"sfx/game/fanfarria.ogg", false, Fanfare},
        {"sfx/game/fanfarria_short.ogg", false, ShortFanfare},
        {"sfx/game/gameplay_newrow.ogg", false, NewRowSlide},
    };
    SoundRecipe warning{"sfx/game/warning.ogg", false, WarningAlarm};
    warning.seamless = true;
    recipes.push_back(std::move(warning));
    return recipes;
}

} // namespace soundgen
