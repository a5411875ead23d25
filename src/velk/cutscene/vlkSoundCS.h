#pragma once

#include "velk/cutscene/vlkObjectCS.h"

// A cut-scene object that plays and stops a sound of the game's asset
// lists, named by its resource. Without asset lists it plays nothing. A
// sound it played is stopped when the object goes, so a looping sound ends
// with its cut-scene.
class vlkSoundCS : public vlkObjectCS {
public:
    explicit vlkSoundCS(vlkISpriteCS* listener);
    ~vlkSoundCS() override;

    bool Init(const vlkObjectDef* def) override;
    // "sound" "play" (looping when the last "loop" is "true") and "stop",
    // which stops every instance of the sound.
    bool SetAction(const vlkAction* action) override;
    bool Update(uint32_t) override { return true; }
    void Draw() override {}
    bool HitTest(int32_t, int32_t) override { return false; }

    bool IsPlaying() const { return mPlaying; }

private:
    void StopSound();

    bool mPlaying = false;
    TString mSoundName;
};
