#pragma once

#include "framework/core/tasks/TClock.h"
#include "platform/audio/AudioDevice.h"
#include "platform/thread/HelperThread.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>

class TSoundStream;

// The one sound manager: it owns the sound device and its primary buffer,
// the streams that play, the master and group volumes, and the sound thread
// that keeps the streams' buffers filled. The application creates it and
// the platform object owns it; every sound reaches it through Instance.
// Streams, volumes and data sources are shared between the main thread and
// the sound thread under one recursive lock (TSoundLock). Finished streams
// are handed to the main thread, so end-of-sound notices always run there.
class TSoundManager {
public:
    // GetVolume(kMasterGroup) is the master volume alone.
    static constexpr int kMasterGroup = -1;

    TSoundManager();
    TSoundManager(const TSoundManager&) = delete;
    TSoundManager& operator=(const TSoundManager&) = delete;
    // Stops and joins the sound thread, then destroys the streams.
    virtual ~TSoundManager();

    // The sound manager, or null before it exists and after it is gone.
    static TSoundManager* Instance();

    // Starts the sound thread and opens the sound device (the one the
    // platform makes); true at once when already done. A device failure is
    // logged and gives false; the thread keeps running and sounds play
    // silently for their length.
    bool Init();
    // The same with a given device; runThread false leaves the streams to
    // the caller's CollectFinishedStreams (tests drive them by hand).
    bool Init(std::unique_ptr<platform::AudioDevice> device, bool runThread = true);
    bool IsInitialised() const { return mInitialised; }
    bool IsShuttingDown() const { return mShuttingDown; }
    bool IsThreadRunning() const { return mThread.IsRunning(); }
    platform::AudioDevice* GetDevice() const { return mDevice.get(); }

    // The recursive lock over every stream's state; TSoundLock takes it.
    void Lock();
    void Unlock();
    int GetLockDepth() const { return mLockDepth; }

    void AddStream(const std::shared_ptr<TSoundStream>& stream);
    // Drops the stream from the active and the release list.
    void RemoveStream(const std::shared_ptr<TSoundStream>& stream);
    // Moves the stream to the release list, destroyed by the next Update.
    void RetireStream(const std::shared_ptr<TSoundStream>& stream);
    // Once more than 500 ms passed on the scan clock: updates every stream
    // and retires (or removes) those that finished.
    void CollectFinishedStreams(bool retire);
    void UpdateStreams(bool retire) { CollectFinishedStreams(retire); }
    size_t GetActiveCount();
    size_t GetReleaseCount();

    // Main thread, on every idle pass: destroys the released streams (their
    // end notices go out) and delivers armed end notices.
    void Update();
    uint32_t GetUpdateCount() const { return mUpdates; }

    // The master volume times the group's (1.0 for a group never set).
    float GetVolume(int group);
    float GetMasterVolume();
    void SetMasterVolume(float volume);
    void SetGroupVolume(int group, float volume);
    // kMasterGroup sets the master volume, any other number a group's.
    void SetVolume(int group, float volume);
    // Sets a stream's volume slightly off and then right, so the device
    // always sees a change.
    void ApplyVolume(TSoundStream& stream);
    void ApplyVolumes();

    // Off holds every stream (the window is minimised or inactive); on
    // releases them and applies the volumes again.
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return mEnabled; }

private:
    void ThreadBody(platform::HelperThread& thread);

    std::unique_ptr<platform::AudioDevice> mDevice;
    std::shared_ptr<platform::AudioBuffer> mPrimary;
    std::list<std::shared_ptr<TSoundStream>> mActive;
    std::list<std::shared_ptr<TSoundStream>> mRelease;
    float mMasterVolume = 1.0f;
    std::map<int, float> mGroupVolumes;
    std::recursive_mutex mMutex;
    int mLockDepth = 0;
    platform::HelperThread mThread;
    TClock mScanClock;
    bool mInitialised = false;
    std::atomic<bool> mShuttingDown{false};
    std::atomic<bool> mEnabled{true};
    uint32_t mUpdates = 0;
};

// Holds the sound lock for a scope; does nothing when there is no sound
// manager, so sound objects may be destroyed after it.
class TSoundLock {
public:
    TSoundLock();
    ~TSoundLock();
    TSoundLock(const TSoundLock&) = delete;
    TSoundLock& operator=(const TSoundLock&) = delete;

private:
    TSoundManager* mManager;
};

// Logs a failed sound device call as the DirectX error line of the source
// and line given; an out-of-video-memory code first tells the display.
void LogSoundError(int32_t code, const char* source, int line);
