#include "velk/particles/TParticleEmitter.h"

#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TTexture.h"
#include "framework/host/assetmap/TAssetMap.h"
#include "velk/particles/TParticleDescription.h"

#include <algorithm>
#include <cmath>

namespace {

// The corners of the unit quad, in strip order, with their texture
// coordinates.
const float kCorners[4][4] = {
    {0.5f, 0.5f, 1.0f, 1.0f},
    {-0.5f, 0.5f, 0.0f, 1.0f},
    {0.5f, -0.5f, 1.0f, 0.0f},
    {-0.5f, -0.5f, 0.0f, 0.0f},
};

// The image extensions, in the order the asset map tries them. A particle
// file beside its textures has the same folder, so ".xml" is never tried:
// it would find the particle file itself.
const char* const kImageExtensions[] = {".jpg", ".jp2", ".png"};

uint8_t ClampByte(int64_t value) {
    return static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255));
}

// The effect of a block on a transform: translate, rotate, scale, then
// translate by the center.
void ApplyBlock(TMat4& m, const TParticleBlock& block) {
    const float* v = block.v;
    const float k = TParticleEmitter::kDegreesToRadians;
    m.Translate(TVec3(v[0], v[1], v[2]));
    m.RotateYawPitchRoll(v[4] * k, v[3] * k, v[5] * k);
    m.Scale(v[6], v[7], v[8]);
    m.Translate(TVec3(v[9], v[10], v[11]));
}

} // namespace

TParticle::TParticle() {
    for (int i = 0; i < 4; ++i) {
        vertices[i].x = kCorners[i][0];
        vertices[i].y = kCorners[i][1];
        vertices[i].u = kCorners[i][2];
        vertices[i].v = kCorners[i][3];
        vertices[i].diffuse = 0xFFFFFFFFu;
    }
}

TParticleEmitter::TParticleEmitter(TAssetMap* assets, uint32_t seed) : mAssets(assets) {
    mRandom.Seed(seed);
    mEmitterBlock.v[TParticleBlock::kScale] = 1.0f;
    mEmitterBlock.v[TParticleBlock::kScale + 1] = 1.0f;
    mEmitterBlock.v[TParticleBlock::kScale + 2] = 1.0f;
}

void TParticleEmitter::SetUp(const TParticleEmitterDesc& d) {
    mName = d.name;
    mTextureName = d.texture;
    mEquation = d.equation;
    mSourceFactor = d.sourceFactor;
    mDestinationFactor = d.destinationFactor;
    mParticles.assign(static_cast<uint16_t>(d.count), TParticle());
    mBatch.clear();
    mBatch.reserve(mParticles.size() * 6);

    Parameters p;
    p.followTrajectory = d.followTrajectory ? 1 : 0;
    p.linked = d.linked ? 1 : 0;
    p.linkStart = static_cast<uint8_t>(
        (d.linkCenter ? kLinkCenter : 0) | (d.linkRotate ? kLinkRotate : 0) |
        (d.linkTranslate ? kLinkTranslate : 0) | (d.linkScale ? kLinkScale : 0));
    p.cycles = static_cast<uint8_t>(d.cycles);
    for (int i = 0; i < 16; ++i) {
        p.colour[i] = static_cast<uint8_t>(static_cast<int32_t>(d.colour[i]));
    }
    for (int i = 0; i < 6; ++i) {
        p.times[i] = static_cast<uint16_t>(d.times[i]);
    }
    // The file's components by name onto the engine's block.
    static const int kOffsets[4] = {TParticleBlock::kCenter, TParticleBlock::kRotate,
                                    TParticleBlock::kTranslate, TParticleBlock::kScale};
    Ranges* ranges[3] = {&p.position, &p.speed, &p.acceleration};
    for (int block = 0; block < 3; ++block) {
        for (int component = 0; component < 4; ++component) {
            for (int axis = 0; axis < 3; ++axis) {
                const int at = kOffsets[component] + axis;
                ranges[block]->inferior.v[at] =
                    d.motion[TParticleEmitterDesc::MotionIndex(block, component, 0, axis)];
                ranges[block]->superior.v[at] =
                    d.motion[TParticleEmitterDesc::MotionIndex(block, component, 1, axis)];
            }
        }
    }
    mParameters = p;
    std::copy(d.rotate, d.rotate + 3, mRotate);
    std::copy(d.scale, d.scale + 3, mScale);
}

