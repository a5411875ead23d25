#pragma once

#include "framework/core/math/TRandom.h"
#include "framework/core/math/TRect.h"
#include "framework/core/text/TString.h"
#include "framework/graphics/draw/TVertexList.h"

#include <cstdint>
#include <memory>
#include <vector>

class TAssetMap;
class TTexture;
struct TParticleEmitterDesc;

// The 12 floats of a placement: translate (x, y, z), rotate (x, y, z,
// degrees), scale (x, y, z), center (x, y, z).
struct TParticleBlock {
    static constexpr int kTranslate = 0;
    static constexpr int kRotate = 3;
    static constexpr int kScale = 6;
    static constexpr int kCenter = 9;
    float v[12] = {};
};

// One particle of an emitter's pool: a unit quad centred on the origin,
// moved by a quadratic motion law from its seeding on.
struct TParticle {
    static constexpr uint8_t kWaiting = 0;
    static constexpr uint8_t kLiving = 1;
    static constexpr uint8_t kDead = 2;

    TParticle();

    uint8_t completedCycles = 0;
    // 255 / fade; 0 when fade is 0.
    float fadeRate = 0.0f;
    // Milliseconds since the seeding, the wait included.
    uint32_t age = 0;
    TVertex vertices[4];
    TParticleBlock start, speed, acceleration, current;
    // The emitter's placement when the particle began to live.
    TParticleBlock birth;
    // RGBA.
    uint8_t startColour[4] = {255, 255, 255, 255};
    uint8_t finishColour[4] = {255, 255, 255, 255};
    uint8_t currentColour[4] = {255, 255, 255, 255};
    uint32_t wait = 0;
    uint32_t life = 0;
    uint32_t fade = 0;
    uint8_t cycles = 0;
    uint8_t state = kDead;
};

// One emitter of a particle system: a pool of particles, allocated once,
// that are born after a random wait, move, change colour, fade, die and
// are seeded again while emission goes on. Each particle's unit quad goes
// through its own transform chain on the CPU, and the emitter draws its
// living particles as one list of triangles. Every random value comes from
// the emitter's own generator, so two emitters given the same seed play
// the same particles. The asset map in which the texture is cached is the
// system's. Main thread only.
class TParticleEmitter {
public:
    // Link-start bits.
    static constexpr uint8_t kLinkCenter = 1;
    static constexpr uint8_t kLinkRotate = 2;
    static constexpr uint8_t kLinkTranslate = 4;
    static constexpr uint8_t kLinkScale = 8;

    // The motion ranges: inferior and superior blocks of position, initial
    // speed and acceleration.
    struct Ranges {
        TParticleBlock inferior;
        TParticleBlock superior;
    };

    // What every particle of the emitter draws from.
    struct Parameters {
        uint8_t followTrajectory = 0;
        uint8_t linked = 0;
        uint8_t linkStart = 0;
        uint8_t cycles = 0;
        // Start inferior, start superior, finish inferior, finish superior;
        // RGBA each.
        uint8_t colour[16] = {255, 255, 255, 255, 255, 255, 255, 255,
                              255, 255, 255, 255, 255, 255, 255, 255};
        // Wait, life, fade; inferior and superior each.
        uint16_t times[6] = {};
        Ranges position, speed, acceleration;
    };

    TParticleEmitter(TAssetMap* assets, uint32_t seed);
    TParticleEmitter(const TParticleEmitter&) = delete;
    TParticleEmitter& operator=(const TParticleEmitter&) = delete;

    // Takes name, blend, pool size and parameters from the description;
    // the texture is set apart.
    void SetUp(const TParticleEmitterDesc& description);
    // Loads the texture of that name (given without an extension, found as
    // the asset map finds files) through the asset map; empty when none.
    void SetTexture(const TString& path);
    // Seeds every particle again, cycles counted from 0.
    void Reset();
    void Update(uint32_t elapsed);
    // Draws the living particles and seeds the dead ones again while
    // emission goes on.
    void Render();
    // Adds the box of each particle the next Render draws, in the frame of
    // that world transform (its whole pixels, cut from floats).
    void AddDrawnBounds(const TMat4& world, std::vector<TRect>& boxes) const;
    // Negates the y of the translate and center ranges.
    void Mirror();
    void SetEmissionStopped(bool stopped) { mStopEmitting = stopped ? 1 : 0; }
    void SetPosition(float x, float y, float z);

    const TString& GetName() const { return mName; }
    const TString& GetTextureName() const { return mTextureName; }
    const std::shared_ptr<TTexture>& GetTexture() const { return mTexture; }
    uint32_t GetDestinationFactor() const { return mDestinationFactor; }
    // The blend mode the emitter draws with.
    int32_t GetBlendMode() const;
    Parameters& GetParameters() { return mParameters; }
    const Parameters& GetParameters() const { return mParameters; }
    TParticleBlock& GetEmitterBlock() { return mEmitterBlock; }
    const std::vector<TParticle>& GetParticles() const { return mParticles; }
    bool IsEmissionStopped() const { return mStopEmitting != 0; }
    bool IsAllDead() const { return mAllDead != 0; }
    bool IsAlive() const { return mAlive != 0; }
    bool IsDisabled() const { return mDisabled != 0; }
    void SetDisabled(bool disabled) { mDisabled = disabled ? 1 : 0; }
    bool IsDrawn() const { return mDrawn != 0; }
    void SetDrawn(bool drawn) { mDrawn = drawn ? 1 : 0; }

    // The random draws, exposed for tests.
    float RandomFloat(float inferior, float superior);
    int64_t RandomInteger(int64_t inferior, int64_t superior);

    static constexpr float kDegreesToRadians = 0.017453292f;

private:
    void Seed(TParticle& particle);
    // Each component of a block drawn from a range, axes z, y, x.
    void DrawVector(float* out, const float* inferior, const float* superior);
    void UpdateParticle(TParticle& particle, uint32_t elapsed);
    // The particle's two triangles, transformed, onto the emitter's batch.
    void AppendParticle(const TParticle& particle, const TMat4& world);
    // The transform chain of a particle's unit quad.
    TMat4 ParticleMatrix(const TParticle& particle, const TMat4& world) const;
    bool HasCyclesLeft(const TParticle& particle) const {
        return particle.cycles == 0 || particle.completedCycles < particle.cycles;
    }

    static constexpr uint32_t kTriangleList = 4;

    std::vector<TParticle> mParticles;
    // The living particles' triangles of one Render; room for the whole
    // pool is made at set-up.
    std::vector<TVertex> mBatch;
    TAssetMap* mAssets;
    std::shared_ptr<TTexture> mTexture;
    uint8_t mStopEmitting = 0;
    uint8_t mAllDead = 1;
    uint8_t mAlive = 0;
    uint8_t mDisabled = 0;
    uint8_t mDrawn = 1;
    TRandom mRandom;
    TString mName;
    TString mTextureName;
    uint32_t mEquation = 0;
    uint32_t mSourceFactor = 6;
    uint32_t mDestinationFactor = 7;
    float mRotate[3] = {0.0f, 0.0f, 0.0f};
    float mScale[3] = {1.0f, 1.0f, 1.0f};
    Parameters mParameters;
    TParticleBlock mEmitterBlock;
};
