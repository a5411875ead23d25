#include "Sequencer.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace soundgen {

namespace {

constexpr int kStepsPerBar = 16;
// The music's level: room below full scale for the encoder's overshoot.
constexpr float kMusicPeak = 0.7f;

} // namespace

long StepFrames(const Song& song) {
    return std::lround(kRate * 60.0 / song.tempo / 4.0);
}

int NoteNumber(const std::string& name) {
    static const int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G')
        return -1;
    int note = kSemitones[name[0] - 'A'];
    size_t at = 1;
    if (name[at] == '#') {
        ++note;
        ++at;
    } else if (name[at] == 'b') {
        --note;
        ++at;
    }
    if (at >= name.size() || name[at] < '0' || name[at] > '9')
        return -1;
    return note + 12 * (std::atoi(name.c_str() + at) + 1);
}

int AddPhrase(std::vector<Note>& notes, int firstStep, const std::string& text, int transpose) {
    std::istringstream in(text);
    std::string word;
    int step = firstStep;
    while (in >> word) {
        if (word == "|")
            continue; // a bar line, for the reader
        const size_t colon = word.find(':');
        const int eighths = colon == std::string::npos ? 1 : std::atoi(word.c_str() + colon + 1);
        const std::string name = word.substr(0, colon);
        if (name != "-") {
            const int number = NoteNumber(name);
            if (number >= 0)
                notes.push_back({step, eighths * 2, number + transpose});
        }
        step += eighths * 2;
    }
    return step;
}

Buffer RenderSong(const Song& song) {
    const long step = StepFrames(song);
    const int bars = static_cast<int>(song.chords.size());
    const long frames = step * kStepsPerBar * bars;
    const double stepSeconds = double(step) / kRate;
    Buffer dry(2, frames);
    Buffer echoed(2, frames);
    uint32_t seed = 1;

    for (int bar = 0; bar < bars; ++bar) {
        const std::vector<int>& chord = song.chords[bar];
        const double barStart = bar * kStepsPerBar * stepSeconds;
        // Pad: the chord held through the bar, soft and wide.
        for (size_t i = 0; i < chord.size(); ++i) {
            Tone pad;
            pad.wave = Wave::kSaw;
            pad.frequency = NoteFrequency(chord[i]);
            pad.detune = 0.004;
            pad.lowPass = 1100;
            pad.held = kStepsPerBar * stepSeconds - 0.05;
            pad.envelope = {0.35, 0.4, 0.75, 0.5};
            pad.gain = 0.05;
            pad.pan = chord.size() > 1 ? -0.5 + double(i) / (chord.size() - 1) : 0;
            AddTone(dry, pad, barStart, true);
        }
        // Bass: root, root, fifth, octave.
        const int root = chord.front() - 12;
        const struct {
            int step, length, offset;
        } bass[] = {{0, 5, 0}, {6, 2, 0}, {8, 5, 7}, {14, 2, 12}};
        for (const auto& b : bass) {
            Tone tone;
            tone.wave = Wave::kTriangle;
            tone.frequency = NoteFrequency(root + b.offset);
            tone.lowPass = 800;
            tone.held = b.length * stepSeconds;
            tone.envelope = {0.006, 0.15, 0.7, 0.08};
            tone.gain = 0.26;
            AddTone(dry, tone, barStart + b.step * stepSeconds, true);
        }
        // Arpeggio in eighths, up and down the chord, left and right.
        if (bar < static_cast<int>(song.arpeggio.size()) && song.arpeggio[bar]) {
            const int order[8] = {0, 1, 2, 3, 2, 1, 2, 3};
            for (int i = 0; i < 8; ++i) {
                const int index = order[i];
                const int note =
                    index < static_cast<int>(chord.size()) ? chord[index] + 12 : chord.front() + 24;
                Tone tone;
                tone.wave = Wave::kTriangle;
                tone.frequency = NoteFrequency(note);
                tone.lowPass = 2600;
                tone.held = 0.18;
                tone.envelope = {0.003, 0.16, 0.0, 0.05};
                tone.gain = 0.07;
                tone.pan = i % 2 ? 0.45 : -0.45;
                AddTone(echoed, tone, barStart + i * 2 * stepSeconds, true);
            }
        }
        // Drums.
        if (!song.drums.empty()) {
            const std::string& pattern = song.drums[bar % song.drums.size()];
            for (int s = 0; s < kStepsPerBar && s < static_cast<int>(pattern.size()); ++s) {
                const char hit = pattern[s];
                const double at = barStart + s * stepSeconds;
                if (hit == 'k' || hit == 'x') {
                    Tone kick;
                    kick.frequency = 120;
                    kick.endFrequency = 45;
                    kick.held = 0.12;
                    kick.envelope = {0.002, 0.22, 0.0, 0.05};
                    kick.gain = 0.42;
                    AddTone(dry, kick, at, true);
                }
                if (hit == 's') {
                    Tone snare;
                    snare.wave = Wave::kNoise;
                    snare.lowPass = 3200;
                    snare.held = 0.1;
                    snare.envelope = {0.001, 0.12, 0.0, 0.02};
                    snare.gain = 0.16;
                    snare.seed = seed++;
                    AddTone(dry, snare, at, true);
                    Tone body;
                    body.frequency = 185;
                    body.held = 0.05;
                    body.envelope = {0.001, 0.07, 0.0, 0.02};
                    body.gain = 0.10;
                    AddTone(dry, body, at, true);
                }
                if (hit == 'h' || hit == 'x') {
                    Tone hat;
                    hat.wave = Wave::kNoise;
                    hat.lowPass = 10000;
                    hat.held = 0.01;
                    hat.envelope = {0.001, 0.035, 0.0, 0.01};
                    hat.gain = s % 4 == 2 ? 0.055 : 0.035;
                    hat.pan = 0.25;
                    hat.seed = seed++;
                    AddTone(dry, hat, at, true);
                }
            }
        }
    }
    for (const Note& note : song.melody) {
        Tone lead;
        lead.wave = Wave::kTriangle;
        lead.frequency = NoteFrequency(note.note);
        lead.lowPass = 3500;
        lead.vibratoDepth = 0.004;
        lead.held = note.length * stepSeconds - 0.02;
        lead.envelope = {0.012, 0.25, 0.55, 0.18};
        lead.gain = 0.24;
        AddTone(dry, lead, note.step * stepSeconds, true);
        lead.gain = 0.06;
        AddTone(echoed, lead, note.step * stepSeconds, true);
    }
    for (const Note& note : song.bell) {
        for (int partial = 1; partial <= 2; ++partial) {
            Tone bell;
            bell.frequency = NoteFrequency(note.note) * (partial == 1 ? 1.0 : 2.0);
            bell.held = 0.01;
            bell.envelope = {0.002, 0.0, 1.0, partial == 1 ? 0.9 : 0.35};
            bell.gain = partial == 1 ? 0.14 : 0.05;
            bell.pan = 0.2;
            AddTone(echoed, bell, note.step * stepSeconds, true);
        }
    }
    Echo(echoed, 3 * stepSeconds, 0.32, 0.55, true);
    dry.Mix(echoed);
    dry.Normalise(kMusicPeak);
    return dry;
}

} // namespace soundgen
