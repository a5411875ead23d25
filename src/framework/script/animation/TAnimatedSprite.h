#pragma once

#include "framework/core/text/TString.h"
#include "framework/graphics/sprite/TSprite.h"

#include <cstdint>
#include <memory>

struct lua_State;
class TAnimatedTexture;
class TClock;
class TScript;
class TTaskList;

// A sprite that shows one frame at a time of an animated texture, driven by
// a script. The first Play opens the sprite's own script state (the main
// script) with the animation library, the sprite's native functions and
// the texture's script; every Play starts a coroutine thread of that state
// (the thread script) at the named function. Both are timed tasks of the
// animation task list, on the sprite's clock: the thread sleeps between
// frames and is resumed when its wait has passed.
//
// Stopping takes a script out of the task list and parks it; the next stop
// of the same slot, or the sprite's end, deletes it. So a script may stop
// its own sprite from inside its own run. A script that detaches its own
// sprite keeps it alive until its step is over.
//
// This class lives with the script host because it owns script states;
// the graphics layer below knows it only as a TSprite. Main thread only.
class TAnimatedSprite : public TSprite {
public:
    static std::shared_ptr<TAnimatedSprite> Create(int32_t layer);

    explicit TAnimatedSprite(int32_t layer = 0);
    ~TAnimatedSprite() override;

    const char* GetClassName() const override { return "TAnimatedSprite"; }
    bool IsKindOf(TClassId id) const override {
        return id == GetClassId() || TSprite::IsKindOf(id);
    }
    static TClassId GetClassId();

    // These select the sprite's current frame on the animated texture
    // first; the bounds use the frame's registration point unless the
    // sprite has its own.
    void Draw(const TDrawSpec& parent, int32_t depth = -1) override;
    TRect GetBounds(const TDrawSpec& parent, int32_t depth = -1) override;
    bool HitTest(int32_t x, int32_t y, const TDrawSpec& parent, int32_t threshold,
                 int32_t depth = -1) override;
    // Keeps an animated texture as the one the frames come from (any
    // other texture leaves none).
    void SetTexture(const std::shared_ptr<TTexture>& texture) override;

    // Ignored below -1; stored otherwise, and selected on the texture when
    // it has that frame.
    void SetCurrentFrame(int32_t index);
    int32_t GetCurrentFrame() const { return mCurrentFrame; }
    // The animated texture's frame count; 1 without one.
    int32_t GetFrameCount() const;
    // The animated texture's script; empty without one.
    TString GetScript() const;
    std::shared_ptr<TAnimatedTexture> GetAnimatedTexture() const { return mAnimated; }

    void SetAlpha(float alpha);
    // The clock the scripts run on (not owned; null: the framework time).
    // A waiting thread keeps the time left of its wait.
    void SetClock(TClock* clock);
    TClock* GetClock() const { return mClock; }

    // Starts the animation function of that name (nothing but the set-up
    // for an empty name). Without an animated texture and before any set-up
    // nothing happens.
    void Play(const TString& name);
    void StopScript();
    // Stops the thread and the main script.
    void Die();
    // Suspends the running thread, or has it go on 1 ms from now; passed
    // to animated children while depth is not 0. A sprite without a thread
    // does neither.
    void Pause(bool pause, int32_t depth);
    // The thread waits inside its animation, or (depth not 0) an animated
    // child plays.
    bool IsPlaying(int32_t depth);
    // Detaches the sprite from its parent.
    void RemoveSprite();
    // The animated texture becomes the animation of that name, image and
    // mask (the drawn texture stays); false when none loads.
    bool Load(const TString& name, const TString& image, const TString& mask);
    // lo + (r mod (hi - lo)) in unsigned 32-bit arithmetic; lo when the
    // bounds are equal.
    uint32_t Random(uint32_t lo, uint32_t hi);

    TScript* GetMainScript() const { return mMainScript; }
    TScript* GetThreadScript() const { return mThreadScript; }

    // The task list the scripts run in; the application installs its own.
    // Without one, Play logs and does nothing.
    static void SetTaskList(TTaskList* tasks);
    static TTaskList* GetTaskList();
    // The random generator the scripts draw from; null: a generator of
    // this process seeded at start.
    using RandomSource = uint32_t (*)();
    static void SetRandomSource(RandomSource source);

    // The native "WaitLuaNextFrame" called on the state; exposed for the
    // natives' table.
    int WaitLuaNextFrame(lua_State* L);

private:
    void SetUpHost();
    void RegisterNatives();
    void StopSlot(TScript*& slot, TScript*& parked);
    void DeleteParked(TScript*& parked);
    void SelectFrame();

    int32_t mCurrentFrame = 0;
    std::shared_ptr<TAnimatedTexture> mAnimated;
    TClock* mClock = nullptr;
    TScript* mMainScript = nullptr;
    TScript* mThreadScript = nullptr;
    TScript* mParkedMainScript = nullptr;
    TScript* mParkedThreadScript = nullptr;
    // Calls into this sprite from its scripts in progress: while one runs,
    // no script of this sprite may be deleted.
    int mNativeDepth = 0;

    friend struct AnimatedSpriteNatives;
};
