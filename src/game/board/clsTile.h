#pragma once

#include "framework/core/math/TVector.h"
#include "framework/core/text/TString.h"
#include "game/board/BoardTile.h"
#include "velk/motion/TLinearMove.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class IntervalTimer;
class TParticleSystem;
class vlkClip;
class vlkCutscene;
class vlkParticleFx;
class vlkSprite;
struct TGameModeRecord;
struct TTileKindRecord;

// One card on the board. It knows nothing of the rules: it shows one of 21
// display states with their clips, sounds and effects, slides to a slot's
// position and can fall off the board. The levels make tiles and move
// them; the level timer set turns the tile commands of the board slots
// into SetState calls and polls the animation. The face is the actor's
// display object; the backs, the thirteen clips, the power-up effects and
// a golden tile's cut-scene are owned by the tile. The effect templates
// are shared by all tiles until ReleaseEffectTemplates.
class clsTile : public BoardTile {
public:
    // Display states run from 0 to 20.
    static constexpr uint32_t kStateCount = 21;

    // The clips, in the order of their names.
    enum Clip : uint32_t {
        kClipMatch,
        kClipMatchRed,
        kClipStand,
        kClipVanish,
        kClipFlipShow,
        kClipFlipHide,
        kClipBombfx,
        kClipFlipAppear2,
        kClipFlipDisappear2,
        kClipGlow,
        kClipIconGoldAppear,
        kClipIconGoldStand,
        kClipWildfx,
        kClipCount,
    };
    static const char* const kClipNames[kClipCount];

    // Built at the slot's position of the geometry record at that index.
    clsTile(uint32_t geometryIndex, const TTileKindRecord* kind, uint32_t slot);
    ~clsTile() override;

    void Draw() override;
    void Update(uint32_t elapsed) override;

    // BoardTile.
    void SetState(uint32_t state) override;
    uint32_t GetState() const override { return mState; }
    bool IsAnimating() const override { return mAnimating != 0; }
    bool IsClipPlaying() const override;
    void SetClipFraction(float fraction) override;
    bool IsLastFrame(float fraction) const override;
    void HideClip() override;
    void PlayClip() override;
    // Starts a slide to the slot's position.
    void MoveToSlot(uint32_t slot) override;
    void FallTo(uint32_t slot) override;
    bool IsFalling() const override { return mFalling != 0; }
    bool IsMoving() const override { return mMoving != 0; }
    // The face's hit test: bounds only.
    bool HitTest(float x, float y) const override;
    TRect GetHitBounds() const override;
    // Every picture and clip.
    void SetAllVisible(bool visible) override;
    uint64_t GetLook() override;
    // The wind effect, made on first use.
    void SetWindEffect(bool on) override;
    // Plays a sound of the game's lists once (flag clear: unless the asset
    // map suppresses it) or, with the flag, looped.
    static void PlayTileSound(const TString& name, bool flag);
    // Where tile sounds go instead of the game's sound lists (tests and
    // tools listen with it); an empty one puts the lists back. Answers the
    // one it replaces.
    using SoundPlayer = std::function<void(const TString& name, bool flag)>;
    static SoundPlayer SetSoundPlayer(SoundPlayer player);

    const TVec2& GetPosition() const { return mPosition; }
    const TVec2& GetTarget() const { return mTarget; }
    vlkClip* GetCurrentClip() const { return mCurrentClip; }
    vlkSprite* GetUnderLayer() const { return mUnderLayer; }
    vlkClip* GetClipAt(uint32_t clip) const;
    vlkSprite* GetFace() const;
    vlkSprite* GetCardBack() const { return mCardBack.get(); }
    vlkSprite* GetBonusBack() const { return mBonusBack.get(); }
    IntervalTimer* GetAnimationTimer() const { return mTimer.get(); }
    vlkCutscene* GetGoldenCutscene() const { return mGolden.get(); }
    bool IsExplosionPending() const { return mExplosionPending != 0; }

    // The effects, null where the tile has none.
    TParticleSystem* GetBombGlow() const { return mBombGlow.get(); }
    TParticleSystem* GetExplosion() const { return mExplosion.get(); }
    TParticleSystem* GetBombExplosion() const { return mBombExplosion.get(); }
    TParticleSystem* GetWindStand() const { return mWindStand.get(); }
    TParticleSystem* GetEyeStand() const { return mEyeStand.get(); }
    TParticleSystem* GetEye() const { return mEye.get(); }
    TParticleSystem* GetWild() const { return mWildFx.get(); }
    TParticleSystem* GetWindFx() const { return mWindFx.get(); }
    vlkParticleFx* GetSnow(uint32_t index) const;

    // Frees the eight shared effect templates; the next tile that needs one
    // loads it again. Levels call it when they end.
    static void ReleaseEffectTemplates();
    // How many templates are loaded now.
    static uint32_t GetLoadedTemplateCount();
    // The counters that all tiles share: match sounds played since the
    // last vanish, whether the block sound played in this batch, flip
    // clicks since the last flip down.
    static uint32_t GetMatchSoundCounter();
    static bool GetBlockSoundFlag();
    static uint32_t GetFlipClickCounter();
    static void ResetSharedCounters();

    // Makes the level state's new tiles game tiles (the program calls it at
    // start; tests install fakes instead).
    static void InstallAsBoardTileMaker();

private:
    void MakeExplosionIfPending();
    void PlayMatchSounds();
    void Vanish();
    void StartTimer(int period);
    void SetClip(vlkClip* clip);
    // Every picture, clip and following effect to the current position.
    void PlaceAll();
    int32_t HalfCardWidth() const;
    void StartJitter();

    std::unique_ptr<IntervalTimer> mTimer;
    uint8_t mAnimating = 0;
    uint8_t mMovingUp = 0;
    uint8_t mMoving = 0;
    TVec2 mPosition;
    TVec2 mTarget;
    vlkClip* mCurrentClip = nullptr;
    vlkSprite* mUnderLayer = nullptr;
    std::array<std::unique_ptr<vlkClip>, kClipCount> mClips;
    // The face is the actor's display object.
    std::unique_ptr<vlkSprite> mCardBack;
    std::unique_ptr<vlkSprite> mBonusBack;
    uint32_t mState = 0;
    std::unique_ptr<vlkCutscene> mGolden;
    TLinearMove mVerticalMove;
    TLinearMove mJitterMove;
    uint8_t mFalling = 0;
    std::unique_ptr<TParticleSystem> mBombGlow;
    std::array<std::unique_ptr<vlkParticleFx>, 3> mSnow;
    std::unique_ptr<TParticleSystem> mExplosion;
    std::unique_ptr<TParticleSystem> mBombExplosion;
    std::unique_ptr<TParticleSystem> mWindStand;
    std::unique_ptr<TParticleSystem> mEyeStand;
    std::unique_ptr<TParticleSystem> mEye;
    std::unique_ptr<TParticleSystem> mWildFx;
    std::unique_ptr<TParticleSystem> mWindFx;
    uint8_t mExplosionPending = 0;
};
