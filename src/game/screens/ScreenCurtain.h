#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <memory>

class TWindow;
class vlkCutscene;

// The curtains a menu screen opens and closes behind: one cut-scene file
// played at twice its speed. A file that does not load counts as a curtain
// that has finished at once (with a log line), so that a screen waiting on
// it does not keep its buttons disabled for ever.
class ScreenCurtain {
public:
    explicit ScreenCurtain(const TString& file);
    ScreenCurtain(const ScreenCurtain&) = delete;
    ScreenCurtain& operator=(const ScreenCurtain&) = delete;
    ~ScreenCurtain();

    // Plays the scene from its start and takes its first step.
    void Play();
    // Moves it on; true once, in the update in which it ended (or, for a
    // file that did not load, in the first update after Play).
    bool Update(uint32_t elapsedMs);
    void Draw();

    const TString& GetFile() const { return mFile; }
    bool IsLoaded() const { return mLoaded; }
    const vlkCutscene* GetScene() const { return mScene.get(); }

private:
    TString mFile;
    std::unique_ptr<vlkCutscene> mScene;
    bool mLoaded = false;
    // Ended since the last Update answered.
    bool mEnded = false;
};

// The clock reading of the window's animator (its modal's clock), or the
// framework time when the window has no animator clock yet.
uint32_t WindowAnimatorTime(TWindow& window);

// Back to the main menu from a screen whose curtains have closed: drawing
// stops, so that nothing shows the screens as they go, and every modal
// above the menu is closed.
void LeaveToMainMenu();
