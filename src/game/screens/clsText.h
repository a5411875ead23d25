#pragma once

#include "framework/ui/widgets/TText.h"

#include <cstdint>
#include <memory>

class vlkCutsceneText;

// A text window that shows its text as a row of letter pictures played
// from the "Text" cut-scene, centred in the window, at the table's "Scale"
// with "Space" pixels between letters. The game data's "spritetext"
// setting "animation" chooses what is drawn: 0 the plain text alone, 11
// the letters with the plain text over them, anything else the letters
// alone.
class clsText : public TText {
public:
    clsText();

    const char* GetClassName() const override { return "clsText"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TText::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    void Draw() override;
    void SetText(const TString& text) override;

    const vlkCutsceneText* GetLetters() const { return mLetters.get(); }
    float GetScale() const { return mLetterScale; }
    int32_t GetSpacing() const { return mSpacing; }
    bool DrawsLetters() const { return mTextOnly == 0; }
    bool DrawsText() const { return mTextOnly != 0 || mLettersAndText != 0; }

protected:
    ~clsText() override;

private:
    // Gives the letters the text, centres them, plays them from the start.
    void LayOut(const TString& text);

    std::unique_ptr<vlkCutsceneText> mLetters;
    float mLetterScale = 1.0f;
    uint8_t mTextOnly = 0;
    uint8_t mLettersAndText = 0;
    int32_t mSpacing = 0;
};
