#include "game/board/clsTile.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "game/data/LevelRecords.h"
#include "game/data/TileKinds.h"
#include "game/random/GameRandom.h"
#include "game/state/dtLevelState.h"
#include "game/timers/IntervalTimer.h"
#include "velk/assets/MenuMusic.h"
#include "velk/assets/TAssetLists.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/display/vlkClip.h"
#include "velk/display/vlkLookHash.h"
#include "velk/display/vlkSprite.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkBoardFxServices.h"
#include "velk/particles/vlkParticleFx.h"

#include <set>
#include <string>

const char* const clsTile::kClipNames[clsTile::kClipCount] = {
    "Match",          "MatchRed",      "Stand",       "Vanish",         "Flip Show",
    "Flip Hide",      "Bombfx",        "FlipAppear2", "FlipDisappear2", "Glow",
    "IconGoldAppear", "IconGoldStand", "Wildfx"};

namespace {

// The effects that tiles copy from one shared template each.
enum Effect {
    kFxBomb,
    kFxExplotion,
    kFxExplotionbomb,
    kFxWindStand,
    kFxEyeStand,
    kFxWild,
    kFxWind,
    kFxCount
};
const char* const kEffectNames[kFxCount] = {"Bomb",     "Explotion", "Explotionbomb", "WindStand",
                                            "EyeStand", "Wild",      "Wind"};
const char kSnowPath[] = "anim/p_snow.xml";

struct SharedTemplates {
    std::unique_ptr<TParticleSystem> systems[kFxCount];
    // A template that did not load is not tried again until the release.
    bool failed[kFxCount] = {};
    std::unique_ptr<vlkParticleFx> snow;
    bool snowFailed = false;
};
SharedTemplates gTemplates;

uint32_t gMatchSoundCounter = 0;
uint8_t gBlockSoundFlag = 0;
// When the last fall's sound started (the tiles' clock).
bool gFallSoundPlayed = false;
uint32_t gFallSoundTime = 0;
uint32_t gFlipClickCounter = 0;

clsTile::SoundPlayer gSoundPlayer;

// A clock for tiles made while the game has none.
TClock& ClockOfTiles() {
    static TClock standIn;
    return gGameClock ? *gGameClock : standIn;
}

const TParticleSystem* Template(Effect effect) {
    if (gTemplates.systems[effect] || gTemplates.failed[effect])
        return gTemplates.systems[effect].get();
    const TString path = vlkBoardFxServices::Get().GetFxPath(TString(kEffectNames[effect]));
    auto system = std::make_unique<TParticleSystem>();
    if (path.IsEmpty() || !system->LoadParticleSystem(path)) {
        LogPrintf("clsTile: the effect \"%s\" (\"%s\") does not load; tiles show none\n",
                  kEffectNames[effect], path.CStr());
        gTemplates.failed[effect] = true;
        return nullptr;
    }
    system->Mirror();
    gTemplates.systems[effect] = std::move(system);
    return gTemplates.systems[effect].get();
}

const vlkParticleFx* SnowTemplate() {
    if (gTemplates.snow || gTemplates.snowFailed)
        return gTemplates.snow.get();
    auto snow = std::make_unique<vlkParticleFx>();
    if (!snow->LoadParticlePath(TString(kSnowPath))) {
        LogPrintf("clsTile: the snow \"%s\" does not load; freeze tiles show none\n", kSnowPath);
        gTemplates.snowFailed = true;
        return nullptr;
    }
    snow->MirrorEmitters();
    gTemplates.snow = std::move(snow);
    return gTemplates.snow.get();
}

// A tile's own copy of a template at (x, y), running or not. A copy is set
// up afresh from the template's description, so it is mirrored again as
// the template was.
std::unique_ptr<TParticleSystem> CopyOf(Effect effect, float x, float y, bool running) {
    const TParticleSystem* source = Template(effect);
    if (!source)
        return nullptr;
    auto copy = std::make_unique<TParticleSystem>(*source);
    copy->Mirror();
    copy->SetPosition(x, y, 0.0f);
    copy->SetActive(running);
    return copy;
}

// Shown, running and started again.
void Launch(TParticleSystem* system) {
    if (!system)
        return;
    system->SetVisible(true);
    system->SetActive(true);
    system->Restart();
}

void StopAndHide(TParticleSystem* system) {
    if (!system)
        return;
    system->SetActive(false);
    system->SetVisible(false);
}

uint32_t Period(int value) {
    return value > 0 ? static_cast<uint32_t>(value) : 0u;
}

// Logs a name the asset lists lack, once per name.
void NoteMissing(const TString& name) {
    static std::set<std::string> noted;
    if (noted.insert(name.ToStd()).second)
        LogPrintf("clsTile: no picture or animation \"%s\" in the asset lists; the tile shows "
                  "nothing there\n",
                  name.CStr());
}

std::unique_ptr<vlkSprite> PictureOf(const TString& name) {
    std::shared_ptr<TTexture> texture;
    if (gAssetLists)
        texture = gAssetLists->GetTexture(name);
    auto sprite = std::make_unique<vlkSprite>(texture);
    if (texture)
        sprite->SetTexture(texture); // also records the picture's size
    else
        NoteMissing(name);
    return sprite;
}

std::unique_ptr<vlkClip> ClipOf(const TString& name) {
    std::shared_ptr<TAnimatedTexture> animation;
    if (gAssetLists)
        animation = gAssetLists->GetAnimatedTexture(name);
    if (!animation)
        NoteMissing(name);
    return std::make_unique<vlkClip>(animation, &ClockOfTiles());
}

TVec2 SlotPosition(uint32_t geometryIndex, uint32_t slot) {
    const TGameModeRecord* geometry = GetGameModeRecord(static_cast<int>(geometryIndex));
    if (!geometry || slot >= geometry->positions.size()) {
        LogPrintf("clsTile: no position for slot %u of board layout %u\n", slot, geometryIndex);
        return TVec2();
    }
    return geometry->positions[slot];
}

// A move whose start equals its end never reports itself done; it has
// ended once its time has passed.
bool MoveEnded(const TLinearMove& move) {
    return move.IsDone() || move.GetElapsed() >= move.GetDuration();
}

} // namespace

