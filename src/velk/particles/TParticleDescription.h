#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <vector>

class TXmlNode;

// Blend factors of the description file, in the file's numbering.
enum TParticleBlendFactor : uint32_t {
    kParticleFactorZero = 0,
    kParticleFactorOne = 1,
    kParticleFactorSrcAlpha = 6,
    kParticleFactorOneMinusSrcAlpha = 7,
};

// The projection kept with a description; nothing in the drawing reads it.
struct TParticleProjection {
    uint32_t type = 3;
    float left = 0.0f;
    float top = 0.0f;
    float right = 640.0f;
    float bottom = 480.0f;
    float znear = 0.0f;
    float zfar = -100.0f;
    float fovy = 0.0f;
    float aspect = 0.0f;
};

// One emitter of a particle description file, with the values it has
// while its elements are absent.
struct TParticleEmitterDesc {
    // The motion blocks and their components, in the file's order.
    enum Block { kPosition = 0, kInitialSpeed = 1, kAcceleration = 2 };
    enum Component { kCenter = 0, kRotate = 1, kTranslate = 2, kScale = 3 };
    // Index into motion of axis (0 x, 1 y, 2 z) of the inferior (0) or
    // superior (1) vector of a component of a block.
    static constexpr int MotionIndex(int block, int component, int superior, int axis) {
        return ((block * 4 + component) * 2 + superior) * 3 + axis;
    }
    // Index into colour: start (0) or finish (1), inferior (0) or
    // superior (1), channel (0 red .. 3 alpha).
    static constexpr int ColourIndex(int finish, int superior, int channel) {
        return (finish * 2 + superior) * 4 + channel;
    }
    // Index into times: wait 0, life 1, fade 2; inferior 0, superior 1.
    static constexpr int TimeIndex(int which, int superior) { return which * 2 + superior; }

    TString name;
    TString texture;
    uint32_t equation = 0;
    uint32_t sourceFactor = kParticleFactorSrcAlpha;
    uint32_t destinationFactor = kParticleFactorOneMinusSrcAlpha;
    float scale[3] = {1.0f, 1.0f, 1.0f};
    float rotate[3] = {0.0f, 0.0f, 0.0f};
    uint32_t count = 0;
    bool followTrajectory = false;
    bool linked = false;
    bool linkCenter = false;
    bool linkRotate = false;
    bool linkTranslate = false;
    bool linkScale = false;
    uint32_t cycles = 0;
    // Channel values on a 0 to 255 scale.
    float colour[16] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f,
                        1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    // Milliseconds.
    int32_t times[6] = {0, 0, 0, 0, 0, 0};
    float motion[72] = {};
};

// What a particle description file ("parsys") holds.
struct TParticleDescription {
    TString name;
    TParticleProjection projection;
    std::vector<TParticleEmitterDesc> emitters;
};

// Reads a "parsys" element into the description: the name and projection
// are overwritten and the file's emitters appended. Element names below
// the root are matched whatever their case, attribute names exactly; a
// missing attribute reads as "" (0, false, equation 0, factor 6). Numbers
// are held to their ranges (a particle count of 0 to kMaxParticleCount,
// times of 0 to an hour; NaN reads as the field's default), each value
// out of range logged with the file's name.
void ReadParticleDescription(TXmlNode& parsys, TParticleDescription& description,
                             const char* fileName = "");

// The most particles one emitter has: far above the shipped effects (90).
inline constexpr int32_t kMaxParticleCount = 4096;

// The shared rules of the engine's readers: "true", "t" and "1" in any
// case are true.
bool ParticleBool(const TString& text);
// An element's name in lower case.
TString LowerName(const TXmlNode& node);
