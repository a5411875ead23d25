// Writes an Ogg Vorbis file holding a sine tone, for the sound tests and
// for trying the sound code by hand:
//   oggtone OUT.ogg FREQUENCY SECONDS CHANNELS [RATE]
// The tone has amplitude 0.5, fades in and out over 5 ms so it starts and
// ends without a click, and uses the same serial number and quality on
// every run, so the same arguments give the same file.

#include "soundgen/OggWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 5 || argc > 6) {
        std::fprintf(stderr, "usage: oggtone OUT.ogg FREQUENCY SECONDS CHANNELS [RATE]\n");
        return 2;
    }
    const double frequency = std::atof(argv[2]);
    const double seconds = std::atof(argv[3]);
    const int channels = std::atoi(argv[4]);
    const long rate = argc > 5 ? std::atol(argv[5]) : 44100;
    if (frequency <= 0 || seconds < 0 || channels < 1 || channels > 2 || rate < 8000 ||
        rate > 192000) {
        std::fprintf(stderr, "oggtone: bad arguments\n");
        return 2;
    }

    const long frames = std::lround(seconds * rate);
    const long fade = rate / 200;
    const double pi = std::acos(-1.0);
    soundgen::Buffer buffer(channels, frames);
    buffer.rate = static_cast<int>(rate);
    for (long n = 0; n < frames; ++n) {
        double gain = 0.5;
        if (n < fade) {
            gain *= double(n) / fade;
        } else if (frames - n < fade) {
            gain *= double(frames - n) / fade;
        }
        const float value = static_cast<float>(gain * std::sin(2.0 * pi * frequency * n / rate));
        for (int c = 0; c < channels; ++c)
            buffer.At(n, c) = value;
    }
    const auto bytes = soundgen::EncodeOgg(buffer, 0x436f7276, 0.4f);
    if (bytes.empty()) {
        std::fprintf(stderr, "oggtone: the encoder refused the format\n");
        return 1;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !ok) {
        std::fprintf(stderr, "oggtone: writing %s failed\n", argv[1]);
        return 1;
    }
    return 0;
}
