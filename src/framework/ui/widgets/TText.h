#pragma once

#include "framework/core/text/TColor32.h"
#include "framework/ui/window/TWindow.h"

class TTextLayout;

// The font a text window's table asks for: "font" = { name, size, colour }.
struct TFontSpec {
    TString name = "__DEFAULT";
    int32_t size = 16;
    TColor color = TColor(0.0f, 1.0f, 0.0f, 1.0f);
};

// A window that shows a block of laid-out rich text. Its label is
// translated through the string table, and a click on a link in the text
// presses the button of the same dialog that the link names.
class TText : public TWindow {
public:
    // With overlay the text takes part in drawing pass 1 (tool tips).
    explicit TText(bool overlay = false);

    const char* GetClassName() const override { return "TText"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    // "font", "name", "label", "defflags", "flags", "padding", "rotation",
    // "rotationOriginX", "rotationOriginY", "rotationAlign"; then name and
    // placement. A window without a size gets no layout and logs it.
    void Init(TWindowStyle& style) override;
    void Draw() override;
    bool OnMouseDown(TPoint point) override;
    bool OnMouseUp(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    bool OnMouseExit() override;

    // Nothing without a layout; a change marks the screen dirty.
    virtual void SetText(const TString& text);
    virtual TString GetText() const;

    // False when width or height is 0; sizes the window to them.
    bool CreateLayout(const TString& text, int32_t width, int32_t height, int32_t alignment,
                      const TString& fontName, int32_t fontSize, const TColor& color);
    // The laid-out text's rectangle at scale 1.
    TRect GetTextExtent() const;
    void SetColor(const TColor& color);
    void SetAlpha(float alpha) { mAlpha = alpha; }
    float GetAlpha() const { return mAlpha; }
    void SetRotation(float degrees, int32_t originX, int32_t originY);
    TTextLayout* GetLayout() const { return mLayout; }
    int32_t GetPadding() const { return mPadding; }
    const TString& GetPressedLink() const { return mLink; }

    // The label as shown: "#text" literally, numbers as they stand, else the
    // string table's text for it.
    static TString TranslateLabel(const TString& label);
    static TFontSpec ReadFont(TWindowStyle& style);

protected:
    ~TText() override;

    TTextLayout* mLayout = nullptr;
    float mScale = 1.0f;
    float mAlpha = 1.0f;
    int32_t mPadding = 0;
    float mLineSpacing = 0.5f;
    TString mLink;
};
