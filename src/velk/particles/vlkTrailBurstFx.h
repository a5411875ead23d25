#pragma once

#include <cstdint>
#include <memory>

class TParticleSystem;
class vlkParticleFx;

// The board's firework: a particle trail rises from the lower part of the
// screen along a random curve, and where it ends a particle burst goes
// off, each with its sound. Its files come from the effect list ("Trail",
// "Tilescompleted", the textures "FireworkTx1" to "FireworkTx3") through
// the board effect services. States: 0 idle, 1 trail flying, 2 burst,
// 3 done; Launch starts it again from any state.
class vlkTrailBurstFx {
public:
    static constexpr int32_t kStateIdle = 0;
    static constexpr int32_t kStateTrail = 1;
    static constexpr int32_t kStateBurst = 2;
    static constexpr int32_t kStateDone = 3;

    vlkTrailBurstFx();
    // Built from the other's trail and burst, then loaded again from the
    // effect list as a new one is.
    explicit vlkTrailBurstFx(const vlkTrailBurstFx& other);
    vlkTrailBurstFx& operator=(const vlkTrailBurstFx&) = delete;
    ~vlkTrailBurstFx();

    // One of three textures with its colour: the burst's first two
    // emitters take the colour, every emitter the texture.
    void PickRandomFirework();
    // A new random curve from the lower part of the screen; the trail
    // flies.
    void Launch();
    void Update(uint32_t elapsed);
    void Draw();
    void Stop();

    bool IsActive() const;
    bool IsBursting() const { return mState == kStateBurst; }
    bool IsDone() const { return mDone != 0; }
    int32_t GetState() const { return mState; }
    vlkParticleFx* GetTrail() const { return mTrail.get(); }
    TParticleSystem* GetBurst() const { return mBurst.get(); }

private:
    void Load();

    std::unique_ptr<vlkParticleFx> mTrail;
    std::unique_ptr<TParticleSystem> mBurst;
    int32_t mState = kStateIdle;
    uint8_t mStarted = 0;
    uint8_t mDone = 0;
};
