#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

// The base of the game's levels: the game object owns the level being
// played and forwards pause, close requests, input, the frame's time and
// drawing to it. A level is made not running and paused; Start makes it
// run. Every level supplies Update.
class vlkGameLevel {
public:
    vlkGameLevel() = default;
    vlkGameLevel(const vlkGameLevel&) = delete;
    vlkGameLevel& operator=(const vlkGameLevel&) = delete;
    virtual ~vlkGameLevel() = default;

    virtual void Start();
    virtual void SetPaused(bool paused) { mPaused = paused; }
    virtual void OnCloseRequest() {}
    virtual void EmptyHook4() {}
    virtual void EmptyHook5() {}
    virtual void OnKeyDown(int /*key*/, int /*modifiers*/) {}
    virtual void OnKeyUp(int /*key*/) {}
    virtual void OnMouseDown(int /*x*/, int /*y*/) {}
    virtual void OnMouseButton(int /*x*/, int /*y*/, int /*code*/) {}
    virtual void OnMouseMove(int /*x*/, int /*y*/) {}
    virtual void Draw() {}
    virtual void EmptyHook12() {}
    // The milliseconds since the last frame.
    virtual void Update(uint32_t elapsed) = 0;
    virtual bool IsRunning() const { return mRunning; }
    virtual bool IsPaused() const { return mPaused; }

private:
    bool mRunning = false;
    bool mPaused = true;
};

// The value of a named state of the game-state registry; empty when the
// registry does not hold it or does not exist.
TString GetGameStateValue(const TString& name);
