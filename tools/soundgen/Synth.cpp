#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace soundgen {

namespace {

const double kPi = std::acos(-1.0);

double Oscillate(Wave wave, double phase, Noise& noise) {
    const double p = phase - std::floor(phase);
    switch (wave) {
    case Wave::kSine:
        return std::sin(2 * kPi * p);
    case Wave::kSquare:
        return p < 0.5 ? 1.0 : -1.0;
    case Wave::kSaw:
        return 2.0 * p - 1.0;
    case Wave::kTriangle:
        return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
    case Wave::kNoise:
        return noise.Next();
    }
    return 0.0;
}

// A two-pole low-pass (a biquad from the usual cookbook, Q = 0.707) whose
// cutoff may change per sample.
class Filter {
public:
    double Process(double x, double cutoff, int rate) {
        if (cutoff != mCutoff) {
            mCutoff = cutoff;
            const double w = 2 * kPi * std::min(cutoff, rate * 0.45) / rate;
            const double alpha = std::sin(w) / (2 * 0.7071);
            const double cosw = std::cos(w);
            const double a0 = 1 + alpha;
            mB0 = (1 - cosw) / 2 / a0;
            mB1 = (1 - cosw) / a0;
            mB2 = mB0;
            mA1 = -2 * cosw / a0;
            mA2 = (1 - alpha) / a0;
        }
        const double y = mB0 * x + mB1 * mX1 + mB2 * mX2 - mA1 * mY1 - mA2 * mY2;
        mX2 = mX1;
        mX1 = x;
        mY2 = mY1;
        mY1 = y;
        return y;
    }

private:
    double mCutoff = -1;
    double mB0 = 0, mB1 = 0, mB2 = 0, mA1 = 0, mA2 = 0;
    double mX1 = 0, mX2 = 0, mY1 = 0, mY2 = 0;
};

} // namespace

Buffer::Buffer(int channelCount, double seconds)
    : Buffer(channelCount, std::lround(seconds * kRate)) {}

Buffer::Buffer(int channelCount, long frameCount)
    : channels(channelCount), samples(static_cast<size_t>(frameCount) * channelCount, 0.0f) {}

float Buffer::Peak() const {
    float peak = 0;
    for (float s : samples)
        peak = std::max(peak, std::fabs(s));
    return peak;
}

void Buffer::Normalise(float peak) {
    const float now = Peak();
    if (now <= 0)
        return;
    const float scale = peak / now;
    for (float& s : samples)
        s *= scale;
}

void Buffer::Mix(const Buffer& other, float gain) {
    const long frames = std::min(Frames(), other.Frames());
    for (long f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c)
            At(f, c) += gain * other.At(f, other.channels == 1 ? 0 : c);
    }
}

float Noise::Next() {
    mState = mState * 1664525u + 1013904223u;
    return static_cast<float>((mState >> 8) / double(1u << 23) - 1.0);
}

double Noise::Unit() {
    mState = mState * 1664525u + 1013904223u;
    return (mState >> 8) / double(1u << 24);
}

double Envelope::Level(double t, double held) const {
    auto sustained = [this](double at) {
        if (at < attack)
            return at / attack;
        if (at < attack + decay)
            return 1.0 - (1.0 - sustain) * (at - attack) / decay;
        return sustain;
    };
    if (t < 0)
        return 0;
    if (t < held)
        return sustained(t);
    if (release <= 0 || t >= held + release)
        return 0;
    return sustained(held) * (1.0 - (t - held) / release);
}

