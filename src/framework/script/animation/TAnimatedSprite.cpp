#include "framework/script/animation/TAnimatedSprite.h"

#include "framework/core/log/TLog.h"
#include "framework/core/math/TRandom.h"
#include "framework/core/tasks/TTask.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/script/animation/AnimationScriptLibrary.h"
#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaState.h"
#include "framework/script/host/TScript.h"

#include <lauxlib.h>
#include <lua.h>

#include <cstring>
#include <utility>

namespace {

TTaskList* gTaskList = nullptr;
TAnimatedSprite::RandomSource gRandomSource = nullptr;

uint32_t ProcessRandom() {
    static TRandom generator;
    return generator.Next();
}

// Lets go of what it holds on its first run, after the task that made it
// has finished its step: a script's sprite or a script that cannot go while
// its own code runs.
class TDeferredRelease : public TTask {
public:
    explicit TDeferredRelease(std::shared_ptr<TSprite> sprite) : mSprite(std::move(sprite)) {}
    explicit TDeferredRelease(TScript* script) : mScript(script) {}
    ~TDeferredRelease() override;
    bool IsReady(int) override { return true; }
    bool Run() override { return false; }

private:
    std::shared_ptr<TSprite> mSprite;
    TScript* mScript = nullptr;
};

TDeferredRelease::~TDeferredRelease() {
    delete mScript;
}

// A number argument as an integer, truncated toward zero.
int32_t ArgInt(lua_State* L, int index) {
    return LuaCheckedInt(L, index);
}

TString ArgString(lua_State* L, int index) {
    size_t length = 0;
    const char* text = lua_tolstring(L, index, &length);
    return text ? TString(std::string(text, length).c_str()) : TString();
}

// True when a native called on L may yield: L is a coroutine and every
// frame below the native is a script function.
bool CanYield(lua_State* L) {
    if (lua_pushthread(L)) {
        lua_pop(L, 1);
        return false;
    }
    lua_pop(L, 1);
    lua_Debug frame;
    for (int level = 1; lua_getstack(L, level, &frame); ++level) {
        if (lua_getinfo(L, "S", &frame) && std::strcmp(frame.what, "C") == 0) {
            return false;
        }
    }
    return true;
}

} // namespace

// The native functions of a sprite's script state. Each is a closure whose
// upvalue boxes the sprite.
struct AnimatedSpriteNatives {
    static TAnimatedSprite* Self(lua_State* L) {
        return static_cast<TAnimatedSprite*>(LuaToPointerBox(L, lua_upvalueindex(1)));
    }

    // Counts the call in progress, so no script of the sprite is deleted
    // under it.
    struct Scope {
        explicit Scope(TAnimatedSprite* sprite) : mSprite(sprite) { ++mSprite->mNativeDepth; }
        ~Scope() { --mSprite->mNativeDepth; }
        TAnimatedSprite* mSprite;
    };

    static int SetCurrentFrame(lua_State* L) {
        Self(L)->SetCurrentFrame(ArgInt(L, 1));
        return 0;
    }
    static int WaitLuaNextFrame(lua_State* L) { return Self(L)->WaitLuaNextFrame(L); }
    static int Die(lua_State* L) {
        Scope scope(Self(L));
        Self(L)->Die();
        return 0;
    }
    static int Pause(lua_State* L) {
        Scope scope(Self(L));
        Self(L)->Pause(lua_toboolean(L, 1) != 0, ArgInt(L, 2));
        return 0;
    }
    static int IsPlaying(lua_State* L) {
        lua_pushboolean(L, Self(L)->IsPlaying(ArgInt(L, 1)));
        return 1;
    }
    static int Load(lua_State* L) {
        lua_pushboolean(L, Self(L)->Load(ArgString(L, 1), ArgString(L, 2), ArgString(L, 3)));
        return 1;
    }
    static int GetScript(lua_State* L) {
        TString script = Self(L)->GetScript();
        lua_pushlstring(L, script.CStr(), script.Length());
        return 1;
    }
    static int SetAlpha(lua_State* L) {
        Self(L)->SetAlpha(static_cast<float>(lua_tonumber(L, 1)));
        return 0;
    }
    static int SetLayer(lua_State* L) {
        Self(L)->SetLayer(ArgInt(L, 1));
        return 0;
    }
    static int RemoveSprite(lua_State* L) {
        Scope scope(Self(L));
        Self(L)->RemoveSprite();
        return 0;
    }
    static int Random(lua_State* L) {
        const uint32_t lo = static_cast<uint32_t>(LuaCheckedInt(L, 1));
        const uint32_t hi = static_cast<uint32_t>(LuaCheckedInt(L, 2));
        lua_pushnumber(L, static_cast<double>(Self(L)->Random(lo, hi)));
        return 1;
    }
};

TClassId TAnimatedSprite::GetClassId() {
    static const char id = 0;
    return &id;
}

void TAnimatedSprite::SetTaskList(TTaskList* tasks) {
    gTaskList = tasks;
}

TTaskList* TAnimatedSprite::GetTaskList() {
    return gTaskList;
}

