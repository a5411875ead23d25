#pragma once

#include "platform/audio/AudioMixer.h"

#include <cstdint>

namespace platform {

// The sound output on SDL: one device at 44100 Hz, 16-bit stereo, whose
// callback mixes the playing buffers. Open fails with kAudioErrNoDriver,
// and says why in the platform log, when SDL has no audio device.
class SdlAudioDevice : public MixerAudioDevice {
public:
    SdlAudioDevice() = default;
    ~SdlAudioDevice() override;

    int32_t Open() override;

private:
    static void Callback(void* self, uint8_t* stream, int length);

    uint32_t mDevice = 0;
    bool mSubsystem = false;
};

} // namespace platform
