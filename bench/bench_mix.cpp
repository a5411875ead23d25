// The mixer's cost: 32 looping buffers mixed into 44.1 kHz stereo for 10 s
// of sound through the null device, as CPU time and as a share of the
// 10 s of real time the sound lasts. Two sets: 32 buffers of 44.1 kHz
// stereo (no rate conversion), and 32 of 22.05 kHz mono (conversion and
// spreading to both sides). Goal: under 1 % of one core for 32 streams.

#include "platform/audio/null/NullAudioDevice.h"
#include "support/CpuUse.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace platform;

struct Result {
    double cpuSeconds;
    double wallSeconds;
    int64_t checksum;
};

Result Run(uint32_t rate, uint16_t channels, int streams, double seconds) {
    NullAudioDevice device;
    device.Open();
    AudioFormat format;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.bitsPerSample = 16;
    format.blockAlign = static_cast<uint16_t>(2 * channels);
    format.avgBytesPerSec = format.blockAlign * rate;
    std::vector<std::shared_ptr<AudioBuffer>> buffers;
    for (int s = 0; s < streams; ++s) {
        AudioBufferDesc desc;
        desc.flags = kBufferCtrlVolume | kBufferCtrlPositionNotify;
        desc.bufferBytes = format.avgBytesPerSec * 2; // a 2 s ring, as a stream has
        desc.format = &format;
        std::shared_ptr<AudioBuffer> buffer;
        device.CreateBuffer(desc, &buffer);
        void* p1 = nullptr;
        void* p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        buffer->Lock(0, desc.bufferBytes, &p1, &n1, &p2, &n2);
        auto* samples = static_cast<int16_t*>(p1);
        for (uint32_t i = 0; i < n1 / 2; ++i) {
            samples[i] = static_cast<int16_t>(
                1000.0 * std::sin(2.0 * M_PI * (200.0 + 37.0 * s) * (i / channels) / rate));
        }
        buffer->Unlock(p1, n1, p2, n2);
        buffer->SetVolume(-600 - 20 * s);
        buffer->Play(kPlayLooping);
        buffers.push_back(buffer);
    }
    const uint32_t chunk = 1024; // an SDL callback's worth
    uint32_t frames = static_cast<uint32_t>(seconds * AudioMixer::kOutputRate);
    int64_t checksum = 0;
    double cpu0 = ProcessCpuSeconds();
    auto wall0 = std::chrono::steady_clock::now();
    for (uint32_t done = 0; done < frames; done += chunk) {
        device.ClearCapture();
        device.Advance(chunk);
        for (int16_t sample : device.GetCapture()) {
            checksum += sample;
        }
    }
    double cpu = ProcessCpuSeconds() - cpu0;
    std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall0;
    return {cpu, wall.count(), checksum};
}

} // namespace

int main() {
    const double seconds = 10.0;
    struct Set {
        const char* name;
        uint32_t rate;
        uint16_t channels;
    } sets[] = {{"44.1 kHz stereo", 44100, 2}, {"22.05 kHz mono", 22050, 1}};
    for (const Set& set : sets) {
        Result r = Run(set.rate, set.channels, 32, seconds);
        std::printf("mix 32 x %s for %.0f s of sound: cpu %.3f s (wall %.3f s), %.3f %% of one core"
                    " (goal < 1 %%) [checksum %lld]\n",
                    set.name, seconds, r.cpuSeconds, r.wallSeconds, 100.0 * r.cpuSeconds / seconds,
                    static_cast<long long>(r.checksum));
    }
    return 0;
}
