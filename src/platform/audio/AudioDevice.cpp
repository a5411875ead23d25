#include "platform/audio/AudioDevice.h"

#include "platform/audio/sdl/SdlAudioDevice.h"

#include <mutex>

namespace platform {

namespace {
std::mutex gFactoryMutex;
AudioDeviceFactory gFactory;
} // namespace

std::unique_ptr<AudioDevice> CreateAudioDevice() {
    AudioDeviceFactory factory;
    {
        std::lock_guard<std::mutex> lock(gFactoryMutex);
        factory = gFactory;
    }
    if (factory) {
        return factory();
    }
    return std::make_unique<SdlAudioDevice>();
}

AudioDeviceFactory SetAudioDeviceFactory(AudioDeviceFactory factory) {
    std::lock_guard<std::mutex> lock(gFactoryMutex);
    AudioDeviceFactory previous = std::move(gFactory);
    gFactory = std::move(factory);
    return previous;
}

} // namespace platform
