#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <memory>
#include <vector>

class vlkCutscene;

// A text shown by playing a cut-scene as a template. With a letter image
// path (letter mode) every character becomes a copy of the template whose
// sprite object (named by the object name) shows the character's picture,
// path + "c" + the hexadecimal bytes of its UTF-8 form + ".png"; the row of
// letters is centred on the position. Without one, a single copy shows the
// text in its text object of that name. Banners of the board, panels and
// screens use it.
class vlkCutsceneText {
public:
    vlkCutsceneText(const TString& cutsceneFile, const TString& objectName,
                    const TString& letterPath);
    vlkCutsceneText(const vlkCutsceneText&) = delete;
    vlkCutsceneText& operator=(const vlkCutsceneText&) = delete;
    ~vlkCutsceneText();

    void SetText(const TString& text);
    // Plays every copy from its start.
    void Play();
    void Update(uint32_t elapsedMs);
    void Draw();
    void SetPosition(int32_t x, int32_t y);
    void SetScale(float scale);
    // Pixels between letters before scaling (letter mode only).
    void SetSpacing(int32_t spacing);
    // A fixed advance per letter, not scaled; -1 uses each picture's own
    // width (letter mode only).
    void SetLetterWidth(int32_t width);
    // The copies have finished playing; a text without copies is done at
    // its first update.
    bool IsDone() const { return mDone != 0; }

    const TString& GetText() const { return mText; }
    bool IsLetterMode() const { return mLetterMode != 0; }
    int32_t GetTotalWidth() const { return mTotalWidth; }
    const std::vector<std::unique_ptr<vlkCutscene>>& GetCopies() const { return mCopies; }
    // The picture file of each letter, in order (letter mode).
    const std::vector<TString>& GetLetterFiles() const { return mLetterFiles; }

    // The picture of the UTF-8 character at the start of text, under the
    // path; its length in bytes goes to length.
    static TString LetterFile(const TString& path, const char* text, size_t available,
                              size_t& length);

private:
    void BuildLetters();
    void Layout(int32_t x, int32_t y);

    std::unique_ptr<vlkCutscene> mTemplate;
    std::vector<std::unique_ptr<vlkCutscene>> mCopies;
    // Per copy: the width of its letter picture, -1 when it has no sprite
    // object of the name.
    std::vector<int32_t> mWidths;
    std::vector<TString> mLetterFiles;
    TString mText;
    TString mCutsceneFile;
    TString mObjectName;
    TString mLetterPath;
    int32_t mLetterWidth = -1;
    int32_t mTotalWidth = 0;
    int32_t mX = 0;
    int32_t mY = 0;
    uint8_t mPlaced = 0;
    float mScale = 1.0f;
    uint8_t mDone = 0;
    int32_t mSpacing = 0;
    uint8_t mLetterMode = 0;
    uint8_t mActive = 0;
    uint8_t mVisible = 0;
};
