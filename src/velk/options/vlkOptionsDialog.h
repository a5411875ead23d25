#pragma once

#include "framework/ui/window/TWindow.h"

class TSlider;
struct lua_State;

// The options dialog: its children "chkFullScreen" and "chkAudioMute"
// (toggle buttons) and "sliderSoundLevel" and "sliderMusicLevel" (sliders)
// start from the application's display mode and the stored audio settings.
// Moving a slider changes the volume at once; the script function
// "gfn_saveVolumeLevels", which the dialog defines while it lives, stores
// the two volumes (its OK button calls it). Any child may be missing.
class vlkOptionsDialog : public TWindow {
public:
    vlkOptionsDialog();

    const char* GetClassName() const override { return "vlkOptionsDialog"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    // A slider's value change sets its volume.
    bool OnMessage(TMessage* message) override;

    // Stores the sliders' volumes ("vlkSound", "vlkMusic") and makes the
    // music slider's value the music volume; a missing slider stores
    // nothing.
    void SaveVolumeLevels();

    TSlider* GetSoundSlider() const { return mSoundSlider; }
    TSlider* GetMusicSlider() const { return mMusicSlider; }

protected:
    // Takes "gfn_saveVolumeLevels" away while it still calls this dialog.
    ~vlkOptionsDialog() override;

private:
    void RegisterSaveFunction();
    void UnregisterSaveFunction();

    TSlider* mSoundSlider = nullptr;
    TSlider* mMusicSlider = nullptr;
    // The state the script function was defined in.
    lua_State* mScriptState = nullptr;
};