void TAnimatedSprite::SetRandomSource(RandomSource source) {
    gRandomSource = source;
}

std::shared_ptr<TAnimatedSprite> TAnimatedSprite::Create(int32_t layer) {
    return std::make_shared<TAnimatedSprite>(layer);
}

TAnimatedSprite::TAnimatedSprite(int32_t layer) : TSprite(layer) {}

TAnimatedSprite::~TAnimatedSprite() {
    // The first round parks what runs, the second deletes it.
    Die();
    Die();
    mAnimated.reset();
}

void TAnimatedSprite::SetTexture(const std::shared_ptr<TTexture>& texture) {
    TSprite::SetTexture(texture);
    mAnimated = texture && texture->IsKindOf(TAnimatedTexture::GetClassId())
                    ? std::static_pointer_cast<TAnimatedTexture>(texture)
                    : nullptr;
}

void TAnimatedSprite::SetCurrentFrame(int32_t index) {
    if (index < -1) {
        return;
    }
    mCurrentFrame = index;
    if (mAnimated && index < mAnimated->GetFrameCount()) {
        mAnimated->SetCurrentFrame(index);
    }
}

void TAnimatedSprite::SelectFrame() {
    if (mAnimated && mCurrentFrame < mAnimated->GetFrameCount()) {
        mAnimated->SetCurrentFrame(mCurrentFrame);
    }
}

int32_t TAnimatedSprite::GetFrameCount() const {
    return mAnimated ? mAnimated->GetFrameCount() : 1;
}

TString TAnimatedSprite::GetScript() const {
    return mAnimated ? mAnimated->GetScript() : TString();
}

void TAnimatedSprite::SetAlpha(float alpha) {
    GetDrawSpec().mAlpha = alpha;
}

void TAnimatedSprite::SetClock(TClock* clock) {
    mClock = clock;
    if (mThreadScript) {
        mThreadScript->SetClock(clock);
    }
}

void TAnimatedSprite::Draw(const TDrawSpec& parent, int32_t depth) {
    SelectFrame();
    TSprite::Draw(parent, depth);
}

bool TAnimatedSprite::HitTest(int32_t x, int32_t y, const TDrawSpec& parent, int32_t threshold,
                              int32_t depth) {
    SelectFrame();
    return TSprite::HitTest(x, y, parent, threshold, depth);
}

TRect TAnimatedSprite::GetBounds(const TDrawSpec& parent, int32_t depth) {
    TDrawSpec& own = GetDrawSpec();
    bool setHere = false;
    SelectFrame();
    if (!(own.mFlags & kDrawRegistration) && mAnimated) {
        setHere = true;
        own.mFlags |= kDrawRegistration;
        int32_t regX = 0;
        int32_t regY = 0;
        mAnimated->GetFrameRegistration(mCurrentFrame, regX, regY);
        if (own.mFlags & kDrawFlipHorizontal) {
            regX = mAnimated->GetFrameWidth() - regX;
        }
        if (own.mFlags & kDrawFlipVertical) {
            regY = mAnimated->GetFrameHeight() - regY;
        }
        own.mRegistration = TVec2(static_cast<float>(regX), static_cast<float>(regY));
    }
    const TRect bounds = TSprite::GetBounds(parent, depth);
    if (setHere) {
        GetDrawSpec().mFlags &= ~static_cast<uint32_t>(kDrawRegistration);
    }
    return bounds;
}

void TAnimatedSprite::SetUpHost() {
    Die();
    mMainScript = new TScript;
    if (!mMainScript->GetState()) {
        delete mMainScript;
        mMainScript = nullptr;
        return;
    }
    mMainScript->SetClock(mClock);
    gTaskList->AddTask(mMainScript);
    lua_State* L = mMainScript->GetState();
    // An error in the library goes to the state's alert function.
    lua_settop(L, 0);
    LuaDoBuffer(L, kAnimationScriptLibrary, kAnimationScriptLibrarySize,
                kAnimationScriptLibraryName);
    lua_settop(L, 0);
    RegisterNatives();
    if (mAnimated) {
        const TString& directory = mAnimated->GetDirectory();
        SetScriptSearchPath(TString::Format("?;?.lua;scripts/?;scripts/?.lua;%s?;%s?.lua",
                                            directory.CStr(), directory.CStr()));
        mMainScript->DoLuaString(mAnimated->GetScript());
    }
}

void TAnimatedSprite::RegisterNatives() {
    static const struct {
        const char* name;
        lua_CFunction function;
    } natives[] = {
        {"SetCurrentFrame", AnimatedSpriteNatives::SetCurrentFrame},
        {"WaitLuaNextFrame", AnimatedSpriteNatives::WaitLuaNextFrame},
        {"Die", AnimatedSpriteNatives::Die},
        {"Pause", AnimatedSpriteNatives::Pause},
        {"IsPlaying", AnimatedSpriteNatives::IsPlaying},
        {"Load", AnimatedSpriteNatives::Load},
        {"GetScript", AnimatedSpriteNatives::GetScript},
        {"SetAlpha", AnimatedSpriteNatives::SetAlpha},
        {"SetLayer", AnimatedSpriteNatives::SetLayer},
        {"RemoveSprite", AnimatedSpriteNatives::RemoveSprite},
        {"Random", AnimatedSpriteNatives::Random},
    };
    lua_State* L = mMainScript->GetState();
    for (const auto& native : natives) {
        LuaPushPointerBox(L, this);
        lua_pushcclosure(L, native.function, 1);
        lua_setglobal(L, native.name);
    }
}

