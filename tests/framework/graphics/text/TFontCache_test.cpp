// The font cache: one font object per name, the fallbacks, and the
// single-byte test of text fields.

#include "framework/graphics/text/TFontCache.h"

#include "framework/core/log/TLog.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

class FontCacheTest : public ::testing::Test {
protected:
    void SetUp() override { ClearFontCache(); }
    void TearDown() override {
        ClearFontCache();
        StartLog(nullptr);
    }
};

const std::string kAssets = std::string(CORVALO_BINARY_DIR) + "/assets";

TEST_F(FontCacheTest, SameNameGivesSameFont) {
    TMvecFont* first = GetFont(TFontCache::kBuiltinName);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetFont(TFontCache::kBuiltinName), first);
    EXPECT_EQ(TFontCache::Instance().GetSize(), 1u);
}

TEST_F(FontCacheTest, MissingNamesFallBackToTheBuiltInFontEachWithItsOwnObject) {
    // No assets table here, so "fonts/default.mvec" does not resolve either.
    TMvecFont* builtin = GetFont(TFontCache::kBuiltinName);
    TMvecFont* missing = GetFont("fonts/nothing-here.mvec");
    ASSERT_NE(builtin, nullptr);
    ASSERT_NE(missing, nullptr);
    EXPECT_NE(builtin, missing);
    EXPECT_EQ(missing->GetGlyphCount(), builtin->GetGlyphCount());
    EXPECT_EQ(missing->GetData(), builtin->GetData());
    EXPECT_EQ(GetFont("fonts/nothing-here.mvec"), missing);
    EXPECT_EQ(TFontCache::Instance().GetSize(), 2u);
}

TEST_F(FontCacheTest, FontFilesLoadWhole) {
    const std::string path = kAssets + "/loc/en/font/helsinki.mvec";
    ASSERT_TRUE(std::filesystem::exists(path)) << "the build makes " << path;
    TMvecFont* bold = GetFont(TString(("::" + path).c_str()));
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(bold->GetData().size(), std::filesystem::file_size(path));
    EXPECT_GT(bold->GetGlyphCount(), 200);
    EXPECT_NE(bold->GetData(), GetFont(TFontCache::kBuiltinName)->GetData());
}

TEST_F(FontCacheTest, DamagedFileGivesAFontWithoutGlyphsAndALogLine) {
    support::TempFolder folder;
    StartLog(folder.Path().c_str());
    const std::string bad = (folder.Path() / "bad.mvec").string();
    {
        std::ofstream out(bad, std::ios::binary);
        const std::string bytes("MVC4\x10\x00\0\0\0\0\0\0 and then nothing much", 34);
        out << bytes;
    }
    TMvecFont* font = GetFont(TString(("::" + bad).c_str()));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetGlyphCount(), 0);
    StartLog(nullptr);
    std::ifstream log(folder.Path() / "logfile.txt");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("bad.mvec has no glyphs: the glyph table runs past the end of the data"),
              std::string::npos)
        << text;
}

// A player's name in Latin Extended-A, a Greek and a Cyrillic word: every
// letter is in each of the game's fonts, so none falls back or is lost.
TEST_F(FontCacheTest, EveryGameFontHoldsNamesBeyondLatin1) {
    const uint32_t name[] = {0x141, 'u', 'k', 'a', 's', 'z', ' ', 0xD6, 0x11F, 0xFC, 't'};
    const uint32_t others[] = {0x151, 0x15F, 0x142, 0x3A9, 0x3BB, 0x416, 0x44E, 0x20BD, 0x20B9};
    const std::string fonts[] = {TFontCache::kBuiltinName,
                                 "::" + kAssets + "/" + TFontCache::kFallbackFile,
                                 "::" + kAssets + "/loc/en/font/helsinki.mvec"};
    for (const std::string& fontName : fonts) {
        SCOPED_TRACE(fontName);
        TMvecFont* font = GetFont(TString(fontName.c_str()));
        ASSERT_NE(font, nullptr);
        EXPECT_GT(font->GetGlyphCount(), 1000);
        for (uint32_t code : name)
            EXPECT_GE(font->FindGlyph(code), 0) << code;
        for (uint32_t code : others)
            EXPECT_GE(font->FindGlyph(code), 0) << code;
    }
}

TEST_F(FontCacheTest, ClearEmptiesTheCache) {
    GetFont(TFontCache::kBuiltinName);
    GetFont("a");
    ClearFontCache();
    EXPECT_EQ(TFontCache::Instance().GetSize(), 0u);
    EXPECT_NE(GetFont(TFontCache::kBuiltinName), nullptr);
}

TEST(IsSingleByteString, LeadBytesAndZerosAreMultiByte) {
    struct Case {
        std::string text;
        bool single;
    };
    const Case cases[] = {
        {"", true},
        {"plain ASCII ~", true},
        {"\x7F\x80\xBF", true}, // continuation bytes alone are single bytes
        {"caf\xC3\xA9", false},
        {"\xC0", false},
        {"\xFF", false},
        {std::string("a\0b", 3), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSingleByteString(c.text.data(), c.text.size()), c.single) << c.text;
        if (c.text.find('\0') == std::string::npos) {
            EXPECT_EQ(IsSingleByteString(TString(c.text.c_str())), c.single);
        }
    }
}

} // namespace
