#include "platform/audio/AudioMixer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace platform {

float GainOfVolume(int32_t volume) {
    if (volume <= kVolumeMin) {
        return 0.0f;
    }
    return static_cast<float>(std::pow(10.0, std::min(volume, kVolumeMax) / 2000.0));
}

void AudioMixer::Mix(int16_t* out, uint32_t frames) {
    std::lock_guard<std::mutex> lock(mMutex);
    mAccumulator.assign(static_cast<size_t>(frames) * kOutputChannels, 0);
    for (MixerBuffer* buffer : mBuffers) {
        if (!buffer->mPrimary && buffer->mPlaying && !buffer->mLost) {
            buffer->MixInto(mAccumulator.data(), frames);
        }
    }
    Limit(out, frames);
}

void AudioMixer::Limit(int16_t* out, uint32_t frames) {
    const int32_t* acc = mAccumulator.data();
    int32_t peak = 0;
    for (size_t i = 0; i < mAccumulator.size(); ++i) {
        peak = std::max(peak, std::abs(acc[i]));
    }
    if (peak <= kCeiling && mLimiterIdle) {
        for (size_t i = 0; i < mAccumulator.size(); ++i) {
            out[i] = static_cast<int16_t>(acc[i]);
        }
        return;
    }
    static const float kRelease = static_cast<float>(std::exp(-1.0 / (0.05 * kOutputRate)));
    // The gain each frame needs to stay within the ceiling.
    std::vector<float>& need = mLimiterNeed;
    need.resize(frames);
    for (uint32_t i = 0; i < frames; ++i) {
        const int32_t loudest = std::max(std::abs(acc[2 * i]), std::abs(acc[2 * i + 1]));
        need[i] =
            loudest > kCeiling ? static_cast<float>(kCeiling) / static_cast<float>(loudest) : 1.0f;
    }
    // The held gain: the least need of the frames ahead within the window,
    // rising back slowly once a peak has passed. The gain played is the
    // held gain averaged over the window, which reaches a peak's need by the
    // peak and moves a window's length to get there.
    mLimiterIdle = true;
    for (uint32_t i = 0; i < frames; ++i) {
        float held = 1.0f;
        for (uint32_t j = i; j < std::min(frames, i + kLimiterWindow); ++j) {
            held = std::min(held, need[j]);
        }
        held = std::min(held, 1.0f - (1.0f - mLimiterHeld) * kRelease);
        mLimiterHeld = held > 0.999f ? 1.0f : held;
        mLimiterSum += mLimiterHeld - mLimiterHistory[mLimiterNext];
        mLimiterHistory[mLimiterNext] = mLimiterHeld;
        mLimiterNext = (mLimiterNext + 1) % kLimiterWindow;
        // A peak at the start of a pass may come sooner than the window
        // has seen: the gain then drops at once to the held gain, rather
        // than let the peak through or follow it sample by sample.
        if (need[i] < mLimiterSum / kLimiterWindow) {
            mLimiterHistory.fill(mLimiterHeld);
            mLimiterSum = mLimiterHeld * kLimiterWindow;
        }
        const float gain = mLimiterSum / kLimiterWindow;
        if (gain < 1.0f || mLimiterHeld < 1.0f) {
            mLimiterIdle = false;
        }
        for (uint32_t c = 0; c < kOutputChannels; ++c) {
            const float value = static_cast<float>(acc[2 * i + c]) * std::min(gain, 1.0f);
            out[2 * i + c] = static_cast<int16_t>(
                std::clamp(static_cast<int32_t>(std::lround(value)), -kCeiling, kCeiling));
        }
    }
    if (mLimiterIdle) {
        // Rounding leaves the running sum a hair off; an idle window is whole.
        mLimiterSum = static_cast<float>(kLimiterWindow);
    }
}

void AudioMixer::FailNext(AudioCall call, int32_t code) {
    std::lock_guard<std::mutex> lock(mMutex);
    mFailures[call] = code;
}

int32_t AudioMixer::TakeFailure(AudioCall call) {
    ++mCalls[call];
    auto found = mFailures.find(call);
    if (found == mFailures.end()) {
        return kAudioOk;
    }
    int32_t code = found->second;
    mFailures.erase(found);
    return code;
}

uint32_t AudioMixer::GetCallCount(AudioCall call) {
    std::lock_guard<std::mutex> lock(mMutex);
    return mCalls[call];
}

void AudioMixer::LoseBuffers() {
    std::lock_guard<std::mutex> lock(mMutex);
    for (MixerBuffer* buffer : mBuffers) {
        if (!buffer->mPrimary) {
            buffer->mLost = true;
            buffer->mPlaying = false;
        }
    }
}

