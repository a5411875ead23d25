#pragma once

#include "framework/core/tasks/TClock.h"
#include "platform/audio/AudioDevice.h"

#include <cstdint>
#include <memory>

class TSoundInstance;
class TStreamNotify;
class TStreamSpooler;

// One sound that plays: a device buffer used as a ring of two halves,
// refilled half by half from a spooler. The sound manager's lists hold it;
// the sound thread calls Update, the main thread everything else, each
// under the sound lock. Without a buffer (no device) it plays silently for
// the length of its sound.
class TSoundStream : public std::enable_shared_from_this<TSoundStream> {
public:
    // Makes the stream (owning the spooler) and registers it with the
    // sound manager.
    static std::shared_ptr<TSoundStream> Create(TStreamSpooler* spooler, bool loop, int group,
                                                std::weak_ptr<TStreamNotify> notify);
    TSoundStream(TStreamSpooler* spooler, bool loop, int group,
                 std::weak_ptr<TStreamNotify> notify);
    TSoundStream(const TSoundStream&) = delete;
    TSoundStream& operator=(const TSoundStream&) = delete;
    // Reports the end to its notices and frees the buffer.
    virtual ~TSoundStream();

    // The buffer's size for a format and length: rounded up to 8 bytes,
    // at least 4 and at most 0x0FFFFFFF.
    static uint32_t BufferSizeFor(uint32_t sampleRate, uint16_t channels, uint16_t bitsPerSample,
                                  float seconds);
    // Hundredths of a decibel for a volume: silent at exactly 0, else at
    // most 50 dB down.
    static int32_t AttenuationOf(float volume);

    // Makes the buffer and fills its first half; false (and no buffer)
    // without an initialised sound manager or when the device refuses.
    bool CreateBuffer(uint32_t sampleRate, uint16_t channels, uint16_t bitsPerSample,
                      float seconds);
    // Fills the half the play cursor has left; false once played out.
    bool Update(bool first);
    // Plays; once: without looping, the whole sound fits the buffer.
    void Start(bool once);
    void SetVolume(float volume);
    void SetPaused(bool paused);
    // Holding pauses a stream that is not paused; releasing resumes only a
    // held one, so a stream its owner paused stays paused.
    void SetHeld(bool held);
    // Stops and leaves the manager's lists (retired: destroyed by the next
    // Update on the main thread); once only.
    void Stop(bool retire);

    int GetGroup() const { return mGroup; }
    bool IsPaused() const { return mPaused; }
    bool IsHeld() const { return mHeld; }
    bool IsStopped() const { return mStopped; }
    bool IsPlayOnce() const { return mPlayOnce; }
    bool HasSourceEnded() const { return mSourceEnded; }
    bool HasBuffer() const { return mBuffer != nullptr; }
    uint32_t GetBufferSize() const { return mBufferSize; }
    float GetBufferSeconds() const { return mBufferSeconds; }
    int32_t GetBytesLeft() const { return mBytesLeft; }
    int GetLastFilledHalf() const { return mLastHalf; }
    const std::shared_ptr<platform::AudioBuffer>& GetBuffer() const { return mBuffer; }

    std::shared_ptr<TSoundInstance> GetInstance() const { return mInstance.lock(); }
    void SetInstance(const std::shared_ptr<TSoundInstance>& instance) { mInstance = instance; }
    std::shared_ptr<TStreamNotify> GetEndNotify() const;
    std::shared_ptr<TStreamNotify> GetArmedEndNotify() const;
    void SetArmedEndNotify(std::weak_ptr<TStreamNotify> notify);
    void ClearArmedEndNotify();

private:
    void ReleaseBuffer();

    TStreamSpooler* mSpooler;
    std::weak_ptr<TStreamNotify> mEndNotify;
    std::weak_ptr<TStreamNotify> mArmedEndNotify;
    std::shared_ptr<platform::AudioBuffer> mBuffer;
    platform::AudioNotifyPosition mNotifyPositions[3];
    std::weak_ptr<TSoundInstance> mInstance;
    bool mSourceEnded = false;
    bool mPlayOnce = false;
    uint32_t mBufferSize = 0;
    float mBufferSeconds = 0.0f;
    int32_t mBytesLeft = 0;
    int mGroup;
    bool mLoop;
    bool mPaused = false;
    bool mHeld = false;
    bool mStopped = false;
    TClock mPlayClock;
    int mLastHalf = 0;
};