// ---- construction ----

clsTile::clsTile(uint32_t geometryIndex, const TTileKindRecord* kind, uint32_t slot)
    : BoardTile(geometryIndex, kind, slot) {
    mPosition = SlotPosition(geometryIndex, slot);
    const float x = mPosition.x, y = mPosition.y;

    // The face first: it is also the actor's display object.
    auto face = PictureOf(kind ? kind->name : TString(""));
    face->SetPosition(x, y);
    SetDisplayObject(std::move(face));
    mCardBack = PictureOf(TString("Card"));
    mBonusBack = PictureOf(TString("BonusCard"));
    for (uint32_t i = 0; i < kClipCount; ++i)
        mClips[i] = ClipOf(TString(kClipNames[i]));
    PlaceAll();

    const int kindNumber = GetKind();
    if (kindNumber == kTileGolden) {
        const TString path = vlkBoardFxServices::Get().GetFxPath(TString("Points"));
        auto golden = std::make_unique<vlkCutscene>();
        if (golden->Load(path)) {
            golden->SetPosition(static_cast<float>(static_cast<int>(x)),
                                static_cast<float>(static_cast<int>(y)));
            golden->Play();
            mGolden = std::move(golden);
        } else {
            LogPrintf("clsTile: the golden tile's cut-scene \"%s\" does not load\n", path.CStr());
        }
        PlayTileSound(TString("gold_tile"), false);
    }
    if (kindNumber == kTileBomb) {
        mBombGlow = CopyOf(kFxBomb, x - 8.0f, y - 10.0f, true);
        if (mBombGlow)
            mBombGlow->Restart();
        mBombExplosion = CopyOf(kFxExplotionbomb, x, y, false);
    }
    if (kindNumber != kTileJoker) {
        mExplosionPending = 1;
        if (RandomBelow(100) < 50)
            MakeExplosionIfPending();
    }
    if (kindNumber == kTileFreeze) {
        if (const vlkParticleFx* snow = SnowTemplate()) {
            const uint32_t advances[3] = {0, 2500, 5000};
            for (size_t i = 0; i < mSnow.size(); ++i) {
                mSnow[i] = std::make_unique<vlkParticleFx>(*snow);
                mSnow[i]->MirrorEmitters();
                mSnow[i]->SetOffset(x, y, 0.0f);
                mSnow[i]->Start();
                mSnow[i]->Update(advances[i]);
            }
        }
    }
    if (kindNumber == kTileSidewinder) {
        mWindStand = CopyOf(kFxWindStand, x, y, true);
        if (mWindStand) {
            mWindStand->Restart();
            mWindStand->Update(static_cast<uint32_t>(RandomBelow(1501) + 500));
        }
        mWind = 1;
    } else {
        mWind = 0;
    }
    if (kindNumber == kTileShowtime) {
        mEyeStand = CopyOf(kFxEyeStand, x, y, true);
        if (mEyeStand) {
            mEyeStand->Restart();
            mEyeStand->Update(static_cast<uint32_t>(RandomBelow(801) + 100));
        }
        // The eye is loaded afresh, not copied.
        const TString path = vlkBoardFxServices::Get().GetFxPath(TString("Eye"));
        auto eye = std::make_unique<TParticleSystem>();
        if (!path.IsEmpty() && eye->LoadParticleSystem(path)) {
            eye->Mirror();
            eye->SetPosition(x, y, 0.0f);
            eye->SetActive(false);
            eye->SetVisible(false);
            mEye = std::move(eye);
        } else {
            LogPrintf("clsTile: the effect \"Eye\" (\"%s\") does not load\n", path.CStr());
        }
    }
    if (kindNumber == kTileWild)
        mWildFx = CopyOf(kFxWild, x, y, false);

    mFalling = 0;
    gMatchSoundCounter = 0;
    gBlockSoundFlag = 0;
    gFallSoundPlayed = false;
    mTimer = std::make_unique<IntervalTimer>(ClockOfTiles(), 0);
    mBombed = 0;
}