size_t AudioMixer::GetBufferCount() {
    std::lock_guard<std::mutex> lock(mMutex);
    return mBuffers.size();
}

void AudioMixer::Add(MixerBuffer* buffer) {
    std::lock_guard<std::mutex> lock(mMutex);
    mBuffers.push_back(buffer);
}

void AudioMixer::Remove(MixerBuffer* buffer) {
    std::lock_guard<std::mutex> lock(mMutex);
    mBuffers.erase(std::remove(mBuffers.begin(), mBuffers.end(), buffer), mBuffers.end());
}

MixerBuffer::MixerBuffer(std::shared_ptr<AudioMixer> mixer, const AudioBufferDesc& desc)
    : mMixer(std::move(mixer)), mPrimary((desc.flags & kBufferPrimary) != 0) {
    if (desc.format) {
        mFormat = *desc.format;
    }
    mData.assign(mPrimary ? 0 : desc.bufferBytes, 0);
    mCommitted = mData;
    mMixer->Add(this);
}

MixerBuffer::~MixerBuffer() {
    mMixer->Remove(this);
}

int32_t MixerBuffer::SetFormat(const AudioFormat& format) {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (int32_t code = mMixer->TakeFailure(AudioCall::SetFormat)) {
        return code;
    }
    if (!mPrimary) {
        return kAudioErrInvalidCall;
    }
    if (format.formatTag != kFormatPcm || format.channels == 0 || format.samplesPerSec == 0) {
        return kAudioErrInvalidParam;
    }
    // The output stays 44100 Hz 16-bit stereo; the mixer converts to it.
    mFormat = format;
    return kAudioOk;
}

uint32_t MixerBuffer::FrameCount() const {
    return mFormat.blockAlign ? static_cast<uint32_t>(mData.size() / mFormat.blockAlign) : 0;
}

uint32_t MixerBuffer::WriteMarginBytes() const {
    // About 10 ms ahead of the play cursor, as a sound card's write cursor;
    // at least the two frames that the rate conversion blends.
    uint32_t frames = std::max<uint32_t>(2, mFormat.samplesPerSec / 100);
    return frames * mFormat.blockAlign;
}

int32_t MixerBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (int32_t code = mMixer->TakeFailure(AudioCall::GetCurrentPosition)) {
        return code;
    }
    if (mPrimary || mData.empty()) {
        return kAudioErrInvalidCall;
    }
    uint32_t size = static_cast<uint32_t>(mData.size());
    uint32_t p = static_cast<uint32_t>(mPosition >> 32) * mFormat.blockAlign;
    if (p >= size) {
        p = 0;
    }
    if (play) {
        *play = p;
    }
    if (mPlaying) {
        // Whoever reads the cursors may write up to the play cursor from
        // the write cursor on: what lies between is settled now.
        Commit(0);
    }
    if (write) {
        // After a buffer played out to its end both cursors rest at 0.
        *write = mEnded ? 0 : static_cast<uint32_t>((uint64_t(p) + WriteMarginBytes()) % size);
    }
    return kAudioOk;
}

int32_t MixerBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                          void** part2, uint32_t* bytes2) {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (int32_t code = mMixer->TakeFailure(AudioCall::Lock)) {
        return code;
    }
    if (mPrimary) {
        return kAudioErrInvalidCall;
    }
    if (mLost) {
        return kAudioErrBufferLost;
    }
    uint32_t size = static_cast<uint32_t>(mData.size());
    if (!part1 || !bytes1 || offset >= size || bytes == 0 || bytes > size) {
        return kAudioErrInvalidParam;
    }
    uint32_t first = std::min(bytes, size - offset);
    *part1 = mData.data() + offset;
    *bytes1 = first;
    if (part2) {
        *part2 = first < bytes ? mData.data() : nullptr;
    }
    if (bytes2) {
        *bytes2 = bytes - first;
    }
    return kAudioOk;
}

int32_t MixerBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (int32_t code = mMixer->TakeFailure(AudioCall::Unlock)) {
        return code;
    }
    auto inside = [this](void* part, uint32_t bytes) {
        if (!part) {
            return bytes == 0;
        }
        auto* p = static_cast<uint8_t*>(part);
        return p >= mData.data() && p + bytes <= mData.data() + mData.size();
    };
    return inside(part1, bytes1) && inside(part2, bytes2) ? kAudioOk : kAudioErrInvalidParam;
}

