#pragma once

// A small step sequencer for the game's music: a song is bars of chords,
// a bass line, a melody and drums on a grid of sixteenth-note steps, drawn
// into a stereo buffer of exactly bars x 16 steps. Notes and echoes that
// run past the end come in again at the start, so the buffer loops with no
// seam.

#include "Synth.h"

#include <string>
#include <vector>

namespace soundgen {

// One melody or bass note: its first step (sixteenths from the start of
// the song), its length in steps and its MIDI note number.
struct Note {
    int step = 0;
    int length = 1;
    int note = 60;
};

struct Song {
    double tempo = 112; // beats per minute
    // One chord per bar: MIDI notes from low to high (root first).
    std::vector<std::vector<int>> chords;
    std::vector<Note> melody;
    std::vector<Note> bell; // a second lead line, with echo
    // Drums per bar: 16 characters per bar ("k" kick, "s" snare, "h" hat,
    // "x" kick and hat, "." rest); one string per bar, cycled.
    std::vector<std::string> drums;
    // Per bar: true where the arpeggio plays.
    std::vector<bool> arpeggio;
};

// The number of samples of one step: whole, so that the loop's length is
// exact.
long StepFrames(const Song& song);
Buffer RenderSong(const Song& song);

// Notes from a compact text: "E5:2 G5:2 C6:3 B5:1 | -:2" gives notes (and a
// rest "-") one after the other from `firstStep`, each lasting that many
// eighth notes; "|" marks a bar for the reader. Appends to `notes` and returns the step after the
// last.
int AddPhrase(std::vector<Note>& notes, int firstStep, const std::string& text, int transpose = 0);
// A MIDI note number from a name such as "C4", "F#3" or "Bb5"; -1 when the
// name is not one.
int NoteNumber(const std::string& name);

} // namespace soundgen
