#pragma once

#include "framework/core/math/TRect.h"
#include "framework/core/math/TVector.h"
#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"

#include <cstdint>
#include <memory>
#include <vector>

class TMvecFont;
class TTextMarkup;
class TVecRenderTarget;

// Alignment flags of a text block.
enum TTextAlign : int32_t {
    kTextAlignLeft = 0,
    kTextAlignCenter = 1,  // centre each line horizontally
    kTextAlignRight = 2,   // right-align each line
    kTextAlignVCenter = 4, // centre the block vertically
    kTextAlignBottom = 8,  // the block's bottom at the bottom
};

// A stretch of one laid-out line in one style. Horizontal positions are
// whole pixels from the line's anchor; the baseline is in quarter pixels.
struct TTextRun {
    TMvecFont* font = nullptr;       // drawn with (the fallback font in a fallback run)
    float scale = 0.0f;              // font units to quarter pixels
    int32_t size = 0;                // pixels; 0 when the run holds nothing to show
    int32_t baseline = 0;            // quarter pixels from the line's top
    TMvecFont* styledFont = nullptr; // in a fallback run, the font the style asked for
    TColor color;
    uint8_t bold = 0;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t cursor = 0; // the text cursor stands at the run's end
    int32_t start = 0;  // byte index of the first character
    int32_t end = -2;   // byte index of the last character (start - 1 when empty)
    int32_t startX = 0;
    int32_t endX = 0;
    TString linkId;
    TColor linkColor;
    float outlineSize = 0.0f;
    TColor outlineColor;
    int32_t tabPosition = 0; // quarter pixels; 0 = no tab
    int32_t styleDepth = 0;  // the markup's style depth when the run began
};

// One laid-out line.
struct TTextLine {
    int32_t height = 0;   // tallest run plus the "pad" of a "br" that ends it, pixels
    int32_t baseline = 0; // lowest baseline of its runs, quarter pixels
    int32_t x = 0;        // anchor, pixels
    float xOffset = 0.0f; // added to x when drawing, pixels
    std::vector<TTextRun> runs;
};

// Rich text (UTF-8 with markup tags, see TTextMarkup) laid out into lines of
// styled runs inside a block: wrapping at blanks, soft hyphens or anywhere
// in a word too long for a line, per-character fallback to the default font,
// alignment per line and of the block. It measures the text and finds the
// link under a point. The window, sprite or overlay that creates a layout
// owns it and frees it with Destroy.
//
// All horizontal work while laying out is in quarter pixels. Setters lay
// out again only when their value changes.
class TTextLayout {
public:
    static constexpr const char* kFallbackFont = "fonts/default.mvec";

    static TTextLayout* Create(const TString& text, int32_t width, int32_t height,
                               int32_t alignment, const TString& fontName, int32_t fontSize,
                               const TColor& color);
    static void Destroy(TTextLayout* layout);

    TTextLayout();
    ~TTextLayout();
    TTextLayout(const TTextLayout&) = delete;
    TTextLayout& operator=(const TTextLayout&) = delete;

    void SetText(const TString& text);
    const TString& GetText() const { return mText; }
    // A null or empty name is the built-in font "__DEFAULT".
    void SetFont(const TString& name);
    const TString& GetFontName() const { return mFontName; }
    void SetFontSize(int32_t size);
    int32_t GetFontSize() const { return mFontSize; }
    void SetAlignment(int32_t alignment);
    int32_t GetAlignment() const { return mAlignment; }
    void SetBlockSize(int32_t width, int32_t height);
    int32_t GetWidth() const { return mWidth; }
    int32_t GetHeight() const { return mHeight; }
    void SetColor(const TColor& color);
    const TColor& GetColor() const { return mColor; }
    // Rotation in degrees about an origin; always lays out again.
    void SetRotation(float degrees, int32_t originX, int32_t originY);
    float GetRotationCos() const { return mRotationCos; }
    float GetRotationSin() const { return mRotationSin; }
    // Runs are merged into a render target's alpha instead of copied.
    void UseAlphaMerge() {
        mAlphaMerge = 1;
        mCopyMode = 0;
    }
    uint8_t GetCopyMode() const { return mCopyMode; }
    uint8_t GetAlphaMerge() const { return mAlphaMerge; }

    // The first line drawn and measured; the fraction scrolls part of it.
    void SetFirstLine(float line) { mFirstLine = line; }
    float GetFirstLine() const { return mFirstLine; }