int32_t MixerBuffer::Play(uint32_t flags) {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (int32_t code = mMixer->TakeFailure(AudioCall::Play)) {
        return code;
    }
    if (mLost) {
        return kAudioErrBufferLost;
    }
    if (!mPrimary) {
        // A started buffer plays what it holds now.
        mCommittedFrames = 0;
        mPlayFrame = static_cast<uint32_t>(mPosition >> 32);
        mPlaying = true;
        mEnded = false;
        mLooping = (flags & kPlayLooping) != 0;
    }
    return kAudioOk;
}

int32_t MixerBuffer::Stop() {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (int32_t code = mMixer->TakeFailure(AudioCall::Stop)) {
        return code;
    }
    mPlaying = false;
    return kAudioOk;
}

int32_t MixerBuffer::SetVolume(int32_t volume) {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (int32_t code = mMixer->TakeFailure(AudioCall::SetVolume)) {
        return code;
    }
    if (volume < kVolumeMin || volume > kVolumeMax) {
        return kAudioErrInvalidParam;
    }
    mVolume = volume;
    mVolumeHistory.push_back(volume);
    mGain = static_cast<int32_t>(std::lround(GainOfVolume(volume) * 65536.0f));
    return kAudioOk;
}

int32_t MixerBuffer::GetVolume(int32_t* volume) {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (!volume) {
        return kAudioErrInvalidParam;
    }
    *volume = mVolume;
    return kAudioOk;
}

int32_t MixerBuffer::GetStatus(uint32_t* status) {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (int32_t code = mMixer->TakeFailure(AudioCall::GetStatus)) {
        return code;
    }
    if (!status) {
        return kAudioErrInvalidParam;
    }
    *status = (mPlaying ? kStatusPlaying : 0) | (mPlaying && mLooping ? kStatusLooping : 0) |
              (mLost ? kStatusBufferLost : 0);
    return kAudioOk;
}

int32_t MixerBuffer::Restore() {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (int32_t code = mMixer->TakeFailure(AudioCall::Restore)) {
        return code;
    }
    mLost = false;
    return kAudioOk;
}

int32_t MixerBuffer::SetNotificationPositions(uint32_t count,
                                              const AudioNotifyPosition* positions) {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    if (int32_t code = mMixer->TakeFailure(AudioCall::SetNotificationPositions)) {
        return code;
    }
    if (mPlaying || (count && !positions)) {
        return kAudioErrInvalidCall;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (positions[i].offset != kNotifyOffsetStop && positions[i].offset >= mData.size()) {
            return kAudioErrInvalidParam;
        }
    }
    mNotify.assign(positions, positions + count);
    return kAudioOk;
}

std::vector<int32_t> MixerBuffer::GetVolumeHistory() {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    return mVolumeHistory;
}

std::vector<AudioNotifyPosition> MixerBuffer::GetNotificationPositions() {
    std::lock_guard<std::mutex> lock(mMixer->mMutex);
    return mNotify;
}

void MixerBuffer::MovePlayFrame(uint32_t frame) {
    const uint32_t total = FrameCount();
    if (frame == mPlayFrame || total == 0) {
        return;
    }
    const uint32_t passed = (frame + total - mPlayFrame) % total;
    mCommittedFrames -= std::min(passed, mCommittedFrames);
    mPlayFrame = frame;
}

void MixerBuffer::Commit(uint32_t ahead) {
    const uint32_t total = FrameCount();
    if (total == 0) {
        return;
    }
    MovePlayFrame(static_cast<uint32_t>((mPosition >> 32) % total));
    const uint32_t align = mFormat.blockAlign;
    const uint64_t margin = WriteMarginBytes() / std::max<uint32_t>(align, 1);
    const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(total, margin + ahead));
    while (mCommittedFrames < wanted) {
        const uint32_t from = (mPlayFrame + mCommittedFrames) % total;
        const uint32_t count = std::min(wanted - mCommittedFrames, total - from);
        std::memcpy(mCommitted.data() + static_cast<size_t>(from) * align,
                    mData.data() + static_cast<size_t>(from) * align,
                    static_cast<size_t>(count) * align);
        mCommittedFrames += count;
    }
}

int32_t MixerBuffer::SampleAt(uint32_t frame, uint32_t channel) const {
    const uint8_t* p = mCommitted.data() + static_cast<size_t>(frame) * mFormat.blockAlign;
    if (mFormat.bitsPerSample == 8) {
        return (static_cast<int32_t>(p[channel]) - 128) * 256;
    }
    int16_t s;
    std::memcpy(&s, p + channel * 2, 2);
    return s;
}