clsTile::~clsTile() = default;

// ---- shared state ----

void clsTile::ReleaseEffectTemplates() {
    for (int i = 0; i < kFxCount; ++i) {
        gTemplates.systems[i].reset();
        gTemplates.failed[i] = false;
    }
    gTemplates.snow.reset();
    gTemplates.snowFailed = false;
}

uint32_t clsTile::GetLoadedTemplateCount() {
    uint32_t count = gTemplates.snow ? 1 : 0;
    for (const auto& system : gTemplates.systems)
        count += system ? 1 : 0;
    return count;
}

uint32_t clsTile::GetMatchSoundCounter() {
    return gMatchSoundCounter;
}

bool clsTile::GetBlockSoundFlag() {
    return gBlockSoundFlag != 0;
}

uint32_t clsTile::GetFlipClickCounter() {
    return gFlipClickCounter;
}

void clsTile::ResetSharedCounters() {
    gMatchSoundCounter = 0;
    gBlockSoundFlag = 0;
    gFlipClickCounter = 0;
}

void clsTile::InstallAsBoardTileMaker() {
    SetBoardTileMaker([](uint32_t geometryIndex, const TTileKindRecord& kind, uint32_t slot) {
        return new clsTile(geometryIndex, &kind, slot);
    });
}

clsTile::SoundPlayer clsTile::SetSoundPlayer(SoundPlayer player) {
    SoundPlayer previous = std::move(gSoundPlayer);
    gSoundPlayer = std::move(player);
    return previous;
}

void clsTile::PlayTileSound(const TString& name, bool flag) {
    if (gSoundPlayer) {
        gSoundPlayer(name, flag);
        return;
    }
    if (!gAssetLists)
        return;
    if (!flag && gGameAssetMap && gGameAssetMap->IsSoundSuppressed(name))
        return;
    PlaySoundAsset(gAssetLists->GetSound(name), flag);
}

