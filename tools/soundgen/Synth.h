#pragma once

// The sound generator's instruments: oscillators, noise, envelopes, pitch
// sweeps, filters and echo, written into float buffers. Every random
// number comes from a seeded generator, so a recipe always gives the same
// samples.

#include <cstdint>
#include <vector>

namespace soundgen {

constexpr int kRate = 44100;

// Interleaved float samples, nominally within -1..1.
struct Buffer {
    int rate = kRate;
    int channels = 1;
    std::vector<float> samples;

    Buffer() = default;
    Buffer(int channelCount, double seconds);
    Buffer(int channelCount, long frameCount);
    long Frames() const { return channels ? static_cast<long>(samples.size()) / channels : 0; }
    float& At(long frame, int channel) { return samples[frame * channels + channel]; }
    float At(long frame, int channel) const { return samples[frame * channels + channel]; }
    float Peak() const;
    // Scales the whole buffer so its peak is `peak`.
    void Normalise(float peak);
    // Mixes another buffer in at `gain` (same channel count; mono into
    // stereo goes to both sides).
    void Mix(const Buffer& other, float gain = 1.0f);
};

enum class Wave { kSine, kSquare, kSaw, kTriangle, kNoise };

// A linear congruential generator with a fixed seed.
class Noise {
public:
    explicit Noise(uint32_t seed) : mState(seed) {}
    // Uniform in -1..1.
    float Next();
    // Uniform in 0..1.
    double Unit();

private:
    uint32_t mState;
};

// Attack, decay, sustain level and release, in seconds; the release starts
// when the note ends (its held length).
struct Envelope {
    double attack = 0.005;
    double decay = 0.1;
    double sustain = 0.7;
    double release = 0.1;

    double Level(double t, double held) const;
    double Length(double held) const { return held + release; }
};

// One note or sound event.
struct Tone {
    Wave wave = Wave::kSine;
    double frequency = 440.0;
    double endFrequency = 0.0; // > 0: an exponential sweep to it over the held time
    double held = 0.2;         // seconds before the release starts
    Envelope envelope;
    double gain = 0.5;
    double pan = 0.0;          // -1 left .. 1 right (stereo buffers)
    double lowPass = 0.0;      // > 0: cutoff of a two-pole low-pass in Hz
    double endLowPass = 0.0;   // > 0: the cutoff sweeps to it over the held time
    double vibratoDepth = 0.0; // fraction of the frequency
    double vibratoRate = 5.0;
    double detune = 0.0; // > 0: a second voice this fraction higher
    uint32_t seed = 1;   // for noise
};

// Adds the tone into the buffer from `start` seconds on. With wrap true the
// tail that runs past the end continues at the buffer's start (for loops).
void AddTone(Buffer& buffer, const Tone& tone, double start, bool wrap = false);

// A two-pole (12 dB per octave) low-pass over the whole buffer.
void LowPass(Buffer& buffer, double cutoff);
// Echo: each repeat `delay` seconds later at `feedback` times the level.
// With wrap the buffer is a loop: repeats past the end come in at its
// start, and the result is the loop's steady state.
void Echo(Buffer& buffer, double delay, double feedback, double mix, bool wrap = false);
// Fades linearly in over the first `fadeIn` and out over the last `fadeOut`
// seconds, so the sound starts and ends at silence.
void FadeEnds(Buffer& buffer, double fadeIn, double fadeOut);

// The frequency of a MIDI note number (69 = A 440 Hz).
double NoteFrequency(int note);

} // namespace soundgen
