#pragma once

#include <atomic>
#include <cstdint>

// The one sound manager: master and group volumes, the enabled switch and
// the streams that play. The application creates it on first use and the
// platform object owns it; every sound reaches it through Instance. There
// is no sound output yet: Init reports failure and says so in the log, and
// the game goes on silent.
class TSoundManager {
public:
    static constexpr int kMasterGroup = -1;
    static constexpr int kGroupCount = 8;

    TSoundManager();
    TSoundManager(const TSoundManager&) = delete;
    TSoundManager& operator=(const TSoundManager&) = delete;
    virtual ~TSoundManager();

    // The sound manager, or null before it exists and after it is gone.
    static TSoundManager* Instance();

    // Opens the sound output and starts the sound thread; false when there
    // is none.
    bool Init();
    bool IsInitialised() const { return mInitialised; }

    // Main thread, on every idle pass: frees released streams and delivers
    // stream-end notifications.
    void Update();
    uint32_t GetUpdateCount() const { return mUpdates; }

    // Switches sound output on or off (minimised or inactive window).
    void SetEnabled(bool enabled) { mEnabled = enabled; }
    bool IsEnabled() const { return mEnabled; }

    // Volumes from 0.0 to 1.0. Group kMasterGroup is the master volume; a
    // group outside the table reads as the master volume.
    float GetVolume(int group) const;
    void SetVolume(int group, float volume);
    float GetMasterVolume() const { return mMasterVolume; }
    // Sets the master volume and applies it to every playing stream.
    void SetMasterVolume(float volume);

private:
    bool mInitialised = false;
    std::atomic<bool> mEnabled{true};
    std::atomic<float> mMasterVolume{1.0f};
    float mGroupVolumes[kGroupCount];
    uint32_t mUpdates = 0;
};

// Registers the Ogg Vorbis data source for the extension "ogg"; the
// application constructor calls it once.
void RegisterOggDataSourceBuilder();
bool IsOggDataSourceRegistered();
