// The markup reader: tag normalisation, names matched by prefix, quoted
// attributes, colours, and the style and alignment stacks.

#include "framework/graphics/text/TTextMarkup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const TColor kGrey(0.5f, 0.5f, 0.5f, 1.0f);

// The state after reading a text of tags one by one, with the outputs of
// every call taken together (the tab position of the last).
struct Outcome {
    bool allTags = true;
    int32_t consumed = 0; // bytes, all calls together
    int32_t lineBreak = 0;
    int32_t padding = 0;
    int32_t cursor = 0;
    int32_t alignChanged = 0;
    int32_t tab = 0;
};

Outcome ReadTags(TTextMarkup& markup, const std::string& text) {
    Outcome out;
    size_t at = 0;
    while (at < text.size()) {
        TTextMarkup::TTagResult r;
        if (!markup.ParseTag(text.c_str() + at, static_cast<int32_t>(text.size() - at), r)) {
            out.allTags = false;
            break;
        }
        EXPECT_GT(r.consumed, 0);
        at += static_cast<size_t>(r.consumed);
        out.consumed += r.consumed;
        out.lineBreak |= r.lineBreak;
        out.padding += r.padding;
        out.cursor |= r.cursor;
        out.alignChanged |= r.alignChanged;
        out.tab = r.tabPosition;
    }
    return out;
}

TTextMarkup FreshMarkup() {
    TTextMarkup markup;
    markup.Reset();
    markup.mStyles[0].face = "__DEFAULT";
    markup.mStyles[0].size = 20;
    markup.mStyles[0].color = kGrey;
    return markup;
}

struct TagCase {
    const char* text;
    bool allTags = true;
    int32_t lineBreak = 0;
    int32_t padding = 0;
    int32_t cursor = 0;
    int32_t alignChanged = 0;
    int32_t tab = 0;
    int bold = 0, italic = 0, underline = 0;
    int32_t styleDepth = 0;
    int32_t size = 20;
    TColor color = kGrey;
    const char* face = "__DEFAULT";
    int32_t align = -1;
    int32_t alignDepth = 0;
    const char* link = "";
    TColor linkColor = TColor();
    float outlineSize = 0.0f;
    TColor outlineColor = TColor();
};

const TColor kRed(1.0f, 0.0f, 0.0f, 1.0f);

const TagCase kCases[] = {
    {.text = "<br>", .lineBreak = 1},
    {.text = "<BR>", .lineBreak = 1},
    {.text = "< br >", .lineBreak = 1},
    {.text = "<br pad='7'>", .lineBreak = 1, .padding = 7},
    {.text = "<br pad=7>", .lineBreak = 1}, // unquoted values are not read
    {.text = "</p>", .lineBreak = 1},
    {.text = "<b>", .bold = 1},
    {.text = "<b></b>"},
    {.text = "<blink>", .bold = 1}, // begins with "b"
    {.text = "<i><u>", .italic = 1, .underline = 1},
    {.text = "<i><u></i></u>"},
    {.text = "<cursor>", .cursor = 1},
    {.text = "<zzz>"}, // none of the names: swallowed
    {.text = "<center>", .alignChanged = 1, .align = 1, .alignDepth = 1},
    {.text = "<right>", .alignChanged = 1, .align = 2, .alignDepth = 1},
    {.text = "<center><left>", .alignChanged = 1, .align = 0, .alignDepth = 2},
    {.text = "<center><right></right>", .alignChanged = 1, .align = 1, .alignDepth = 1},
    {.text = "</center>", .alignChanged = 1},
    {.text = "<tab pos='150'>", .tab = 600},
    {.text = "<tab>"},
    {.text = "<font color='ff0000'>", .styleDepth = 1, .color = kRed},
    {.text = "<font color='#ff0000'>", .styleDepth = 1, .color = kRed},
    {.text = "<font color=\"FF000080\">",
     .styleDepth = 1,
     .color = TColor(1.0f, 0.0f, 0.0f, 128 / 255.0f)},
    {.text = "<font color='#FF000080'>",
     .styleDepth = 1,
     .color = TColor(1.0f, 0.0f, 0.0f, 128 / 255.0f)},
    {.text = "<font color=ff0000>", .styleDepth = 1},
    {.text = "<font size='32' face='Fonts/Big.mvec'>",
     .styleDepth = 1,
     .size = 32,
     .face = "Fonts/Big.mvec"},
    {.text = "<FONT SIZE='12'></font>"},
    {.text = "</font></font>"},
    {.text = "<a id='more'>", .link = "more", .linkColor = kGrey},
    {.text = "<a id='Read More'>", .link = "Read more", .linkColor = kGrey},
    {.text = "<a id='x' color='00ff00'>", .link = "x", .linkColor = TColor(0.0f, 1.0f, 0.0f, 1.0f)},
    {.text = "<abc>", .linkColor = kGrey},
    {.text = "<a id='x'></a>", .linkColor = kGrey},
    {.text = "<outline>", .outlineSize = 2.0f},
    {.text = "<outline color='0000ff' size='3'>",
     .outlineSize = 3.0f,
     .outlineColor = TColor(0.0f, 0.0f, 1.0f, 1.0f)},
    {.text = "<outline color='0000ff80'>",
     .outlineSize = 2.0f,
     .outlineColor = TColor(0.0f, 1.0f, 128 / 255.0f, 1.0f)}, // no alpha outside "font"
    {.text = "<outline size='3'></outline>"},
    {.text = "<b", .allTags = false},
    {.text = "plain", .allTags = false},
};

