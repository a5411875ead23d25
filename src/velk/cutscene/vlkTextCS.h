#pragma once

#include "velk/cutscene/vlkObjectCS.h"

#include <memory>
#include <vector>

class TTextSprite;

// A cut-scene object that shows a text of the string table in one of the
// scene's text styles: it moves, scales its font, changes colour and can
// type its text out letter by letter. Its resource names the style. Text
// never takes clicks.
class vlkTextCS : public vlkObjectCS {
public:
    using Hook = void (vlkITextCS::*)(vlkTextCS*);

    explicit vlkTextCS(vlkISpriteCS* listener);
    ~vlkTextCS() override;

    // The scene's styles, given by the cut-scene before Init.
    void SetStyles(const std::vector<vlkTextStyle>& styles) { mStyles = styles; }
    bool Init(const vlkObjectDef* def) override;
    bool SetAction(const vlkAction* action) override;
    bool Update(uint32_t dt) override;
    void Draw() override;
    bool HitTest(int32_t, int32_t) override { return false; }

    // The text sprite takes the style's size, font (under "loc/<locale>/"),
    // colour, font size and alignment.
    void ApplyStyle(const vlkTextStyle& style);
    // Shows the text as given (no string-table label), ending any typing.
    void SetText(const TString& text);

    const std::shared_ptr<TTextSprite>& GetTextSprite() const { return mTextSprite; }
    const vlkTextStyle& GetStyle() const { return mStyle; }
    const TVec3& GetPosition() const { return mPosition; }
    float GetScale() const { return mScale; }
    bool IsTyping() const { return mTyping; }

private:
    void PlaceText();
    void Call(Hook hook);
    // The label's text in the game's string table; the label itself
    // without a table.
    static TString Localised(const TString& label);

    std::vector<vlkTextStyle> mStyles;
    vlkTextStyle mStyle;
    TString mFullText;
    float mShown = 0.0f;
    float mTypeSpeed = 0.0f;
    TVec3 mPosition, mTargetPosition, mPositionStep;
    bool mMoving = false;
    bool mTyping = false;
    float mScale = 1.0f;
    float mTargetScale = 0.0f;
    float mScaleStep = 0.0f;
    bool mScaling = false;
    TColor mColour, mTargetColour, mColourStep;
    bool mColouring = false;
    int32_t mBaseSize = 12;
    std::shared_ptr<TTextSprite> mTextSprite;
    Hook mOnMoveStep = nullptr;
    Hook mOnMoveEnd = nullptr;
    Hook mOnTypeEnd = nullptr;
    Hook mOnScaleEnd = nullptr;
    Hook mOnColourEnd = nullptr;
};
