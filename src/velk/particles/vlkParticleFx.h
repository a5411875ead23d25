#pragma once

#include "framework/core/math/TVector.h"
#include "framework/core/text/TString.h"
#include "velk/motion/vlkILaneEvent.h"

#include <cstdint>
#include <memory>
#include <vector>

class TParticleSystem;
class TXmlNode;
class vlkParticleFx;
class vlkSplineLane;
class vlkSplinePath;

// What a particle path file ("path") holds.
struct vlkParticlePath {
    TString name;
    // Milliseconds per segment.
    uint32_t time = 3000;
    uint8_t loop = 0;
    // A picture kept for the effect's user.
    TString background;
    // The particle file, relative to the path file's folder.
    TString parsys;
    // The points of each "spline" element.
    std::vector<std::vector<TVec3>> splines;
};

// The owner of a path effect: told where the effect is and when its path
// ended. Every notification is empty by default.
class vlkIParticleFxEvent {
public:
    virtual ~vlkIParticleFxEvent() = default;
    virtual void OnFxStep(vlkParticleFx* fx, float x, float y, float z, bool* accept);
    virtual void OnFxMove(vlkParticleFx* fx, float x, float y, float z, uint32_t elapsed);
    virtual void OnFxEnd(vlkParticleFx* fx);
};

// A particle system whose emitters travel along a path of cubic Bezier
// segments, one segment in the path's time after the other, looping or
// not. The path ends (state 2) while the particles go on until the system
// finishes; the effect turns inactive in the first Update after that.
class vlkParticleFx : public vlkILaneEvent {
public:
    using OwnerStep = void (vlkIParticleFxEvent::*)(vlkParticleFx*, float, float, float, bool*);
    using OwnerMove = void (vlkIParticleFxEvent::*)(vlkParticleFx*, float, float, float, uint32_t);
    using OwnerEnd = void (vlkIParticleFxEvent::*)(vlkParticleFx*);

    // The state word.
    static constexpr int32_t kStateIdle = 0;
    static constexpr int32_t kStateMoved = 1;
    static constexpr int32_t kStatePathEnded = 2;

    vlkParticleFx();
    // The other's path, with a copy of its particle system (no file is
    // read).
    explicit vlkParticleFx(const vlkParticleFx& other);
    vlkParticleFx& operator=(const vlkParticleFx&) = delete;
    ~vlkParticleFx() override;

    // Reads a "path" file and sets the effect up from it: its particle
    // system, lane and path. False (nothing changed, a log line) when it
    // does not load or has no "path".
    bool LoadParticlePath(const TString& fileName);

    // Places the emitters at the path's start and runs the effect from its
    // first segment.
    void Start();
    void Update(uint32_t elapsed);
    void Draw();
    void SetEmissionStopped(bool stopped);
    void SetVisible(bool visible) { mVisible = visible ? 1 : 0; }
    bool IsVisible() const { return mVisible != 0; }
    // Added to the lane's point when the emitters are moved.
    void SetOffset(float x, float y, float z) { mOffset = TVec3(x, y, z); }
    void SetEmitterPosition(float x, float y, float z);
    void MirrorEmitters();
    void SetOwner(vlkIParticleFxEvent* owner, OwnerStep step, OwnerMove move, OwnerEnd end);

    TParticleSystem* GetParticleSystem() const { return mSystem.get(); }
    vlkSplinePath* GetPath() const { return mPath.get(); }
    const vlkParticlePath& GetPathRecord() const { return mRecord; }
    const TString& GetFileName() const { return mFileName; }
    bool IsActive() const { return mActive != 0; }
    void SetActive(bool active) { mActive = active ? 1 : 0; }
    int32_t GetState() const { return mState; }
    // The last point of the lane, without the offset.
    const TVec3& GetLastPosition() const { return mLastPosition; }
    uint32_t GetLastElapsed() const { return mLastElapsed; }
    uint32_t GetDuration() const { return mDuration; }

    void OnLaneStep(vlkSplineLane* lane, float x, float y, float z, bool* accept) override;
    void OnLaneMove(vlkSplineLane* lane, float x, float y, float z, uint32_t elapsed) override;
    void OnLaneEnd(vlkSplineLane* lane) override;

private:
    // Lane, system and path from the record; the system loaded from its
    // file, or copied from the template when one is given.
    void SetUp(const TParticleSystem* templateSystem);

    std::unique_ptr<vlkSplinePath> mPath;
    TVec3 mLastPosition;
    int32_t mState = kStateIdle;
    OwnerStep mOwnerStep = nullptr;
    OwnerMove mOwnerMove = nullptr;
    OwnerEnd mOwnerEnd = nullptr;
    uint32_t mDuration = 3000;
    uint32_t mLastElapsed = 0;
    uint8_t mLoop = 0;
    uint8_t mActive = 0;
    vlkIParticleFxEvent* mOwner = nullptr;
    TVec3 mOffset;
    vlkParticlePath mRecord;
    TString mFileName;
    std::unique_ptr<vlkSplineLane> mLane;
    std::unique_ptr<TParticleSystem> mSystem;
    uint8_t mVisible = 1;
};

// Reads a "path" element into the record (emptied first). An absent
// "time" keeps 3000 ms.
void ReadParticlePath(TXmlNode& path, vlkParticlePath& record);