// ---- pictures and clips ----

vlkClip* clsTile::GetClipAt(uint32_t clip) const {
    return clip < kClipCount ? mClips[clip].get() : nullptr;
}

vlkSprite* clsTile::GetFace() const {
    return GetSprite();
}

vlkParticleFx* clsTile::GetSnow(uint32_t index) const {
    return index < mSnow.size() ? mSnow[index].get() : nullptr;
}

void clsTile::PlaceAll() {
    const float x = mPosition.x, y = mPosition.y;
    if (vlkSprite* face = GetFace())
        face->SetPosition(x, y);
    mCardBack->SetPosition(x, y);
    mBonusBack->SetPosition(x, y);
    for (auto& clip : mClips)
        clip->SetPosition(x, y);
    if (mBombGlow)
        mBombGlow->SetPosition(x - 8.0f, y - 10.0f, 0.0f);
    for (auto& snow : mSnow) {
        if (snow)
            snow->SetOffset(x, y, 0.0f);
    }
    if (mWindFx)
        mWindFx->SetPosition(x, y, 0.0f);
}

void clsTile::SetAllVisible(bool visible) {
    if (vlkSprite* face = GetFace())
        face->SetVisible(visible);
    mCardBack->SetVisible(visible);
    mBonusBack->SetVisible(visible);
    for (auto& clip : mClips)
        clip->SetVisible(visible);
}

bool clsTile::HitTest(float x, float y) const {
    vlkSprite* face = GetFace();
    return face && face->HitTest(TVec2(x, y), -1, -1);
}

TRect clsTile::GetHitBounds() const {
    vlkSprite* face = GetFace();
    return face ? face->GetBounds() : TRect();
}

bool clsTile::IsClipPlaying() const {
    return mCurrentClip && mCurrentClip->GetAnimatedSprite() &&
           mCurrentClip->GetAnimatedSprite()->IsPlaying(-1);
}

void clsTile::SetClipFraction(float fraction) {
    if (!mCurrentClip || !mCurrentClip->GetAnimatedSprite())
        return;
    TAnimatedSprite& sprite = *mCurrentClip->GetAnimatedSprite();
    sprite.SetCurrentFrame(static_cast<int32_t>(sprite.GetFrameCount() * fraction));
}

bool clsTile::IsLastFrame(float fraction) const {
    if (!mCurrentClip || !mCurrentClip->GetAnimatedSprite())
        return false;
    const int32_t count = mCurrentClip->GetAnimatedSprite()->GetFrameCount();
    return static_cast<int32_t>(count * fraction) == count - 1;
}

void clsTile::HideClip() {
    if (mCurrentClip)
        mCurrentClip->SetVisible(false);
}

void clsTile::PlayClip() {
    if (mCurrentClip)
        mCurrentClip->PlayAnimation(TString("DoAnim"));
}

void clsTile::SetClip(vlkClip* clip) {
    mCurrentClip = clip;
    if (clip)
        clip->SetVisible(true);
}

// ---- effects ----

void clsTile::MakeExplosionIfPending() {
    if (!mExplosionPending)
        return;
    mExplosion = CopyOf(kFxExplotion, mPosition.x, mPosition.y, false);
    mExplosionPending = 0;
}

void clsTile::SetWindEffect(bool on) {
    if (on) {
        if (!mWindFx)
            mWindFx = CopyOf(kFxWind, mPosition.x, mPosition.y, false);
        if (mWindFx && !mWindFx->IsActive()) {
            Launch(mWindFx.get());
            mWindFx->Update(static_cast<uint32_t>(RandomBelow(501) + 500));
        }
    } else {
        StopAndHide(mWindFx.get());
    }
}

// ---- states ----

void clsTile::StartTimer(int period) {
    mTimer->StartOnce(Period(period));
    mAnimating = 1;
}

void clsTile::PlayMatchSounds() {
    if (!IsPowerUp()) {
        PlayTileSound(TString::Format("gameplay_combo%u", gMatchSoundCounter % 12 + 1), false);
        ++gMatchSoundCounter;
    }
    MakeExplosionIfPending();
}

