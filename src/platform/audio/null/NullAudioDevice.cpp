#include "platform/audio/null/NullAudioDevice.h"

namespace platform {

int32_t NullAudioDevice::Open() {
    std::lock_guard<std::mutex> lock(mMixer->GetMutex());
    if (int32_t code = mMixer->TakeFailure(AudioCall::Open)) {
        return code;
    }
    mOpen = true;
    return kAudioOk;
}

void NullAudioDevice::Advance(uint32_t frames) {
    size_t start = mCapture.size();
    mCapture.resize(start + static_cast<size_t>(frames) * AudioMixer::kOutputChannels);
    mMixer->Mix(mCapture.data() + start, frames);
}

} // namespace platform
