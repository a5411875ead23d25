#include "framework/sound/stream/TSoundStream.h"

#include "framework/sound/manager/TSoundManager.h"
#include "framework/sound/stream/TSoundInstance.h"
#include "framework/sound/stream/TStreamNotify.h"
#include "framework/sound/stream/TStreamSpooler.h"

#include <algorithm>

namespace {
constexpr const char* kSource = "soundstream";
constexpr uint32_t kMinBufferBytes = 4;
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;
// Volume control, position notices, playing without the focus and the
// accurate play cursor.
constexpr uint32_t kStreamBufferFlags =
    platform::kBufferCtrlVolume | platform::kBufferCtrlPositionNotify |
    platform::kBufferGlobalFocus | platform::kBufferGetCurrentPosition2;
static_assert(kStreamBufferFlags == 0x18180);

void Check(int32_t result, int line) {
    if (result != platform::kAudioOk) {
        LogSoundError(result, kSource, line);
    }
}
} // namespace

std::shared_ptr<TSoundStream> TSoundStream::Create(TStreamSpooler* spooler, bool loop, int group,
                                                   std::weak_ptr<TStreamNotify> notify) {
    auto stream = std::make_shared<TSoundStream>(spooler, loop, group, std::move(notify));
    if (TSoundManager* manager = TSoundManager::Instance()) {
        manager->AddStream(stream);
    }
    return stream;
}

TSoundStream::TSoundStream(TStreamSpooler* spooler, bool loop, int group,
                           std::weak_ptr<TStreamNotify> notify)
    : mSpooler(spooler), mEndNotify(std::move(notify)), mGroup(group), mLoop(loop) {}

TSoundStream::~TSoundStream() {
    TSoundLock lock;
    if (mSpooler) {
        mSpooler->Delete();
        mSpooler = nullptr;
    }
    // The notices get this pointer only: a stream that is being destroyed
    // has no shared owner left to hand out.
    if (std::shared_ptr<TStreamNotify> armed = mArmedEndNotify.lock()) {
        armed->OnStreamEnd(this);
    }
    if (std::shared_ptr<TStreamNotify> target = mEndNotify.lock()) {
        target->OnStreamEnd(this);
    }
    if (std::shared_ptr<TSoundInstance> instance = mInstance.lock()) {
        if (instance->GetStream() == this) {
            instance->SetStream(nullptr);
        }
    }
    ReleaseBuffer();
}

void TSoundStream::ReleaseBuffer() {
    if (mBuffer) {
        Check(mBuffer->Stop(), 83);
        mBuffer.reset();
    }
}

uint32_t TSoundStream::BufferSizeFor(uint32_t sampleRate, uint16_t channels, uint16_t bitsPerSample,
                                     float seconds) {
    uint32_t blockAlign = (bitsPerSample / 8u) * channels;
    double bytesPerSecond = double(blockAlign) * sampleRate;
    double bytes = bytesPerSecond * std::max(0.0, double(seconds)) + 0.5;
    uint64_t size = bytes >= double(kMaxBufferBytes) ? kMaxBufferBytes : uint64_t(bytes);
    size = (size + 7) & ~uint64_t(7);
    return static_cast<uint32_t>(std::clamp<uint64_t>(size, kMinBufferBytes, kMaxBufferBytes));
}

int32_t TSoundStream::AttenuationOf(float volume) {
    if (volume == 0.0f) {
        return platform::kVolumeMin;
    }
    float c = std::clamp(volume, 0.0f, 1.0f);
    return static_cast<int32_t>(-(1.0f - c) * 5000.0f);
}

bool TSoundStream::CreateBuffer(uint32_t sampleRate, uint16_t channels, uint16_t bitsPerSample,
                                float seconds) {
    TSoundLock lock;
    TSoundManager* manager = TSoundManager::Instance();
    if (!manager || !manager->IsInitialised() || !manager->GetDevice()) {
        return false;
    }
    platform::AudioFormat format;
    format.formatTag = platform::kFormatPcm;
    format.channels = channels;
    format.samplesPerSec = sampleRate;
    format.bitsPerSample = bitsPerSample;
    format.blockAlign = static_cast<uint16_t>((bitsPerSample / 8) * channels);
    format.avgBytesPerSec = format.blockAlign * sampleRate;
    if (format.avgBytesPerSec == 0) {
        return false;
    }
    uint32_t size = BufferSizeFor(sampleRate, channels, bitsPerSample, seconds);
    platform::AudioBufferDesc desc;
    desc.flags = kStreamBufferFlags;
    desc.bufferBytes = size;
    desc.format = &format;
    std::shared_ptr<platform::AudioBuffer> buffer;
    int32_t result = manager->GetDevice()->CreateBuffer(desc, &buffer);
    if (result != platform::kAudioOk) {
        LogSoundError(result, kSource, 233);
        return false;
    }
    mNotifyPositions[0] = {0, nullptr};
    mNotifyPositions[1] = {size / 2, nullptr};
    mNotifyPositions[2] = {platform::kNotifyOffsetStop, nullptr};
    // Nothing waits on the notices: the buffer is serviced by polling its
    // cursors.
    Check(buffer->SetNotificationPositions(2, mNotifyPositions), 259);
    mBuffer = std::move(buffer);
    mBufferSize = size;
    mBufferSeconds = float(double(size) / format.avgBytesPerSec);
    mBytesLeft = static_cast<int32_t>(size);
    mSourceEnded = false;
    mLastHalf = 0;
    Update(true);
    return true;
}