void TAnimatedSprite::Play(const TString& name) {
    if (!mMainScript) {
        if (!mAnimated) {
            return;
        }
        if (!gTaskList) {
            LogPrintf("TAnimatedSprite::Play: no task list to run %s in", name.CStr());
            return;
        }
        SetUpHost();
        if (!mMainScript) {
            return;
        }
    }
    StopScript();
    TScript* thread = mMainScript->NewThread();
    if (!thread) {
        return;
    }
    if (mClock) {
        thread->SetClock(mClock);
    }
    gTaskList->AddTask(thread);
    mThreadScript = thread;
    if (name.IsEmpty()) {
        return;
    }
    lua_State* T = thread->GetState();
    lua_getglobal(T, name.CStr());
    // The sprite may be let go of by its own script: it stays until the
    // first wait.
    const std::shared_ptr<TSprite> keep = weak_from_this().lock();
    const int status = LuaResume(T, 0);
    if (status != 0) {
        LogPrintf("TAnimatedSprite::Play: lua_resume error: %s",
                  lua_isstring(T, -1) ? lua_tostring(T, -1) : "(no message)");
    }
    lua_settop(T, 0);
}

void TAnimatedSprite::DeleteParked(TScript*& parked) {
    if (!parked) {
        return;
    }
    if (mNativeDepth > 0 && gTaskList) {
        // Its code may be what called us: it goes once the step is over.
        gTaskList->AddTask(new TDeferredRelease(parked));
    } else {
        delete parked;
    }
    parked = nullptr;
}

void TAnimatedSprite::StopSlot(TScript*& slot, TScript*& parked) {
    DeleteParked(parked);
    if (slot && gTaskList && gTaskList->RemoveTask(slot)) {
        parked = slot;
        parked->Suspend();
    }
    slot = nullptr;
}

void TAnimatedSprite::StopScript() {
    StopSlot(mThreadScript, mParkedThreadScript);
}

void TAnimatedSprite::Die() {
    StopSlot(mThreadScript, mParkedThreadScript);
    StopSlot(mMainScript, mParkedMainScript);
}

void TAnimatedSprite::Pause(bool pause, int32_t depth) {
    if (!mThreadScript) {
        return;
    }
    if (mMainScript) {
        if (pause) {
            mThreadScript->Suspend();
        } else {
            mThreadScript->Delay(1, true, true, false);
        }
    }
    if (depth != 0) {
        for (const std::shared_ptr<TSprite>& child : GetChildren()) {
            if (child->IsKindOf(GetClassId())) {
                static_cast<TAnimatedSprite*>(child.get())->Pause(pause, depth - 1);
            }
        }
    }
}

bool TAnimatedSprite::IsPlaying(int32_t depth) {
    if (mThreadScript && mThreadScript->InCoroutine()) {
        return true;
    }
    if (depth == 0) {
        return false;
    }
    for (const std::shared_ptr<TSprite>& child : GetChildren()) {
        if (child->IsKindOf(GetClassId()) &&
            static_cast<TAnimatedSprite*>(child.get())->IsPlaying(depth - 1)) {
            return true;
        }
    }
    return false;
}

void TAnimatedSprite::RemoveSprite() {
    TSprite* parent = GetParent();
    if (!parent) {
        return;
    }
    std::shared_ptr<TSprite> self = weak_from_this().lock();
    if (!self) {
        return; // not held by a shared pointer, so not by its parent either
    }
    parent->RemoveChild(self);
    if (mNativeDepth > 0 && gTaskList && self.use_count() == 1) {
        // The parent held the last reference and our script is running: the
        // sprite goes once its step is over.
        gTaskList->AddTask(new TDeferredRelease(std::move(self)));
    }
}

bool TAnimatedSprite::Load(const TString& name, const TString& image, const TString& mask) {
    mAnimated = TAnimatedTexture::Get(name, image, mask);
    return mAnimated != nullptr;
}

uint32_t TAnimatedSprite::Random(uint32_t lo, uint32_t hi) {
    const uint32_t r = gRandomSource ? gRandomSource() : ProcessRandom();
    if (hi == lo) {
        return lo;
    }
    return lo + r % (hi - lo);
}

int TAnimatedSprite::WaitLuaNextFrame(lua_State* L) {
    const int arguments = lua_gettop(L);
    if (mThreadScript) {
        if (arguments == 1) {
            const uint32_t wait = static_cast<uint32_t>(LuaCheckedInt(L, 1));
            mThreadScript->Delay(wait, true, true, false);
        } else {
            mThreadScript->Suspend();
        }
    }
    if (!CanYield(L)) {
        LogPrintf("WaitLuaNextFrame: not called from an animation thread; going on at once");
        return 0;
    }
    return lua_yield(L, 0);
}
