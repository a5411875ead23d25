#include "velk/particles/vlkTrailBurstFx.h"

#include "framework/core/log/TLog.h"
#include "velk/motion/vlkSplinePath.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkBoardFxServices.h"
#include "velk/particles/vlkParticleFx.h"

#include <algorithm>
#include <cstdlib>

namespace {

// One random number as its absolute value.
int64_t RandomDraw() {
    return std::llabs(
        static_cast<int64_t>(static_cast<int32_t>(vlkBoardFxServices::Get().Random())));
}

TString FxPath(const char* name) {
    return vlkBoardFxServices::Get().GetFxPath(TString(name));
}

} // namespace

vlkTrailBurstFx::vlkTrailBurstFx()
    : mTrail(std::make_unique<vlkParticleFx>()), mBurst(std::make_unique<TParticleSystem>()) {
    Load();
}

vlkTrailBurstFx::vlkTrailBurstFx(const vlkTrailBurstFx& other)
    : mTrail(std::make_unique<vlkParticleFx>(*other.mTrail)),
      mBurst(std::make_unique<TParticleSystem>(*other.mBurst)) {
    Load();
}

vlkTrailBurstFx::~vlkTrailBurstFx() = default;

void vlkTrailBurstFx::Load() {
    mTrail->LoadParticlePath(FxPath("Trail"));
    mTrail->MirrorEmitters();
    mTrail->SetActive(false);
    mBurst->LoadParticleSystem(FxPath("Tilescompleted"));
    mBurst->Mirror();
    mBurst->SetActive(false);
    mState = kStateIdle;
    mStarted = 0;
    mDone = 0;
}

void vlkTrailBurstFx::PickRandomFirework() {
    struct Pick {
        const char* texture;
        uint8_t red, green, blue;
    } static const kPicks[3] = {
        {"FireworkTx1", 0, 0, 255}, {"FireworkTx2", 255, 255, 0}, {"FireworkTx3", 255, 0, 0}};
    const Pick& pick = kPicks[RandomDraw() % 3];
    // Every particle of the first two emitters (those the burst has) gets
    // exactly the colour.
    for (int32_t i = 0; i < std::min(2, mBurst->GetEmitterCount()); ++i) {
        uint8_t* colour = mBurst->GetEmitter(i)->GetParameters().colour;
        for (int range = 0; range < 4; ++range) {
            colour[4 * range] = pick.red;
            colour[4 * range + 1] = pick.green;
            colour[4 * range + 2] = pick.blue;
            colour[4 * range + 3] = 255;
        }
    }
    const TString texture = FxPath(pick.texture);
    for (TParticleSystem* system : {mTrail->GetParticleSystem(), mBurst.get()}) {
        for (int32_t i = 0; system && i < system->GetEmitterCount(); ++i) {
            system->GetEmitter(i)->SetTexture(texture);
        }
    }
    mDone = 0;
}

void vlkTrailBurstFx::Launch() {
    mTrail->SetActive(true);
    mBurst->SetActive(false);
    const TRect screen = vlkBoardFxServices::Get().GetScreenRect();
    const int64_t w = screen.right - screen.left;
    const int64_t h = screen.bottom - screen.top;
    // A root narrower than 300 pixels still gives a modulus of 1.
    const int64_t across = std::max<int64_t>(1, w - 299);
    const float xA = static_cast<float>(RandomDraw() % across + 150);
    const float yA = static_cast<float>(RandomDraw() % 101 + (h - 200));
    const float xB = static_cast<float>(RandomDraw() % across + 150);
    const float yB = static_cast<float>(RandomDraw() % 151 + 150);
    if (vlkSplinePath* path = mTrail->GetPath()) {
        path->Clear();
        // Straight up, then bending over to its end.
        if (!path->AddSegment({xA, yA, 0, xA, yA, 0, xA, yB, 0, xB, yB, 0})) {
            LogPrintf("vlkTrailBurstFx: the trail's path file has no spline to make room for "
                      "the flight");
        }
    }
    mTrail->SetOffset(0.0f, 0.0f, 0.0f);
    mBurst->SetPosition(xB, yB, 0.0f);
    mTrail->Start();
    PlayEffectSound(TString("fireworks1"));
    mState = kStateTrail;
    mStarted = 1;
    mDone = 0;
}

void vlkTrailBurstFx::Update(uint32_t elapsed) {
    if (!mStarted) {
        mState = kStateIdle;
    }
    if (mTrail->IsActive()) {
        mTrail->Update(elapsed);
        if (mTrail->GetState() == vlkParticleFx::kStatePathEnded) {
            mTrail->SetActive(false);
            mBurst->SetActive(true);
            mBurst->Restart();
            PlayEffectSound(TString("fireworks3"));
            mState = kStateBurst;
        }
    }
    if (mBurst->IsActive()) {
        mBurst->Update(elapsed);
        mState = kStateBurst;
        if (!mBurst->IsAlive()) {
            mBurst->SetActive(false);
            mState = kStateDone;
            mDone = 1;
        }
    }
}

void vlkTrailBurstFx::Draw() {
    if (mTrail->IsActive()) {
        mTrail->Draw();
    }
    if (mBurst->IsActive()) {
        mBurst->Draw();
    }
}

void vlkTrailBurstFx::Stop() {
    mTrail->SetActive(false);
    mBurst->SetActive(false);
    mState = kStateDone;
    mDone = 1;
}

bool vlkTrailBurstFx::IsActive() const {
    return mTrail->IsActive() || mBurst->IsActive();
}
