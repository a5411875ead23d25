#pragma once

#include "velk/cutscene/vlkCutsceneDef.h"
#include "velk/cutscene/vlkObjectCS.h"
#include "velk/cutscene/vlkTimeLine.h"

#include <cstdint>
#include <memory>
#include <vector>

class TWindow;
class vlkCutscene;
class vlkSpriteCS;
class vlkTextCS;

// The owner of a cut-scene, told when it ends (through the finish handler
// it sets).
class vlkICutscene {
public:
    virtual ~vlkICutscene() = default;
    virtual void OnCutsceneEnd(vlkCutscene* /*cutscene*/) {}
};

// A cut-scene: the objects of a cut-scene file and a time line of its
// keyframes. Each Update moves the time line on by the elapsed time (times
// the speed, never more than one frame interval), runs the actions of the
// keyframes reached, and animates the objects; Draw draws them in file
// order. The last keyframe ends the scene and tells the owner. A "stop"
// keyframe freezes everything (and shows the continue window) until
// Continue; Continue while the scene runs jumps to the next keyframe marked
// "afterstop", or ends the scene when there is none. Screens, panels and
// the animated texts own cut-scenes and drive them from their frames.
// Main thread only.
class vlkCutscene : public vlkITimeLine, public vlkISpriteCS, public vlkITextCS {
public:
    using FinishHandler = void (vlkICutscene::*)(vlkCutscene*);

    // Enabled and visible, speed 1.
    vlkCutscene();
    // Hides the continue window (not owned; may be null) until a "stop".
    vlkCutscene(vlkICutscene* owner, TWindow* continueWindow);
    // An independent copy of the other's definition, its objects made anew.
    vlkCutscene(const vlkCutscene& other);
    vlkCutscene& operator=(const vlkCutscene&) = delete;
    ~vlkCutscene() override;

    // Reads a cut-scene file; false (with a log line, the scene left without
    // objects or events) when it holds no "Cutscene" or its "fps" is not
    // 1 to 1000. A scene that did not load ends in its first update after
    // Play (and reads finished until played again), so a screen waiting on
    // its end goes on.
    bool Load(const TString& path);
    bool DidLoadFail() const { return mLoadFailed; }
    // Takes a copy of the other's definition and makes the objects anew.
    void LoadFrom(const vlkCutscene& other);
    vlkCutsceneDef GetDefinition() const { return mDefinition; }
    uint32_t CountTextStyles() const {
        return static_cast<uint32_t>(mDefinition.textStyles.size());
    }
    uint32_t CountKeyframes() const { return static_cast<uint32_t>(mDefinition.keyframes.size()); }

    // From the start.
    void Play();
    void Update(uint32_t elapsedMs);
    void Draw();
    // The offset of every object.
    void SetPosition(float x, float y);
    // Scales every sprite object at once.
    void SetScale(float x, float y);
    void HideAllObjects();
    vlkObjectCS* FindObject(const TString& name) const;
    vlkSpriteCS* FindSpriteObject(const TString& name) const;
    vlkTextCS* FindTextObject(const TString& name) const;
    // Offers the point to the objects, the one drawn last first; true when
    // a hit object's click command was a flow verb.
    bool HandleClick(int32_t x, int32_t y);
    // Resumes after a "stop"; while the scene runs, jumps to the next
    // "afterstop" keyframe (hiding every object first) or ends the scene.
    // Nothing once the scene has ended.
    void Continue();
    // The screens' name for Continue.
    void Skip() { Continue(); }
    // Ends the scene now and tells the owner.
    void Finish();
    // "continue", "stop", "skip" or "nop" (any case); false for others.
    bool RunFlowCommand(const TString& verb);
    void RunKeyframe(uint32_t index);
    // Deletes the objects and clears the time line.
    void ClearObjects();
    // Appends an object made elsewhere (drawn last, asked first for clicks).
    void AddObject(std::unique_ptr<vlkObjectCS> object) { mObjects.push_back(std::move(object)); }

    void OnTimeLineEvent(vlkTimeLine* timeLine, uint32_t index) override;
    void OnTimeLineEnd(vlkTimeLine* timeLine) override;

    void SetFinishHandler(FinishHandler handler) { mFinishHandler = handler; }
    FinishHandler GetFinishHandler() const { return mFinishHandler; }
    void SetOwner(vlkICutscene* owner) { mOwner = owner; }
    void SetSpeed(float speed) { mSpeed = speed; }
    float GetSpeed() const { return mSpeed; }
    void SetEnabled(bool enabled) { mEnabled = enabled; }
    bool IsEnabled() const { return mEnabled; }
    void SetVisible(bool visible) { mVisible = visible; }
    bool IsVisible() const { return mVisible; }
    void SetAutoClear(bool autoClear) { mAutoClear = autoClear; }
    // 1 in the update in which the scene ended (until the next update).
    uint32_t GetFinished() const { return mFinished; }
    bool IsFinished() const { return mFinished != 0; }
    bool IsPlaying() const { return mPlaying; }
    bool IsWaitingAtStop() const { return mWaitingAtStop; }
    uint32_t GetFrameInterval() const { return mFrameInterval; }
    float GetOffsetX() const { return mOffsetX; }
    float GetOffsetY() const { return mOffsetY; }
    TWindow* GetContinueWindow() const { return mContinueWindow; }
    const vlkTimeLine& GetTimeLine() const { return *mTimeLine; }
    const std::vector<std::unique_ptr<vlkObjectCS>>& GetObjects() const { return mObjects; }
    const vlkTextStyle& GetDefaultTextStyle() const { return mDefaultTextStyle; }

private:
    // Frame interval, objects and event times from the definition.
    void BuildFromDefinition();
    void ShowContinueWindow(bool show);

    vlkICutscene* mOwner = nullptr;
    vlkCutsceneDef mDefinition;
    std::unique_ptr<vlkTimeLine> mTimeLine;
    vlkTextStyle mDefaultTextStyle;
    std::vector<std::unique_ptr<vlkObjectCS>> mObjects;
    bool mWaitingAtStop = false;
    // Continue is running the keyframe it jumped to.
    bool mJumping = false;
    TWindow* mContinueWindow = nullptr;
    bool mPlaying = false;
    float mOffsetX = 0.0f;
    float mOffsetY = 0.0f;
    FinishHandler mFinishHandler = nullptr;
    uint32_t mFrameInterval = 0;
    float mSpeed = 1.0f;
    uint32_t mFinished = 0;
    bool mAutoClear = false;
    // The last Load (or the scene copied) read nothing.
    bool mLoadFailed = false;
    TString mFailedPath;
    // Said once: a looping owner plays a failed scene again and again.
    bool mFailureLogged = false;
    // Played while failed: every update reads finished.
    bool mEndedUnloaded = false;
    bool mEnabled = true;
    bool mVisible = true;
};
