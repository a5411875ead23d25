#pragma once

#include "framework/core/math/TVector.h"
#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"
#include "velk/cutscene/vlkCutsceneDef.h"

#include <cstdint>

class vlkSpriteCS;
class vlkTextCS;

// What every listener of cut-scene objects is.
class vlkIObjectCS {
public:
    virtual ~vlkIObjectCS() = default;
};

// Told by a sprite object about its movement; the hooks a sprite holds
// say which of these it calls. The defaults do nothing.
class vlkISpriteCS : public vlkIObjectCS {
public:
    virtual void OnMoveStep(vlkSpriteCS* /*sprite*/) {}
    virtual void OnMoveEnd(vlkSpriteCS* /*sprite*/) {}
    virtual void OnRotateEnd(vlkSpriteCS* /*sprite*/) {}
    virtual void OnScaleEnd(vlkSpriteCS* /*sprite*/) {}
    virtual void OnTintEnd(vlkSpriteCS* /*sprite*/) {}
};

// The same for text objects.
class vlkITextCS {
public:
    virtual ~vlkITextCS() = default;
    virtual void OnMoveStep(vlkTextCS* /*text*/) {}
    virtual void OnMoveEnd(vlkTextCS* /*text*/) {}
    virtual void OnTypeEnd(vlkTextCS* /*text*/) {}
    virtual void OnScaleEnd(vlkTextCS* /*text*/) {}
    virtual void OnColourEnd(vlkTextCS* /*text*/) {}
};

// One object of a cut-scene: it takes actions from the keyframes, animates
// its properties in Update, draws itself and answers hit tests. Objects
// start hidden. The cut-scene owns its objects and deletes them through
// this class.
class vlkObjectCS {
public:
    enum Kind : int32_t { kKindSprite = 1, kKindClouds = 2, kKindText = 3, kKindSound = 4 };

    explicit vlkObjectCS(vlkISpriteCS* listener);
    vlkObjectCS(const vlkObjectCS&) = delete;
    vlkObjectCS& operator=(const vlkObjectCS&) = delete;
    virtual ~vlkObjectCS();

    // Copies the record; false for none.
    virtual bool Init(const vlkObjectDef* def);
    // Copies the action; false for none. Subclasses then act on it and
    // answer whether they handled it.
    virtual bool SetAction(const vlkAction* action);
    // Called right after every SetAction.
    virtual void StartAction() {}
    virtual bool Update(uint32_t dt) = 0;
    virtual void Draw() = 0;
    virtual bool HitTest(int32_t x, int32_t y) = 0;
    // The cut-scene's position, added to the object's own when it next
    // places itself.
    virtual void SetPosition(float x, float y, float z);

    const TString& GetName() const { return mDef.name; }
    // The click command: the order up to its first "(", empty without one.
    TString GetCommand() const;
    bool IsSprite() const { return mKind == kKindSprite; }
    bool IsText() const { return mKind == kKindText; }
    int32_t GetKind() const { return mKind; }
    void SetParticle(bool particle) { mParticle = particle; }
    bool IsParticle() const { return mParticle; }
    bool IsVisible() const { return mVisible; }
    void SetVisible(bool visible) { mVisible = visible; }
    const vlkObjectDef& GetDef() const { return mDef; }
    const vlkAction& GetAction() const { return mAction; }
    const TVec3& GetOffset() const { return mOffset; }

protected:
    vlkISpriteCS* mListener;
    vlkObjectDef mDef;
    vlkAction mAction;
    int32_t mKind = 0;
    TVec3 mOffset;
    bool mParticle = false;
    bool mVisible = false;
};

// Whether an animation of several components has reached its target: at
// once when every step is 0, else as soon as one component with a positive
// step is at or past its target, or one with a negative step at or below.
bool ReachedAll(const float* step, const float* current, const float* target, int count);
// The same for one value, where a step of 0 counts as rising.
bool ReachedOne(float step, float current, float target);

inline float* Components(TVec3& v) {
    return &v.x;
}
inline const float* Components(const TVec3& v) {
    return &v.x;
}
inline float* Components(TColor& c) {
    return &c.r;
}
inline const float* Components(const TColor& c) {
    return &c.r;
}
