#pragma once

#include "platform/audio/AudioDevice.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

// The operations of a device and its buffers, for counting calls and for
// failures injected by tests.
enum class AudioCall {
    Open,
    GetCaps,
    SetCooperativeLevel,
    CreateBuffer,
    SetFormat,
    GetCurrentPosition,
    Lock,
    Unlock,
    Play,
    Stop,
    SetVolume,
    GetStatus,
    Restore,
    SetNotificationPositions,
};

class MixerBuffer;

// The mixer behind both back ends: it keeps the secondary buffers and mixes
// every playing one into 44100 Hz 16-bit stereo, converting rate (linear
// interpolation) and channels and applying each buffer's volume. A sum
// louder than the ceiling goes through a limiter, never a hard clip. One mutex
// guards the buffers' state; the output thread (SDL's callback, or the test
// that advances the null device) holds it while it mixes. Buffers hold the
// mixer, so a buffer may outlive its device.
class AudioMixer : public std::enable_shared_from_this<AudioMixer> {
public:
    static constexpr uint32_t kOutputRate = 44100;
    static constexpr uint32_t kOutputChannels = 2;
    // The loudest sample the limiter lets out (about -0.2 dB below full
    // scale); a quieter mix passes unchanged.
    static constexpr int32_t kCeiling = 32000;

    // Mixes frames stereo frames into out (interleaved left, right).
    void Mix(int16_t* out, uint32_t frames);

    // A failure the next call of that kind answers with, once.
    void FailNext(AudioCall call, int32_t code);
    // The code to answer a call with: an injected failure or kAudioOk.
    int32_t TakeFailure(AudioCall call);
    uint32_t GetCallCount(AudioCall call);
    // Marks every secondary buffer lost, as a device may after a focus change.
    void LoseBuffers();
    size_t GetBufferCount();

    std::mutex& GetMutex() { return mMutex; }

private:
    friend class MixerBuffer;
    // Brings the accumulated sum within the ceiling into out: a gain that
    // falls smoothly ahead of a peak (looking ahead within the pass) and
    // recovers over some 50 ms, so sources that coincide get quieter
    // together instead of having their tops cut.
    void Limit(int16_t* out, uint32_t frames);
    static constexpr uint32_t kLimiterWindow = 64; // frames, about 1.5 ms
    static constexpr std::array<float, kLimiterWindow> MakeFullWindow() {
        std::array<float, kLimiterWindow> window{};
        window.fill(1.0f);
        return window;
    }
    void Add(MixerBuffer* buffer);
    void Remove(MixerBuffer* buffer);

    std::mutex mMutex;
    std::vector<MixerBuffer*> mBuffers;
    std::vector<int32_t> mAccumulator;
    // The limiter's state, carried from one pass to the next.
    std::vector<float> mLimiterNeed;
    std::array<float, kLimiterWindow> mLimiterHistory = MakeFullWindow();
    float mLimiterSum = static_cast<float>(kLimiterWindow);
    float mLimiterHeld = 1.0f;
    uint32_t mLimiterNext = 0;
    bool mLimiterIdle = true;
    std::map<AudioCall, int32_t> mFailures;
    std::map<AudioCall, uint32_t> mCalls;
};

// One buffer of the mixer: the ring of bytes, its format, cursors, volume
// and play state.
class MixerBuffer : public AudioBuffer {
public:
    MixerBuffer(std::shared_ptr<AudioMixer> mixer, const AudioBufferDesc& desc);
    ~MixerBuffer() override;

    int32_t SetFormat(const AudioFormat& format) override;
    int32_t GetCurrentPosition(uint32_t* play, uint32_t* write) override;
    int32_t Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                 uint32_t* bytes2) override;
    int32_t Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) override;
    int32_t Play(uint32_t flags) override;
    int32_t Stop() override;
    int32_t SetVolume(int32_t volume) override;
    int32_t GetVolume(int32_t* volume) override;
    int32_t GetStatus(uint32_t* status) override;
    int32_t Restore() override;
    int32_t SetNotificationPositions(uint32_t count, const AudioNotifyPosition* positions) override;

    bool IsPrimary() const { return mPrimary; }
    // Every volume set on the buffer, in order.
    std::vector<int32_t> GetVolumeHistory();
    std::vector<AudioNotifyPosition> GetNotificationPositions();

private:
    friend class AudioMixer;
    // Mixes into acc (stereo, frames long); the mixer's mutex is held.
    void MixInto(int32_t* acc, uint32_t frames);
    // Copies the ring's frames from the play cursor (where the position
    // is now) to the write cursor, and ahead frames more, into the
    // committed copy, as far as they are not there yet. What lies between
    // the cursors is on its way out, as on a sound card: a lock may hand
    // those bytes out, but what the buffer plays is the copy.
    void Commit(uint32_t ahead);
    // The play cursor moved to frame; the committed stretch shrinks by the
    // frames it passed.
    void MovePlayFrame(uint32_t frame);
    int32_t SampleAt(uint32_t frame, uint32_t channel) const;
    uint32_t FrameCount() const;
    uint32_t WriteMarginBytes() const;

    std::shared_ptr<AudioMixer> mMixer;
    bool mPrimary;
    AudioFormat mFormat;
    std::vector<uint8_t> mData;
    // What the mixer plays: the frames committed from mData.
    std::vector<uint8_t> mCommitted;
    // Frames from the play cursor's frame on that are committed.
    uint32_t mCommittedFrames = 0;
    uint32_t mPlayFrame = 0;
    bool mPlaying = false;
    bool mLooping = false;
    bool mLost = false;
    bool mEnded = false;    // played out to its end since the last Play
    uint64_t mPosition = 0; // frames, 32.32 fixed point
    int32_t mVolume = kVolumeMax;
    int32_t mGain = 65536; // 16.16 fixed point
    std::vector<AudioNotifyPosition> mNotify;
    std::vector<int32_t> mVolumeHistory;
};

// A device whose buffers are the mixer's: the back ends differ only in
// where the mix goes.
class MixerAudioDevice : public AudioDevice {
public:
    MixerAudioDevice();

    int32_t GetCaps(AudioCaps* caps) override;
    int32_t SetCooperativeLevel(void* window, uint32_t level) override;
    int32_t CreateBuffer(const AudioBufferDesc& desc,
                         std::shared_ptr<AudioBuffer>* buffer) override;

    AudioMixer& GetMixer() { return *mMixer; }
    bool IsOpen() const { return mOpen; }

protected:
    std::shared_ptr<AudioMixer> mMixer;
    bool mOpen = false;
};

} // namespace platform
