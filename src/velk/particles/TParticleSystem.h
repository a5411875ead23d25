#pragma once

#include "framework/core/text/TString.h"
#include "velk/particles/TParticleDescription.h"
#include "velk/particles/TParticleEmitter.h"

#include <cstdint>
#include <memory>
#include <vector>

class TAssetMap;

// A particle effect: one emitter per emitter of its description file, the
// textures cached in an asset map of its own. Update with the elapsed
// milliseconds once a frame, Draw inside the frame's 2-D drawing. While it
// is active (its users call it running) it updates and draws; visible
// (shown) it draws. It goes inactive in the first Draw after every emitter
// stopped emitting and drew no living particle. Main thread only.
class TParticleSystem {
public:
    // Where the emitters' seeds come from; by default the framework time,
    // so systems set up within the same millisecond play alike.
    using SeedSource = uint32_t (*)();
    static void SetSeedSource(SeedSource source);
    static uint32_t NextSeed();

    TParticleSystem();
    // The other's description and file name, set up afresh (no file is
    // read).
    TParticleSystem(const TParticleSystem& other);
    TParticleSystem& operator=(const TParticleSystem&) = delete;
    ~TParticleSystem();

    // Reads a "parsys" file; the emitters it had before are replaced by the
    // file's. False (nothing changed, a log line) when it does not load or
    // has no "parsys".
    bool LoadParticleSystem(const TString& fileName);

    // Alive, not finished, every emitter seeded again.
    void Restart();
    void Update(uint32_t elapsed);
    void Draw();
    // Adds the box of each particle the next Draw draws, in the frame of
    // that world transform; nothing while the system draws nothing.
    void AddDrawnBounds(const TMat4& world, std::vector<TRect>& boxes) const;
    void SetEmissionStopped(bool stopped);
    // The emitters' centre.
    void SetPosition(float x, float y, float z);
    // Negates the y of the motion of every emitter (authors write motion
    // y-up).
    void Mirror();

    bool IsActive() const { return mActive != 0; }
    void SetActive(bool active) { mActive = active ? 1 : 0; }
    bool IsVisible() const { return mVisible != 0; }
    void SetVisible(bool visible) { mVisible = visible ? 1 : 0; }
    bool IsFinished() const { return mFinished != 0; }
    bool IsAlive() const { return mAlive != 0; }
    bool IsEmissionStopped() const { return mStopEmitting != 0; }

    const TString& GetFileName() const { return mFileName; }
    const TParticleDescription& GetDescription() const { return mDescription; }
    int32_t GetEmitterCount() const { return static_cast<int32_t>(mEmitters.size()); }
    // Null outside 0 .. count - 1.
    TParticleEmitter* GetEmitter(int32_t index) const;

private:
    void SetUpEmitters();

    std::vector<std::unique_ptr<TParticleEmitter>> mEmitters;
    uint8_t mVisible = 1;
    uint8_t mActive = 1;
    uint8_t mStopEmitting = 0;
    uint8_t mFinished = 0;
    uint8_t mAlive = 0;
    TParticleDescription mDescription;
    TParticleProjection mProjection;
    TString mFileName;
    std::unique_ptr<TAssetMap> mAssets;
};

// The folder part of a file name: up to and including its last "/" or
// "\"; empty when there is none.
TString FolderOf(const TString& fileName);