bool TSoundStream::Update(bool first) {
    TSoundLock lock;
    if (!mBuffer) {
        return !(mSpooler && mSpooler->GetDuration() < mPlayClock.GetTime() / 1000.0);
    }
    uint32_t play = 0xFFFFFFFF;
    uint32_t write = 0xFFFFFFFF;
    Check(mBuffer->GetCurrentPosition(&play, &write), 346);
    const uint32_t half = mBufferSize / 2;
    int chosen;
    uint32_t offset;
    if (first) {
        chosen = 1;
        offset = 0;
    } else if (write < half) {
        chosen = 2;
        offset = half;
    } else if (play > half) {
        chosen = 1;
        offset = 0;
    } else {
        return true;
    }
    if (chosen == mLastHalf) {
        return !(mPlayOnce && play >= write);
    }
    mLastHalf = chosen;
    if (mSourceEnded) {
        mBytesLeft -= static_cast<int32_t>(half);
        if (mBytesLeft <= 0) {
            Check(mBuffer->Stop(), 392);
            if (mSpooler) {
                mSpooler->Delete();
                mSpooler = nullptr;
            }
            return false;
        }
    }
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    int32_t result = mBuffer->Lock(offset, half, &part1, &bytes1, &part2, &bytes2);
    if (result != platform::kAudioOk) {
        LogSoundError(result, kSource, 409);
        return false;
    }
    uint32_t got = 0;
    if (mSpooler) {
        mSourceEnded = !mSpooler->Fill(bytes1, part1, &got, mLoop);
    } else {
        std::fill_n(static_cast<uint8_t*>(part1), bytes1, uint8_t(0));
        mSourceEnded = true;
    }
    Check(mBuffer->Unlock(part1, bytes1, part2, bytes2), 439);
    return true;
}

void TSoundStream::Start(bool once) {
    TSoundLock lock;
    if (once) {
        mPlayOnce = true;
    }
    TSoundManager* manager = TSoundManager::Instance();
    if (mBuffer && manager) {
        SetVolume(manager->GetVolume(mGroup));
        if (manager->IsEnabled()) {
            int32_t result = mBuffer->Play(mPlayOnce ? 0 : platform::kPlayLooping);
            if (result != platform::kAudioOk) {
                LogSoundError(result, kSource, mPlayOnce ? 559 : 561);
            }
        } else {
            mHeld = true;
            mPaused = true;
        }
    }
    mPlayClock.Reset();
    mPlayClock.Start();
}

void TSoundStream::SetVolume(float volume) {
    TSoundLock lock;
    int32_t attenuation = AttenuationOf(volume);
    if (!mBuffer) {
        return;
    }
    uint32_t status = 0;
    int32_t result = mBuffer->GetStatus(&status);
    if (result != platform::kAudioOk) {
        LogSoundError(result, kSource, 639);
    } else if (status & platform::kStatusBufferLost) {
        Check(mBuffer->Restore(), 643);
    }
    Check(mBuffer->SetVolume(attenuation), 645);
}

void TSoundStream::SetPaused(bool paused) {
    TSoundLock lock;
    if (mBuffer) {
        if (!paused) {
            mPaused = false;
            Start(mPlayOnce);
        } else {
            mPaused = true;
            Check(mBuffer->Stop(), 477);
            mHeld = false;
        }
    } else {
        mPaused = paused;
        if (paused) {
            mHeld = false;
        }
    }
    if (paused) {
        mPlayClock.Pause();
    } else {
        mPlayClock.Start();
    }
}

void TSoundStream::SetHeld(bool held) {
    TSoundLock lock;
    if (held) {
        if (!mPaused) {
            SetPaused(true);
            mHeld = true;
        }
    } else if (mHeld) {
        SetPaused(false);
        mHeld = false;
    }
}

void TSoundStream::Stop(bool retire) {
    TSoundLock lock;
    if (mStopped) {
        return;
    }
    mStopped = true;
    if (mBuffer) {
        Check(mBuffer->Stop(), 591);
    }
    std::shared_ptr<TSoundStream> self = weak_from_this().lock();
    TSoundManager* manager = TSoundManager::Instance();
    if (self && manager) {
        if (retire) {
            manager->RetireStream(self);
        } else {
            manager->RemoveStream(self);
        }
    }
}

std::shared_ptr<TStreamNotify> TSoundStream::GetEndNotify() const {
    TSoundLock lock;
    return mEndNotify.lock();
}

std::shared_ptr<TStreamNotify> TSoundStream::GetArmedEndNotify() const {
    TSoundLock lock;
    return mArmedEndNotify.lock();
}

void TSoundStream::SetArmedEndNotify(std::weak_ptr<TStreamNotify> notify) {
    TSoundLock lock;
    mArmedEndNotify = std::move(notify);
}

void TSoundStream::ClearArmedEndNotify() {
    TSoundLock lock;
    mArmedEndNotify.reset();
}
