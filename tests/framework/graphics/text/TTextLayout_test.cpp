// The text layout, headless with the built-in font: golden traces for a
// table of texts, the setters, links, pages and the per-character fallback.
// Run with CORVALO_UPDATE_GOLDEN=1 to write the traces anew (then read the
// difference before keeping it).

#include "framework/graphics/text/TTextLayout.h"

#include "framework/core/settings/TSettings.h"
#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TMvecFont.h"
#include "framework/graphics/text/TMvecFormat.h"
#include "framework/graphics/text/TTextMarkup.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

const std::string kGoldenFile = std::string(CORVALO_TEST_DATA) + "/text/layout_traces.txt";
const TColor kBlack(0.0f, 0.0f, 0.0f, 1.0f);

struct LayoutCase {
    const char* name;
    const char* text;
    int32_t width = 300;
    int32_t height = 200;
    int32_t align = 0;
    int32_t size = 20;
};

const LayoutCase kCases[] = {
    {.name = "empty", .text = ""},
    {.name = "one_line", .text = "Hello world"},
    {.name = "wrap_at_blanks", .text = "The quick brown fox jumps over the lazy dog", .width = 120},
    {.name = "wrap_two_words", .text = "Matching pairs", .width = 90},
    {.name = "word_longer_than_line", .text = "Incomprehensibilities", .width = 60},
    {.name = "soft_hyphen_fits",
     .text = "Wonder\xC2\xAD"
             "ful",
     .width = 300},
    {.name = "soft_hyphen_breaks",
     .text = "Wonder\xC2\xAD"
             "ful things",
     .width = 75},
    {.name = "align_center", .text = "Centred words here", .align = 1},
    {.name = "align_right", .text = "Right side", .align = 2},
    {.name = "align_tags", .text = "<center>Title<br></center>Body text"},
    {.name = "only_align_tags", .text = "<right></right>x"},
    {.name = "styles", .text = "plain <b>bold</b> <i>italic</i> <u>under</u>"},
    {.name = "italic_shift", .text = "a<i>b</i>c"},
    {.name = "outline", .text = "<outline color='000000' size='3'>Out</outline>line"},
    {.name = "link", .text = "Go <a id='next' color='0000ff'>next</a> page"},
    {.name = "tab", .text = "Name<tab pos='100'>Score"},
    {.name = "cursor", .text = "Edit<cursor>"},
    {.name = "line_feeds", .text = "one\ntwo\n\nfour"},
    {.name = "br_pad", .text = "top<br pad='6'>bottom"},
    {.name = "escaped_tag", .text = "\\<b>not bold"},
    {.name = "font_sizes", .text = "<font size='40' color='ff000080'>Big</font> small"},
    {.name = "wrap_restores_style", .text = "<font size='30'>aaaa</font> bbbb cccc", .width = 80},
    {.name = "utf8", .text = "Caf\xC3\xA9 \xE2\x82\xAC 5"},
    {.name = "vertical_center", .text = "Middle", .align = 4},
    {.name = "bottom", .text = "Low\nLower", .align = 8},
    {.name = "missing_everywhere", .text = "a\xEE\x80\x80z"}, // U+E000: no font has it
};

std::map<std::string, std::string> ReadGolden() {
    std::map<std::string, std::string> traces;
    std::ifstream in(kGoldenFile);
    std::string line, name, body;
    while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0) {
            if (!name.empty())
                traces[name] = body;
            name = line.substr(4);
            body.clear();
        } else {
            body += line + "\n";
        }
    }
    if (!name.empty())
        traces[name] = body;
    return traces;
}

std::string Trace(const LayoutCase& c) {
    TTextLayout* layout =
        TTextLayout::Create(c.text, c.width, c.height, c.align, "", c.size, kBlack);
    const std::string trace = TraceTextLayout(*layout).CStr();
    TTextLayout::Destroy(layout);
    return trace;
}

void CompareWithGolden(const char* prefix, const std::string& suffix) {
    std::map<std::string, std::string> golden = ReadGolden();
    const bool update = std::getenv("CORVALO_UPDATE_GOLDEN") != nullptr;
    for (const LayoutCase& c : kCases) {
        const std::string name = prefix + std::string(c.name) + suffix;
        SCOPED_TRACE(name);
        const std::string trace = Trace(c);
        if (update)
            golden[name] = trace;
        else
            EXPECT_EQ(trace, golden[name]) << "text: " << c.text;
    }
    if (update) {
        std::ofstream out(kGoldenFile);
        for (const auto& [name, trace] : golden)
            out << "=== " << name << "\n" << trace;
    }
}

class TextLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { ClearFontCache(); }
    void TearDown() override { ClearFontCache(); }
};

TEST_F(TextLayoutTest, GoldenTraces) {
    ASSERT_FALSE(GetLegacyLineWrap()) << "run this test in a process of its own";
    CompareWithGolden("", "");
}

TEST_F(TextLayoutTest, EmptyTextHasNoLines) {
    TTextLayout* layout = TTextLayout::Create("", 100, 100, 0, "", 20, kBlack);
    EXPECT_EQ(layout->GetLineCount(), 0);
    EXPECT_EQ(layout->GetTextHeight(), 0);
    EXPECT_EQ(layout->GetBoundsLeft(), 0);
    const TRect bounds = layout->GetTextBounds(1.0f);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.right, 0);
    TTextLayout::Destroy(layout);
    TTextLayout::Destroy(nullptr);
}

TEST_F(TextLayoutTest, LinesStayInsideTheBlockAndKeepEveryCharacter) {
    const std::string text = "Turn two tiles, match the pair, build a combo and clear the board "
                             "before the clock runs out.";
    for (int32_t width : {40, 70, 100, 160, 250, 400}) {
        SCOPED_TRACE(width);
        TTextLayout* layout = TTextLayout::Create(text.c_str(), width, 500, 0, "", 16, kBlack);
        int32_t expectedStart = 0;
        std::string joined;
        for (const auto& line : layout->GetLines()) {
            ASSERT_FALSE(line->runs.empty());
            EXPECT_LE(line->runs.back().endX, width);
            const TTextRun& first = line->runs.front();
            EXPECT_EQ(first.start, expectedStart);
            const TTextRun& last = line->runs.back();
            joined += text.substr(first.start, last.end - first.start + 1);
            expectedStart = last.end + 1;
            if (expectedStart < static_cast<int32_t>(text.size()) && text[expectedStart] == ' ') {
                ++expectedStart; // the blank a line broke at is dropped
                joined += ' ';
            }
        }
        EXPECT_EQ(joined, text);
        EXPECT_EQ(layout->GetTextHeight(), 16 * layout->GetLineCount());
        TTextLayout::Destroy(layout);
    }
}

TEST_F(TextLayoutTest, SettersLayOutAgainOnlyOnChange) {
    TTextLayout* layout = TTextLayout::Create("abc", 100, 100, 0, "", 20, kBlack);
    const TTextLine* before = layout->GetLines()[0].get();
    layout->SetText("abc");
    layout->SetFont("__DEFAULT");
    layout->SetFont("");
    layout->SetFontSize(20);
    layout->SetAlignment(0);
    layout->SetBlockSize(100, 100);
    layout->SetColor(kBlack);
    EXPECT_EQ(layout->GetLines()[0].get(), before) << "no change lays out again";
    EXPECT_STREQ(layout->GetFontName().CStr(), "__DEFAULT");

    layout->SetColor(TColor(1.0f, 0.0f, 0.0f, 1.0f));
    ASSERT_EQ(layout->GetLineCount(), 1);
    EXPECT_EQ(layout->GetLines()[0]->runs[0].color, TColor(1.0f, 0.0f, 0.0f, 1.0f));
    layout->SetFontSize(40);
    EXPECT_EQ(layout->GetLines()[0]->height, 40);
    layout->SetBlockSize(101, 100);
    EXPECT_EQ(layout->GetWidth(), 101);
    layout->SetText("");
    EXPECT_EQ(layout->GetLineCount(), 0);
    TTextLayout::Destroy(layout);
}

TEST_F(TextLayoutTest, RotationSnapsToExactlyNone) {
    TTextLayout layout;
    layout.SetRotation(360.0f, 3, 4);
    EXPECT_EQ(layout.GetRotationCos(), 1.0f);
    EXPECT_EQ(layout.GetRotationSin(), 0.0f);
    layout.SetRotation(90.0f, 0, 0);
    EXPECT_NEAR(layout.GetRotationCos(), 0.0f, 1e-6f);
    EXPECT_NEAR(layout.GetRotationSin(), 1.0f, 1e-6f);
    layout.UseAlphaMerge();
    EXPECT_EQ(layout.GetAlphaMerge(), 1);
    EXPECT_EQ(layout.GetCopyMode(), 0);
}

