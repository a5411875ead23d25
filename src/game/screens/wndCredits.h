#pragma once

#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"
#include "framework/ui/window/TWindow.h"

#include <cstdint>

class TTextLayout;

// The styles of the credits' headings as markup attributes.
struct CreditsStyles {
    TString headerColor; // "rrggbbaa"
    TString headerSize;
    TString sectionColor;
    TString sectionSize;
};
// One line of the credits file as rich text: blanks trimmed, "[" ... "]"
// a header span, "[[" ... "]]" a section span, a line holding "|" empty;
// every line ends with a line break.
TString CreditsLine(const TString& line, const CreditsStyles& styles);
// The colour as the markup writes it: red, green, blue, alpha, each x 255.
TString CreditsColor(const TColor& color);

// The credits text scrolling upwards for as long as the window lives: the
// file named by "file" turned into rich text (twice, with a blank stretch
// one window high after each copy), climbing one "slotheight" every "time"
// ms and jumping back down by its own height.
class wndCredits : public TWindow {
public:
    wndCredits();

    const char* GetClassName() const override { return "wndCredits"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void Init(TWindowStyle& style) override;
    bool OnAnimate() override;
    void Draw() override;

    // The scroll at nowMs (ms of the application's timer).
    void ScrollTo(uint32_t nowMs);

    // The text of the file with its blank stretch, before the second copy.
    const TString& GetText() const { return mText; }
    float GetSpeed() const { return mSpeed; }
    int32_t GetOffset() const { return mOffset; }
    const TTextLayout* GetLayout() const { return mLayout; }

protected:
    ~wndCredits() override;

private:
    float mSpeed = 0.0f;
    int32_t mOffset = 0;
    TRect mTextRect;
    TTextLayout* mLayout = nullptr;
    uint32_t mStart = 0;
    TString mFont;
    int32_t mFontSize = 0;
    int32_t mColumnGap = 0;
    int32_t mTime = 0;
    int32_t mColumnWidth = 0;
    TColor mFontColor;
    CreditsStyles mStyles;
    TString mFile;
    int32_t mSlotHeight = 0;
    TString mText;
};