void MixerBuffer::MixInto(int32_t* acc, uint32_t frames) {
    uint32_t total = FrameCount();
    if (total == 0) {
        mPlaying = false;
        return;
    }
    const uint64_t end = static_cast<uint64_t>(total) << 32;
    const uint64_t step =
        (static_cast<uint64_t>(mFormat.samplesPerSec) << 32) / AudioMixer::kOutputRate;
    const uint32_t right = mFormat.channels > 1 ? 1 : 0;
    const int64_t gain = mGain;
    // The frames this pass plays are committed at its start, up to where
    // the write cursor stands at its end: the same bytes a cursor read
    // after the pass would settle.
    const uint64_t passed = ((mPosition + step * frames) >> 32) - (mPosition >> 32);
    Commit(static_cast<uint32_t>(std::min<uint64_t>(passed, total)));
    for (uint32_t i = 0; i < frames; ++i) {
        if (mPosition >= end) {
            if (!mLooping) {
                // Played out: the buffer stops with both cursors at its start.
                mPlaying = false;
                mEnded = true;
                mPosition = 0;
                return;
            }
            mPosition %= end;
        }
        uint32_t frame = static_cast<uint32_t>(mPosition >> 32);
        uint32_t frac = static_cast<uint32_t>(mPosition >> 16) & 0xFFFF;
        int32_t left0 = SampleAt(frame, 0);
        int32_t right0 = SampleAt(frame, right);
        if (frac) {
            uint32_t next = frame + 1 < total ? frame + 1 : (mLooping ? 0 : frame);
            left0 += static_cast<int32_t>(
                (static_cast<int64_t>(SampleAt(next, 0) - left0) * frac) >> 16);
            right0 += static_cast<int32_t>(
                (static_cast<int64_t>(SampleAt(next, right) - right0) * frac) >> 16);
        }
        acc[2 * i] += static_cast<int32_t>((left0 * gain) >> 16);
        acc[2 * i + 1] += static_cast<int32_t>((right0 * gain) >> 16);
        mPosition += step;
    }
    if (passed >= total) {
        // The pass went round the whole ring: nothing ahead is settled.
        mCommittedFrames = 0;
        mPlayFrame = static_cast<uint32_t>((mPosition >> 32) % total);
    }
}

MixerAudioDevice::MixerAudioDevice() : mMixer(std::make_shared<AudioMixer>()) {}

int32_t MixerAudioDevice::GetCaps(AudioCaps* caps) {
    {
        std::lock_guard<std::mutex> lock(mMixer->GetMutex());
        if (int32_t code = mMixer->TakeFailure(AudioCall::GetCaps)) {
            return code;
        }
    }
    if (!mOpen) {
        return kAudioErrInvalidCall;
    }
    if (!caps) {
        return kAudioErrInvalidParam;
    }
    caps->flags = 0;
    caps->maxSecondarySampleRate = 200000;
    caps->maxHwMixingBuffers = 0;
    return kAudioOk;
}

int32_t MixerAudioDevice::SetCooperativeLevel(void* /*window*/, uint32_t level) {
    std::lock_guard<std::mutex> lock(mMixer->GetMutex());
    if (int32_t code = mMixer->TakeFailure(AudioCall::SetCooperativeLevel)) {
        return code;
    }
    if (!mOpen) {
        return kAudioErrInvalidCall;
    }
    return level >= kAudioLevelNormal && level <= 3 ? kAudioOk : kAudioErrInvalidParam;
}

int32_t MixerAudioDevice::CreateBuffer(const AudioBufferDesc& desc,
                                       std::shared_ptr<AudioBuffer>* buffer) {
    {
        std::lock_guard<std::mutex> lock(mMixer->GetMutex());
        if (int32_t code = mMixer->TakeFailure(AudioCall::CreateBuffer)) {
            return code;
        }
    }
    if (!mOpen) {
        return kAudioErrInvalidCall;
    }
    if (!buffer) {
        return kAudioErrInvalidParam;
    }
    if (desc.flags & kBufferPrimary) {
        if (desc.bufferBytes != 0 || desc.format) {
            return kAudioErrInvalidParam;
        }
    } else {
        const AudioFormat* f = desc.format;
        if (!f || f->formatTag != kFormatPcm || f->channels < 1 || f->channels > 2 ||
            (f->bitsPerSample != 8 && f->bitsPerSample != 16) ||
            f->blockAlign != f->channels * f->bitsPerSample / 8 || f->samplesPerSec < 100 ||
            f->samplesPerSec > 200000 || desc.bufferBytes < 4 || desc.bufferBytes > 0x0FFFFFFF) {
            return kAudioErrInvalidParam;
        }
    }
    *buffer = std::make_shared<MixerBuffer>(mMixer, desc);
    return kAudioOk;
}

} // namespace platform