TEST_F(TextLayoutTest, ItalicRunsLeanByAThirdOfTheirHeight) {
    TTextLayout* plain = TTextLayout::Create("ab", 300, 100, 0, "", 20, kBlack);
    TTextLayout* leaning = TTextLayout::Create("a<i>b</i>", 300, 100, 0, "", 20, kBlack);
    const TTextRun& a = leaning->GetLines()[0]->runs[0];
    const TTextRun& b = leaning->GetLines()[0]->runs[1];
    ASSERT_TRUE(b.italic);
    const float shift = b.scale / 3.0f * b.font->GetDescent();
    EXPECT_GT(shift, 4.0f);
    // The italic run starts where the plain text's pen was; its end moves
    // right by the shift.
    EXPECT_EQ(b.startX, a.endX);
    const int32_t plainEnd = plain->GetLines()[0]->runs[0].endX;
    EXPECT_NEAR(b.endX, plainEnd + shift / 4.0f, 1.0f);
    TTextLayout::Destroy(plain);
    TTextLayout::Destroy(leaning);
}

TEST_F(TextLayoutTest, EndingItalicShiftsByAThirdOfTheAscentAndACursorTakesTheLeanBack) {
    TTextLayout* off = TTextLayout::Create("<i>a</i>b", 300, 100, 0, "", 20, kBlack);
    const auto& runs = off->GetLines()[0]->runs;
    // An empty first run (the tag), "a" leaning, "b" upright again.
    ASSERT_EQ(runs.size(), 3u);
    const TTextRun& upright = runs[2];
    const float ascentShift = upright.scale / 3.0f * upright.font->GetAscent();
    TTextLayout* plain = TTextLayout::Create("ab", 300, 100, 0, "", 20, kBlack);
    const TTextRun& a = runs[1];
    const float descentShift = a.scale / 3.0f * a.font->GetDescent();
    EXPECT_NEAR(upright.endX,
                plain->GetLines()[0]->runs[0].endX + (ascentShift + descentShift) / 4.0f, 1.0f);

    TTextLayout* cursor = TTextLayout::Create("a<i><cursor>b", 300, 100, 0, "", 20, kBlack);
    const auto& c = cursor->GetLines()[0]->runs;
    ASSERT_EQ(c.size(), 3u);
    EXPECT_TRUE(c[1].cursor);
    EXPECT_EQ(c[1].size, 20) << "a cursor is content";
    EXPECT_EQ(c[2].startX, c[0].endX);
    EXPECT_NEAR(c[2].endX, plain->GetLines()[0]->runs[0].endX, 1.0f) << "no lean left";
    TTextLayout::Destroy(off);
    TTextLayout::Destroy(plain);
    TTextLayout::Destroy(cursor);
}

TEST_F(TextLayoutTest, LinkUnderAPointAndTheHoverLink) {
    TTextLayout* layout = TTextLayout::Create(
        "Go <a id='next'>next</a> page\n<a id='two'>second</a>", 300, 200, 0, "", 20, kBlack);
    ASSERT_EQ(layout->GetLineCount(), 2);
    const TTextLine& line = *layout->GetLines()[0];
    const TTextRun& linkRun = line.runs[1];
    ASSERT_STREQ(linkRun.linkId.CStr(), "next");
    const float middle = (linkRun.startX + linkRun.endX) / 2.0f + line.x + line.xOffset;
    EXPECT_STREQ(layout->GetLinkAt(TVec2(middle, 10.0f), 0).CStr(), "next");
    EXPECT_STREQ(layout->GetLinkAt(TVec2(middle, 30.0f), 0).CStr(), "two");
    EXPECT_STREQ(layout->GetLinkAt(TVec2(2.0f, 10.0f), 0).CStr(), "");
    EXPECT_STREQ(layout->GetLinkAt(TVec2(middle, 50.0f), 0).CStr(), "");
    // Line spacing widens the band above each line.
    EXPECT_STREQ(layout->GetLinkAt(TVec2(middle, -3.0f), 4).CStr(), "next");
    EXPECT_STREQ(layout->GetLinkAt(TVec2(middle, -3.0f), 0).CStr(), "");
    EXPECT_STREQ(layout->GetLinkAt(TVec2(middle, 21.0f), 4).CStr(), "two");

    const TVec2 over(middle, 10.0f);
    EXPECT_TRUE(layout->HasLinkAt(&over, 0));
    EXPECT_STREQ(layout->GetHoverLink().CStr(), "next");
    EXPECT_FALSE(layout->HasLinkAt(&over, 0));
    EXPECT_TRUE(layout->HasLinkAt(nullptr, 0));
    EXPECT_TRUE(layout->GetHoverLink().IsEmpty());
    TTextLayout::Destroy(layout);
}