void TParticleEmitter::SetTexture(const TString& path) {
    mTexture.reset();
    if (!mAssets) {
        return;
    }
    TString found;
    if (FileExists(path.CStr())) {
        found = path;
    } else {
        for (const char* extension : kImageExtensions) {
            const TString candidate = path + TString(extension);
            if (FileExists(candidate.CStr())) {
                found = candidate;
                break;
            }
        }
    }
    if (found.IsEmpty()) {
        LogPrintf("TParticleEmitter::SetTexture: no image for %s", path.CStr());
        return;
    }
    if (!mAssets->GetAsset(found)) {
        mAssets->AddAsset(found);
    }
    mTexture = mAssets->GetTexture(found);
}

float TParticleEmitter::RandomFloat(float inferior, float superior) {
    const uint32_t n = mRandom.Next();
    const float fraction = static_cast<float>(static_cast<double>(n) / 4294967296.0);
    return inferior + (superior - inferior) * fraction;
}

int64_t TParticleEmitter::RandomInteger(int64_t inferior, int64_t superior) {
    const uint32_t a = mRandom.Next() >> 5;
    const uint32_t b = mRandom.Next() >> 6;
    const double u =
        (static_cast<double>(a) * 67108864.0 + static_cast<double>(b)) * (1.0 / 9007199254740992.0);
    return inferior + static_cast<int64_t>(u * static_cast<double>(superior - inferior + 1));
}

void TParticleEmitter::DrawVector(float* out, const float* inferior, const float* superior) {
    for (int axis = 2; axis >= 0; --axis) {
        out[axis] = RandomFloat(inferior[axis], superior[axis]);
    }
}

void TParticleEmitter::Seed(TParticle& particle) {
    static const int kOrder[4] = {TParticleBlock::kTranslate, TParticleBlock::kRotate,
                                  TParticleBlock::kCenter, TParticleBlock::kScale};
    // Which link-start bit makes the speed component the start component.
    static const uint8_t kLinks[4] = {kLinkCenter, kLinkRotate, kLinkTranslate, kLinkScale};
    const Parameters& p = mParameters;
    for (int at : kOrder) {
        DrawVector(particle.start.v + at, p.position.inferior.v + at, p.position.superior.v + at);
    }
    for (int i = 0; i < 4; ++i) {
        const int at = kOrder[i];
        if (p.linkStart & kLinks[i]) {
            std::copy(particle.start.v + at, particle.start.v + at + 3, particle.speed.v + at);
        } else {
            DrawVector(particle.speed.v + at, p.speed.inferior.v + at, p.speed.superior.v + at);
        }
    }
    for (int at : kOrder) {
        DrawVector(particle.acceleration.v + at, p.acceleration.inferior.v + at,
                   p.acceleration.superior.v + at);
    }
    for (int c = 0; c < 4; ++c) {
        particle.startColour[c] = static_cast<uint8_t>(RandomInteger(p.colour[c], p.colour[4 + c]));
    }
    for (int c = 0; c < 4; ++c) {
        particle.finishColour[c] =
            static_cast<uint8_t>(RandomInteger(p.colour[8 + c], p.colour[12 + c]));
    }
    particle.wait = static_cast<uint16_t>(RandomInteger(p.times[0], p.times[1]));
    particle.life = static_cast<uint16_t>(RandomInteger(p.times[2], p.times[3]));
    particle.fade = static_cast<uint16_t>(RandomInteger(p.times[4], p.times[5]));
    particle.cycles = p.cycles;
    if (particle.cycles != 0 && particle.completedCycles >= particle.cycles) {
        return;
    }
    particle.state = TParticle::kWaiting;
    particle.age = 0;
    particle.fadeRate = particle.fade == 0 ? 0.0f : 255.0f / static_cast<float>(particle.fade);
}