void AddTone(Buffer& buffer, const Tone& tone, double start, bool wrap) {
    const long total = buffer.Frames();
    const long first = std::lround(start * buffer.rate);
    const long length = std::lround(tone.envelope.Length(tone.held) * buffer.rate);
    Noise noise(tone.seed);
    Noise noise2(tone.seed * 7919u + 13u);
    Filter filters[2];
    double phase = 0, phase2 = 0;
    const double sweep = tone.endFrequency > 0 ? std::log(tone.endFrequency / tone.frequency) : 0;
    const double filterSweep =
        tone.lowPass > 0 && tone.endLowPass > 0 ? std::log(tone.endLowPass / tone.lowPass) : 0;
    const double panAngle = (tone.pan + 1) * kPi / 4;
    const double sides[2] = {std::cos(panAngle), std::sin(panAngle)};
    for (long i = 0; i < length; ++i) {
        long at = first + i;
        if (wrap)
            at = ((at % total) + total) % total;
        else if (at >= total)
            break;
        const double t = double(i) / buffer.rate;
        const double held = std::min(1.0, tone.held > 0 ? t / tone.held : 1.0);
        double frequency = tone.frequency * std::exp(sweep * held);
        if (tone.vibratoDepth > 0) {
            const double depth = tone.vibratoDepth * std::min(1.0, t / 0.25);
            frequency *= 1.0 + depth * std::sin(2 * kPi * tone.vibratoRate * t);
        }
        phase += frequency / buffer.rate;
        phase2 += frequency * (1.0 + tone.detune) / buffer.rate;
        double value = Oscillate(tone.wave, phase, noise);
        double value2 = tone.detune > 0 ? Oscillate(tone.wave, phase2, noise2) : value;
        if (tone.lowPass > 0) {
            const double cutoff = tone.lowPass * std::exp(filterSweep * held);
            value = filters[0].Process(value, cutoff, buffer.rate);
            value2 = tone.detune > 0 ? filters[1].Process(value2, cutoff, buffer.rate) : value;
        }
        const double level = tone.gain * tone.envelope.Level(t, tone.held);
        if (buffer.channels == 1) {
            buffer.At(at, 0) += static_cast<float>(level * (value + value2) / 2);
        } else {
            // The detuned voice leans to the right, the plain one to the left.
            const double left = tone.detune > 0 ? (value * 0.65 + value2 * 0.35) : value;
            const double right = tone.detune > 0 ? (value * 0.35 + value2 * 0.65) : value;
            buffer.At(at, 0) += static_cast<float>(level * left * sides[0] * std::sqrt(2.0));
            buffer.At(at, 1) += static_cast<float>(level * right * sides[1] * std::sqrt(2.0));
        }
    }
}

void LowPass(Buffer& buffer, double cutoff) {
    for (int c = 0; c < buffer.channels; ++c) {
        Filter filter;
        for (long f = 0; f < buffer.Frames(); ++f)
            buffer.At(f, c) =
                static_cast<float>(filter.Process(buffer.At(f, c), cutoff, buffer.rate));
    }
}

void Echo(Buffer& buffer, double delay, double feedback, double mix, bool wrap) {
    const long frames = buffer.Frames();
    const long d = std::lround(delay * buffer.rate);
    if (d <= 0 || frames == 0)
        return;
    // wet[n] = dry[n - d] + feedback * wet[n - d]; a loop runs round until
    // what is left of the first pass is below hearing.
    const Buffer dry = buffer;
    Buffer wet(buffer.channels, frames);
    const int passes = wrap ? std::max(1, static_cast<int>(std::ceil(
                                              std::log(1e-4) / std::log(std::max(feedback, 1e-3)) *
                                              d / double(frames)))) +
                                  1
                            : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (long f = 0; f < frames; ++f) {
            long from = f - d;
            if (from < 0) {
                if (!wrap)
                    continue;
                from += frames * ((-from + frames - 1) / frames);
            }
            for (int c = 0; c < buffer.channels; ++c)
                wet.At(f, c) = dry.At(from, c) + static_cast<float>(feedback) * wet.At(from, c);
        }
    }
    for (long f = 0; f < frames; ++f) {
        for (int c = 0; c < buffer.channels; ++c)
            buffer.At(f, c) = dry.At(f, c) + static_cast<float>(mix) * wet.At(f, c);
    }
}

void FadeEnds(Buffer& buffer, double fadeIn, double fadeOut) {
    const long frames = buffer.Frames();
    const long in = std::min(frames / 2, std::lround(fadeIn * buffer.rate));
    const long out = std::min(frames / 2, std::lround(fadeOut * buffer.rate));
    for (long i = 0; i < std::max(in, out); ++i) {
        for (int c = 0; c < buffer.channels; ++c) {
            if (i < in)
                buffer.At(i, c) *= static_cast<float>(i) / in;
            if (i < out)
                buffer.At(frames - 1 - i, c) *= static_cast<float>(i) / out;
        }
    }
}

double NoteFrequency(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

} // namespace soundgen