void clsTile::Vanish() {
    gMatchSoundCounter = 0;
    static const char* const kPowerSounds[] = {"power_wild", "power_bomb", "power_winder",
                                               "power_showtime", "power_freeze1"};
    if (IsPowerUp())
        PlayTileSound(TString(kPowerSounds[GetKind() - kTileWild]), false);
    if (!gBlockSoundFlag)
        PlayTileSound(TString("gameplay_block"), false);
    gBlockSoundFlag = 1;

    const int kind = GetKind();
    if (kind == kTileBomb) {
        if (mBombGlow)
            mBombGlow->SetActive(false);
        Launch(mBombExplosion.get());
    }
    if (mBombed) {
        if (!mBombExplosion)
            mBombExplosion = CopyOf(kFxExplotionbomb, mPosition.x, mPosition.y, false);
        if (mBombExplosion)
            mBombExplosion->SetPosition(mPosition.x, mPosition.y, 0.0f);
        Launch(mBombExplosion.get());
    } else if (mWind) {
        SetWindEffect(true);
    } else if (kind != kTileShowtime) {
        MakeExplosionIfPending();
        Launch(mExplosion.get());
    } else if (mEye) {
        mEye->SetPosition(mPosition.x, mPosition.y, 0.0f);
        Launch(mEye.get());
        mEye->Update(static_cast<uint32_t>(RandomBelow(451) + 1450));
    }

    for (auto& snow : mSnow) {
        if (snow)
            snow->SetVisible(false);
    }
    StopAndHide(mWindStand.get());
    StopAndHide(mEyeStand.get());
    StopAndHide(mWildFx.get());
}

void clsTile::SetState(uint32_t state) {
    if (state >= kStateCount) {
        LogPrintf("clsTile: no display state %u; the tile stays in %u\n", state, mState);
        return;
    }
    mState = state;
    vlkSprite* face = GetFace();
    const TGameTuning::Time& time = gGameTuning.time;
    switch (state) {
    case kTileStateFaceDown:
        SetClip(nullptr);
        mUnderLayer = mCardBack.get();
        break;
    case kTileStateFaceUp:
        SetClip(nullptr);
        mUnderLayer = face;
        gBlockSoundFlag = 0;
        if (GetKind() == kTileWild)
            StopAndHide(mWildFx.get());
        break;
    case kTileStateBonusBack:
        SetClip(nullptr);
        mUnderLayer = mBonusBack.get();
        break;
    case kTileStateMatch:
    case kTileStateRedMatch:
        SetClip(mClips[state == kTileStateMatch ? kClipMatch : kClipMatchRed].get());
        mUnderLayer = face;
        PlayMatchSounds();
        break;
    case kTileStateStand:
        SetClip(mClips[kClipStand].get());
        mUnderLayer = face;
        break;
    case kTileStateVanish:
        SetClip(mClips[kClipVanish].get());
        mUnderLayer = nullptr;
        StartTimer(time.vanishAnim);
        Vanish();
        break;
    case kTileStateFlipToFace:
        SetClip(mClips[kClipFlipShow].get());
        mUnderLayer = nullptr;
        StartTimer(time.showAnim);
        if (gFlipClickCounter <= 3) {
            ++gFlipClickCounter;
            PlayTileSound(TString("gameplay_click1"), false);
        }
        break;
    case kTileStateFlipToBack:
        SetClip(mClips[kClipFlipHide].get());
        mUnderLayer = nullptr;
        StartTimer(time.hideAnim);
        gFlipClickCounter = 0;
        PlayTileSound(TString("gameplay_click3"), false);
        break;
    case kTileStateFaint:
        SetClip(nullptr);
        mUnderLayer = face;
        break;
    case kTileStateSilentFlipToFace:
        SetClip(mClips[kClipFlipShow].get());
        mUnderLayer = nullptr;
        StartTimer(time.showAnim);
        if (mWind)
            SetWindEffect(true);
        break;
    case kTileStateSilentFlipToBack:
        SetClip(mClips[kClipFlipHide].get());
        mUnderLayer = nullptr;
        StartTimer(time.hideAnim);
        break;
    case kTileStateBombMark:
        SetClip(mClips[kClipBombfx].get());
        mUnderLayer = face;
        break;
    case kTileStateAppear:
        SetClip(mClips[kClipFlipAppear2].get());
        mUnderLayer = nullptr;
        StartTimer(time.showAnim);
        break;
    case kTileStateDisappear:
        SetClip(mClips[kClipFlipDisappear2].get());
        mUnderLayer = nullptr;
        StartTimer(time.hideAnim);
        break;
    case kTileStateGlow:
        SetClip(mClips[kClipGlow].get());
        mUnderLayer = nullptr;
        break;
    case kTileStateGoldenAppear:
        SetClip(mClips[kClipIconGoldAppear].get());
        mUnderLayer = nullptr;
        break;
    case kTileStateGoldenBurst:
        SetClip(mClips[kClipVanish].get());
        mUnderLayer = nullptr;
        MakeExplosionIfPending();
        Launch(mExplosion.get());
        break;
    case kTileStateWildMark:
        SetClip(mClips[kClipWildfx].get());
        mUnderLayer = face;
        if (mWildFx) {
            Launch(mWildFx.get());
            mWildFx->Update(static_cast<uint32_t>(RandomInRange(500, 2000)));
        }
        break;
    default:
        // 0 and 14 change nothing but the stored state.
        break;
    }
}