void TParticleEmitter::Reset() {
    if (mDisabled) {
        return;
    }
    for (TParticle& particle : mParticles) {
        particle.completedCycles = 0;
        Seed(particle);
    }
    mStopEmitting = 0;
    mAllDead = 1;
}

void TParticleEmitter::UpdateParticle(TParticle& particle, uint32_t elapsed) {
    particle.age += elapsed;
    if (particle.age <= particle.wait) {
        particle.state = TParticle::kWaiting;
        return;
    }
    const int64_t age = particle.age;
    const int64_t end = static_cast<int64_t>(particle.wait) + particle.life;
    if (particle.life != 0 && age > end) {
        ++particle.completedCycles;
        particle.state = TParticle::kDead;
        return;
    }
    particle.state = TParticle::kLiving;
    const float t = static_cast<float>(particle.age) / 1000.0f;
    for (int i = 0; i < 12; ++i) {
        particle.current.v[i] = particle.start.v[i] + particle.speed.v[i] * t +
                                0.5f * particle.acceleration.v[i] * t * t;
    }
    // A particle that lives for ever keeps its start colour. The fraction
    // counts the wait, so it is held to 0..1.
    uint8_t* colour = particle.currentColour;
    if (particle.life == 0) {
        std::copy(particle.startColour, particle.startColour + 4, colour);
    } else {
        const float f = std::clamp(
            static_cast<float>(particle.age) / static_cast<float>(particle.life), 0.0f, 1.0f);
        for (int c = 0; c < 4; ++c) {
            const int64_t from = particle.startColour[c];
            const int64_t to = particle.finishColour[c];
            colour[c] = ClampByte(from + static_cast<int64_t>(static_cast<float>(to - from) * f));
        }
        if (age > end - static_cast<int64_t>(particle.fade)) {
            colour[3] =
                ClampByte(static_cast<int64_t>(static_cast<float>(end - age) * particle.fadeRate));
        }
    }
    const uint32_t packed = (uint32_t(colour[3]) << 24) | (uint32_t(colour[0]) << 16) |
                            (uint32_t(colour[1]) << 8) | uint32_t(colour[2]);
    for (TVertex& vertex : particle.vertices) {
        vertex.diffuse = packed;
    }
}

void TParticleEmitter::Update(uint32_t elapsed) {
    mAlive = 0;
    if (mDisabled) {
        return;
    }
    for (TParticle& particle : mParticles) {
        const uint8_t before = particle.state;
        if (particle.state != TParticle::kDead) {
            UpdateParticle(particle, elapsed);
        }
        if (before != TParticle::kLiving && particle.state == TParticle::kLiving &&
            !mParameters.linked) {
            particle.birth = mEmitterBlock;
        }
        if (HasCyclesLeft(particle)) {
            mAlive = 1;
        }
    }
}

int32_t TParticleEmitter::GetBlendMode() const {
    if (mDestinationFactor == kParticleFactorOneMinusSrcAlpha) {
        return kBlendAlpha;
    }
    return kBlendAdditive;
}

TMat4 TParticleEmitter::ParticleMatrix(const TParticle& particle, const TMat4& world) const {
    TMat4 m = world;
    ApplyBlock(m, particle.current);
    if (mParameters.followTrajectory) {
        const float dx = particle.current.v[0] - particle.start.v[0];
        const float dy = particle.current.v[1] - particle.start.v[1];
        const float length = std::sqrt(dx * dx + dy * dy);
        float angle = length == 0.0f ? 0.0f : std::asin(dy / length);
        if (dx < 0.0f) {
            angle = 3.1415927f - angle;
        }
        m.RotateZ(angle);
    }
    m.RotateYawPitchRoll(mRotate[0], mRotate[1], mRotate[2]);
    m.Scale(mScale[0], mScale[1], mScale[2]);
    ApplyBlock(m, mParameters.linked ? mEmitterBlock : particle.birth);
    return m;
}

