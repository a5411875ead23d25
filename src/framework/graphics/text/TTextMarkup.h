#pragma once

#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"

#include <cstdint>

// One entry of the markup's font stack: face, size (the height of a line in
// pixels) and colour.
struct TTextStyle {
    TString face;
    int32_t size = 0;
    TColor color;

    // Member by member; the face is shared with the source.
    TTextStyle& Assign(const TTextStyle& other) {
        face = other.face;
        size = other.size;
        color = other.color;
        return *this;
    }
};

// The style state of rich text while it is laid out, and the reader of its
// inline tags ("<b>", "<font size='20' color='ff0000'>", "<a id='x'>", ...).
// The text layout owns one and asks it at every character position whether
// a tag stands there.
//
// Both stacks hold 32 entries. Deeper pushes only count: while the style
// depth is 32 or more the style of entry 31 applies, and while the
// alignment depth is 32 or more the alignment of entry 31 applies.
class TTextMarkup {
public:
    static constexpr int kStackSize = 32;
    // Longest tag read, in characters; a longer one ends there.
    static constexpr int kTagLength = 128;
    // Numbers in tags are held to these: font sizes and "br" padding (either
    // way) in pixels, outline widths in pixels, tab positions in pixels.
    static constexpr int32_t kMaxFontSize = 1000;
    static constexpr int32_t kMaxOutlineSize = 100;
    static constexpr int32_t kMaxTabPosition = 100000;

    // Alignments on the stack (-1 in entry 0: the layout's own flags).
    static constexpr int32_t kAlignDefault = -1;
    static constexpr int32_t kAlignLeft = 0;
    static constexpr int32_t kAlignCenter = 1;
    static constexpr int32_t kAlignRight = 2;

    // The outputs of one ParseTag call.
    struct TTagResult {
        int32_t consumed = 0;     // bytes of the tag, both brackets included
        int32_t lineBreak = 0;    // "br" or "/p"
        int32_t padding = 0;      // "pad" of a "br" tag, pixels
        int32_t cursor = 0;       // "cursor"
        int32_t alignChanged = 0; // an alignment was pushed or popped
        int32_t tabPosition = 0;  // "tab": quarter pixels from the line start
    };

    TTextMarkup() { Reset(); }

    // Back to the state at the start of a text. The style entries stay as
    // they are (the layout writes entry 0 right after).
    void Reset();

    // Reads the tag at the start of text (remaining bytes of the text from
    // there). False when no tag stands there: the caller reads a character.
    // The tab position is cleared on every call; the other outputs are only
    // ever set.
    bool ParseTag(const char* text, int32_t remaining, int32_t& consumed, int32_t& lineBreak,
                  int32_t& padding, int32_t& cursor, int32_t& alignChanged, int32_t& tabPosition);
    // The same with the outputs in one record (cleared first).
    bool ParseTag(const char* text, int32_t remaining, TTagResult& result);

    void PushAlign(int32_t value);
    void PopAlign();

    // The style and alignment at the current depths (entry 31 past the
    // stacks' end).
    const TTextStyle& GetStyle() const { return mStyles[Clamp(mStyleDepth)]; }
    int32_t GetAlign() const { return mAligns[Clamp(mAlignDepth)]; }

    TTextStyle mStyles[kStackSize];
    int32_t mStyleDepth = 0;
    uint8_t mBold = 0;
    uint8_t mItalic = 0;
    uint8_t mUnderline = 0;
    int32_t mAligns[kStackSize] = {};
    int32_t mAlignDepth = 0;
    TString mLinkId;
    TColor mLinkColor;
    float mOutlineSize = 0.0f;
    TColor mOutlineColor;

private:
    static int Clamp(int32_t depth) {
        return depth < 0 ? 0 : (depth >= kStackSize ? kStackSize - 1 : depth);
    }
    void PushStyle(const char* tag);
};
