#include "framework/sound/manager/TSoundManager.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/TRenderer.h"
#include "framework/sound/stream/TSoundStream.h"
#include "framework/sound/stream/TStreamNotify.h"

#include <algorithm>
#include <vector>

namespace {
std::atomic<TSoundManager*> gInstance{nullptr};

// Streams are serviced at most this often; a stream's ring of 2 s filled by
// halves allows it.
constexpr uint32_t kScanIntervalMs = 500;
constexpr unsigned kThreadWakeMs = 50;

template <typename List> void EraseFirst(List& list, const std::shared_ptr<TSoundStream>& stream) {
    auto found = std::find(list.begin(), list.end(), stream);
    if (found != list.end()) {
        list.erase(found);
    }
}
} // namespace

void LogSoundError(int32_t code, const char* source, int line) {
    if (code == platform::kAudioErrOutOfVideoMemory) {
        if (TRenderer* renderer = TRenderer::Get()) {
            renderer->OnOutOfVideoMemory();
        }
    }
    LogPrintf("DX Error: %s (0x%x), File %s, Line %d", "", static_cast<unsigned>(code), source,
              line);
}

TSoundManager::TSoundManager() {
    gInstance = this;
}

TSoundManager::~TSoundManager() {
    // The thread must have left before anything it reads goes.
    mThread.Stop();
    mShuttingDown = true;
    std::list<std::shared_ptr<TSoundStream>> released;
    std::list<std::shared_ptr<TSoundStream>> active;
    {
        std::lock_guard<std::recursive_mutex> lock(mMutex);
        released.swap(mRelease);
        active.swap(mActive);
    }
    // The streams' destructors take the lock and report their end.
    released.clear();
    active.clear();
    mPrimary.reset();
    mDevice.reset();
    TSoundManager* self = this;
    gInstance.compare_exchange_strong(self, nullptr);
}

TSoundManager* TSoundManager::Instance() {
    return gInstance;
}

bool TSoundManager::Init() {
    if (mInitialised) {
        return true;
    }
    return Init(platform::CreateAudioDevice(), true);
}

bool TSoundManager::Init(std::unique_ptr<platform::AudioDevice> device, bool runThread) {
    if (mInitialised) {
        return true;
    }
    if (runThread && !mThread.IsRunning()) {
        mThread.Start([this](platform::HelperThread& thread) { ThreadBody(thread); });
    }
    {
        std::lock_guard<std::recursive_mutex> lock(mMutex);
        mScanClock.Reset();
        mScanClock.Start();
    }
    if (!device) {
        LogSoundError(platform::kAudioErrNoDriver, "soundmanager", 163);
        return false;
    }
    int32_t result = device->Open();
    if (result != platform::kAudioOk) {
        LogSoundError(result, "soundmanager", 163);
        return false;
    }
    platform::AudioCaps caps;
    device->GetCaps(&caps);
    result = device->SetCooperativeLevel(nullptr, platform::kAudioLevelPriority);
    if (result != platform::kAudioOk) {
        LogSoundError(result, "soundmanager", 178);
        return false;
    }
    platform::AudioBufferDesc desc;
    desc.flags = platform::kBufferPrimary;
    std::shared_ptr<platform::AudioBuffer> primary;
    result = device->CreateBuffer(desc, &primary);
    if (result != platform::kAudioOk) {
        LogSoundError(result, "soundmanager", 183);
        return false;
    }
    platform::AudioFormat format; // PCM, 44100 Hz, 16-bit stereo
    primary->SetFormat(format);
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mDevice = std::move(device);
    mPrimary = std::move(primary);
    mInitialised = true;
    LogPrintf("TSoundManager::Init: sound output open, 44100 Hz 16-bit stereo");
    return true;
}

void TSoundManager::ThreadBody(platform::HelperThread& thread) {
    while (!thread.ShouldStop()) {
        Lock();
        if (!thread.ShouldStop()) {
            UpdateStreams(true);
        }
        Unlock();
        thread.WaitFor(kThreadWakeMs);
    }
}