    int32_t GetLineCount() const { return static_cast<int32_t>(mLines.size()); }
    const std::vector<std::shared_ptr<TTextLine>>& GetLines() const { return mLines; }
    int32_t GetTextHeight() const { return mTextHeight; }
    int32_t GetBoundsLeft() const { return mBoundsLeft; }
    int32_t GetBoundsTop() const { return mBoundsTop; }
    // The widest line's right edge in pixels (line anchor, offset and width).
    int32_t GetBoundsRight() const { return mBoundsRight; }
    float GetVerticalOffset() const { return mVerticalOffset; }
    // Sprite rendering places lines for a block drawn at any scale about its
    // own point (text sprites turn it on; otherwise the setting
    // "textspriterender" decides at creation).
    void SetSpriteRendering(bool on) { mSpriteRendering = on; }
    bool GetSpriteRendering() const { return mSpriteRendering; }
    // Lays out again although no setter saw a change (a font file or a
    // setting that changed).
    void Invalidate() { Layout(); }

    // The rectangle of the drawn lines at a scale.
    void GetTextBounds(TRect& bounds, float scale) const;
    TRect GetTextBounds(float scale) const;
    // The id of the link under a point (empty when none); lineSpacing is
    // the pixels added after each line.
    TString GetLinkAt(const TVec2& point, int32_t lineSpacing) const;
    // Takes the link under the point (none without a point) as the hover
    // link; true when that changed it.
    bool HasLinkAt(const TVec2* point, int32_t lineSpacing);
    const TString& GetHoverLink() const { return mHoverLink; }
    // The index of the first line of the longest tail of lines that fits
    // the block's height; 0 when all fit.
    int32_t GetLastPageStart(float scale, int32_t lineSpacing) const;

    // Draws the laid-out text through the current vector drawer with the
    // block's top-left corner at (x, y): into the target when one is given,
    // else to the screen relative to the current viewport. Lines whose
    // bottom lies below bottomLimit (from y) or above y are left out; scale
    // multiplies glyph sizes and line heights, lineSpacing (pixels) is
    // added after each line, alpha multiplies every colour's alpha. Nothing
    // is drawn at a negative scale. A given target is written and let go
    // before the call returns.
    void Draw(float x, float y, float bottomLimit, float scale, int32_t lineSpacing, float alpha,
              std::shared_ptr<TVecRenderTarget> target = nullptr);
    void Draw(const TVec2& position, float bottomLimit, float scale, int32_t lineSpacing,
              float alpha, std::shared_ptr<TVecRenderTarget> target = nullptr) {
        Draw(position.x, position.y, bottomLimit, scale, lineSpacing, alpha, std::move(target));
    }
    // Draws at the rectangle's top-left corner with its height as the
    // bottom limit (the width is the block's own, see SetBlockSize).
    void DrawInRect(const TRect& rect, float scale, int32_t lineSpacing, float alpha,
                    std::shared_ptr<TVecRenderTarget> target = nullptr);

private:
    void Layout();
    // A font from the cache, kept while the lines use it.
    TMvecFont* HoldFont(const TString& name);

    TString mText;
    std::unique_ptr<TTextMarkup> mMarkup;
    int32_t mBoundsLeft = 0;
    int32_t mBoundsTop = 0;
    int32_t mBoundsRight = 0;
    int32_t mTextHeight = 0;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    float mRotationCos = 1.0f;
    float mRotationSin = 0.0f;
    int32_t mRotationX = 0;
    int32_t mRotationY = 0;
    uint8_t mCopyMode = 0;
    uint8_t mAlphaMerge = 0;
    std::vector<std::shared_ptr<TTextLine>> mLines;
    // The fonts the runs point at: the font cache may be emptied while this
    // layout still draws them.
    std::vector<std::shared_ptr<TMvecFont>> mFonts;
    TString mFontName;
    int32_t mFontSize = 0;
    TColor mColor;
    float mFirstLine = 0.0f;
    float mVerticalOffset = 0.0f;
    TString mHoverLink;
    int32_t mAlignment = 0;
    bool mSpriteRendering = false;
};

// The layout as text, one line per laid-out line and per run (positions,
// sizes, styles, the run's text), then the bounds: for tests and probes.
TString TraceTextLayout(const TTextLayout& layout);
