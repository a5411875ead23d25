#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <memory>
#include <vector>

class vlkCutsceneText;

// A text in parts separated by "_", played one part after another as
// cut-scene texts at one position: "3_2_1_GO" counts down. Banners of the
// board and screens use it.
class vlkCutsceneTextSequence {
public:
    vlkCutsceneTextSequence(const TString& cutsceneFile, const TString& objectName,
                            const TString& letterPath);
    vlkCutsceneTextSequence(const vlkCutsceneTextSequence&) = delete;
    vlkCutsceneTextSequence& operator=(const vlkCutsceneTextSequence&) = delete;
    ~vlkCutsceneTextSequence();

    // "A__B" gives the parts A, an empty part and B; "" one empty part.
    void SetText(const TString& text);
    // From the first part; true.
    bool Play();
    // Nothing more is played or drawn; the number of parts.
    uint32_t Stop();
    void Update(uint32_t elapsedMs);
    void Draw();
    void SetPosition(int32_t x, int32_t y);
    void SetLetterWidth(int32_t width);
    void SetSpacing(int32_t spacing);
    // Every part has played.
    bool IsFinished() const;
    // True only in the update in which the last part ended.
    bool IsFinishedThisFrame() const { return mFinishedThisFrame != 0; }
    size_t GetCurrentIndex() const { return mCurrent; }
    bool IsPlaying() const { return mPlaying != 0; }
    bool IsVisible() const { return mVisible != 0; }
    void SetVisible(bool visible) { mVisible = visible ? 1 : 0; }
    const std::vector<std::unique_ptr<vlkCutsceneText>>& GetParts() const { return mParts; }

private:
    std::vector<std::unique_ptr<vlkCutsceneText>> mParts;
    TString mCutsceneFile;
    TString mObjectName;
    TString mLetterPath;
    int32_t mX = 0;
    int32_t mY = 0;
    size_t mCurrent = 0;
    uint8_t mFinishedThisFrame = 0;
    uint8_t mLetterMode = 0;
    uint8_t mPlaying = 0;
    uint8_t mVisible = 0;
};