TEST(TextMarkup, TagTable) {
    for (const TagCase& c : kCases) {
        SCOPED_TRACE(c.text);
        TTextMarkup markup = FreshMarkup();
        const Outcome out = ReadTags(markup, c.text);
        EXPECT_EQ(out.allTags, c.allTags);
        EXPECT_EQ(out.lineBreak, c.lineBreak);
        EXPECT_EQ(out.padding, c.padding);
        EXPECT_EQ(out.cursor, c.cursor);
        EXPECT_EQ(out.alignChanged, c.alignChanged);
        EXPECT_EQ(out.tab, c.tab);
        EXPECT_EQ(markup.mBold, c.bold);
        EXPECT_EQ(markup.mItalic, c.italic);
        EXPECT_EQ(markup.mUnderline, c.underline);
        EXPECT_EQ(markup.mStyleDepth, c.styleDepth);
        EXPECT_EQ(markup.GetStyle().size, c.size);
        EXPECT_EQ(markup.GetStyle().color, c.color);
        EXPECT_STREQ(markup.GetStyle().face.CStr(), c.face);
        EXPECT_EQ(markup.GetAlign(), c.align);
        EXPECT_EQ(markup.mAlignDepth, c.alignDepth);
        EXPECT_STREQ(markup.mLinkId.CStr(), c.link);
        EXPECT_EQ(markup.mLinkColor, c.linkColor);
        EXPECT_EQ(markup.mOutlineSize, c.outlineSize);
        EXPECT_EQ(markup.mOutlineColor, c.outlineColor);
    }
}

TEST(TextMarkup, ConsumedCountsBothBracketsAndOnlyTheTag) {
    TTextMarkup markup = FreshMarkup();
    TTextMarkup::TTagResult r;
    const std::string text = "< Font size='9' >rest";
    ASSERT_TRUE(markup.ParseTag(text.c_str(), static_cast<int32_t>(text.size()), r));
    EXPECT_EQ(r.consumed, 17);
    EXPECT_EQ(markup.GetStyle().size, 9);
}

TEST(TextMarkup, NoTagWhereNoAngleBracketStandsOrTheTextEndsFirst) {
    TTextMarkup markup = FreshMarkup();
    TTextMarkup::TTagResult r;
    EXPECT_FALSE(markup.ParseTag("x<b>", 4, r));
    // The remaining length bounds the read even when a ">" follows it.
    EXPECT_FALSE(markup.ParseTag("<b>", 2, r));
    EXPECT_EQ(markup.mBold, 0);
}

