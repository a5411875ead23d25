#include "velk/cutscene/vlkCutscene.h"

#include "framework/core/log/TLog.h"
#include "framework/ui/window/TWindow.h"
#include "velk/cutscene/vlkSpriteCS.h"
#include "velk/cutscene/vlkTextCS.h"

vlkCutscene::vlkCutscene() : mTimeLine(std::make_unique<vlkTimeLine>(this)) {
    mTimeLine->SetHooks(&vlkITimeLine::OnTimeLineEvent, &vlkITimeLine::OnTimeLineEnd);
}

vlkCutscene::vlkCutscene(vlkICutscene* owner, TWindow* continueWindow) : vlkCutscene() {
    mOwner = owner;
    mContinueWindow = continueWindow;
    ShowContinueWindow(false);
}

vlkCutscene::vlkCutscene(const vlkCutscene& other) : vlkCutscene() {
    LoadFrom(other);
}

vlkCutscene::~vlkCutscene() {
    mObjects.clear();
}

void vlkCutscene::ShowContinueWindow(bool show) {
    if (!mContinueWindow)
        return;
    const uint32_t flags = mContinueWindow->GetFlags();
    mContinueWindow->SetFlags(show ? flags | kWindowVisible : flags & ~kWindowVisible);
}

void vlkCutscene::ClearObjects() {
    mObjects.clear();
    mTimeLine->Clear();
}

void vlkCutscene::Play() {
    mTimeLine->Start();
    mPlaying = true;
    mEndedUnloaded = mLoadFailed;
}

void vlkCutscene::Update(uint32_t elapsedMs) {
    mFinished = 0;
    if (!mEnabled || mWaitingAtStop)
        return;
    // A scene that did not load has no last keyframe to wait for: from its
    // first update after Play it reads finished, in every update until it
    // is played again, so that an owner that primes a scene with an update
    // of 0 ms before polling it still sees the end. The owner is told once.
    if (mLoadFailed) {
        if (mPlaying) {
            if (!mFailureLogged)
                LogPrintf("Cut-scene: \"%s\" did not load; it counts as finished",
                          mFailedPath.CStr());
            mFailureLogged = true;
            Finish();
        } else if (mEndedUnloaded) {
            mFinished = 1;
        }
        return;
    }
    const float scaled = static_cast<float>(elapsedMs) * mSpeed;
    uint32_t dt = scaled > 0.0f && scaled < 4294967040.0f ? static_cast<uint32_t>(scaled) : 0u;
    if (dt > mFrameInterval)
        dt = mFrameInterval;
    mTimeLine->Advance(dt);
    for (size_t i = 0; i < mObjects.size(); ++i)
        mObjects[i]->Update(dt);
}

void vlkCutscene::Draw() {
    if (!mVisible)
        return;
    for (const auto& object : mObjects)
        object->Draw();
}

void vlkCutscene::SetPosition(float x, float y) {
    mOffsetX = x;
    mOffsetY = y;
    for (const auto& object : mObjects)
        object->SetPosition(x, y, 0.0f);
}

void vlkCutscene::SetScale(float x, float y) {
    for (const auto& object : mObjects) {
        if (object->IsSprite())
            static_cast<vlkSpriteCS*>(object.get())->SetScale(TVec3(x, y, 1.0f));
    }
}

void vlkCutscene::HideAllObjects() {
    for (const auto& object : mObjects)
        object->SetVisible(false);
}

vlkObjectCS* vlkCutscene::FindObject(const TString& name) const {
    for (const auto& object : mObjects) {
        if (object->GetName().View() == name.View())
            return object.get();
    }
    return nullptr;
}

vlkSpriteCS* vlkCutscene::FindSpriteObject(const TString& name) const {
    for (const auto& object : mObjects) {
        if (object->IsSprite() && object->GetName().View() == name.View())
            return static_cast<vlkSpriteCS*>(object.get());
    }
    return nullptr;
}

vlkTextCS* vlkCutscene::FindTextObject(const TString& name) const {
    for (const auto& object : mObjects) {
        if (object->IsText() && object->GetName().View() == name.View())
            return static_cast<vlkTextCS*>(object.get());
    }
    return nullptr;
}

bool vlkCutscene::HandleClick(int32_t x, int32_t y) {
    for (size_t i = mObjects.size(); i-- > 0;) {
        if (i >= mObjects.size())
            continue; // a command cleared the list
        vlkObjectCS& object = *mObjects[i];
        if (object.HitTest(x, y) && RunFlowCommand(object.GetCommand()))
            return true;
    }
    return false;
}

void vlkCutscene::Continue() {
    if (mWaitingAtStop) {
        ShowContinueWindow(false);
        mWaitingAtStop = false;
        return;
    }
    // A "continue" among the actions of the keyframe jumped to would jump
    // to that keyframe again.
    if (!mPlaying || mJumping)
        return;
    HideAllObjects();
    for (uint32_t k = mTimeLine->GetIndex(); k < mDefinition.keyframes.size(); ++k) {
        if (!mDefinition.keyframes[k].afterStop)
            continue;
        if (!mTimeLine->Seek(k))
            return;
        mJumping = true;
        RunKeyframe(k);
        mJumping = false;
        // The keyframe has run: the time line goes on after it.
        if (mTimeLine->GetIndex() == k)
            mTimeLine->Pass();
        return;
    }
    Finish();
}

void vlkCutscene::Finish() {
    mPlaying = false;
    mFinished = 1;
    // An ended scene reaches no further keyframe, so the owner hears of the
    // end once.
    mTimeLine->Stop();
    if (mOwner && mFinishHandler)
        (mOwner->*mFinishHandler)(this);
    if (mAutoClear)
        ClearObjects();
}

void vlkCutscene::OnTimeLineEvent(vlkTimeLine* /*timeLine*/, uint32_t index) {
    RunKeyframe(index);
}

void vlkCutscene::OnTimeLineEnd(vlkTimeLine* /*timeLine*/) {
    Finish();
}

bool vlkCutscene::RunFlowCommand(const TString& given) {
    TString verb = given;
    verb.ToLower();
    const std::string_view word = verb.View();
    if (word == "continue") {
        Continue();
    } else if (word == "stop") {
        ShowContinueWindow(true);
        mWaitingAtStop = true;
    } else if (word == "skip") {
        Finish();
    } else if (word != "nop") {
        return false;
    }
    return true;
}

void vlkCutscene::RunKeyframe(uint32_t index) {
    if (index >= mDefinition.keyframes.size())
        return;
    for (size_t i = 0; i < mDefinition.keyframes[index].actions.size(); ++i) {
        vlkAction& action = mDefinition.keyframes[index].actions[i];
        action.object.ToLower();
        if (action.object.View() == "system") {
            action.function.ToLower();
            RunFlowCommand(action.function);
            continue;
        }
        if (vlkObjectCS* object = FindObject(action.object)) {
            object->SetAction(&action);
            object->StartAction();
        }
    }
}