TEST_F(TextLayoutTest, LastPageStartIsTheLongestTailThatFits) {
    struct {
        const char* text;
        int32_t height;
        float scale;
        int32_t spacing;
        int32_t expected;
    } cases[] = {
        {"", 50, 1.0f, 0, 0},
        {"a\nb", 50, 1.0f, 0, 0},
        {"a\nb\nc\nd\ne", 50, 1.0f, 0, 3}, // 20-pixel lines: two fit in 50
        {"a\nb\nc\nd\ne", 50, 1.0f, 10, 4},
        {"a\nb\nc\nd\ne", 50, 0.5f, 0, 0},
        {"a\nb\nc\nd\ne", 100, 1.0f, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SCOPED_TRACE(c.spacing);
        TTextLayout* layout = TTextLayout::Create(c.text, 200, c.height, 0, "", 20, kBlack);
        EXPECT_EQ(layout->GetLastPageStart(c.scale, c.spacing), c.expected);
        TTextLayout::Destroy(layout);
    }
}

TEST_F(TextLayoutTest, BoundsFollowAlignmentAndScale) {
    TTextLayout* layout = TTextLayout::Create("Middle", 200, 100, 1 | 4, "", 20, kBlack);
    const TRect bounds = layout->GetTextBounds(1.0f);
    EXPECT_EQ(bounds.top, 50 - 10);
    EXPECT_EQ(bounds.bottom, 60);
    EXPECT_NEAR((bounds.left + bounds.right) / 2.0, 100.0, 2.0);
    const TRect twice = layout->GetTextBounds(2.0f);
    EXPECT_EQ(twice.top, 50 - 20);
    EXPECT_EQ(twice.bottom, 70);
    TTextLayout::Destroy(layout);
}

// A font of a few glyphs taken from the built-in one, written to a file.
std::string WriteSmallFont(const std::filesystem::path& folder, const std::string& codes) {
    const TMvecFont* builtin = GetFont(TFontCache::kBuiltinName);
    const std::vector<uint8_t>& data = builtin->GetData();
    std::vector<TMvecGlyphRecord> records;
    const char* reason = "";
    EXPECT_TRUE(ReadMvecTable(data.data(), data.size(), records, reason));
    std::vector<uint8_t> image(data.begin(), data.begin() + kMvecHeaderSize);
    image[4] = static_cast<uint8_t>(codes.size());
    image[5] = 0;
    std::vector<uint8_t> paths;
    const size_t pathStart = kMvecHeaderSize + codes.size() * kMvecRecordSize;
    for (char c : codes) {
        const int32_t index = builtin->FindGlyph(static_cast<unsigned char>(c));
        EXPECT_GE(index, 0);
        const TMvecGlyphRecord& r = records[index];
        const TMvecPath path = builtin->GetOutline(index);
        const size_t length = MvecPathLength(path);
        auto put16 = [&](int16_t v) {
            image.push_back(static_cast<uint8_t>(v & 0xFF));
            image.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
        };
        auto put32 = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i)
                image.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
        };
        put32(r.code);
        put16(r.left);
        put16(r.right);
        put16(r.top);
        put16(r.bottom);
        put16(r.advance);
        put32(static_cast<uint32_t>(pathStart + paths.size()));
        paths.insert(paths.end(), path.data, path.data + length);
    }
    image.insert(image.end(), paths.begin(), paths.end());
    const std::filesystem::path file = folder / "small.mvec";
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    return "::" + file.string();
}

TEST_F(TextLayoutTest, CharactersTheFontLacksComeFromTheFallbackFont) {
    support::TempFolder folder;
    const std::string face = WriteSmallFont(folder.Path(), "HWaeo");
    TMvecFont* small = GetFont(TString(face.c_str()));
    ASSERT_EQ(small->GetGlyphCount(), 5);
    const std::string text = "Hello Wax";
    TTextLayout* layout = TTextLayout::Create(text.c_str(), 400, 100, 0, face.c_str(), 20, kBlack);
    ASSERT_EQ(layout->GetLineCount(), 1);
    const auto& runs = layout->GetLines()[0]->runs;
    // "He" small, "ll" fallback, "o" small, " " fallback, "Wa" small, "x" fallback.
    struct {
        int32_t start, end;
        bool fallback;
    } expected[] = {{0, 1, false}, {2, 3, true},  {4, 4, false},
                    {5, 5, true},  {6, 7, false}, {8, 8, true}};
    ASSERT_EQ(runs.size(), std::size(expected));
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(runs[i].start, expected[i].start);
        EXPECT_EQ(runs[i].end, expected[i].end);
        EXPECT_EQ(runs[i].styledFont != nullptr, expected[i].fallback);
        EXPECT_EQ(runs[i].font == small, !expected[i].fallback);
        if (i > 0) {
            EXPECT_EQ(runs[i].startX, runs[i - 1].endX);
        }
    }
    // Each run keeps its own font's metrics: the small font has no
    // descenders, so its glyph box is shorter and its glyphs larger.
    EXPECT_GT(runs[0].scale, runs[1].scale);
    EXPECT_EQ(runs[1].scale, runs[3].scale);
    TTextLayout::Destroy(layout);
}

