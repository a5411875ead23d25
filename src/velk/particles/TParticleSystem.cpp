#include "velk/particles/TParticleSystem.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/FrameworkTime.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/host/assetmap/TAssetMap.h"

namespace {

TParticleSystem::SeedSource gSeedSource = nullptr;

// The name without what follows its last "."; the whole name without one.
TString WithoutExtension(const TString& name) {
    const size_t dot = name.View().find_last_of('.');
    return dot == std::string_view::npos ? name : TString(name.CStr(), static_cast<size_t>(dot));
}

} // namespace

TString FolderOf(const TString& fileName) {
    const size_t slash = fileName.View().find_last_of("/\\");
    return slash == std::string_view::npos ? TString() : TString(fileName.CStr(), slash + 1);
}

void TParticleSystem::SetSeedSource(SeedSource source) {
    gSeedSource = source;
}

uint32_t TParticleSystem::NextSeed() {
    return gSeedSource ? gSeedSource() : GetFrameworkTime();
}

TParticleSystem::TParticleSystem() : mAssets(std::make_unique<TAssetMap>()) {}

TParticleSystem::TParticleSystem(const TParticleSystem& other)
    : mDescription(other.mDescription), mFileName(other.mFileName),
      mAssets(std::make_unique<TAssetMap>()) {
    SetUpEmitters();
}

TParticleSystem::~TParticleSystem() = default;

bool TParticleSystem::LoadParticleSystem(const TString& fileName) {
    TXmlNode document;
    document.LoadFile(fileName);
    TXmlNode* parsys = document.FindChild("parsys");
    if (!parsys) {
        LogPrintf("LoadParticleSystem: %s is no particle file", fileName.CStr());
        return false;
    }
    mEmitters.clear();
    mDescription.emitters.clear();
    ReadParticleDescription(*parsys, mDescription, fileName.CStr());
    mFileName = fileName;
    SetUpEmitters();
    return true;
}

void TParticleSystem::SetUpEmitters() {
    mEmitters.clear();
    mProjection = mDescription.projection;
    const uint32_t seed = NextSeed();
    const TString folder = FolderOf(mFileName);
    for (const TParticleEmitterDesc& description : mDescription.emitters) {
        auto emitter = std::make_unique<TParticleEmitter>(mAssets.get(), seed);
        emitter->SetUp(description);
        if (!description.texture.IsEmpty()) {
            emitter->SetTexture(folder + WithoutExtension(description.texture));
        }
        mEmitters.push_back(std::move(emitter));
    }
}

TParticleEmitter* TParticleSystem::GetEmitter(int32_t index) const {
    if (index < 0 || index >= GetEmitterCount()) {
        return nullptr;
    }
    return mEmitters[static_cast<size_t>(index)].get();
}

void TParticleSystem::Restart() {
    mAlive = 1;
    mFinished = 0;
    for (auto& emitter : mEmitters) {
        emitter->Reset();
    }
}

void TParticleSystem::Update(uint32_t elapsed) {
    if (!mActive) {
        return;
    }
    mAlive = 0;
    for (auto& emitter : mEmitters) {
        emitter->Update(elapsed);
        if (emitter->IsAlive()) {
            mAlive = 1;
        }
    }
}

void TParticleSystem::Draw() {
    if (!mActive || !mVisible) {
        return;
    }
    mFinished = 1;
    for (auto& emitter : mEmitters) {
        emitter->Render();
        if (!(emitter->IsEmissionStopped() && emitter->IsAllDead())) {
            mFinished = 0;
        }
    }
    mActive = mFinished ? 0 : 1;
}

void TParticleSystem::AddDrawnBounds(const TMat4& world, std::vector<TRect>& boxes) const {
    if (!mActive || !mVisible)
        return;
    for (const auto& emitter : mEmitters)
        emitter->AddDrawnBounds(world, boxes);
}

void TParticleSystem::SetEmissionStopped(bool stopped) {
    mStopEmitting = stopped ? 1 : 0;
    for (auto& emitter : mEmitters) {
        emitter->SetEmissionStopped(stopped);
    }
}

void TParticleSystem::SetPosition(float x, float y, float z) {
    for (auto& emitter : mEmitters) {
        emitter->SetPosition(x, y, z);
    }
}

void TParticleSystem::Mirror() {
    for (auto& emitter : mEmitters) {
        emitter->Mirror();
    }
}