// ---- movement ----

void clsTile::MoveToSlot(uint32_t slot) {
    mSlot = slot;
    mTarget = SlotPosition(mGeometryIndex, slot);
    mMoving = 1;
    mMovingUp = mPosition.y > mTarget.y ? 1 : 0;
    gBlockSoundFlag = 0;
}

int32_t clsTile::HalfCardWidth() const {
    return static_cast<int32_t>(mCardBack->GetWidth() * mCardBack->GetScaleX() / 2.0f);
}

void clsTile::StartJitter() {
    const int32_t h = HalfCardWidth();
    mJitterMove.Set(mPosition.x, mPosition.x + static_cast<float>(RandomInRange(-h, h)),
                    static_cast<uint32_t>(RandomBelow(51) + 50));
    mJitterMove.Start();
}

void clsTile::FallTo(uint32_t slot) {
    mSlot = slot;
    StartJitter();
    mVerticalMove.Set(mPosition.y, SlotPosition(mGeometryIndex, slot).y, 700);
    mVerticalMove.Start();
    mFalling = 1;
    // A lost life drops the whole board at once: the falls of one moment
    // make one sound, where one for each tile would add up past full scale.
    const uint32_t now = ClockOfTiles().GetTime();
    if (!gFallSoundPlayed || now != gFallSoundTime)
        PlayTileSound(TString("gameplay_block"), false);
    gFallSoundPlayed = true;
    gFallSoundTime = now;
}

