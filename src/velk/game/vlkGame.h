#pragma once

#include <cstdint>
#include <memory>

class TClock;
class TWindow;
class vlkGameLevel;
class vlkUserProgress;

// The game object: it stands between the board screen and the level being
// played, owns the current level and forwards pause, close requests, input,
// the frame's time and drawing to it; with no level every forward does
// nothing. The board screen makes it and its container deletes it. The
// game's own game object derives from it and makes the levels.
class vlkGame {
public:
    vlkGame() = default;
    vlkGame(const vlkGame&) = delete;
    vlkGame& operator=(const vlkGame&) = delete;
    // Deletes the current level.
    virtual ~vlkGame();

    virtual void SetPaused(bool paused);
    virtual void OnCloseRequest();
    virtual void StartLevel();
    virtual void EmptyHook4() {}
    virtual void EmptyHook5() {}
    // Called when a level has ended; nothing here.
    virtual void onEndLevel() {}
    // Makes the level to play next.
    virtual void gfn_CreateLevel() = 0;
    virtual void EmptyHook8() {}
    virtual void OnKeyDown(int key, int modifiers);
    virtual void OnKeyUp(int key);
    virtual void OnMouseDown(int x, int y);
    virtual void OnMouseButton(int x, int y, int code);
    virtual void OnMouseMove(int x, int y);
    // The milliseconds since the last frame.
    virtual void Update(uint32_t elapsed);
    virtual void Draw();
    virtual void EmptyHook16() {}
    virtual void EmptyHook17() {}

    // Replaces the current level (deleting the one before); null for none.
    void SetLevel(vlkGameLevel* level);
    vlkGameLevel* GetLevel() const { return mLevel.get(); }

    void SetOwner(TWindow* owner) { mOwner = owner; }
    TWindow* GetOwner() const { return mOwner; }
    void SetUserState(vlkUserProgress* state) { mUserState = state; }
    vlkUserProgress* GetUserState() const { return mUserState; }
    void SetLivesAtStart(int lives) { mLivesAtStart = lives; }
    int GetLivesAtStart() const { return mLivesAtStart; }

    // The clock of the owner window becomes the game clock, by which the
    // tiles time themselves; the board screen calls it when it starts.
    void PublishGameClock(TClock* ownerClock);

protected:
    std::unique_ptr<vlkGameLevel> mLevel;
    TWindow* mOwner = nullptr;
    // Held by the settings object.
    vlkUserProgress* mUserState = nullptr;
    int mLivesAtStart = 0;
};
