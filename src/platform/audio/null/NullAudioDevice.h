#pragma once

#include "platform/audio/AudioMixer.h"

#include <cstdint>
#include <vector>

namespace platform {

// The sound output for tests: the same mixer as the SDL device, driven by
// the test. Advance mixes the next frames and keeps them in a capture, so a
// test can play buffers for an exact time and read what came out. Failures
// and buffer loss can be injected through GetMixer().
class NullAudioDevice : public MixerAudioDevice {
public:
    NullAudioDevice() = default;

    int32_t Open() override;

    // Mixes frames output frames (44100 Hz stereo) and appends them to the
    // capture.
    void Advance(uint32_t frames);
    // The interleaved left, right samples mixed so far.
    const std::vector<int16_t>& GetCapture() const { return mCapture; }
    void ClearCapture() { mCapture.clear(); }

private:
    std::vector<int16_t> mCapture;
};

} // namespace platform