void clsTile::Update(uint32_t elapsed) {
    // Explosions are made lazily, a few a step, so a new board does not
    // make them all at once. Made here and not while drawing: the game's
    // random numbers do not depend on how many frames are drawn.
    if (mExplosionPending && mState == kTileStateFaceDown && RandomBelow(1000) < 10)
        MakeExplosionIfPending();
    // 1. The timed states show the frame of the one-shot run.
    if (mAnimating || mCurrentClip) {
        const float fraction = mTimer->GetFraction();
        switch (mState) {
        case kTileStateVanish:
        case kTileStateFlipToFace:
        case kTileStateFlipToBack:
        case kTileStateSilentFlipToFace:
        case kTileStateSilentFlipToBack:
        case kTileStateAppear:
        case kTileStateDisappear:
            if (mCurrentClip && mCurrentClip->GetAnimatedSprite()) {
                TAnimatedSprite& sprite = *mCurrentClip->GetAnimatedSprite();
                const int32_t count = sprite.GetFrameCount();
                sprite.SetCurrentFrame(std::min(count - 1, static_cast<int32_t>(fraction * count)));
            }
            break;
        default:
            break;
        }
        if (fraction > 0.999f)
            mAnimating = 0;
    }

    // 2. The vertical slide, by a fixed step per update. A step of 0 or
    // less could never arrive: such a slide arrives at once.
    if (mMoving) {
        const float velocity = gGameTuning.game.velocity;
        bool arrived = velocity <= 0.0f;
        if (!arrived && !mMovingUp) {
            mPosition.y += velocity;
            arrived = mPosition.y >= mTarget.y;
        } else if (!arrived) {
            mPosition.y -= velocity;
            arrived = mPosition.y <= mTarget.y;
        }
        if (arrived) {
            mPosition.y = mTarget.y;
            mMoving = 0;
        }
        PlaceAll();
    }

    // 3. The effects; the wind runs five times as fast.
    for (TParticleSystem* system : {mBombGlow.get(), mExplosion.get(), mBombExplosion.get(),
                                    mWindStand.get(), mEyeStand.get(), mEye.get(), mWildFx.get()}) {
        if (system)
            system->Update(elapsed);
    }
    for (auto& snow : mSnow) {
        if (snow)
            snow->Update(elapsed);
    }
    if (mWindFx)
        mWindFx->Update(elapsed * 5);
    if (mGolden)
        mGolden->Update(elapsed);

    // 4. Falling off the board, shaking sideways.
    if (mFalling) {
        mJitterMove.Update(elapsed);
        if (MoveEnded(mJitterMove))
            StartJitter();
        mVerticalMove.Update(elapsed);
        mPosition.x = mJitterMove.GetValue();
        mPosition.y = mVerticalMove.GetValue();
        PlaceAll();
        if (MoveEnded(mVerticalMove)) {
            SetAllVisible(false);
            mFalling = 0;
        }
    }
}

// ---- drawing ----

uint64_t clsTile::GetLook() {
    // The particle effects and the golden scene move by themselves.
    static uint64_t playing = 0;
    const auto drawing = [](const TParticleSystem* system) {
        return system && system->IsActive() && system->IsVisible();
    };
    bool moving = (mGolden && mGolden->IsVisible()) ||
                  drawing(mBombGlow.get()) || drawing(mExplosion.get()) ||
                  drawing(mBombExplosion.get()) || drawing(mWindStand.get()) ||
                  drawing(mEyeStand.get()) || drawing(mEye.get()) || drawing(mWildFx.get()) ||
                  drawing(mWindFx.get());
    for (const auto& snow : mSnow)
        moving = moving || (snow && snow->IsVisible() && drawing(snow->GetParticleSystem()));
    if (moving)
        return ++playing;
    // The parts that are drawn.
    vlkLookHash hash;
    hash.Add(mState);
    hash.Add(mUnderLayer);
    hash.Add(mUnderLayer ? mUnderLayer->GetLook() : 0);
    hash.Add(mCurrentClip);
    hash.Add(mCurrentClip ? mCurrentClip->GetLook() : 0);
    hash.Add(mGolden != nullptr);
    return hash.Value();
}

void clsTile::Draw() {
    if (mUnderLayer)
        mUnderLayer->Draw();
    if (mCurrentClip)
        mCurrentClip->Draw();
    if (mGolden)
        mGolden->Draw();
    const float alpha =
        (mState == kTileStateFaint || mState == kTileStateSilentFlipToFace) ? 0.5f : 1.0f;
    if (mUnderLayer)
        mUnderLayer->SetAlpha(alpha);
    if (mCurrentClip)
        mCurrentClip->SetAlpha(alpha);

    if (mBombGlow)
        mBombGlow->Draw();
    for (auto& snow : mSnow) {
        if (snow)
            snow->Draw();
    }
    for (TParticleSystem* system : {mExplosion.get(), mBombExplosion.get(), mWindStand.get(),
                                    mEyeStand.get(), mEye.get(), mWildFx.get(), mWindFx.get()}) {
        if (system)
            system->Draw();
    }
}