void TSoundManager::Lock() {
    mMutex.lock();
    ++mLockDepth;
}

void TSoundManager::Unlock() {
    --mLockDepth;
    mMutex.unlock();
}

void TSoundManager::AddStream(const std::shared_ptr<TSoundStream>& stream) {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mActive.push_back(stream);
}

void TSoundManager::RemoveStream(const std::shared_ptr<TSoundStream>& stream) {
    std::shared_ptr<TSoundStream> held = stream; // the caller's may live in a list
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    EraseFirst(mActive, held);
    EraseFirst(mRelease, held);
}

void TSoundManager::RetireStream(const std::shared_ptr<TSoundStream>& stream) {
    std::shared_ptr<TSoundStream> held = stream;
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    EraseFirst(mActive, held);
    mRelease.push_back(held);
}

void TSoundManager::CollectFinishedStreams(bool retire) {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    if (mScanClock.GetTime() <= kScanIntervalMs) {
        return;
    }
    mScanClock.Reset();
    mScanClock.Start();
    bool found = true;
    while (found) {
        found = false;
        for (auto it = mActive.begin(); it != mActive.end(); ++it) {
            std::shared_ptr<TSoundStream> stream = *it;
            if (!stream->Update(false)) {
                if (retire) {
                    RetireStream(stream);
                } else {
                    RemoveStream(stream);
                }
                found = true;
                break;
            }
        }
    }
}

size_t TSoundManager::GetActiveCount() {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    return mActive.size();
}

size_t TSoundManager::GetReleaseCount() {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    return mRelease.size();
}

void TSoundManager::Update() {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    ++mUpdates;
    std::list<std::shared_ptr<TSoundStream>> released;
    released.swap(mRelease);
    released.clear(); // each destructor reports the end of its sound
    std::vector<std::shared_ptr<TSoundStream>> active(mActive.begin(), mActive.end());
    for (const auto& stream : active) {
        if (std::shared_ptr<TStreamNotify> target = stream->GetArmedEndNotify()) {
            target->OnStreamEnd(stream.get());
        }
    }
}

float TSoundManager::GetVolume(int group) {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    auto found = mGroupVolumes.find(group);
    return found == mGroupVolumes.end() ? mMasterVolume : mMasterVolume * found->second;
}

float TSoundManager::GetMasterVolume() {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    return mMasterVolume;
}

void TSoundManager::SetMasterVolume(float volume) {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mMasterVolume = std::clamp(volume, 0.0f, 1.0f);
    ApplyVolumes();
}

void TSoundManager::SetGroupVolume(int group, float volume) {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mGroupVolumes[group] = std::clamp(volume, 0.0f, 1.0f);
    ApplyVolumes();
}

void TSoundManager::SetVolume(int group, float volume) {
    if (group == kMasterGroup) {
        SetMasterVolume(volume);
    } else {
        SetGroupVolume(group, volume);
    }
}

void TSoundManager::ApplyVolume(TSoundStream& stream) {
    float volume = GetVolume(stream.GetGroup());
    stream.SetVolume(volume >= 0.5f ? volume - 0.05f : volume + 0.05f);
    stream.SetVolume(volume);
}

void TSoundManager::ApplyVolumes() {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    for (const auto& stream : mActive) {
        ApplyVolume(*stream);
    }
}

void TSoundManager::SetEnabled(bool enabled) {
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mEnabled = enabled;
    for (const auto& stream : mActive) {
        stream->SetHeld(!enabled);
    }
    if (enabled) {
        ApplyVolumes();
    }
}

TSoundLock::TSoundLock() : mManager(TSoundManager::Instance()) {
    if (mManager) {
        mManager->Lock();
    }
}

TSoundLock::~TSoundLock() {
    if (mManager) {
        mManager->Unlock();
    }
}