TEST(TextMarkup, ALongTagEndsAfter128Characters) {
    TTextMarkup markup = FreshMarkup();
    const std::string text = "<b" + std::string(200, 'x') + ">";
    TTextMarkup::TTagResult r;
    ASSERT_TRUE(markup.ParseTag(text.c_str(), static_cast<int32_t>(text.size()), r));
    EXPECT_EQ(r.consumed, 128);
    EXPECT_EQ(markup.mBold, 1);
    // Blanks outside quotes are not copied, so more source is read.
    const std::string spaced = "<b" + std::string(100, ' ') + std::string(200, 'x') + ">";
    ASSERT_TRUE(markup.ParseTag(spaced.c_str(), static_cast<int32_t>(spaced.size()), r));
    EXPECT_EQ(r.consumed, 228);
}

TEST(TextMarkup, ThirtyThreeNestedFontsStayBalancedAndReadNoFurtherThanTheStack) {
    TTextMarkup markup = FreshMarkup();
    for (int i = 1; i <= 33; ++i) {
        const std::string tag = "<font size='" + std::to_string(i + 20) + "'>";
        ReadTags(markup, tag);
        EXPECT_EQ(markup.mStyleDepth, i);
        // Past the stack the style of entry 31 applies.
        EXPECT_EQ(markup.GetStyle().size, 20 + std::min(i, 31));
    }
    for (int i = 33; i >= 1; --i) {
        ReadTags(markup, "</font>");
        EXPECT_EQ(markup.mStyleDepth, i - 1);
    }
    EXPECT_EQ(markup.GetStyle().size, 20);
    EXPECT_EQ(markup.GetStyle().color, kGrey);
    ReadTags(markup, "</font>");
    EXPECT_EQ(markup.mStyleDepth, 0);
}

TEST(TextMarkup, DeepAlignmentPushesOnlyCount) {
    TTextMarkup markup = FreshMarkup();
    for (int i = 0; i < 40; ++i)
        markup.PushAlign(i % 3);
    EXPECT_EQ(markup.mAlignDepth, 40);
    EXPECT_EQ(markup.GetAlign(), 30 % 3); // entry 31, written by the 31st push
    for (int i = 0; i < 50; ++i)
        markup.PopAlign();
    EXPECT_EQ(markup.mAlignDepth, 0);
    EXPECT_EQ(markup.GetAlign(), -1);
}

TEST(TextMarkup, ResetClearsStateButKeepsStyleEntries) {
    TTextMarkup markup = FreshMarkup();
    ReadTags(markup, "<b><i><u><center><font size='40'><a id='q'><outline size='4'>");
    markup.Reset();
    EXPECT_EQ(markup.mStyleDepth, 0);
    EXPECT_EQ(markup.mBold + markup.mItalic + markup.mUnderline, 0);
    EXPECT_EQ(markup.mAlignDepth, 0);
    EXPECT_EQ(markup.GetAlign(), -1);
    EXPECT_TRUE(markup.mLinkId.IsEmpty());
    EXPECT_EQ(markup.mLinkColor, TColor());
    EXPECT_EQ(markup.mOutlineSize, 0.0f);
    EXPECT_EQ(markup.mStyles[1].size, 40);
}

TEST(TextMarkup, TabPositionIsClearedOnEveryCallAndOtherOutputsAreOnlySet) {
    TTextMarkup markup = FreshMarkup();
    int32_t consumed = 0, lineBreak = 5, padding = 6, cursor = 7, align = 8, tab = 9;
    EXPECT_FALSE(markup.ParseTag("x", 1, consumed, lineBreak, padding, cursor, align, tab));
    EXPECT_EQ(tab, 0);
    EXPECT_TRUE(markup.ParseTag("<b>", 3, consumed, lineBreak, padding, cursor, align, tab));
    EXPECT_EQ(consumed, 3);
    EXPECT_EQ(lineBreak, 5);
    EXPECT_EQ(padding, 6);
    EXPECT_EQ(cursor, 7);
    EXPECT_EQ(align, 8);
}

} // namespace
