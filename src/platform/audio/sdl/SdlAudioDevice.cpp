#include "platform/audio/sdl/SdlAudioDevice.h"

#include "platform/log/PlatformLog.h"

#include <SDL.h>

namespace platform {

SdlAudioDevice::~SdlAudioDevice() {
    if (mDevice) {
        // Closing waits for a callback that is running, so the mixer is
        // not touched afterwards.
        SDL_CloseAudioDevice(mDevice);
    }
    if (mSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

int32_t SdlAudioDevice::Open() {
    {
        std::lock_guard<std::mutex> lock(mMixer->GetMutex());
        if (int32_t code = mMixer->TakeFailure(AudioCall::Open)) {
            return code;
        }
    }
    if (mOpen) {
        return kAudioOk;
    }
    if (!mSubsystem) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            PlatformLog("Audio: no audio driver: %s", SDL_GetError());
            return kAudioErrNoDriver;
        }
        mSubsystem = true;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(AudioMixer::kOutputRate);
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(AudioMixer::kOutputChannels);
    want.samples = 1024;
    want.callback = &SdlAudioDevice::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts our format to the card's.
    mDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!mDevice) {
        PlatformLog("Audio: the audio device could not be opened: %s", SDL_GetError());
        return kAudioErrNoDriver;
    }
    mOpen = true;
    SDL_PauseAudioDevice(mDevice, 0);
    return kAudioOk;
}

void SdlAudioDevice::Callback(void* self, uint8_t* stream, int length) {
    auto* device = static_cast<SdlAudioDevice*>(self);
    uint32_t frames = static_cast<uint32_t>(length) / (2 * AudioMixer::kOutputChannels);
    device->mMixer->Mix(reinterpret_cast<int16_t*>(stream), frames);
}

} // namespace platform