TEST_F(TextLayoutTest, ABreakAtAnEscapedBlankDropsTheBlankAsAtAPlainOne) {
    // Both break after the a's: the b's begin the second line, as wide in
    // both.
    int32_t widths[2] = {0, 0};
    int k = 0;
    for (const char* text : {"aaaa bbbb", "aaaa\\ bbbb"}) {
        SCOPED_TRACE(text);
        TTextLayout* layout = TTextLayout::Create(text, 60, 200, 0, "", 20, kBlack);
        ASSERT_EQ(layout->GetLineCount(), 2);
        const auto& lines = layout->GetLines();
        EXPECT_EQ(text[lines[1]->runs.front().start], 'b');
        EXPECT_EQ(lines[0]->runs.back().end, 3);
        widths[k++] = lines[1]->runs.back().endX;
        TTextLayout::Destroy(layout);
    }
    EXPECT_EQ(widths[0], widths[1]);
}

TEST_F(TextLayoutTest, AbsurdNumbersInMarkupAreHeldToASaneRange) {
    struct Case {
        const char* text;
        int32_t height; // of the first line
    };
    const Case cases[] = {
        {"<font size='99999999999'>x</font>", TTextMarkup::kMaxFontSize},
        {"<font size='-99999999999'>x</font>y", 20},
        {"<font size='2147483648'>x<br pad='99999999999'>y", 2 * TTextMarkup::kMaxFontSize},
        {"x<br pad='-99999999999'>y", 20 - TTextMarkup::kMaxFontSize},
        {"<outline size='99999999999'>x</outline><tab pos='99999999999'>y", 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TTextLayout* layout = TTextLayout::Create(c.text, 5000, 200, 0, "", 20, kBlack);
        ASSERT_GE(layout->GetLineCount(), 1);
        EXPECT_EQ(layout->GetLines()[0]->height, c.height);
        for (const auto& line : layout->GetLines())
            for (const TTextRun& run : line->runs) {
                EXPECT_GE(run.size, 0);
                EXPECT_LE(run.size, TTextMarkup::kMaxFontSize);
                EXPECT_LE(run.outlineSize, TTextMarkup::kMaxOutlineSize);
                EXPECT_LE(run.tabPosition, 4 * TTextMarkup::kMaxTabPosition);
            }
        TRect bounds;
        layout->GetTextBounds(bounds, 1.0f);
        TTextLayout::Destroy(layout);
    }
    // The layout's own size too.
    TTextLayout* layout = TTextLayout::Create("x", 300, 200, 0, "", 2000000000, kBlack);
    EXPECT_EQ(layout->GetLines()[0]->height, TTextMarkup::kMaxFontSize);
    TTextLayout::Destroy(layout);
}

// Once stored, the legacy flag stays on for the rest of the process: this
// test comes last, and CTest runs each test in a process of its own.
TEST_F(TextLayoutTest, LegacyLineWrapKeepsTheOverflowingCharacter) {
    TTextLayout* before = TTextLayout::Create("Incomprehensibilities", 60, 200, 0, "", 20, kBlack);
    SetSetting("legacylinewrap", "0");
    ASSERT_TRUE(GetLegacyLineWrap());
    TTextLayout* after = TTextLayout::Create("Incomprehensibilities", 60, 200, 0, "", 20, kBlack);
    ASSERT_GT(before->GetLineCount(), 2);
    const auto& a = before->GetLines();
    const auto& b = after->GetLines();
    EXPECT_EQ(b[0]->runs[0].end, a[0]->runs[0].end + 1);
    EXPECT_GT(b[0]->runs[0].endX, 60 - 2);
    EXPECT_LT(after->GetLineCount(), before->GetLineCount());
    CompareWithGolden("legacy/", "");
    TTextLayout::Destroy(before);
    TTextLayout::Destroy(after);
}

} // namespace