void TParticleEmitter::AddDrawnBounds(const TMat4& world, std::vector<TRect>& boxes) const {
    if (mDisabled || !mDrawn)
        return;
    for (const TParticle& particle : mParticles) {
        if (particle.state != TParticle::kLiving)
            continue;
        const TMat4 m = ParticleMatrix(particle, world);
        float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
        for (int i = 0; i < 4; ++i) {
            const TVertex& v = particle.vertices[i];
            const TVec4 at = m.Transform(TVec4(v.x, v.y, v.z, 1.0f));
            minX = i == 0 ? at.x : std::min(minX, at.x);
            minY = i == 0 ? at.y : std::min(minY, at.y);
            maxX = i == 0 ? at.x : std::max(maxX, at.x);
            maxY = i == 0 ? at.y : std::max(maxY, at.y);
        }
        boxes.emplace_back(static_cast<int32_t>(std::floor(minX)),
                           static_cast<int32_t>(std::floor(minY)),
                           static_cast<int32_t>(std::ceil(maxX)),
                           static_cast<int32_t>(std::ceil(maxY)));
    }
}

void TParticleEmitter::AppendParticle(const TParticle& particle, const TMat4& world) {
    const TMat4 m = ParticleMatrix(particle, world);
    // The quad's corners through the whole chain; the two triangles of its
    // strip, each keeping its turn.
    TVertex corners[4];
    for (int i = 0; i < 4; ++i) {
        const TVertex& v = particle.vertices[i];
        const TVec4 at = m.Transform(TVec4(v.x, v.y, v.z, 1.0f));
        corners[i] = v;
        corners[i].x = at.x;
        corners[i].y = at.y;
        corners[i].z = at.z;
    }
    static const int kOrder[6] = {0, 1, 2, 2, 1, 3};
    for (int i : kOrder) {
        mBatch.push_back(corners[i]);
    }
}

void TParticleEmitter::Render() {
    if (mDisabled) {
        return;
    }
    TGraphics* graphics = TGraphics::Get();
    graphics->SetBlendMode(GetBlendMode());
    graphics->SetTexture(mTexture);
    TMat4 world;
    graphics->GetWorldTransform(world);
    mAllDead = 1;
    mBatch.clear();
    for (TParticle& particle : mParticles) {
        if (particle.state == TParticle::kLiving && mDrawn) {
            AppendParticle(particle, world);
            mAllDead = 0;
        } else if (particle.state == TParticle::kDead && HasCyclesLeft(particle) &&
                   !mStopEmitting) {
            Seed(particle);
        }
    }
    // One draw for the emitter: the transforms are in the vertices.
    if (!mBatch.empty()) {
        graphics->SetWorldTransform(TMat4());
        graphics->DrawVertices(
            TVertexList::CreateKind1(mBatch.data(), static_cast<uint32_t>(mBatch.size())),
            kTriangleList);
    }
    graphics->SetWorldTransform(world);
    graphics->SetBlendMode(kBlendAlpha);
}

void TParticleEmitter::Mirror() {
    if (mDisabled) {
        return;
    }
    Ranges* ranges[3] = {&mParameters.position, &mParameters.speed, &mParameters.acceleration};
    for (Ranges* r : ranges) {
        for (TParticleBlock* block : {&r->inferior, &r->superior}) {
            block->v[TParticleBlock::kTranslate + 1] = -block->v[TParticleBlock::kTranslate + 1];
            block->v[TParticleBlock::kCenter + 1] = -block->v[TParticleBlock::kCenter + 1];
        }
    }
}

void TParticleEmitter::SetPosition(float x, float y, float z) {
    mEmitterBlock.v[TParticleBlock::kCenter] = x;
    mEmitterBlock.v[TParticleBlock::kCenter + 1] = y;
    mEmitterBlock.v[TParticleBlock::kCenter + 2] = z;
}
